#include "htmlview/control/ScrollBar.h"

#include "platform/qt/qtglue/Guard.h"

#include <algorithm>

namespace htmlview {

T32ScrollBar::T32ScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractSlider::actionTriggered, this,
            [this](int action) { platform::Guarded([&] { actionTriggered(action); }); });
    apply();
}

int T32ScrollBar::LastPosition() const { return std::max(min_, max_ - std::max(page_, 1) + 1); }

void T32ScrollBar::SetScrollParams(int position, int page, int min, int max) {
    if (position == position_ && page == page_ && min == min_ && max == max_) return;
    position_ = position;
    page_ = page;
    min_ = min;
    max_ = max;
    apply();
}

void T32ScrollBar::apply() {
    applying_ = true;
    const int last = LastPosition();
    setRange(min_, last);
    setPageStep(std::max(page_, 1));
    setSingleStep(std::max(SmallChange, 1));
    setValue(std::clamp(position_, min_, last));
    setEnabled(last > min_);
    applying_ = false;
}

void T32ScrollBar::actionTriggered(int action) {
    if (applying_) return;
    TScrollCode code = TScrollCode::Other;
    switch (action) {
        case SliderSingleStepSub: code = TScrollCode::LineUp; break;
        case SliderSingleStepAdd: code = TScrollCode::LineDown; break;
        case SliderPageStepSub: code = TScrollCode::PageUp; break;
        case SliderPageStepAdd: code = TScrollCode::PageDown; break;
        case SliderMove: code = TScrollCode::ThumbTrack; break;
        case SliderToMinimum: code = TScrollCode::Top; break;
        case SliderToMaximum: code = TScrollCode::Bottom; break;
        default: break;
    }
    const int track = sliderPosition();
    if (OnScroll) OnScroll(code, track);
    // Qt's own step is replaced by the position the owner chose.
    applying_ = true;
    setSliderPosition(std::clamp(position_, minimum(), maximum()));
    applying_ = false;
}

}  // namespace htmlview
