#pragma once
// JPEG decoding through libjpeg. Decoded pictures are capped: a header may
// claim 65535 x 65535 pixels in a few bytes, so no side of a result exceeds
// kMaxDecodedSide; bigger pictures are decoded scaled down by libjpeg (1/2,
// 1/4 or 1/8), and one still too big at 1/8 is refused. Bad data never ends
// the program: libjpeg's errors come back as a message.
#include <QImage>
#include <cstddef>
#include <string>

namespace platform {

constexpr int kMaxDecodedSide = 2048;

struct TJpegHeader {
    int Width = 0, Height = 0;
    bool Greyscale = false;
};

// The picture's own size from its header; false (with Error) when the data is no JPEG.
bool ReadJpegHeader(const void* data, std::size_t size, TJpegHeader& header, std::string& error);

// The picture as an opaque RGB32 image (Grayscale8 when Grey is asked and
// the picture is greyscale). With ShowWidth/ShowHeight > 0 it is decoded at
// the smallest libjpeg scale that still covers that size. A null image with
// Error set on failure.
QImage DecodeJpeg(const void* data, std::size_t size, std::string& error, int showWidth = 0, int showHeight = 0,
                  bool grey = false);

// The scale denominator (1, 2, 4 or 8) for a picture of W x H shown at
// ShowW x ShowH (0: its own size), within the cap; 0 when even 1/8 is too big.
int JpegScaleFor(int w, int h, int showW, int showH);

}  // namespace platform
