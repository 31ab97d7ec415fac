#pragma once
// Colours as the viewer keeps them: 0x00BBGGRR with red in the low byte,
// 0x2000000 marking a palette-relative colour, and system colours
// (0x80000000 | index) resolved from a fixed table of our own so that
// pictures do not depend on the desktop style.
#include <cstdint>

namespace htmlview {

using TColor = std::uint32_t;

constexpr TColor kPaletteRelative = 0x2000000;
constexpr TColor kSystemColor = 0x80000000;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBlue = 0xFF0000;

constexpr TColor clWindow = kSystemColor | 5;
constexpr TColor clWindowText = kSystemColor | 8;
constexpr TColor clHighlight = kSystemColor | 13;
constexpr TColor clHighlightText = kSystemColor | 14;
constexpr TColor clBtnFace = kSystemColor | 15;
constexpr TColor clBtnShadow = kSystemColor | 16;
constexpr TColor clBtnText = kSystemColor | 18;
constexpr TColor clBtnHighlight = kSystemColor | 20;

// The RGB value (0x00BBGGRR) of a colour: system colours from the table,
// others with the flag bits dropped.
TColor ColorToRGB(TColor c);

// Red, green and blue parts of a resolved colour.
inline int RedOf(TColor c) { return static_cast<int>(c & 0xFF); }
inline int GreenOf(TColor c) { return static_cast<int>((c >> 8) & 0xFF); }
inline int BlueOf(TColor c) { return static_cast<int>((c >> 16) & 0xFF); }

}  // namespace htmlview
