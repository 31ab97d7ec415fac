#include "htmlview/images/ViewerPalette.h"

#include <QGuiApplication>
#include <QScreen>

namespace htmlview {

namespace {
constexpr TColor rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

int screenBits() {
    const QScreen* s = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen()
                                                                                   : nullptr;
    return DisplayBitsFor(s ? s->depth() : 24, 1);
}

int& displayBits() {
    static int bits = screenBits();
    return bits;
}
}  // namespace

int DisplayBitsFor(int bitsPerPixel, int planes) {
    const long long v = static_cast<long long>(bitsPerPixel) * planes;
    return v <= 4 ? 4 : v > 8 ? 24 : 8;
}

int DisplayBits() { return displayBits(); }
void SetDisplayBits(int bits) { displayBits() = DisplayBitsFor(bits, 1); }

TPaletteEntries StandardSystemPalette() {
    TPaletteEntries p{};
    const TColor low[10] = {rgb(0, 0, 0),       rgb(128, 0, 0),     rgb(0, 128, 0),     rgb(128, 128, 0),
                            rgb(0, 0, 128),     rgb(128, 0, 128),   rgb(0, 128, 128),   rgb(192, 192, 192),
                            rgb(192, 220, 192), rgb(166, 202, 240)};
    const TColor high[10] = {rgb(255, 251, 240), rgb(160, 160, 164), rgb(128, 128, 128), rgb(255, 0, 0),
                             rgb(0, 255, 0),     rgb(255, 255, 0),   rgb(0, 0, 255),     rgb(255, 0, 255),
                             rgb(0, 255, 255),   rgb(255, 255, 255)};
    for (int i = 0; i < 10; ++i) {
        p[static_cast<size_t>(i)] = low[i];
        p[static_cast<size_t>(246 + i)] = high[i];
    }
    return p;
}

TPaletteEntries BuildViewerPalette(const TPaletteEntries& system) {
    TPaletteEntries p{};
    for (size_t i = 0; i < 10; ++i) p[i] = system[i];
    for (size_t i = 249; i < 256; ++i) p[i] = system[i];
    static constexpr unsigned levels[6] = {55, 115, 165, 205, 235, 255};
    size_t n = 10;
    for (unsigned b : levels)
        for (unsigned g : levels)
            for (unsigned r : levels)
                if (!(r == 255 && g == 255 && b == 255)) p[n++] = rgb(r, g, b);
    for (unsigned k = 0; k < 24; ++k) p[n++] = rgb(135 + 5 * k, 135 + 5 * k, 135 + 5 * k);
    return p;
}

const std::vector<QRgb>& ViewerPalette() {
    static const std::vector<QRgb> none;
    static const std::vector<QRgb> eight = [] {
        std::vector<QRgb> v;
        for (TColor c : BuildViewerPalette(StandardSystemPalette())) v.push_back(qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        return v;
    }();
    return DisplayBits() == 8 ? eight : none;
}

QImage RealizeToPalette(const QImage& picture) {
    const auto& palette = ViewerPalette();
    if (picture.isNull() || palette.empty()) return picture;
    return picture.convertToFormat(QImage::Format_Indexed8, QList<QRgb>(palette.begin(), palette.end()),
                                   Qt::ThresholdDither | Qt::AvoidDither);
}

}  // namespace htmlview
