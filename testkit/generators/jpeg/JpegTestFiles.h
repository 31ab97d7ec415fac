#pragma once
// JPEG files for tests, written with libjpeg: a picture of one colour
// (baseline or progressive), the same with its frame header claiming
// another size, or with its last scan repeated.
#include <QColor>
#include <string>

namespace platform::testing {

std::string JpegOfColour(QColor colour, int w, int h, bool grey = false, bool progressive = false);
// Bytes with the start-of-frame header's height and width set to H and W
// (baseline, extended or progressive frame).
std::string WithClaimedSize(std::string jpeg, int w, int h);
// The last scan (its header and data) repeated Times more before the end:
// a decoder reads each again.
std::string WithRepeatedLastScan(const std::string& jpeg, int times);

}  // namespace platform::testing
