#pragma once
// Shared pens, fonts and shapes of the sample drawings.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>

namespace sample::drawing {

inline const QColor kInk(35, 35, 35);
inline const QColor kPlastic(70, 72, 78);
inline const QColor kMetal(205, 208, 212);
inline const QColor kLead(160, 163, 168);
inline const QColor kLabel(0, 50, 150);
inline const QColor kNote(90, 90, 90);

// A white opaque image with a painter set up for clean line drawings.
class Sheet {
public:
    Sheet(int width, int height);
    QPainter& Painter() { return painter_; }
    QImage Finish();  // ends painting and gives the image

    QFont Font(int pixelSize, bool bold = false) const;
    void Title(const QString& text);                       // package name at the top left
    void Caption(const QString& text);                     // one line at the bottom
    void Label(QPointF centre, const QString& text, int pixelSize = 14);  // pin name, centred
    void TextAt(QRectF box, const QString& text, int pixelSize, int flags, const QColor& colour, bool bold = false);

    void Body(const QRectF& box, const QColor& fill, qreal radius = 0);
    void Lead(QPointF from, QPointF to, qreal width = 3);
    void Hole(QPointF centre, qreal radius);
    void Dot(QPointF centre, qreal radius, const QColor& fill);

private:
    QImage image_;
    QPainter painter_;
};

}  // namespace sample::drawing
