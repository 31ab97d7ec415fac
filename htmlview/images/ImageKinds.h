#pragma once
// What a picture is, from its first bytes, and the transparent colour GIF
// and PNG files declare. Every read is bounded by the data given: short or
// damaged files answer "unknown" or "no colour", never read past the end.
#include "htmlview/util/Colors.h"

#include <string>
#include <string_view>

namespace htmlview {

enum TImageKind : int { ikUnknown = 0, ikBmp = 1, ikGif87 = 2, ikGif89 = 3, ikPng = 4, ikJpeg = 5 };

// Which transparency a picture's mask stands for.
enum TImageTransp : std::uint8_t { itNone = 0, itLowerLeft = 1, itGif = 2, itPng = 3 };

TImageKind GetImageType(std::string_view data);
// The kind of a file from its first 11 bytes; unknown when it cannot be read.
TImageKind GetFileImageType(const std::string& fileName);

// The global-table colour a GIF89a's first graphic control extension makes
// transparent, when that extension follows the global colour table directly
// (only the first 790 bytes are looked at).
bool GifTransparentColor(std::string_view data, TColor& colour);
// Palette entry 0 of a palette PNG whose tRNS gives it an alpha below 127.
bool PngTransparentColor(std::string_view data, TColor& colour);
bool FileGifTransparentColor(const std::string& fileName, TColor& colour);
bool FilePngTransparentColor(const std::string& fileName, TColor& colour);

// Picture files are read whole up to this size; a bigger one is refused.
constexpr std::size_t kMaxPictureFile = 64 * 1024 * 1024;

// Up to MaxBytes of a file from its start; false when it cannot be read.
// Only regular files are opened: a pipe or a device is refused at once,
// never waited on.
bool ReadFileStart(const std::string& fileName, std::size_t maxBytes, std::string& bytes);
// A picture file whole: false, with Error saying why, when it cannot be
// opened, is no regular file, cannot be read or holds more than
// kMaxPictureFile bytes.
bool ReadPictureFile(const std::string& fileName, std::string& bytes, std::string& error);

}  // namespace htmlview
