#include "platform/runtime/LegacyText.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include "platform/runtime/Codepage.h"

namespace platform {

namespace {

bool StartsWith(std::string_view bytes, std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; }

std::string Decode(QStringDecoder& decoder, std::string_view bytes) {
    QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return text.toStdString();
}

bool IsWindows1252(const std::string& name) {
    return QString::fromStdString(name).compare("windows-1252", Qt::CaseInsensitive) == 0 ||
           QString::fromStdString(name).compare("cp1252", Qt::CaseInsensitive) == 0;
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

std::string DecodeText(std::string_view bytes, TextEncoding encoding, const std::string& legacyCodePage) {
    const auto flags = QStringConverter::Flag::Stateless;
    switch (encoding) {
        case TextEncoding::Utf8:
        case TextEncoding::Utf8Bom: return std::string(bytes);
        case TextEncoding::Utf16LE: {
            QStringDecoder d(QStringConverter::Utf16LE, flags);
            return Decode(d, bytes);
        }
        case TextEncoding::Utf16BE: {
            QStringDecoder d(QStringConverter::Utf16BE, flags);
            return Decode(d, bytes);
        }
        case TextEncoding::LegacyCodePage: break;
    }
    if (IsWindows1252(legacyCodePage)) return Cp1252ToUtf8(std::string(bytes));
    QStringDecoder legacy(legacyCodePage.c_str(), flags);
    // Every code page we name is known to the toolkit; fall back to the
    // Windows Latin page rather than lose the file.
    if (!legacy.isValid()) return Cp1252ToUtf8(std::string(bytes));
    return Decode(legacy, bytes);
}

std::string DecodeLegacyText(const std::string& bytes, const std::string& legacyCodePage) {
    const TextEncoding encoding = DetectTextEncoding(bytes);
    return DecodeText(std::string_view(bytes).substr(BomSize(encoding)), encoding, legacyCodePage);
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
