#pragma once
// Reading legacy text files that may come from Windows (translation files,
// INI files): by their BOM, else as UTF-8 when the bytes are valid UTF-8,
// else by the legacy code page of their source. CR LF, LF and CR all end a
// line. Nothing here needs a toolkit: UTF-16 and Windows-1252 are our own.
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

// Bytes in an encoding (after any BOM) as UTF-8, legacy bytes read as
// Windows-1252. Other legacy code pages are in platform/core/codepage.
std::string DecodeText(std::string_view bytes, TextEncoding encoding);

// A whole file's bytes as UTF-8: detected, BOM dropped, decoded; legacy
// bytes as Windows-1252.
std::string DecodeLegacyText(const std::string& bytes);

// Lines as a string list reads them: no empty line after a final line end.
std::vector<std::string> SplitTextLines(std::string_view text);

}  // namespace platform
