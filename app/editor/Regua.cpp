#include "app/editor/Regua.h"

#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "platform/qtglue/Guard.h"

namespace vorel {

MarcadorRegua::MarcadorRegua(Seta seta, TRegua* regua) : QWidget(regua), seta_(seta), regua_(regua) {
    setFixedSize(kLargura, 9);  // the arrow
    setCursor(Qt::SizeHorCursor);
}

void MarcadorRegua::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    const qreal w = width(), h = height();
    if (seta_ == Seta::ParaBaixo) {
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

void MarcadorRegua::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const int x = e->position().toPoint().x();
    if (regua_->OnMouseDown) platform::Guarded([&] { regua_->OnMouseDown(this, x); });
}

void MarcadorRegua::mouseMoveEvent(QMouseEvent* e) {
    const int x = e->position().toPoint().x();
    if (regua_->OnMouseMove) platform::Guarded([&] { regua_->OnMouseMove(this, x); });
}

void MarcadorRegua::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    if (regua_->OnMouseUp) platform::Guarded([&] { regua_->OnMouseUp(this); });
}

TRegua::TRegua(QWidget* parent) : QWidget(parent) {
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
    FirstInd = new MarcadorRegua(MarcadorRegua::Seta::ParaBaixo, this);
    FirstInd->setObjectName("FirstInd");
    FirstInd->move(60, 2);
    LeftInd = new MarcadorRegua(MarcadorRegua::Seta::ParaCima, this);
    LeftInd->setObjectName("LeftInd");
    LeftInd->move(60, 15);
    RightInd = new MarcadorRegua(MarcadorRegua::Seta::ParaCima, this);
    RightInd->setObjectName("RightInd");
    RightInd->move(730, 15);
}

void TRegua::paintEvent(QPaintEvent*) {
    // A mark at each tab stop, from the text's left edge.
    QPainter p(this);
    p.setPen(palette().color(QPalette::Mid));
    if (DistanciaTabulacao < 8) return;
    for (double x = 6 + DistanciaTabulacao; x < width(); x += DistanciaTabulacao)
        p.drawLine(QPointF(x, 5), QPointF(x, 10));
}

void TRegua::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // RulerResize: the base line spans the ruler, as far from each end.
    RulerLine->resize(width() - 2 * RulerLine->x(), RulerLine->height());
}

}  // namespace vorel
