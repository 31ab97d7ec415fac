#include "setupwizard/backdrop/Backdrop.h"

#include <QEvent>
#include <QPainter>
#include <cstdint>

#include "setupwizard/backdrop/MainInstance.h"

namespace setupwizard {

namespace {

// a * b / c rounded half away from zero, as the platform's MulDiv.
int MulDiv(int a, int b, int c) {
    const std::int64_t p = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = c / 2;
    return static_cast<int>(p >= 0 ? (p + half) / c : (p - half) / c);
}

struct GradientPlan {
    bool swap;      // the end colour comes first
    bool mirrored;  // 128 bands from each edge
    bool across;    // vertical stripes along the width
};

GradientPlan PlanOf(TDirection d) {
    switch (d) {
        case bdUp: return {false, false, false};
        case bdDown: return {true, false, false};
        case bdLeft: return {false, false, true};
        case bdRight: return {true, false, true};
        case bdHorzIn: return {true, true, false};
        case bdHorzOut: return {false, true, false};
        case bdVertIn: return {false, true, true};
        case bdVertOut: return {true, true, true};
    }
    return {false, false, false};
}

}  // namespace

TBackdrop::TBackdrop(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (parent) {
        parent->installEventFilter(this);
        FollowParent();
    }
}

TBackdrop::~TBackdrop() { MainInstance<TBackdrop>::Forget(*this); }

void TBackdrop::SetDirection(TDirection direction) {
    if (direction == direction_) return;
    direction_ = direction;
    update();
}

void TBackdrop::SetStartColor(const QColor& color) {
    if (color == startColor_) return;
    startColor_ = color;
    update();
}

void TBackdrop::SetEndColor(const QColor& color) {
    if (color == endColor_) return;
    endColor_ = color;
    update();
}

void TBackdrop::SetAlignClient(bool value) {
    alignClient_ = value;
    FollowParent();
}

void TBackdrop::SetTag(int value) { MainInstance<TBackdrop>::SetTag(*this, tag_, value); }

void TBackdrop::PaintGradient(QPainter& painter, const QRect& rect, TDirection direction, const QColor& start,
                              const QColor& end) {
    const GradientPlan plan = PlanOf(direction);
    const QColor first = plan.swap ? end : start;
    const QColor second = plan.swap ? start : end;
    const int r0 = first.red(), g0 = first.green(), b0 = first.blue();
    const int dR = second.red() - r0, dG = second.green() - g0, dB = second.blue() - b0;
    const int size = plan.across ? rect.width() : rect.height();
    const int last = plan.mirrored ? 127 : 255;
    auto band = [&](int from, int to, const QColor& colour) {
        if (to <= from) return;  // a band of no height when there are fewer pixels than bands
        if (plan.across)
            painter.fillRect(QRect(rect.left() + from, rect.top(), to - from, rect.height()), colour);
        else
            painter.fillRect(QRect(rect.left(), rect.top() + from, rect.width(), to - from), colour);
    };
    for (int i = 0; i <= last; ++i) {
        const QColor colour(r0 + MulDiv(i, dR, last), g0 + MulDiv(i, dG, last), b0 + MulDiv(i, dB, last));
        band(MulDiv(i, size, 256), MulDiv(i + 1, size, 256), colour);
        if (plan.mirrored) band(MulDiv(255 - i, size, 256), MulDiv(256 - i, size, 256), colour);
    }
}

void TBackdrop::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintGradient(painter, rect(), direction_, startColor_, endColor_);
}

bool TBackdrop::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) FollowParent();
    return QWidget::eventFilter(watched, event);
}

void TBackdrop::FollowParent() {
    if (alignClient_ && parentWidget()) setGeometry(parentWidget()->rect());
}

}  // namespace setupwizard
