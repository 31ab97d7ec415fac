#include "installer/translator/TextDecoding.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include "platform/runtime/Codepage.h"

namespace installer {

namespace {

bool StartsWith(const std::string& bytes, const char* prefix, size_t n) {
    return bytes.size() >= n && bytes.compare(0, n, prefix, n) == 0;
}

std::string Decode(QStringDecoder& decoder, const char* data, size_t size) {
    QString text = decoder.decode(QByteArrayView(data, static_cast<qsizetype>(size)));
    return text.toStdString();
}

}  // namespace

std::string DecodeLegacyText(const std::string& bytes, const std::string& legacyCodePage) {
    const auto flags = QStringConverter::Flag::Stateless;
    if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) return bytes.substr(3);
    if (StartsWith(bytes, "\xFF\xFE", 2)) {
        QStringDecoder d(QStringConverter::Utf16LE, flags);
        return Decode(d, bytes.data() + 2, bytes.size() - 2);
    }
    if (StartsWith(bytes, "\xFE\xFF", 2)) {
        QStringDecoder d(QStringConverter::Utf16BE, flags);
        return Decode(d, bytes.data() + 2, bytes.size() - 2);
    }
    if (platform::IsValidUtf8(bytes)) return bytes;
    QStringDecoder legacy(legacyCodePage.c_str(), flags);
    if (!legacy.isValid()) {
        // Every code page we name is known to the toolkit; fall back to the
        // Windows Latin page rather than lose the file.
        return platform::Cp1252ToUtf8(bytes);
    }
    return Decode(legacy, bytes.data(), bytes.size());
}

std::vector<std::string> SplitTextLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

}  // namespace installer
