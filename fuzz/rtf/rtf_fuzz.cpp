// libFuzzer target for the RTF reader: any bytes as a rich-text file, read
// and, when they read, written and read again. Every outcome must be a
// document or a clean RtfError; the sanitizers catch the rest.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/rtf/Rtf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const rtf::Document doc = rtf::Read(bytes);
        const rtf::Document again = rtf::Read(rtf::Write(doc));
        if (again.PlainText().size() > doc.PlainText().size() * 4 + 16) __builtin_trap();
    } catch (const rtf::RtfError&) {
        // Rejecting bad input is the reader's job; only crashes count here.
    }
    return 0;
}
