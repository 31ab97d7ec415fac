#pragma once
// The code pages of RTF text: a font's \fcharset names a Windows character
// set, \ansicpg and \cpg a code page; \'hh bytes are characters of that
// code page. Code pages decode through the toolkit's converters; the
// Symbol font has its own characters.
#include <string>
#include <string_view>

namespace rtf {

inline constexpr int kAnsiCodePage = 1252;
inline constexpr int kSymbolCodePage = 42;  // Windows' CP_SYMBOL

// The code page of a font's text: its \cpg (0: none), else its \fcharset
// (-1: none; 0 is Western, 1252), else the document's. The Symbol font
// (character set 2 or none) has kSymbolCodePage; other fonts of set 2
// (Wingdings) the document's.
int FontCodePage(const std::string& name, int charset, int cpg, int documentCodePage);

// Bytes of a code page as UTF-8; a code page the toolkit does not know
// reads as 1252.
std::string DecodeCodePage(std::string_view bytes, int codePage);

}  // namespace rtf
