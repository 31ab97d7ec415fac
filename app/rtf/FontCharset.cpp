#include "app/rtf/FontCharset.h"

#include "app/rtf/SymbolFont.h"
#include "platform/core/codepage/WindowsCodePage.h"
#include "platform/core/runtime/Codepage.h"
#include "platform/core/runtime/Text.h"

namespace rtf {

int CharsetCodePage(int charset) {
    switch (charset) {
        case 0: return kAnsiCodePage;  // Western, as Word reads it whatever \ansicpg says
        case 77: return 10000;         // the Mac sets
        case 78: return 10001;
        case 79: return 10003;
        case 80: return 10008;
        case 81: return 10002;
        case 83: return 10005;
        case 84: return 10004;
        case 85: return 10006;
        case 86: return 10081;
        case 87: return 10021;
        case 88: return 10029;
        case 89: return 10007;
        case 128: return 932;
        case 129: return 949;
        case 130: return 1361;
        case 134: return 936;
        case 136: return 950;
        case 161: return 1253;
        case 162: return 1254;
        case 163: return 1258;
        case 177: return 1255;
        case 178: return 1256;
        case 186: return 1257;
        case 204: return 1251;
        case 222: return 874;
        case 238: return 1250;
        case 254: return 437;
        case 255: return 437;
        default: return 0;
    }
}

bool IsSymbolFace(const std::string& name) {
    const std::string n = platform::AsciiLower(name);
    return n == "symbol" || n == "wingdings" || n == "wingdings 2" || n == "wingdings 3" || n == "webdings";
}

int FontCodePage(const std::string& name, int charset, int cpg, int documentCodePage) {
    if (platform::AsciiLower(name) == "symbol") return kSymbolCodePage;
    if (IsSymbolFace(name)) return documentCodePage;
    if (cpg > 0) return cpg;
    const int fromCharset = CharsetCodePage(charset);
    return fromCharset ? fromCharset : documentCodePage;
}

std::string DecodeCodePage(std::string_view bytes, int codePage, bool& known) {
    if (codePage == kSymbolCodePage) {
        std::string out;
        for (unsigned char b : bytes) platform::AppendUtf8(out, SymbolFontCharacter(b));
        return out;
    }
    if (std::optional<std::string> text = platform::DecodeCodePage(bytes, codePage)) return std::move(*text);
    known = false;
    return platform::Cp1252ToUtf8(std::string(bytes));
}

int WrittenCharset(const std::string& name, int charset) {
    if (IsSymbolFace(name) || charset == kSymbolCharset) return kSymbolCharset;
    if (charset >= 0 && CharsetCodePage(charset) && platform::EncodeCodePage(name, CharsetCodePage(charset)))
        return charset;
    static const int common[] = {0, 238, 204, 161, 162, 177, 178, 186, 163, 222, 128, 134, 136, 129};
    for (int c : common)
        if (platform::EncodeCodePage(name, CharsetCodePage(c))) return c;
    return charset >= 0 ? charset : 0;
}

}  // namespace rtf
