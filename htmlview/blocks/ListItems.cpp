#include "htmlview/blocks/ListItems.h"

namespace htmlview {

TUListItem::TUListItem(int level, const TUrlTarget* urlTarget, const TMyFont& font, TInlineState& state)
    : TSection(level, 1, urlTarget, font, state) {
    ListType = 2;
}

TDListItem::TDListItem(int level, const TUrlTarget* urlTarget, const TMyFont& font, TInlineState& state)
    : TUListItem(level, urlTarget, font, state) {
    ListType = 3;
}

TOListItem::TOListItem(int level, const TUrlTarget* urlTarget, const TMyFont& font, TInlineState& state,
                       char numberStyle, int number)
    : TUListItem(level, urlTarget, font, state) {
    ListType = 1;
    NumberStyle = numberStyle;
    ListNumber = number;
}

}  // namespace htmlview
