#include "app/editor/ListLabels.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "app/rtf/RtfQt.h"

namespace vorel {

void PaintListLabels(QPainter& painter, const QTextDocument& doc, const QRectF& area, const QColor& text) {
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    const int first = layout->hitTest(area.topLeft(), Qt::FuzzyHit);
    for (QTextBlock block = doc.findBlock(std::max(first, 0)); block.isValid(); block = block.next()) {
        const QRectF bounds = layout->blockBoundingRect(block);
        if (bounds.top() > area.bottom()) break;
        const QString label = rtf::ListLabel(block);
        const QTextLayout* lines = block.layout();
        if (label.isEmpty() || !lines || lines->lineCount() == 0) continue;
        const QTextLine line = lines->lineAt(0);
        QFont font = block.charFormat().font();
        if (painter.device()) font = QFont(font, painter.device());
        const QFontMetricsF metrics(font);
        const QPointF origin = lines->position() + line.naturalTextRect().topLeft();
        const qreal x = origin.x() - metrics.horizontalAdvance(QChar(' ')) - metrics.horizontalAdvance(label);
        painter.save();
        painter.setFont(font);
        const QBrush own = block.charFormat().foreground();
        painter.setPen(own.style() != Qt::NoBrush ? own.color() : text);
        painter.drawText(QPointF(x, origin.y() + line.ascent()), label);
        painter.restore();
    }
}

}  // namespace vorel
