#include "app/rtf/FontCharset.h"

#include "app/rtf/SymbolFont.h"
#include "platform/core/runtime/Codepage.h"
#include "platform/core/codepage/LegacyCodePage.h"
#include "platform/core/runtime/Text.h"

namespace rtf {

namespace {

std::string CodePageName(int codePage) {
    switch (codePage) {
        case 437: return "IBM437";
        case 850: return "IBM850";
        case 932: return "Shift_JIS";
        case 936: return "GBK";
        case 949: return "windows-949";
        case 950: return "Big5";
        case 10000: return "macintosh";
        default: return "windows-" + std::to_string(codePage);
    }
}

}  // namespace

int FontCodePage(const std::string& name, int charset, int cpg, int documentCodePage) {
    if (cpg > 0) return cpg;
    if ((charset == 2 || charset < 0) && platform::AsciiLower(name) == "symbol")
        return kSymbolCodePage;
    switch (charset) {
        case 0: return kAnsiCodePage;  // Western, as Word reads it whatever \ansicpg says
        case 77: return 10000;
        case 128: return 932;
        case 129: return 949;
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
        case 255: return 437;
        default: return documentCodePage;
    }
}

std::string DecodeCodePage(std::string_view bytes, int codePage) {
    if (codePage == kSymbolCodePage) {
        std::string out;
        for (unsigned char b : bytes) platform::AppendUtf8(out, SymbolFontCharacter(b));
        return out;
    }
    return platform::DecodeText(bytes, platform::TextEncoding::LegacyCodePage, CodePageName(codePage));
}

}  // namespace rtf
