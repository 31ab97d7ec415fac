#include "htmlview/util/Colors.h"

namespace htmlview {

namespace {
// The classic desktop scheme, indexed by system colour number.
constexpr TColor kSystemTable[25] = {
    0xC0C0C0,  // 0 scroll bar
    0x808000,  // 1 background
    0x800000,  // 2 active caption
    0x808080,  // 3 inactive caption
    0xC0C0C0,  // 4 menu
    0xFFFFFF,  // 5 window
    0x000000,  // 6 window frame
    0x000000,  // 7 menu text
    0x000000,  // 8 window text
    0xFFFFFF,  // 9 caption text
    0xC0C0C0,  // 10 active border
    0xC0C0C0,  // 11 inactive border
    0x808080,  // 12 application workspace
    0x800000,  // 13 highlight
    0xFFFFFF,  // 14 highlight text
    0xC0C0C0,  // 15 button face
    0x808080,  // 16 button shadow
    0x808080,  // 17 grey text
    0x000000,  // 18 button text
    0xC0C0C0,  // 19 inactive caption text
    0xFFFFFF,  // 20 button highlight
    0x000000,  // 21 3-D dark shadow
    0xC0C0C0,  // 22 3-D light
    0x000000,  // 23 info text
    0xE1FFFF,  // 24 info background
};
}  // namespace

TColor ColorToRGB(TColor c) {
    if (c & kSystemColor) {
        unsigned idx = c & 0xFF;
        return idx < 25 ? kSystemTable[idx] : 0;
    }
    return c & 0xFFFFFF;
}

}  // namespace htmlview
