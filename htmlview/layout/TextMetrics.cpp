#include "htmlview/layout/TextMetrics.h"

#include "htmlview/layout/Font.h"
#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Text.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QString>

namespace htmlview {

namespace {
constexpr char16_t kHigh[32] = {0x20AC, 0x81, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D, 0x017D, 0x8F,
                                0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D, 0x017E, 0x0178};

TextMetrics* gInstalled = nullptr;

// A 96-DPI surface to measure on, so sizes do not follow the screen.
const QImage& measureSurface() {
    static QImage img = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        i.setDotsPerMeterX(3780);
        i.setDotsPerMeterY(3780);
        return i;
    }();
    return img;
}

TWindowsFaces gFaces = TWindowsFaces::DejaVu;

QString familyFor(const std::string& name) {
    const std::string n = platform::AsciiLower(name);
    if (gFaces == TWindowsFaces::Liberation) {
        if (n == "times new roman") return QStringLiteral("Liberation Serif");
        if (n == "arial") return QStringLiteral("Liberation Sans");
        if (n == "courier new") return QStringLiteral("Liberation Mono");
    }
    if (n == "courier new" || n == "courier" || n == "lucida console" || n == "fixedsys")
        return QStringLiteral("DejaVu Sans Mono");
    if (n == "times new roman" || n == "times" || n == "georgia" || n == "serif")
        return QStringLiteral("DejaVu Serif");
    if (n == "arial" || n == "ms sans serif" || n == "helvetica" || n == "verdana" || n == "tahoma" ||
        n == "ms shell dlg" || n.empty())
        return QStringLiteral("DejaVu Sans");
    return QString::fromStdString(name);
}
}  // namespace

void SetWindowsFaces(TWindowsFaces faces) { gFaces = faces; }
TWindowsFaces WindowsFaces() { return gFaces; }

char16_t Cp1252Char(unsigned char c) { return c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c; }

TTextMetric FakeTextMetrics::Metrics(const TFont&) {
    TTextMetric m;
    m.Height = Height;
    m.Descent = Descent;
    m.Ascent = Height - Descent;
    m.ExternalLeading = ExternalLeading;
    m.Overhang = Overhang;
    return m;
}

int FakeTextMetrics::TextWidth(const TFont&, std::string_view text) {
    return static_cast<int>(text.size()) * CharWidth + (text.empty() ? 0 : Overhang);
}

QFont QtTextMetrics::ToQFont(const TFont& font) {
    QFont f(familyFor(font.Name()));
    int px = MulDiv(font.Size() < 0 ? -font.Size() : font.Size(), 96, 72);
    if (font.Size() < 0) px = -font.Size();
    f.setPixelSize(px > 0 ? px : 1);
    f.setBold(font.Style() & fsBold);
    f.setItalic(font.Style() & fsItalic);
    f.setUnderline(font.Style() & fsUnderline);
    f.setStrikeOut(font.Style() & fsStrikeOut);
    f.setKerning(false);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferNoShaping | QFont::NoSubpixelAntialias));
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

const QtTextMetrics::Entry& QtTextMetrics::entry(const TFont& font) {
    const Key key{font.Name(), font.Size(), static_cast<int>(font.Style())};
    if (lastKey_ && lastKey_->view() == key) return *lastEntry_;
    auto it = cache_.find(key);
    if (it == cache_.end()) {
        QFont qf = ToQFont(font);
        QFontMetrics fm(qf, &measureSurface());
        Entry e;
        e.metric.Ascent = fm.ascent();
        e.metric.Descent = fm.descent();
        e.metric.Height = fm.ascent() + fm.descent();
        e.metric.ExternalLeading = fm.leading() > 0 ? fm.leading() : 0;
        e.metric.Overhang = 0;
        for (int c = 0; c < 256; ++c) {
            QChar ch(Cp1252Char(static_cast<unsigned char>(c)));
            e.widths[static_cast<size_t>(c)] = c < 32 ? 0 : static_cast<std::uint16_t>(fm.horizontalAdvance(ch));
        }
        it = cache_.emplace(StoredKey{font.Name(), key.size, key.style}, e).first;
    }
    lastKey_ = &it->first;
    lastEntry_ = &it->second;
    return it->second;
}

TTextMetric QtTextMetrics::Metrics(const TFont& font) { return entry(font).metric; }

int QtTextMetrics::TextWidth(const TFont& font, std::string_view text) {
    const Entry& e = entry(font);
    int w = 0;
    for (unsigned char c : text) w += e.widths[c];
    return w;
}

TextMetrics& ScreenMetrics() {
    static QtTextMetrics qt;
    return gInstalled ? *gInstalled : qt;
}

void SetScreenMetrics(TextMetrics* m) { gInstalled = m; }

}  // namespace htmlview
