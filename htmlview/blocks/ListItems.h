#pragma once
// List items: text sections whose first line carries a marker, drawn by the
// section's paint (a number or letter, a bullet, or nothing).
#include "htmlview/layout/Section.h"

namespace htmlview {

class TUListItem : public TSection {
public:
    TUListItem(int level, const TUrlTarget* urlTarget, const TMyFont& font, TInlineState& state);
};

class TDListItem : public TUListItem {
public:
    TDListItem(int level, const TUrlTarget* urlTarget, const TMyFont& font, TInlineState& state);
};

class TOListItem : public TUListItem {
public:
    TOListItem(int level, const TUrlTarget* urlTarget, const TMyFont& font, TInlineState& state, char numberStyle,
               int number);
    int Number() const { return ListNumber; }
};

}  // namespace htmlview
