#pragma once
// The Symbol font's characters: RTF files write Greek letters and
// mathematical signs as plain bytes in that font ("W" shows as an omega).

namespace rtf {

// The Unicode character the Symbol font shows for a byte; U+FFFD where the
// font has none. Bytes below 0x20 are not characters.
char32_t SymbolFontCharacter(unsigned char byte);

}  // namespace rtf
