#pragma once
// A notes file as the rich-edit control takes it: RTF when it starts as RTF,
// otherwise plain text, one paragraph per line (CR LF, LF or CR), decoded by
// its byte-order mark, else as UTF-8 when valid, else as code page 1252.
#include <string>
#include <string_view>

#include "app/rtf/Rtf.h"

namespace rtf {

// Plain text bytes as UTF-8 with "\n" line ends (BOM, else UTF-8, else 1252).
std::string DecodePlainText(std::string_view bytes);

// Raises RtfError for RTF that cannot be read.
Document ReadRichOrPlain(std::string_view bytes);

}  // namespace rtf
