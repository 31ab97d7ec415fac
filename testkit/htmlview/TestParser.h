#pragma once
// A stand-in parser for the control's tests: one text block per line, with
// a few line commands so that tests can build exactly the document they
// need without markup.
//   "#NAME text"     the block holds anchor NAME
//   "@URL text"      the whole block is a link to URL
//   "!meta H|N|C"    a META element (HTTP-EQUIV H, NAME N, CONTENT C)
//   "!title T"       the page title
//   "!base B"        BASE HREF
//   "!open-comment"  stops the parse as an unterminated comment does
//   "!tall N"        a block N pixels high without text
//   "!pre text"      preformatted text (never broken for width)
#include "htmlview/control/DocumentParser.h"
#include "htmlview/layout/Section.h"
#include "platform/core/runtime/Text.h"

#include <fstream>
#include <sstream>

namespace htmlview::testing {

class TallBlock : public TSectionBase {
public:
    explicit TallBlock(int h) { FlowHeight = h; }
};

class TestParser : public TDocumentParser {
public:
    std::vector<std::string> Buffers;  // every buffer parsed
    std::vector<std::string> Files;    // every file parsed

    TParsedPage ParseStrings(TSectionList& doc, TStringList& names, const std::vector<std::string>& lines,
                             const TParserCallbacks& cb) override {
        return parse(doc, names, lines, cb, true);
    }
    TParsedPage ParseBuffer(TSectionList& doc, TStringList& names, const std::string& html,
                            const TParserCallbacks& cb) override {
        Buffers.push_back(html);
        return parse(doc, names, {html}, cb, true);
    }
    TParsedPage ParseFile(TSectionList& doc, TStringList& names, const std::string& fileName,
                          const TParserCallbacks& cb) override {
        Files.push_back(fileName);
        std::ifstream in(fileName, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return parse(doc, names, lines, cb, false);
    }

private:
    TParsedPage parse(TSectionList& doc, TStringList& names, const std::vector<std::string>& lines,
                      const TParserCallbacks& cb, bool commentRaises) {
        TParsedPage page;
        TMyFont font;
        font.SetNominalSize(doc, 12);
        TInlineState state;
        for (const std::string& line : lines) {
            if (line.rfind("!title ", 0) == 0) {
                page.Title = line.substr(7);
            } else if (line.rfind("!base ", 0) == 0) {
                page.BaseHref = line.substr(6);
            } else if (line.rfind("!meta ", 0) == 0) {
                std::vector<std::string> f;
                std::stringstream ss(line.substr(6));
                for (std::string p; std::getline(ss, p, '|');) f.push_back(p);
                f.resize(3);
                if (cb.Meta) cb.Meta(doc.Viewer, f[0], f[1], f[2]);
            } else if (line == "!open-comment") {
                if (commentRaises) throw EParseError("Open Comment at End of HTML File");
                return page;
            } else if (line.rfind("!tall ", 0) == 0) {
                doc.AddBlock(new TallBlock(std::stoi(line.substr(6))));
            } else if (line.rfind("!pre ", 0) == 0) {
                auto* s = new TPreFormated(0, 1, nullptr, font, state);
                s->AppendText(line.substr(5));
                doc.AddBlock(s);
            } else if (!line.empty() && line[0] == '@') {
                const size_t sp = line.find(' ');
                TUrlTarget link;
                link.Assign(line.substr(1, sp - 1), std::string());
                auto* s = new TSection(0, 1, &link, font, state);
                s->AppendText(sp == std::string::npos ? "" : line.substr(sp + 1));
                doc.AddBlock(s);
            } else if (!line.empty() && line[0] == '#') {
                const size_t sp = line.find(' ');
                auto* s = new TSection(0, 1, nullptr, font, state);
                s->Document = &doc;
                names.AddObject(platform::AsciiUpper(line.substr(1, sp - 1)), s);
                s->AppendText(sp == std::string::npos ? "" : line.substr(sp + 1));
                doc.AddBlock(s);
            } else {
                auto* s = new TSection(0, 1, nullptr, font, state);
                s->AppendText(line);
                doc.AddBlock(s);
            }
        }
        return page;
    }
};

}  // namespace htmlview::testing
