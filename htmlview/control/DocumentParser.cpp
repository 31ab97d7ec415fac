#include "htmlview/control/DocumentParser.h"

#include "platform/core/runtime/Codepage.h"

#include <fstream>
#include <iterator>

namespace htmlview {

namespace {

class HtmlParser : public TDocumentParser {
public:
    TParsedPage ParseStrings(TSectionList& document, TStringList& names, const std::vector<std::string>& lines,
                             const TParserCallbacks& callbacks) override {
        THtmlParser p;
        hook(p, callbacks);
        p.ParseHtmlStrings(document, &names, lines);
        return page(p);
    }
    TParsedPage ParseBuffer(TSectionList& document, TStringList& names, const std::string& html,
                            const TParserCallbacks& callbacks) override {
        THtmlParser p;
        hook(p, callbacks);
        p.ParseHtmlBuffer(document, &names, html.data(), html.size());
        return page(p);
    }
    TParsedPage ParseFile(TSectionList& document, TStringList& names, const std::string& fileName,
                          const TParserCallbacks& callbacks) override {
        std::ifstream in(fileName, std::ios::binary);
        if (!in) throw EInOutError("Cannot open file " + fileName);
        std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (in.bad()) throw EInOutError("Read error in file " + fileName);
        if (platform::HasNonAscii(bytes) && platform::IsValidUtf8(bytes)) bytes = platform::Utf8ToCp1252(bytes);
        THtmlParser p;
        hook(p, callbacks);
        try {
            p.ParseHtmlBuffer(document, &names, bytes.data(), bytes.size());
        } catch (const EParseError&) {
            // An unterminated comment ends a file; what came before it stays.
        }
        return page(p);
    }

private:
    static void hook(THtmlParser& p, const TParserCallbacks& c) {
        p.OnMeta = c.Meta;
        p.OnSoundRequest = c.OnSoundRequest;
        p.OnInclude = c.OnInclude;
    }
    static TParsedPage page(const THtmlParser& p) { return {p.Title, p.BaseHref, p.BaseTarget}; }
};

}  // namespace

std::unique_ptr<TDocumentParser> MakeDocumentParser() { return std::make_unique<HtmlParser>(); }

}  // namespace htmlview
