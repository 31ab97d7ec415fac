#pragma once
// Single-byte Windows code pages used where text crosses into the HTML
// viewer or out of legacy files. Characters outside the code page become '?'.
#include <string>

namespace platform {

std::string Utf8ToCp1252(const std::string& utf8);
// The Windows-1252 byte of a Unicode character; false when the code page has none.
bool CodePointToCp1252(char32_t c, unsigned char& byte);
std::string Cp1252ToUtf8(const std::string& bytes);
bool IsValidUtf8(const std::string& bytes);
// Appends the UTF-8 bytes of a Unicode character.
void AppendUtf8(std::string& out, char32_t c);
bool HasNonAscii(const std::string& bytes);

}  // namespace platform
