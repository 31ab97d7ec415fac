#include "setupwizard/framework/Placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace setupwizard {

namespace {
QSize g_screenOverride;

bool LeftColumn(TTamselDialogPosition p) { return p == tdpCenterLeft || p == tdpBottomLeft || p == tdpTopLeft; }
bool RightColumn(TTamselDialogPosition p) {
    return p == tdpCenterRight || p == tdpBottomRight || p == tdpTopRight;
}
bool MiddleRow(TTamselDialogPosition p) { return p == tdpCenterLeft || p == tdpCenter || p == tdpCenterRight; }
bool BottomRow(TTamselDialogPosition p) {
    return p == tdpBottomLeft || p == tdpBottomCenter || p == tdpBottomRight;
}

// Halves to even, as the run-time library's Round.
int RoundHalfEven(double v) {
    const double r = std::floor(v + 0.5);
    if (r - v == 0.5 && std::fmod(r, 2.0) != 0.0) return static_cast<int>(r - 1.0);
    return static_cast<int>(r);
}

template <typename Centre>
ScreenPlacement Place(TTamselDialogPosition p, int w, int h, int sw, int sh, int l, int t, Centre centre) {
    ScreenPlacement r;
    if (LeftColumn(p)) r.left = l;
    else if (RightColumn(p)) r.left = sw - w - l;
    else r.left = centre(sw, w, l);
    if (MiddleRow(p)) r.top = centre(sh, h, t);
    else if (BottomRow(p)) r.top = sh - kCaptionHeight - h - t;
    else r.top = t;
    return r;
}
}  // namespace

QSize ClientSizeOf(int outerWidth, int outerHeight) {
    return QSize(outerWidth - 2 * kDialogBorder, outerHeight - 2 * kDialogBorder - kCaptionHeight);
}

ScreenPlacement PlaceTruncated(TTamselDialogPosition position, int width, int height, int screenWidth,
                               int screenHeight, int leftOffset, int topOffset) {
    return Place(position, width, height, screenWidth, screenHeight, leftOffset, topOffset,
                 [](int s, int size, int offset) {
                     const float v = static_cast<float>(s) / 2.0f - static_cast<float>(size) / 2.0f +
                                     static_cast<float>(offset);
                     return static_cast<int>(std::trunc(v));
                 });
}

ScreenPlacement PlaceRounded(TTamselDialogPosition position, int width, int height, int screenWidth,
                             int screenHeight, int leftOffset, int topOffset) {
    return Place(position, width, height, screenWidth, screenHeight, leftOffset, topOffset,
                 [](int s, int size, int offset) { return RoundHalfEven(s / 2.0 - size / 2.0 + offset); });
}

QSize ScreenSize() {
    if (!g_screenOverride.isEmpty()) return g_screenOverride;
    if (QScreen* screen = QGuiApplication::primaryScreen()) return screen->geometry().size();
    return QSize(1024, 768);
}

void SetScreenSizeForTesting(QSize size) { g_screenOverride = size; }

}  // namespace setupwizard
