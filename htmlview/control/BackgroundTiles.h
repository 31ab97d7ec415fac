#pragma once
// The page background: the body's picture tiled from the document's origin
// (moved by the scroll offsets), or the colour where there is no picture or
// it has no pixels. The paint panel and htmlprobe paint it the same way.
#include <QColor>
#include <QImage>
#include <QRect>

class QPainter;

namespace htmlview {

void PaintBackground(QPainter& painter, const QRect& clip, const QImage& tile, int scrollX, int scrollY,
                     const QColor& colour);

}  // namespace htmlview
