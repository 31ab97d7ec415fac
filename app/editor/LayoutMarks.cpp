#include "app/editor/LayoutMarks.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>
#include <algorithm>

#include "app/rtf/RtfQt.h"

namespace vorel {

namespace {

QFont FontOn(QPainter& painter, const QTextCharFormat& format) {
    QFont font = format.font();
    if (painter.device()) font = QFont(font, painter.device());
    return font;
}

QColor ColourOf(const QTextCharFormat& format, const QColor& text) {
    const QBrush own = format.foreground();
    return own.style() != Qt::NoBrush ? own.color() : text;
}

void PaintLabel(QPainter& painter, const QTextBlock& block, const QColor& text) {
    // Only where the toolkit paints none.
    if (!block.textList() || block.textList()->format().style() != QTextListFormat::ListStyleUndefined) return;
    const QString label = rtf::ListLabel(block);
    const QTextLayout* lines = block.layout();
    if (label.isEmpty() || !lines || lines->lineCount() == 0) return;
    const QTextLine line = lines->lineAt(0);
    const QFont font = FontOn(painter, block.charFormat());
    const QFontMetricsF metrics(font);
    const QPointF origin = lines->position() + line.naturalTextRect().topLeft();
    const qreal x = origin.x() - metrics.horizontalAdvance(QChar(' ')) - metrics.horizontalAdvance(label);
    painter.setFont(font);
    painter.setPen(ColourOf(block.charFormat(), text));
    painter.drawText(QPointF(x, origin.y() + line.ascent()), label);
}

// Each tab's gap takes the leader of the stop it reaches: the first stop
// past the gap's start.
void PaintLeaders(QPainter& painter, const QTextBlock& block, const QColor& text) {
    const QVariantList leaders = block.blockFormat().property(rtf::kTabLeadersProperty).toList();
    const QList<QTextOption::Tab> tabs = block.blockFormat().tabPositions();
    const QTextLayout* lines = block.layout();
    if (leaders.isEmpty() || !lines) return;
    const QString content = block.text();
    for (qsizetype at = content.indexOf('\t'); at >= 0; at = content.indexOf('\t', at + 1)) {
        const QTextLine line = lines->lineForTextPosition(static_cast<int>(at));
        if (!line.isValid()) continue;
        const qreal from = line.cursorToX(static_cast<int>(at)), to = line.cursorToX(static_cast<int>(at) + 1);
        qsizetype stop = 0;
        while (stop < tabs.size() && tabs[stop].position <= from + 0.5) ++stop;
        if (stop >= tabs.size() || stop >= leaders.size()) continue;
        const auto leader = static_cast<rtf::TabLeader>(leaders[stop].toInt());
        if (leader == rtf::TabLeader::None || to - from < 2) continue;
        QTextCursor cursor(block);
        cursor.setPosition(block.position() + static_cast<int>(at) + 1);
        const QTextCharFormat format = cursor.charFormat();
        const QFont font = FontOn(painter, format);
        const QFontMetricsF metrics(font);
        const qreal baseline = lines->position().y() + line.y() + line.ascent();
        const qreal left = lines->position().x() + from, right = lines->position().x() + to;
        painter.setPen(ColourOf(format, text));
        if (leader == rtf::TabLeader::Underline || leader == rtf::TabLeader::ThickLine) {
            QPen pen = painter.pen();
            pen.setWidthF(leader == rtf::TabLeader::ThickLine ? metrics.lineWidth() * 2 : metrics.lineWidth());
            painter.setPen(pen);
            const qreal y = baseline + metrics.underlinePos();
            painter.drawLine(QPointF(left, y), QPointF(right, y));
            continue;
        }
        const QChar mark = leader == rtf::TabLeader::Hyphens  ? QChar('-')
                           : leader == rtf::TabLeader::Equals ? QChar('=')
                                                              : QChar('.');
        const qreal step = metrics.horizontalAdvance(mark);
        if (step <= 0) continue;
        // Marks on a grid of their own width, so the leaders of lines
        // above each other line up.
        painter.setFont(font);
        for (qreal x = std::ceil(left / step) * step; x + step <= right; x += step)
            painter.drawText(QPointF(x, baseline), QString(mark));
    }
}

}  // namespace

void PaintLayoutMarks(QPainter& painter, const QTextDocument& doc, const QRectF& area, const QColor& text) {
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    const int first = layout->hitTest(area.topLeft(), Qt::FuzzyHit);
    painter.save();
    for (QTextBlock block = doc.findBlock(std::max(first, 0)); block.isValid(); block = block.next()) {
        if (layout->blockBoundingRect(block).top() > area.bottom()) break;
        PaintLabel(painter, block, text);
        PaintLeaders(painter, block, text);
    }
    painter.restore();
}

}  // namespace vorel
