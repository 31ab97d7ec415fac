#pragma once
// The viewer's scroll bars. They keep the values last given to the platform
// (position, page, minimum, maximum) as 32-bit integers, with the class
// library's meaning: the maximum is the size of the whole range and the last
// position is maximum - page + 1. Moves by the user arrive as scroll codes
// through OnScroll; the owner decides the new position.
#include <QScrollBar>
#include <functional>

namespace htmlview {

enum class TScrollCode { LineUp, LineDown, PageUp, PageDown, ThumbTrack, Top, Bottom, Other };

class T32ScrollBar : public QScrollBar {
public:
    T32ScrollBar(Qt::Orientation orientation, QWidget* parent);

    int SmallChange = 1;
    int LargeChange = 1;
    // Code and, for thumb tracking, the track position.
    std::function<void(TScrollCode code, int trackPos)> OnScroll;

    int Position() const { return position_; }
    int Page() const { return page_; }
    int Min() const { return min_; }
    int Max() const { return max_; }

    // Sets all four at once (nothing when unchanged); a bar that cannot
    // scroll is disabled rather than hidden.
    void SetScrollParams(int position, int page, int min, int max);
    void SetPosition(int p) { SetScrollParams(p, page_, min_, max_); }
    void SetMax(int m) { SetScrollParams(position_, page_, min_, m); }
    void SetPage(int p) { SetScrollParams(position_, p, min_, max_); }
    // The highest position the range allows.
    int LastPosition() const;

private:
    void apply();
    void actionTriggered(int action);

    int position_ = 0, page_ = 0, min_ = 0, max_ = 0;
    bool applying_ = false;
};

}  // namespace htmlview
