#pragma once
// Legacy text in any code page the toolkit knows by name ("Shift_JIS",
// "windows-1250"), for text whose source names its code page (translation
// files). A page given by its Windows number (RTF) is WindowsCodePage.h's.
// Files in Windows-1252 need only platform/core/runtime/LegacyText.h.
#include <string>
#include <string_view>

#include "platform/core/runtime/LegacyText.h"

namespace platform {

// Bytes in an encoding (after any BOM) as UTF-8. legacyCodePage names the
// code page; Windows-1252 is the program's own table, and a name the toolkit
// does not know reads as Windows-1252.
std::string DecodeText(std::string_view bytes, TextEncoding encoding, const std::string& legacyCodePage);

// A whole file's bytes as UTF-8: detected, BOM dropped, decoded.
std::string DecodeLegacyText(const std::string& bytes, const std::string& legacyCodePage);

}  // namespace platform
