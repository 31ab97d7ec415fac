#pragma once
// THtmlSymbol: every token kind, tag start and end symbol and attribute
// symbol of the viewer in one enumeration that fits a byte. The tag and
// attribute lists here are the tokeniser's tables, in table order.
#include <bitset>
#include <cstdint>

namespace htmlview {

// The 48 tags that have an end symbol, then the 16 that have none.
#define HTMLVIEW_TAGS_WITH_END(X)                                                                 \
    X(HTML) X(TITLE) X(BODY) X(HEAD) X(B) X(I) X(H) X(EM) X(STRONG) X(U) X(CITE) X(VAR) X(TT)     \
    X(CODE) X(KBD) X(SAMP) X(OL) X(UL) X(DIR) X(MENU) X(DL) X(A) X(ADDRESS) X(BLOCKQUOTE) X(PRE) \
    X(CENTER) X(TABLE) X(TD) X(TH) X(CAPTION) X(FORM) X(TEXTAREA) X(SELECT) X(OPTION) X(FONT)    \
    X(SUB) X(SUP) X(BIG) X(SMALL) X(P) X(MAP) X(FRAMESET) X(NOFRAMES) X(SCRIPT) X(DIV) X(S)      \
    X(STRIKE) X(TR)
#define HTMLVIEW_TAGS_WITHOUT_END(X)                                                            \
    X(LI) X(BR) X(HR) X(DD) X(DT) X(IMG) X(BASE) X(BUTTON) X(INPUT) X(SELECTED) X(BASEFONT)     \
    X(AREA) X(FRAME) X(BGSOUND) X(WRAP) X(META)
// Attribute names; the second VALUE of the table is the same symbol.
#define HTMLVIEW_ATTRIBUTES(X)                                                                     \
    X(HREF) X(NAME) X(SRC) X(ALT) X(ALIGN) X(TEXT) X(BGCOLOR) X(LINK) X(BACKGROUND) X(COLSPAN)   \
    X(ROWSPAN) X(BORDER) X(CELLPADDING) X(CELLSPACING) X(VALIGN) X(WIDTH) X(START) X(VALUE)      \
    X(TYPE) X(CHECKBOX) X(RADIO) X(METHOD) X(ACTION) X(CHECKED) X(SIZE) X(MAXLENGTH) X(COLS)     \
    X(ROWS) X(MULTIPLE) X(SELECTED) X(FACE) X(COLOR) X(TRANSP) X(CLEAR) X(ISMAP)                 \
    X(BORDERCOLOR) X(USEMAP) X(SHAPE) X(COORDS) X(NOHREF) X(HEIGHT) X(PLAIN) X(TARGET)           \
    X(NORESIZE) X(SCROLLING) X(HSPACE) X(LANGUAGE) X(FRAMEBORDER) X(MARGINWIDTH)                 \
    X(MARGINHEIGHT) X(LOOP) X(ONCLICK) X(WRAP) X(NOSHADE) X(HTTP_EQUIV) X(CONTENT) X(ENCTYPE)

enum THtmlSymbol : std::uint8_t {
    symText,
    symEndOfInput,
    symOther,
    symUnknownTag,
    symLineEnd,
#define HTMLVIEW_START(n) sym##n,
    HTMLVIEW_TAGS_WITH_END(HTMLVIEW_START) HTMLVIEW_TAGS_WITHOUT_END(HTMLVIEW_START)
#undef HTMLVIEW_START
#define HTMLVIEW_END(n) symEnd##n,
    HTMLVIEW_TAGS_WITH_END(HTMLVIEW_END)
#undef HTMLVIEW_END
#define HTMLVIEW_ATTR(n) attr##n,
    HTMLVIEW_ATTRIBUTES(HTMLVIEW_ATTR)
#undef HTMLVIEW_ATTR
    symUnknownAttr,
    symLast = symUnknownAttr
};
static_assert(symLast < 255, "symbols must fit a byte");

// A set of symbols, as the parser's stop sets use them.
using TSymbolSet = std::bitset<256>;

}  // namespace htmlview
