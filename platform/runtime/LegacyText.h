#pragma once
// Reading legacy text files that may come from Windows (translation files,
// INI files): by their BOM, else as UTF-8 when the bytes are valid UTF-8,
// else by the legacy code page of their source. CR LF, LF and CR all end a
// line.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class TextEncoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, LegacyCodePage };

// How a file's bytes are to be read.
TextEncoding DetectTextEncoding(std::string_view bytes);
// The bytes of the BOM that leads a file in this encoding.
std::size_t BomSize(TextEncoding encoding);

// Bytes in an encoding (after any BOM) as UTF-8. legacyCodePage names the
// code page ("windows-1252", "Shift_JIS"); Windows-1252 is the program's
// own table, and a name the toolkit does not know reads as Windows-1252.
std::string DecodeText(std::string_view bytes, TextEncoding encoding, const std::string& legacyCodePage);

// A whole file's bytes as UTF-8: detected, BOM dropped, decoded.
std::string DecodeLegacyText(const std::string& bytes, const std::string& legacyCodePage);

// Lines as a string list reads them: no empty line after a final line end.
std::vector<std::string> SplitTextLines(std::string_view text);

}  // namespace platform
