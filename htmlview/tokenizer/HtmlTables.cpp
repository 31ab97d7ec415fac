#include "htmlview/tokenizer/HtmlTables.h"

#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Text.h"

#include <array>
#include <cstring>

namespace htmlview {

const THtmlTag HtmlTagTable[kTagCount] = {
#define HTMLVIEW_WITH_END(n) {#n, sym##n, symEnd##n},
    HTMLVIEW_TAGS_WITH_END(HTMLVIEW_WITH_END)
#undef HTMLVIEW_WITH_END
#define HTMLVIEW_WITHOUT_END(n) {#n, sym##n, symUnknownTag},
    HTMLVIEW_TAGS_WITHOUT_END(HTMLVIEW_WITHOUT_END)
#undef HTMLVIEW_WITHOUT_END
};

namespace {
// Attribute names as the table spells them (HTTP-EQUIV has a hyphen; VALUE stands twice).
const char* const kAttributeNames[kAttributeCount] = {
    "HREF", "NAME", "SRC", "ALT", "ALIGN", "TEXT", "BGCOLOR", "LINK", "BACKGROUND", "COLSPAN",
    "ROWSPAN", "BORDER", "CELLPADDING", "CELLSPACING", "VALIGN", "WIDTH", "START", "VALUE",
    "TYPE", "CHECKBOX", "RADIO", "METHOD", "ACTION", "CHECKED", "SIZE", "MAXLENGTH", "COLS",
    "ROWS", "MULTIPLE", "VALUE", "SELECTED", "FACE", "COLOR", "TRANSP", "CLEAR", "ISMAP",
    "BORDERCOLOR", "USEMAP", "SHAPE", "COORDS", "NOHREF", "HEIGHT", "PLAIN", "TARGET",
    "NORESIZE", "SCROLLING", "HSPACE", "LANGUAGE", "FRAMEBORDER", "MARGINWIDTH",
    "MARGINHEIGHT", "LOOP", "ONCLICK", "WRAP", "NOSHADE", "HTTP-EQUIV", "CONTENT", "ENCTYPE"};
}  // namespace

const THtmlAttributeName HtmlAttributeTable[kAttributeCount] = {
#define A(i, s) {kAttributeNames[i], s}
    A(0, attrHREF), A(1, attrNAME), A(2, attrSRC), A(3, attrALT), A(4, attrALIGN), A(5, attrTEXT),
    A(6, attrBGCOLOR), A(7, attrLINK), A(8, attrBACKGROUND), A(9, attrCOLSPAN), A(10, attrROWSPAN),
    A(11, attrBORDER), A(12, attrCELLPADDING), A(13, attrCELLSPACING), A(14, attrVALIGN),
    A(15, attrWIDTH), A(16, attrSTART), A(17, attrVALUE), A(18, attrTYPE), A(19, attrCHECKBOX),
    A(20, attrRADIO), A(21, attrMETHOD), A(22, attrACTION), A(23, attrCHECKED), A(24, attrSIZE),
    A(25, attrMAXLENGTH), A(26, attrCOLS), A(27, attrROWS), A(28, attrMULTIPLE), A(29, attrVALUE),
    A(30, attrSELECTED), A(31, attrFACE), A(32, attrCOLOR), A(33, attrTRANSP), A(34, attrCLEAR),
    A(35, attrISMAP), A(36, attrBORDERCOLOR), A(37, attrUSEMAP), A(38, attrSHAPE),
    A(39, attrCOORDS), A(40, attrNOHREF), A(41, attrHEIGHT), A(42, attrPLAIN), A(43, attrTARGET),
    A(44, attrNORESIZE), A(45, attrSCROLLING), A(46, attrHSPACE), A(47, attrLANGUAGE),
    A(48, attrFRAMEBORDER), A(49, attrMARGINWIDTH), A(50, attrMARGINHEIGHT), A(51, attrLOOP),
    A(52, attrONCLICK), A(53, attrWRAP), A(54, attrNOSHADE), A(55, attrHTTP_EQUIV),
    A(56, attrCONTENT), A(57, attrENCTYPE),
#undef A
};

namespace {
const char* const kEntityNames[kEntityCount] = {
    "amp", "lt", "gt", "quot", "nbsp", "iexcl", "cent", "pound", "curren", "yen", "brvbar",
    "sect", "uml", "copy", "ordf", "laquo", "not", "shy", "reg", "macr", "deg", "plusmn", "sup2",
    "sup3", "acute", "micro", "para", "middot", "cedil", "sup1", "ordm", "raquo", "frac14",
    "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc", "Atilde", "Auml", "Aring", "AElig",
    "Ccedil", "Egrave", "Eacute", "Ecirc", "Euml", "Igrave", "Iacute", "Icirc", "Iuml", "ETH",
    "Ntilde", "Ograve", "Oacute", "Ocirc", "Otilde", "Ouml", "times", "Oslash", "Ugrave",
    "Uacute", "Ucirc", "Uuml", "Yacute", "THORN", "szlig", "agrave", "aacute", "acirc", "atilde",
    "auml", "aring", "aelig", "ccedil", "egrave", "eacute", "ecirc", "euml", "igrave", "iacute",
    "icirc", "iuml", "eth", "ntilde", "ograve", "oacute", "ocirc", "otilde", "ouml", "divide",
    "oslash", "ugrave", "uacute", "ucirc", "uuml", "yacute", "thorn", "yuml"};

struct EntityTableBuilder {
    THtmlEntity table[kEntityCount];
    EntityTableBuilder() {
        const unsigned char first[4] = {'&', '<', '>', '"'};
        for (int i = 0; i < kEntityCount; ++i)
            table[i] = {kEntityNames[i], i < 4 ? first[i] : static_cast<unsigned char>(i + 1 + 155)};
    }
};
const EntityTableBuilder kEntities;
}  // namespace

const THtmlEntity HtmlEntityTable[kEntityCount] = {
#define E(i) kEntities.table[i]
    E(0), E(1), E(2), E(3), E(4), E(5), E(6), E(7), E(8), E(9), E(10), E(11), E(12), E(13), E(14),
    E(15), E(16), E(17), E(18), E(19), E(20), E(21), E(22), E(23), E(24), E(25), E(26), E(27),
    E(28), E(29), E(30), E(31), E(32), E(33), E(34), E(35), E(36), E(37), E(38), E(39), E(40),
    E(41), E(42), E(43), E(44), E(45), E(46), E(47), E(48), E(49), E(50), E(51), E(52), E(53),
    E(54), E(55), E(56), E(57), E(58), E(59), E(60), E(61), E(62), E(63), E(64), E(65), E(66),
    E(67), E(68), E(69), E(70), E(71), E(72), E(73), E(74), E(75), E(76), E(77), E(78), E(79),
    E(80), E(81), E(82), E(83), E(84), E(85), E(86), E(87), E(88), E(89), E(90), E(91), E(92),
    E(93), E(94), E(95), E(96), E(97), E(98), E(99),
#undef E
};

const THtmlColorName HtmlColorTable[kColorCount] = {
    {"BLACK", 0x000000}, {"MAROON", 0x000080}, {"GREEN", 0x008000}, {"OLIVE", 0x008080},
    {"NAVY", 0x800000},  {"PURPLE", 0x800080}, {"TEAL", 0x808000},  {"GRAY", 0x808080},
    {"SILVER", 0xC0C0C0}, {"RED", 0x0000FF},   {"LIME", 0x00FF00},  {"YELLOW", 0x00FFFF},
    {"BLUE", 0xFF0000},  {"FUCHSIA", 0xFF00FF}, {"AQUA", 0xFFFF00}, {"WHITE", 0xFFFFFF},
};

namespace {
// The names of a table as views, measured once (look-ups run for every tag).
template <typename Entry, size_t N>
std::array<std::string_view, N> namesOf(const Entry (&table)[N]) {
    std::array<std::string_view, N> r;
    for (size_t i = 0; i < N; ++i) r[i] = table[i].Name;
    return r;
}
}  // namespace

THtmlSymbol LookupTag(std::string_view upperName, bool endTag) {
    static const auto names = namesOf(HtmlTagTable);
    for (int i = 0; i < kTagCount; ++i)
        if (upperName == names[static_cast<size_t>(i)]) return endTag ? HtmlTagTable[i].End : HtmlTagTable[i].Start;
    return symUnknownTag;
}

THtmlSymbol LookupAttribute(std::string_view upperName) {
    static const auto names = namesOf(HtmlAttributeTable);
    for (size_t i = 0; i < names.size(); ++i)
        if (upperName == names[i]) return HtmlAttributeTable[i].Symbol;
    return symUnknownAttr;
}

namespace {
struct TEntityCodePoint {
    const char* Name;
    char32_t Char;
};
// The HTML 4 names beyond the Latin-1 ones of the entity table.
constexpr TEntityCodePoint kMoreEntities[] = {
    {"OElig", 0x0152}, {"oelig", 0x0153}, {"Scaron", 0x0160}, {"scaron", 0x0161}, {"Yuml", 0x0178},
    {"circ", 0x02C6}, {"tilde", 0x02DC}, {"ensp", 0x2002}, {"emsp", 0x2003}, {"thinsp", 0x2009},
    {"zwnj", 0x200C}, {"zwj", 0x200D}, {"lrm", 0x200E}, {"rlm", 0x200F}, {"ndash", 0x2013},
    {"mdash", 0x2014}, {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"sbquo", 0x201A}, {"ldquo", 0x201C},
    {"rdquo", 0x201D}, {"bdquo", 0x201E}, {"dagger", 0x2020}, {"Dagger", 0x2021}, {"permil", 0x2030},
    {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"euro", 0x20AC}, {"fnof", 0x0192}, {"Alpha", 0x0391},
    {"Beta", 0x0392}, {"Gamma", 0x0393}, {"Delta", 0x0394}, {"Epsilon", 0x0395}, {"Zeta", 0x0396},
    {"Eta", 0x0397}, {"Theta", 0x0398}, {"Iota", 0x0399}, {"Kappa", 0x039A}, {"Lambda", 0x039B},
    {"Mu", 0x039C}, {"Nu", 0x039D}, {"Xi", 0x039E}, {"Omicron", 0x039F}, {"Pi", 0x03A0}, {"Rho", 0x03A1},
    {"Sigma", 0x03A3}, {"Tau", 0x03A4}, {"Upsilon", 0x03A5}, {"Phi", 0x03A6}, {"Chi", 0x03A7},
    {"Psi", 0x03A8}, {"Omega", 0x03A9}, {"alpha", 0x03B1}, {"beta", 0x03B2}, {"gamma", 0x03B3},
    {"delta", 0x03B4}, {"epsilon", 0x03B5}, {"zeta", 0x03B6}, {"eta", 0x03B7}, {"theta", 0x03B8},
    {"iota", 0x03B9}, {"kappa", 0x03BA}, {"lambda", 0x03BB}, {"mu", 0x03BC}, {"nu", 0x03BD},
    {"xi", 0x03BE}, {"omicron", 0x03BF}, {"pi", 0x03C0}, {"rho", 0x03C1}, {"sigmaf", 0x03C2},
    {"sigma", 0x03C3}, {"tau", 0x03C4}, {"upsilon", 0x03C5}, {"phi", 0x03C6}, {"chi", 0x03C7},
    {"psi", 0x03C8}, {"omega", 0x03C9}, {"thetasym", 0x03D1}, {"upsih", 0x03D2}, {"piv", 0x03D6},
    {"bull", 0x2022}, {"hellip", 0x2026}, {"prime", 0x2032}, {"Prime", 0x2033}, {"oline", 0x203E},
    {"frasl", 0x2044}, {"weierp", 0x2118}, {"image", 0x2111}, {"real", 0x211C}, {"trade", 0x2122},
    {"alefsym", 0x2135}, {"larr", 0x2190}, {"uarr", 0x2191}, {"rarr", 0x2192}, {"darr", 0x2193},
    {"harr", 0x2194}, {"crarr", 0x21B5}, {"lArr", 0x21D0}, {"uArr", 0x21D1}, {"rArr", 0x21D2},
    {"dArr", 0x21D3}, {"hArr", 0x21D4}, {"forall", 0x2200}, {"part", 0x2202}, {"exist", 0x2203},
    {"empty", 0x2205}, {"nabla", 0x2207}, {"isin", 0x2208}, {"notin", 0x2209}, {"ni", 0x220B},
    {"prod", 0x220F}, {"sum", 0x2211}, {"minus", 0x2212}, {"lowast", 0x2217}, {"radic", 0x221A},
    {"prop", 0x221D}, {"infin", 0x221E}, {"ang", 0x2220}, {"and", 0x2227}, {"or", 0x2228}, {"cap", 0x2229},
    {"cup", 0x222A}, {"int", 0x222B}, {"there4", 0x2234}, {"sim", 0x223C}, {"cong", 0x2245},
    {"asymp", 0x2248}, {"ne", 0x2260}, {"equiv", 0x2261}, {"le", 0x2264}, {"ge", 0x2265}, {"sub", 0x2282},
    {"sup", 0x2283}, {"nsub", 0x2284}, {"sube", 0x2286}, {"supe", 0x2287}, {"oplus", 0x2295},
    {"otimes", 0x2297}, {"perp", 0x22A5}, {"sdot", 0x22C5}, {"lceil", 0x2308}, {"rceil", 0x2309},
    {"lfloor", 0x230A}, {"rfloor", 0x230B}, {"lang", 0x2329}, {"rang", 0x232A}, {"loz", 0x25CA},
    {"spades", 0x2660}, {"clubs", 0x2663}, {"hearts", 0x2665}, {"diams", 0x2666},
};
static_assert(std::size(kMoreEntities) + kEntityCount == 252);
}  // namespace

bool LookupEntityCodePoint(std::string_view name, char32_t& c) {
    for (const auto& e : kMoreEntities)
        if (name == e.Name) {
            c = e.Char;
            return true;
        }
    return false;
}

bool LookupEntity(std::string_view name, unsigned char& ch) {
    for (const auto& e : HtmlEntityTable)
        if (name == e.Name) {
            ch = e.Char;
            return true;
        }
    return false;
}

bool KeepsAttributes(THtmlSymbol tag) {
    switch (tag) {
        case symBODY: case symP: case symBR: case symH: case symHR: case symBASE: case symOL:
        case symUL: case symIMG: case symA: case symTABLE: case symTD: case symTR: case symTH:
        case symCAPTION: case symINPUT: case symFORM: case symTEXTAREA: case symSELECT:
        case symOPTION: case symFONT: case symBASEFONT: case symMAP: case symAREA:
        case symFRAMESET: case symFRAME: case symSCRIPT: case symDIV: case symBGSOUND:
        case symWRAP: case symMETA:
            return true;
        default:
            return false;
    }
}

std::string SymbolName(THtmlSymbol sym) {
    switch (sym) {
        case symText: return "Text";
        case symEndOfInput: return "EndOfInput";
        case symOther: return "Other";
        case symUnknownTag: return "UnknownTag";
        case symLineEnd: return "LineEnd";
        case symUnknownAttr: return "UnknownAttr";
        default: break;
    }
    for (const auto& t : HtmlTagTable) {
        if (t.Start == sym) return t.Name;
        if (t.End == sym) return std::string("/") + t.Name;
    }
    for (const auto& a : HtmlAttributeTable)
        if (a.Symbol == sym) return a.Name;
    return "?";
}

bool ParseColor(std::string_view text, TColor& color) {
    if (text.empty()) return false;
    std::string s = platform::AsciiUpper(text.substr(0, 10));
    for (const auto& c : HtmlColorTable)
        if (s == c.Name) {
            color = c.Value;
            return true;
        }
    size_t hash = s.find('#');
    if (hash != std::string::npos) s.erase(hash, 1);
    if (s.empty()) return false;
    unsigned long long v = 0;
    for (char ch : s) {
        int d = ch >= '0' && ch <= '9' ? ch - '0' : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10 : -1;
        if (d < 0) return false;
        v = v * 16 + static_cast<unsigned>(d);
    }
    v &= 0xFFFFFF;  // only the RRGGBB part is a colour
    color = static_cast<TColor>(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
    return true;
}

}  // namespace htmlview
