#include "testkit/generators/sample/content/Drawing.h"

#include <QPen>

namespace sample::drawing {

Sheet::Sheet(int width, int height) : image_(width, height, QImage::Format_RGB32) {
    image_.fill(Qt::white);
    painter_.begin(&image_);
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setRenderHint(QPainter::TextAntialiasing);
}

QImage Sheet::Finish() {
    painter_.end();
    return image_;
}

QFont Sheet::Font(int pixelSize, bool bold) const {
    QFont font("DejaVu Sans");
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void Sheet::TextAt(QRectF box, const QString& text, int pixelSize, int flags, const QColor& colour, bool bold) {
    painter_.save();
    painter_.setFont(Font(pixelSize, bold));
    painter_.setPen(colour);
    painter_.drawText(box, flags, text);
    painter_.restore();
}

void Sheet::Title(const QString& text) {
    TextAt(QRectF(8, 4, image_.width() - 16, 24), text, 17, Qt::AlignLeft | Qt::AlignVCenter, kInk, true);
}

void Sheet::Caption(const QString& text) {
    TextAt(QRectF(4, image_.height() - 20, image_.width() - 8, 18), text, 11, Qt::AlignCenter, kNote);
}

void Sheet::Label(QPointF centre, const QString& text, int pixelSize) {
    TextAt(QRectF(centre.x() - 20, centre.y() - 10, 40, 20), text, pixelSize, Qt::AlignCenter, kLabel, true);
}

void Sheet::Body(const QRectF& box, const QColor& fill, qreal radius) {
    painter_.save();
    painter_.setPen(QPen(kInk, 1.5));
    painter_.setBrush(fill);
    if (radius > 0) painter_.drawRoundedRect(box, radius, radius);
    else painter_.drawRect(box);
    painter_.restore();
}

void Sheet::Lead(QPointF from, QPointF to, qreal width) {
    painter_.save();
    painter_.setPen(QPen(kInk, width + 2, Qt::SolidLine, Qt::FlatCap));
    painter_.drawLine(from, to);
    painter_.setPen(QPen(kLead, width, Qt::SolidLine, Qt::FlatCap));
    painter_.drawLine(from, to);
    painter_.restore();
}

void Sheet::Hole(QPointF centre, qreal radius) {
    painter_.save();
    painter_.setPen(QPen(kInk, 1.5));
    painter_.setBrush(Qt::white);
    painter_.drawEllipse(centre, radius, radius);
    painter_.restore();
}

void Sheet::Dot(QPointF centre, qreal radius, const QColor& fill) {
    painter_.save();
    painter_.setPen(QPen(kInk, 1.2));
    painter_.setBrush(fill);
    painter_.drawEllipse(centre, radius, radius);
    painter_.restore();
}

}  // namespace sample::drawing
