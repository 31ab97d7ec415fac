#include "htmlview/layout/Picture.h"

#include <QPainter>

namespace htmlview {

namespace {
TPicture makeStock(bool error) {
    TPicture p;
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(QColor(192, 192, 192));
    QPainter g(&img);
    g.setPen(QColor(128, 128, 128));
    g.drawRect(0, 0, 15, 15);
    g.setPen(QColor(255, 255, 255));
    g.drawLine(1, 14, 14, 14);
    g.drawLine(14, 1, 14, 14);
    if (error) {
        g.setPen(QPen(QColor(255, 0, 0), 2));
        g.drawLine(4, 4, 11, 11);
        g.drawLine(11, 4, 4, 11);
    }
    g.end();
    p.Bitmap = img;
    return p;
}
}  // namespace

const TPicture& DefaultImage() {
    static const TPicture p = makeStock(false);
    return p;
}

const TPicture& ErrorImage() {
    static const TPicture p = makeStock(true);
    return p;
}

}  // namespace htmlview
