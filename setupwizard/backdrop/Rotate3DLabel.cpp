#include "setupwizard/backdrop/Rotate3DLabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <cmath>
#include <numbers>

#include "setupwizard/backdrop/MainInstance.h"

namespace setupwizard {

TRotate3DLabel::TRotate3DLabel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    QFont f("Arial");
    f.setBold(true);
    setFont(f);
    style_.OnChange = [this] { update(); };
    if (parent) parent->installEventFilter(this);
}

TRotate3DLabel::~TRotate3DLabel() { MainInstance<TRotate3DLabel>::Forget(*this); }

void TRotate3DLabel::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TRotate3DLabel::SetAlignment(Qt::Alignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    update();
}

void TRotate3DLabel::SetColor(const QColor& color) {
    color_ = color;
    update();
}

void TRotate3DLabel::SetMyTransparent(bool value) {
    if (value == myTransparent_) return;
    myTransparent_ = value;
    update();
}

void TRotate3DLabel::SetLabelStyle(const TLabelStyle& style) {
    style_.Assign(style);
    update();
}

void TRotate3DLabel::SetAlignTop(bool value) {
    alignTop_ = value;
    FollowParent();
}

void TRotate3DLabel::SetTag(int value) { MainInstance<TRotate3DLabel>::SetTag(*this, tag_, value); }

void TRotate3DLabel::Assign(const TRotate3DLabel& source) {
    caption_ = source.caption_;
    style_.Assign(source.style_);
    setFont(source.font());
    alignTop_ = source.alignTop_;
    setGeometry(source.geometry());
    myTransparent_ = source.myTransparent_;
    FollowParent();
    update();
}

bool TRotate3DLabel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) FollowParent();
    return QWidget::eventFilter(watched, event);
}

void TRotate3DLabel::FollowParent() {
    if (alignTop_ && parentWidget()) setGeometry(0, 0, parentWidget()->width(), height());
}

// Painting: (1) the angle's cosine and sine; a filled label loses its 3-D
// effect; (2) the offsets of the light and dark copies; (3) the start point
// of the text, its unturned top-left corner turned about the centre; (4) the
// turned background; (5) the shade copies, then the caption itself.
void TRotate3DLabel::paintEvent(QPaintEvent*) {
    const double radians = style_.Angle() * std::numbers::pi / 180.0;
    cos_ = std::cos(radians);
    sin_ = std::sin(radians);
    const QColor fontColour = palette().color(QPalette::WindowText);
    if (!myTransparent_) {
        auto keep = std::move(style_.OnChange);  // no repaint request from inside the paint
        style_.SetAStyle3D(A3dNormal);
        style_.OnChange = std::move(keep);
    }

    int light = 0, dark = 0;
    switch (style_.AStyle3D()) {
        case A3dResit: light = 1, dark = -1; break;
        case A3dRaised: light = -1, dark = 1; break;
        default: break;
    }

    QPainter painter(this);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    int w = metrics.horizontalAdvance(caption_);
    int h = metrics.height();
    const int cx = width() / 2, cy = height() / 2;
    int x;
    if (alignment_ & Qt::AlignRight)
        x = width() - w;
    else if (alignment_ & Qt::AlignHCenter)
        x = cx - static_cast<int>(w / 2.0 * cos_) - static_cast<int>(h / 2.0 * sin_);
    else
        x = 0;
    const int y = static_cast<int>(w / 2.0 * sin_) + cy - static_cast<int>(h / 2.0 * cos_);

    if (!myTransparent_) {
        h += 7;
        w += 10;
        const int a = static_cast<int>(w / 2.0 * cos_), a2 = static_cast<int>(w / 2.0 * sin_);
        const int b = static_cast<int>(h / 2.0 * cos_), b2 = static_cast<int>(h / 2.0 * sin_);
        QPolygon box;
        box << QPoint(cx - a - b2, cy + a2 - b) << QPoint(cx + a - b2, cy - a2 - b) << QPoint(cx + a + b2, cy - a2 + b)
            << QPoint(cx - a + b2, cy + a2 + b);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color_);
        painter.drawPolygon(box);
    }

    // The text's top-left corner at (px, py), its baseline turned by the angle.
    auto draw = [&](int px, int py, const QColor& colour) {
        painter.save();
        painter.translate(px, py);
        painter.rotate(-style_.Angle());
        painter.setPen(colour);
        painter.drawText(0, metrics.ascent(), caption_);
        painter.restore();
    };
    const T3DEffectShort effect = style_.AStyle3D();
    if (effect != A3dNormal) {
        if (effect != A3dShadowed) draw(x + light, y + light, style_.AShadeLeftTop());
        if (effect == A3dShadowed)
            draw(x + style_.AHShadeOffSet(), y + style_.AVShadeOffSet(), style_.AShadeRightBottom());
        else
            draw(x + dark, y + dark, style_.AShadeRightBottom());
    }
    draw(x, y, fontColour);
}

}  // namespace setupwizard
