#include "platform/core/runtime/LegacyText.h"

#include "platform/core/runtime/Codepage.h"

namespace platform {

namespace {

bool StartsWith(std::string_view bytes, std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; }

// UTF-16 as the toolkit's stateless decoder reads it, so that files read the
// same whichever layer decodes them: a leading BOM dropped, a lone surrogate
// as '?', a final odd byte as U+FFFD (unless it is the only byte).
std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    auto unit = [&](std::size_t i) -> char16_t {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? static_cast<char16_t>(a << 8 | b) : static_cast<char16_t>(b << 8 | a);
    };
    auto isHigh = [](char16_t u) { return u >= 0xD800 && u < 0xDC00; };
    auto isLow = [](char16_t u) { return u >= 0xDC00 && u < 0xE000; };
    std::string out;
    std::size_t i = bytes.size() >= 2 && unit(0) == 0xFEFF ? 2 : 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const char16_t u = unit(i);
        if (isHigh(u) && i + 3 < bytes.size() && isLow(unit(i + 2))) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (unit(i + 2) - 0xDC00));
            i += 2;
        } else if (isHigh(u) || isLow(u)) {
            out += '?';
        } else {
            AppendUtf8(out, u);
        }
    }
    if (i < bytes.size() && bytes.size() > 1) AppendUtf8(out, 0xFFFD);
    return out;
}

}  // namespace

TextEncoding DetectTextEncoding(std::string_view bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) return TextEncoding::Utf8Bom;
    if (StartsWith(bytes, "\xFF\xFE")) return TextEncoding::Utf16LE;
    if (StartsWith(bytes, "\xFE\xFF")) return TextEncoding::Utf16BE;
    return IsValidUtf8(std::string(bytes)) ? TextEncoding::Utf8 : TextEncoding::LegacyCodePage;
}

std::size_t BomSize(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf8Bom: return 3;
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE: return 2;
        case TextEncoding::Utf8:
        case TextEncoding::LegacyCodePage: break;
    }
    return 0;
}

std::string DecodeText(std::string_view bytes, TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf8:
        case TextEncoding::Utf8Bom: return std::string(bytes);
        case TextEncoding::Utf16LE: return DecodeUtf16(bytes, false);
        case TextEncoding::Utf16BE: return DecodeUtf16(bytes, true);
        case TextEncoding::LegacyCodePage: break;
    }
    return Cp1252ToUtf8(std::string(bytes));
}

std::string DecodeLegacyText(const std::string& bytes) {
    const TextEncoding encoding = DetectTextEncoding(bytes);
    return DecodeText(std::string_view(bytes).substr(BomSize(encoding)), encoding);
}

std::vector<std::string> SplitTextLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

}  // namespace platform
