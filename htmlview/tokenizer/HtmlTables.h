#pragma once
// The tokeniser's fixed vocabulary: tag, attribute, entity and colour names.
#include "htmlview/util/Colors.h"
#include "htmlview/util/HtmlSymbols.h"

#include <string>
#include <string_view>

namespace htmlview {

constexpr int kTagCount = 64;
constexpr int kTagsWithEnd = 48;
constexpr int kAttributeCount = 58;
constexpr int kEntityCount = 100;
constexpr int kColorCount = 16;

struct THtmlTag {
    const char* Name;
    THtmlSymbol Start;
    THtmlSymbol End;  // symUnknownTag for the tags without an end form
};
extern const THtmlTag HtmlTagTable[kTagCount];

struct THtmlAttributeName {
    const char* Name;
    THtmlSymbol Symbol;
};
extern const THtmlAttributeName HtmlAttributeTable[kAttributeCount];

struct THtmlEntity {
    const char* Name;
    unsigned char Char;
};
extern const THtmlEntity HtmlEntityTable[kEntityCount];

struct THtmlColorName {
    const char* Name;
    TColor Value;
};
extern const THtmlColorName HtmlColorTable[kColorCount];

// Table look-ups (exact match; names of tags and attributes upper-cased).
THtmlSymbol LookupTag(std::string_view upperName, bool endTag);
THtmlSymbol LookupAttribute(std::string_view upperName);
// The character of an entity name (case-sensitive); false when unknown.
bool LookupEntity(std::string_view name, unsigned char& ch);
// The Unicode character of an HTML 4 entity name that the table above does
// not hold (Greek, symbols, typographic punctuation); false when unknown.
bool LookupEntityCodePoint(std::string_view name, char32_t& c);
// Whether the attributes of a tag's start symbol are kept.
bool KeepsAttributes(THtmlSymbol tag);
// Readable names of symbols for probes and messages ("B", "/B", "HREF", "Text").
std::string SymbolName(THtmlSymbol sym);

// A colour from a name of the colour table or hexadecimal RRGGBB, in
// 0x00BBGGRR order, always within 24 bits. False for an empty or unknown text.
bool ParseColor(std::string_view text, TColor& color);

}  // namespace htmlview
