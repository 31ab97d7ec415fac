#include "app/ui/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vorel {

namespace {
QPixmap Draw(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(25, 70, 140));
    p.drawEllipse(QRectF(2, 2, 60, 60));
    QPen pen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.drawLine(QPointF(10, 32), QPointF(26, 32));  // base
    p.drawLine(QPointF(26, 18), QPointF(26, 46));  // base bar
    p.drawLine(QPointF(26, 26), QPointF(42, 14));  // collector
    p.drawLine(QPointF(42, 14), QPointF(42, 6));
    p.drawLine(QPointF(26, 38), QPointF(42, 50));  // emitter
    p.drawLine(QPointF(42, 50), QPointF(42, 58));
    QPainterPath arrow;  // on the emitter, pointing out
    arrow.moveTo(42, 50);
    arrow.lineTo(31.5, 48.5);
    arrow.lineTo(37.5, 40.5);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(arrow);
    return pm;
}
}  // namespace

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(Draw(size));
    return icon;
}

}  // namespace vorel
