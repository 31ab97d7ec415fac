#pragma once
// The GIF file format without any drawing: the block structure of GIF87a and
// GIF89a files and the LZW decoder, giving each frame's placement, timing and
// index raster. TGIFImage (GifImage.h) turns these into pictures; gifprobe
// and the fuzzer use this layer alone.
//
// Every read is bounded by the data: a truncated file gives the frames read so
// far, and what went wrong is said in `Problem` (empty for a file that ends
// with its trailer).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace htmlview::gif {

// Frames are kept to 256; a frame larger than this on a side ends the parse
// (a 16-bit size would otherwise ask for gigabytes), and the logical screen is
// cut to it. The side cap is the one every picture format has
// (platform::kMaxDecodedSide).
constexpr int kMaxFrames = 256;
constexpr int kMaxSide = 2048;

using ColorTable = std::array<std::uint8_t, 768>;  // 256 RGB triples, padded with zeros

struct GifFrame {
    int FrameLeft = 0, FrameTop = 0, FrameWidth = 0, FrameHeight = 0;
    int TableBits = 0;  // bits of the local table, 0 when the global one is used
    int DelayMs = 0;
    std::uint8_t Disposal = 0;  // 0 none, 1 leave, 2 background, 3 previous
    bool HasLocalTable = false;
    bool Interlaced = false;
    bool Transparent = false;
    std::uint8_t TransparentIndex = 0;
    ColorTable LocalTable{};  // only with HasLocalTable
    std::string Comment;      // comment extensions since the previous image

    // Filled unless scanning: FrameWidth x FrameHeight indices, top row first.
    // Rows the data never delivered hold 0. TransparentMask has one byte per
    // pixel, 1 where a decoded pixel is the transparent index.
    std::vector<std::uint8_t> Pixels;
    std::vector<std::uint8_t> TransparentMask;

    const ColorTable& Colors(const ColorTable& global) const { return HasLocalTable ? LocalTable : global; }
};

struct GifFile {
    int ScreenWidth = 0, ScreenHeight = 0;  // from the descriptor
    int Width = 0, Height = 0;              // enlarged to cover every frame
    int TableBits = 0;                      // the largest table met, in bits
    bool HasGlobalTable = false;
    ColorTable GlobalTable{};
    int LoopCount = 1;  // NETSCAPE2.0 loop count, 1 without one, 0 endless
    bool HasTransparency = false;
    std::vector<GifFrame> Frames;
    bool FramesLeftOut = false;  // an image past kMaxFrames was met, and it and the rest not read
    std::string Problem;  // why the parse ended early; empty after a trailer
};

// Reads a whole file. Returns false when the data does not start with "GIF"
// or the screen descriptor is cut off (nothing usable); otherwise true with
// the frames read, and `Problem` saying why reading stopped early if it did.
// With scanOnly the frames are counted and measured but not decoded.
bool ReadGif(const std::uint8_t* data, std::size_t size, bool scanOnly, GifFile& out);

// Decodes one image's data: the minimum-code-size byte followed by its
// sub-blocks, starting at data[pos]. Writes frame.Pixels (and the mask for a
// transparent frame) and returns the position after the block terminator.
// A bad code size, a bad literal or an overlong string ends the frame; the
// rows not reached keep 0.
std::size_t DecodePixels(const std::uint8_t* data, std::size_t size, std::size_t pos, GifFrame& frame,
                         std::string* problem = nullptr);

}  // namespace htmlview::gif
