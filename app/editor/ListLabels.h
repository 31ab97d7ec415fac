#pragma once
// The labels of numbered lists ("5.", "iv."), which the toolkit's layout
// does not draw for lists that start anywhere but 1 (see app/rtf/RtfQt.h):
// painted where the toolkit paints its own, right-aligned a space before
// the first line, in the paragraph's font, on screen and on paper alike.
#include <QColor>
#include <QRectF>

class QPainter;
class QTextDocument;

namespace vorel {

// Paints the labels of the blocks that meet area (document coordinates; the
// painter maps document coordinates), in the paragraph's colour, else text.
void PaintListLabels(QPainter& painter, const QTextDocument& doc, const QRectF& area, const QColor& text);

}  // namespace vorel
