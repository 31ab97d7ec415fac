#include "platform/core/codepage/LegacyCodePage.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

namespace platform {

namespace {

bool IsWindows1252(const std::string& name) {
    return QString::fromStdString(name).compare("windows-1252", Qt::CaseInsensitive) == 0 ||
           QString::fromStdString(name).compare("cp1252", Qt::CaseInsensitive) == 0;
}

}  // namespace

std::string DecodeText(std::string_view bytes, TextEncoding encoding, const std::string& legacyCodePage) {
    if (encoding != TextEncoding::LegacyCodePage || IsWindows1252(legacyCodePage)) return DecodeText(bytes, encoding);
    QStringDecoder legacy(legacyCodePage.c_str(), QStringConverter::Flag::Stateless);
    // Every code page we name is known to the toolkit; fall back to the
    // Windows Latin page rather than lose the file.
    if (!legacy.isValid()) return DecodeText(bytes, encoding);
    QString text = legacy.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return text.toStdString();
}

std::string DecodeLegacyText(const std::string& bytes, const std::string& legacyCodePage) {
    const TextEncoding encoding = DetectTextEncoding(bytes);
    return DecodeText(std::string_view(bytes).substr(BomSize(encoding)), encoding, legacyCodePage);
}

}  // namespace platform
