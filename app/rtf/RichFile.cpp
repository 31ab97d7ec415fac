#include "app/rtf/RichFile.h"

#include <QString>

#include "platform/core/runtime/Codepage.h"

namespace rtf {

namespace {

std::string DecodeBytes(std::string_view bytes) {
    auto starts = [&](std::string_view bom) { return bytes.substr(0, bom.size()) == bom; };
    if (starts("\xEF\xBB\xBF")) return std::string(bytes.substr(3));
    const bool le = starts("\xFF\xFE"), be = starts("\xFE\xFF");
    if (le || be) {
        std::u16string units;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
            units += static_cast<char16_t>(le ? (b << 8 | a) : (a << 8 | b));
        }
        return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size())).toStdString();
    }
    const std::string s(bytes);
    return platform::IsValidUtf8(s) ? s : platform::Cp1252ToUtf8(s);
}

}  // namespace

std::string DecodePlainText(std::string_view bytes) {
    const std::string text = DecodeBytes(bytes);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

Document ReadRichOrPlain(std::string_view bytes) {
    if (IsRtf(bytes)) return Read(bytes);
    const std::string text = DecodePlainText(bytes);
    Document d;
    Paragraph p;
    auto end = [&] {
        d.paragraphs.push_back(std::move(p));
        p = Paragraph{};
    };
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            if (!line.empty()) p.runs.push_back({std::move(line), CharFormat{}});
            line.clear();
            end();
        } else {
            line += c;
        }
    }
    if (!line.empty()) p.runs.push_back({std::move(line), CharFormat{}});
    if (!p.runs.empty() || d.paragraphs.empty()) end();
    return d;
}

}  // namespace rtf
