#include "app/editor/TRuler.h"

#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "platform/qt/qtglue/Guard.h"

namespace vorel {

RulerMarker::RulerMarker(Arrow arrow, TRuler* ruler) : QWidget(ruler), arrow_(arrow), ruler_(ruler) {
    setFixedSize(kWidth, 9);  // the arrow
    setCursor(Qt::SizeHorCursor);
}

void RulerMarker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    const qreal w = width(), h = height();
    if (arrow_ == Arrow::Down) {
        arrow.moveTo(0.5, 0.5);
        arrow.lineTo(w - 0.5, 0.5);
        arrow.lineTo(w / 2, h - 0.5);
    } else {
        arrow.moveTo(w / 2, 0.5);
        arrow.lineTo(w - 0.5, h - 0.5);
        arrow.lineTo(0.5, h - 0.5);
    }
    arrow.closeSubpath();
    p.setPen(palette().color(QPalette::WindowText));
    p.setBrush(palette().color(QPalette::Base));
    p.drawPath(arrow);
}

void RulerMarker::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const int x = e->position().toPoint().x();
    if (ruler_->OnMouseDown) platform::Guarded([&] { ruler_->OnMouseDown(this, x); });
}

void RulerMarker::mouseMoveEvent(QMouseEvent* e) {
    const int x = e->position().toPoint().x();
    if (ruler_->OnMouseMove) platform::Guarded([&] { ruler_->OnMouseMove(this, x); });
}

void RulerMarker::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    if (ruler_->OnMouseUp) platform::Guarded([&] { ruler_->OnMouseUp(this); });
}

TRuler::TRuler(QWidget* parent) : QWidget(parent) {
    setObjectName("Ruler");
    QFont f("Arial");
    f.setPointSize(8);
    setFont(f);
    setFixedHeight(26);
    setAutoFillBackground(true);
    RulerLine = new QFrame(this);
    RulerLine->setObjectName("RulerLine");
    RulerLine->setFrameShape(QFrame::HLine);
    RulerLine->setFrameShadow(QFrame::Sunken);
    RulerLine->setGeometry(4, 12, 100, 2);
    FirstInd = new RulerMarker(RulerMarker::Arrow::Down, this);
    FirstInd->setObjectName("FirstInd");
    FirstInd->move(60, 2);
    LeftInd = new RulerMarker(RulerMarker::Arrow::Up, this);
    LeftInd->setObjectName("LeftInd");
    LeftInd->move(60, 15);
    RightInd = new RulerMarker(RulerMarker::Arrow::Up, this);
    RightInd->setObjectName("RightInd");
    RightInd->move(730, 15);
}

void TRuler::paintEvent(QPaintEvent*) {
    // A mark at each tab stop, from the text's left edge.
    QPainter p(this);
    p.setPen(palette().color(QPalette::Mid));
    if (TabStopDistance < 8) return;
    for (double x = 6 + TabStopDistance; x < width(); x += TabStopDistance)
        p.drawLine(QPointF(x, 5), QPointF(x, 10));
}

void TRuler::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // RulerResize: the base line spans the ruler, as far from each end.
    RulerLine->resize(width() - 2 * RulerLine->x(), RulerLine->height());
}

}  // namespace vorel
