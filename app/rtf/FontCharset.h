#pragma once
// The code pages of RTF text: a font's \fcharset names a Windows character
// set, \ansicpg and \cpg a code page; \'hh bytes are characters of that
// code page. Code pages convert through platform/core/codepage; the Symbol
// font has its own characters.
#include <string>
#include <string_view>

namespace rtf {

inline constexpr int kAnsiCodePage = 1252;
inline constexpr int kSymbolCodePage = 42;  // Windows' CP_SYMBOL
inline constexpr int kSymbolCharset = 2;

// The code page of a Windows character set; 0 for the sets that name none
// of their own (1 default, 2 symbol, sets nobody knows).
int CharsetCodePage(int charset);

// Faces of the symbol character set (Symbol, Wingdings, Webdings),
// whatever a file declares for them.
bool IsSymbolFace(const std::string& name);

// The code page of a font's text. The Symbol font has kSymbolCodePage
// whatever its \fcharset says; the other symbol faces (Wingdings) read as
// the document. Otherwise its \cpg (0: none), else its \fcharset (-1:
// none; 0 is Western, 1252), else the document's.
int FontCodePage(const std::string& name, int charset, int cpg, int documentCodePage);

// Bytes of a code page as UTF-8. A code page no converter knows reads as
// 1252 and clears known.
std::string DecodeCodePage(std::string_view bytes, int codePage, bool& known);

// The character set a font is written with: 2 for the symbol faces and the
// fonts read with set 2; the set it was read with when that set's code page
// holds its name; else the first common set whose code page does (0 for a
// Western name).
int WrittenCharset(const std::string& name, int charset);

}  // namespace rtf
