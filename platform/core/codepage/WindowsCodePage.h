#pragma once
// Text in a Windows code page given by its number (RTF's \ansicpg and \cpg,
// a font's character set): through the toolkit's converters, else the C
// library's (iconv), under the names each knows the page by. A page no
// converter knows is reported, never silently read as another.
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// True when some converter reads and writes the code page.
bool KnowsCodePage(int codePage);

// Bytes of the code page as UTF-8; nothing when no converter knows it.
// Bytes the page leaves undefined become U+FFFD.
std::optional<std::string> DecodeCodePage(std::string_view bytes, int codePage);

// UTF-8 text as bytes of the code page; nothing when the page is unknown or
// a character has no byte sequence there.
std::optional<std::string> EncodeCodePage(const std::string& utf8, int codePage);

}  // namespace platform
