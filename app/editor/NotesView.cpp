#include "app/editor/NotesView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include "app/editor/LayoutMarks.h"

namespace vorel {

void NotesView::paintEvent(QPaintEvent* e) {
    QTextEdit::paintEvent(e);
    QPainter painter(viewport());
    const QPointF scrolled(horizontalScrollBar()->value(), verticalScrollBar()->value());
    painter.translate(-scrolled);
    PaintLayoutMarks(painter, *document(), QRectF(e->rect()).translated(scrolled), palette().text().color());
}

}  // namespace vorel
