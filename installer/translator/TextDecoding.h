#pragma once
// Turning the bytes of a translation file into UTF-8 lines: by its BOM, else
// as UTF-8 when the bytes are valid UTF-8, else by the given legacy code page.
// CR LF, LF and CR all end a line.
#include <string>
#include <vector>

namespace installer {

// legacyCodePage is a decoder name such as "windows-1252" or "Shift_JIS".
std::string DecodeLegacyText(const std::string& bytes, const std::string& legacyCodePage);

// Lines as a string list reads them: no empty line after a final line end.
std::vector<std::string> SplitTextLines(const std::string& text);

}  // namespace installer
