#include "htmlview/images/Picture.h"

#include <QPainter>

namespace htmlview {

namespace {
// A raised grey tile; the broken one carries a red cross.
QImage drawStock(bool broken) {
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(QColor(192, 192, 192));
    QPainter g(&img);
    g.setPen(QColor(255, 255, 255));
    g.drawLine(0, 0, 14, 0);
    g.drawLine(0, 0, 0, 14);
    g.setPen(QColor(128, 128, 128));
    g.drawLine(1, 15, 15, 15);
    g.drawLine(15, 1, 15, 15);
    if (broken) {
        g.setPen(QPen(QColor(255, 0, 0), 2));
        g.drawLine(4, 4, 11, 11);
        g.drawLine(11, 4, 4, 11);
    }
    g.end();
    return img;
}

std::shared_ptr<const TPicture> makeStock(bool broken) {
    auto p = std::make_shared<TPicture>();
    p->Bitmap = drawStock(broken);
    return p;
}
}  // namespace

const std::shared_ptr<const TPicture>& PendingImage() {
    static const std::shared_ptr<const TPicture> p = makeStock(false);
    return p;
}

const std::shared_ptr<const TPicture>& BrokenImage() {
    static const std::shared_ptr<const TPicture> p = makeStock(true);
    return p;
}

const QImage& BrokenImageMask() {
    // The corners outside the tile's rounded edge show the page through.
    static const QImage mask = [] {
        QImage m(16, 16, QImage::Format_Mono);
        m.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        m.fill(0);
        for (auto [x, y] : {std::pair{0, 0}, {15, 0}, {0, 15}, {15, 15}}) m.setPixel(x, y, 1);
        return m;
    }();
    return mask;
}

}  // namespace htmlview
