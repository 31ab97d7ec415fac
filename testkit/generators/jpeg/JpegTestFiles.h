#pragma once
// JPEG files for tests, written with libjpeg: a picture of one colour, and
// the same with its frame header claiming another size.
#include <QColor>
#include <string>

namespace platform::testing {

std::string JpegOfColour(QColor colour, int w, int h, bool grey = false);
// Bytes with the start-of-frame header's height and width set to H and W.
std::string WithClaimedSize(std::string jpeg, int w, int h);

}  // namespace platform::testing
