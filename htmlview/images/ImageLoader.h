#pragma once
// Loading BMP and JPEG pictures from a file or from bytes, monochrome masks
// and drawing through them. Loading never raises: a missing file, an
// unknown or undecodable format gives a null picture (and no mask), and the
// caller shows its broken-image stand-in. No decoded side exceeds
// platform::kMaxDecodedSide: JPEG is decoded scaled down by libjpeg, other
// formats are scaled after reading, and a header claiming more than the
// reader may allocate is refused. A picture whose decoded size, as its
// header tells, holds more than MaxPixels (what the caller's budget has
// left) is refused before anything is decoded. Every pixel of a result is
// defined: see BmpData.h. Files are read only when regular and at most
// kMaxPictureFile bytes long.
#include "htmlview/images/ImageKinds.h"

#include <QImage>
#include <limits>
#include <string>
#include <string_view>

namespace htmlview {

constexpr long long kNoPixelLimit = std::numeric_limits<long long>::max();

// BMP or JPEG from a file (other kinds give none); with Realize mapped to
// the viewer palette.
QImage LoadImageFromFile(const std::string& fileName, bool realize, long long maxPixels = kNoPixelLimit);
QImage LoadRealizedImage(const std::string& fileName);
// A file's picture with the mask TranspKind asks for: in, itLowerLeft for
// the lower-left pixel's colour; out, itGif or itPng when a ".gif" or ".png"
// file declares a transparent colour. The mask stays null when none applies.
QImage LoadImageWithMask(const std::string& fileName, TImageTransp& transpKind, QImage& mask,
                         long long maxPixels = kNoPixelLimit);
// BMP or JPEG bytes (fewer than 20 bytes give none); TranspKind as above
// (JPEG clears it).
QImage LoadImageFromStream(std::string_view bytes, TImageTransp& transpKind, QImage& mask,
                           long long maxPixels = kNoPixelLimit);

// A monochrome mask of the picture's size: 1 (white) where the pixel has
// Colour (0x00BBGGRR), 0 elsewhere; without UseColour the colour of the
// lower-left pixel. Null for a null picture.
QImage MakeMask(const QImage& picture, bool useColour, TColor colour);
// The picture with the pixels its mask marks made fully transparent: drawn
// (stretched or not), it leaves those pixels of the page untouched.
QImage ApplyMask(const QImage& picture, const QImage& mask);

}  // namespace htmlview
