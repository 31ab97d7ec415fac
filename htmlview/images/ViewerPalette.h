#pragma once
// The display's colour depth and the viewer's 8-bit palette. On an 8-bit
// display every picture is mapped once, at load time, to this palette so
// that drawing needs no colour matching; deeper displays use no palette.
#include "htmlview/util/Colors.h"

#include <QImage>
#include <array>
#include <vector>

namespace htmlview {

using TPaletteEntries = std::array<TColor, 256>;

// Bits per pixel times planes, as the viewer stores it: 4 for 4 or less,
// 24 for more than 8, else 8.
int DisplayBitsFor(int bitsPerPixel, int planes);
// The depth taken at start-up (24 without a screen); tests may set it.
int DisplayBits();
void SetDisplayBits(int bits);

// The 20 colours a Windows display reserves (0-9 and 246-255), the rest 0.
TPaletteEntries StandardSystemPalette();
// Entries 0-9 and 249-255 from the system palette; 10-224 a 6x6x6 colour
// cube over 55, 115, 165, 205, 235, 255 (blue slowest, red fastest)
// without white; 225-248 greys 135 to 250 in steps of 5.
TPaletteEntries BuildViewerPalette(const TPaletteEntries& system);
// The palette in use: built from the standard system palette when the
// display has 8 bits, else none (empty).
const std::vector<QRgb>& ViewerPalette();

// The picture mapped to the viewer palette on an 8-bit display; unchanged otherwise.
QImage RealizeToPalette(const QImage& picture);

}  // namespace htmlview
