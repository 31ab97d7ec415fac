#include "htmlview/control/BackgroundTiles.h"

#include <QPainter>

namespace htmlview {

void PaintBackground(QPainter& painter, const QRect& clip, const QImage& tile, int scrollX, int scrollY,
                     const QColor& colour) {
    const int w = tile.width(), h = tile.height();
    if (w <= 0 || h <= 0) {
        painter.fillRect(clip, colour);
        return;
    }
    int x0 = -(scrollX % w);
    int y0 = -(scrollY % h);
    if (x0 > clip.left()) x0 -= ((x0 - clip.left() + w - 1) / w) * w;
    else x0 += ((clip.left() - x0) / w) * w;
    if (y0 > clip.top()) y0 -= ((y0 - clip.top() + h - 1) / h) * h;
    else y0 += ((clip.top() - y0) / h) * h;
    for (int y = y0; y <= clip.bottom(); y += h)
        for (int x = x0; x <= clip.right(); x += w) painter.drawImage(QPoint(x, y), tile);
}

}  // namespace htmlview
