#include "platform/core/codepage/WindowsCodePage.h"

#include <iconv.h>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/core/runtime/Codepage.h"

namespace platform {

namespace {

// The names a code page goes by, the toolkit's (ICU's) first. Mac pages of
// the CJK scripts are their Windows siblings with a few single bytes moved.
std::vector<std::string> NamesOf(int cp) {
    const std::string n = std::to_string(cp);
    switch (cp) {
        case 932: return {"Shift_JIS", "CP932"};
        case 936: return {"GBK", "CP936"};
        case 949: return {"windows-949", "CP949"};
        case 950: return {"Big5", "CP950"};
        case 1361: return {"JOHAB", "CP1361"};
        case 10000: return {"macintosh", "MACINTOSH"};
        case 10001: return {"Shift_JIS", "CP932"};
        case 10002: return {"Big5", "CP950"};
        case 10003: return {"EUC-KR", "CP949"};
        case 10004: return {"x-mac-arabic"};
        case 10005: return {"x-mac-hebrew"};
        case 10006: return {"x-mac-greek"};
        case 10007: return {"x-mac-cyrillic", "MAC-CYRILLIC"};
        case 10008: return {"GB2312", "EUC-CN"};
        case 10010: return {"x-mac-romanian"};
        case 10017: return {"x-mac-ukrainian", "MACUKRAINIAN"};
        case 10021: return {"x-mac-thai"};
        case 10029: return {"x-mac-centraleurroman", "x-mac-ce", "MAC-CENTRALEUROPE"};
        case 10079: return {"x-mac-icelandic", "MAC-IS"};
        case 10081: return {"x-mac-turkish"};
        case 10082: return {"x-mac-croatian"};
        case 20127: return {"US-ASCII"};
        case 20866: return {"KOI8-R"};
        case 21866: return {"KOI8-U"};
        case 51932: return {"EUC-JP"};
        case 54936: return {"GB18030"};
        case 65001: return {"UTF-8"};
        default: break;
    }
    if (cp >= 28591 && cp <= 28606) return {"ISO-8859-" + std::to_string(cp - 28590)};
    if (cp == 874 || (cp >= 1250 && cp <= 1258)) return {"windows-" + n, "CP" + n};
    return {"windows-" + n, "IBM" + n, "CP" + n};
}

// One converter per page, found once: the toolkit's by one of the page's
// names, else iconv's.
struct Converter {
    std::string qtName;     // "" when the toolkit does not know the page
    std::string iconvName;  // "" when iconv does not either
    bool Known() const { return !qtName.empty() || !iconvName.empty(); }
};

bool IconvKnows(const std::string& name) {
    iconv_t cd = ::iconv_open("UTF-8", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    ::iconv_close(cd);
    return true;
}

// Pages are looked up once each; a file naming many odd pages (the cache
// keeps 256) costs a lookup per use beyond them.
Converter ConverterOf(int cp) {
    static std::mutex lock;
    static std::map<int, Converter> found;
    {
        const std::lock_guard guard(lock);
        const auto it = found.find(cp);
        if (it != found.end()) return it->second;
    }
    Converter c;
    if (cp > 0) {
        const std::vector<std::string> names = NamesOf(cp);
        for (const std::string& name : names)
            if (QStringDecoder(name.c_str()).isValid() && QStringEncoder(name.c_str()).isValid()) {
                c.qtName = name;
                break;
            }
        if (c.qtName.empty())
            for (const std::string& name : names)
                if (IconvKnows(name)) {
                    c.iconvName = name;
                    break;
                }
    }
    const std::lock_guard guard(lock);
    if (found.size() < 256) found.emplace(cp, c);
    return c;
}

// iconv over a whole buffer; bytes it cannot convert become U+FFFD (decoding)
// or fail the conversion (encoding).
std::optional<std::string> Iconv(const std::string& to, const std::string& from, std::string_view in, bool replace) {
    iconv_t cd = ::iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    const std::unique_ptr<void, int (*)(iconv_t)> closer(cd, ::iconv_close);
    std::string out;
    std::vector<char> buf(4096);
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    while (left > 0) {
        char* dst = buf.data();
        size_t room = buf.size();
        const size_t r = ::iconv(cd, &src, &left, &dst, &room);
        out.append(buf.data(), static_cast<size_t>(dst - buf.data()));
        if (r != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        if (!replace) return std::nullopt;
        out += "\xEF\xBF\xBD";  // an invalid or cut sequence: one byte at a time
        ++src;
        --left;
    }
    return out;
}

}  // namespace

bool KnowsCodePage(int codePage) { return codePage == 1252 || ConverterOf(codePage).Known(); }

std::optional<std::string> DecodeCodePage(std::string_view bytes, int codePage) {
    if (codePage == 1252) return Cp1252ToUtf8(std::string(bytes));
    const Converter c = ConverterOf(codePage);
    if (!c.qtName.empty()) {
        QStringDecoder decoder(c.qtName.c_str(), QStringConverter::Flag::Stateless);
        const QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        return text.toStdString();
    }
    if (!c.iconvName.empty()) return Iconv("UTF-8", c.iconvName, bytes, true);
    return std::nullopt;
}

std::optional<std::string> EncodeCodePage(const std::string& utf8, int codePage) {
    if (codePage != 1252 && !ConverterOf(codePage).Known()) return std::nullopt;
    // Character by character, each checked by reading it back: converters
    // differ in how they say a character has no byte.
    std::string out;
    const QString text = QString::fromStdString(utf8);
    for (char32_t ch : text.toUcs4()) {
        const std::string one = QString::fromUcs4(&ch, 1).toStdString();
        std::optional<std::string> bytes;
        if (codePage == 1252) {
            unsigned char b = 0;
            if (CodePointToCp1252(ch, b)) bytes = std::string(1, static_cast<char>(b));
        } else if (const Converter c = ConverterOf(codePage); !c.qtName.empty()) {
            QStringEncoder encoder(c.qtName.c_str(), QStringConverter::Flag::Stateless);
            const QByteArray b = encoder.encode(QString::fromStdString(one));
            if (!encoder.hasError()) bytes = b.toStdString();
        } else {
            bytes = Iconv(c.iconvName, "UTF-8", one, false);
        }
        if (!bytes || bytes->empty() || DecodeCodePage(*bytes, codePage) != one) return std::nullopt;
        out += *bytes;
    }
    return out;
}

}  // namespace platform
