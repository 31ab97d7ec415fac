#include "htmlview/control/DocumentParser.h"

#include "platform/runtime/Exception.h"

namespace htmlview {

namespace {
// Stands in until the parser library is linked here.
class MissingParser : public TDocumentParser {
public:
    TParsedPage ParseStrings(TSectionList&, TStringList&, const std::vector<std::string>&,
                             const TParserCallbacks&) override {
        throw platform::Exception("No HTML parser");
    }
    TParsedPage ParseBuffer(TSectionList&, TStringList&, const std::string&, const TParserCallbacks&) override {
        throw platform::Exception("No HTML parser");
    }
    TParsedPage ParseFile(TSectionList&, TStringList&, const std::string&, const TParserCallbacks&) override {
        throw platform::Exception("No HTML parser");
    }
};
}  // namespace

std::unique_ptr<TDocumentParser> MakeDocumentParser() { return std::make_unique<MissingParser>(); }

}  // namespace htmlview
