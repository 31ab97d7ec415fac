#pragma once
// What the toolkit's text layout does not draw of our notes: the labels of
// lettered lists and of numbered lists that start anywhere but 1 ("5.",
// "(c)", "aa."; see app/rtf/RtfQt.h), painted where the toolkit paints its
// own, right-aligned a space before the first line, and
// the leaders of tab stops (dots, hyphens, a line) across each tab's gap.
// Both in the paragraph's font, on screen and on paper alike.
#include <QColor>
#include <QRectF>

class QPainter;
class QTextDocument;

namespace vorel {

// Paints the marks of the blocks that meet area (document coordinates; the
// painter maps document coordinates), in the text's colour, else text.
void PaintLayoutMarks(QPainter& painter, const QTextDocument& doc, const QRectF& area, const QColor& text);

}  // namespace vorel
