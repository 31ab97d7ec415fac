// htmlprobe tokens FILE|-  : one line per token, "SYMBOL [text]" with the
// tag's attributes indented below it. Text is shown as Windows-1252 bytes
// converted to UTF-8; control characters as \xNN.
#include "htmlview/tokenizer/Tokenizer.h"
#include "platform/runtime/Codepage.h"

#include <cstdio>
#include <iostream>
#include <iterator>
#include <sstream>
#include <fstream>

using namespace htmlview;

namespace {
std::string shown(const std::string& bytes) {
    std::string r;
    for (unsigned char c : bytes) {
        if (c < 32 || c == '\\') {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            r += buf;
        } else {
            r += static_cast<char>(c);
        }
    }
    return platform::Cp1252ToUtf8(r);
}

int usage() {
    std::cerr << "usage: htmlprobe tokens FILE|-\n";
    return 2;
}

int dumpTokens(const std::string& html) {
    THtmlTokenizer t;
    t.SetBuffer(html.data(), html.size());
    try {
        t.ReadCharSkipComments();
        for (t.ReadNextToken(); t.Sym != symEndOfInput; t.ReadNextToken()) {
            std::cout << SymbolName(t.Sym);
            if (t.Sym == symH || t.Sym == symEndH) std::cout << t.HeadingLevel;
            if (!t.TokenText.empty()) std::cout << " [" << shown(t.TokenText) << "]";
            std::cout << "\n";
            if (KeepsAttributes(t.Sym))
                for (int i = 0; i < t.Attributes.Count(); ++i) {
                    const TAttribute* a = t.Attributes[i];
                    std::cout << "  " << SymbolName(static_cast<THtmlSymbol>(a->Symbol)) << "="
                              << a->NumValue << " [" << shown(a->Text) << "]\n";
                }
        }
    } catch (const EParseError& e) {
        std::cout << "error: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return usage();
    std::string cmd = argv[1], file = argv[2];
    std::string bytes;
    if (file == "-") {
        bytes.assign(std::istreambuf_iterator<char>(std::cin), {});
    } else {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::cerr << "htmlprobe: cannot open " << file << "\n";
            return 2;
        }
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    // Valid UTF-8 with non-ASCII characters enters the viewer as Windows-1252.
    if (platform::HasNonAscii(bytes) && platform::IsValidUtf8(bytes)) bytes = platform::Utf8ToCp1252(bytes);
    if (cmd == "tokens") return dumpTokens(bytes);
    return usage();
}
