#pragma once
// BMP bytes made whole before Qt's reader sees them. The reader leaves the
// pixels a file does not deliver as whatever memory held: the rows a cut
// file lacks, and every pixel an RLE picture skips (by a jump or an early
// end). So a cut uncompressed picture is padded with zero bytes, and RLE8
// and RLE4 pictures are expanded here into a cleared 8-bit picture: pixels
// the file never set have colour index 0 (black for deep pictures).
#include <cstdint>
#include <string>
#include <string_view>

namespace htmlview {

struct TBmpHeader {
    int Width = 0, Height = 0;  // Height positive; TopDown for a negative header height
    bool TopDown = false;
    int Bits = 0;
    std::uint32_t Compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields...
    std::uint32_t InfoSize = 0;     // 12 for the OS/2 core header
    std::uint32_t DataOffset = 0;
};

// The header's facts; false when there is no usable header (no sides).
bool ReadBmpHeader(std::string_view bytes, TBmpHeader& header);

// Bytes Qt's reader turns into a fully defined picture, or empty when the
// file cannot give one (not one byte of pixel data, a top-down RLE picture). Sides must
// already be bounded by the caller: the result holds every pixel.
std::string CompleteBmp(std::string_view bytes, const TBmpHeader& header);

}  // namespace htmlview
