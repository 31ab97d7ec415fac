#pragma once
// JPEG decoding through libjpeg. Decoded pictures are capped: a header may
// claim 65535 x 65535 pixels in a few bytes, so no side of a result exceeds
// kMaxDecodedSide; bigger pictures are decoded scaled down by libjpeg (1/2,
// 1/4 or 1/8), and one still too big at 1/8 is refused. A picture stored in
// several scans (progressive) holds every coefficient of its full size while
// it is decoded, whatever the scale, and each scan passes over them again:
// such a picture is refused from its header when its coefficients would take
// more than kMaxCoefficientBytes, and its decoding ends at the scan after
// kMaxJpegScans. Everything is decided from the header before any pixel
// memory is taken. Bad data never ends the program: libjpeg's errors come
// back as a message.
#include <QImage>
#include <cstddef>
#include <limits>
#include <string>

namespace platform {

constexpr int kMaxDecodedSide = 2048;
// About 32 million full-size pixels of a colour picture.
constexpr long long kMaxCoefficientBytes = 128LL * 1024 * 1024;
// Ordinary progressive pictures have about ten scans.
constexpr int kMaxJpegScans = 100;

struct TJpegHeader {
    int Width = 0, Height = 0;
    bool Greyscale = false;
    bool MultiScan = false;  // progressive, or components in scans of their own
    long long CoefficientBytes = 0;  // what a multi-scan decode holds besides the result
};

// The picture's own size from its header; false (with Error) when the data is no JPEG.
bool ReadJpegHeader(const void* data, std::size_t size, TJpegHeader& header, std::string& error);

// The picture as an opaque RGB32 image (Grayscale8 when Grey is asked and
// the picture is greyscale). With ShowWidth/ShowHeight > 0 it is decoded at
// the smallest libjpeg scale that still covers that size. With MaxPixels
// a picture whose decoded size would hold more pixels (or, stored in several
// scans, whose full size would) is refused before decoding. A null image
// with Error set on failure.
QImage DecodeJpeg(const void* data, std::size_t size, std::string& error, int showWidth = 0, int showHeight = 0,
                  bool grey = false, long long maxPixels = std::numeric_limits<long long>::max());

// The scale denominator (1, 2, 4 or 8) for a picture of W x H shown at
// ShowW x ShowH (0: its own size), within the cap; 0 when even 1/8 is too big.
int JpegScaleFor(int w, int h, int showW, int showH);

}  // namespace platform
