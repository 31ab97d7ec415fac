// GIF block structure and LZW decoding.
//
// ReadGif walks the file in three stages:
//   1. signature and logical screen descriptor (with the global colour table);
//   2. the block loop: extensions (graphic control, comment, NETSCAPE2.0 loop,
//      others skipped), images (descriptor, local table, then DecodePixels or
//      a skip when scanning), the trailer; anything else ends the walk;
//   3. the screen size enlarged to cover every frame.
// DecodePixels first gathers the image's sub-blocks into one buffer (so the
// position after the terminator is known whatever the codes say), then runs
// the LZW decoder over it, writing rows in plain or interlaced order.
#include "htmlview/gif/GifReader.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace htmlview::gif {
namespace {

int Le16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }

std::string Hex(unsigned v) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s = "0x";
    s += digits[(v >> 4) & 15];
    s += digits[v & 15];
    return s;
}

// Skips a chain of sub-blocks starting at a length byte; returns the position
// after the zero terminator, or size when the chain is cut off.
std::size_t SkipSubBlocks(const std::uint8_t* data, std::size_t size, std::size_t pos, bool* cut = nullptr) {
    while (pos < size) {
        std::size_t n = data[pos];
        if (n == 0) return pos + 1;
        pos += 1 + n;
    }
    if (cut) *cut = true;
    return size;
}

std::size_t SkipZeros(const std::uint8_t* data, std::size_t size, std::size_t pos) {
    while (pos < size && data[pos] == 0) ++pos;
    return pos;
}

// Writes decoded indices into the frame's rows, in interlaced pass order
// when asked. Rows are FrameWidth bytes each, top row first.
class RowWriter {
public:
    RowWriter(GifFrame& frame)
        : pixels_(frame.Pixels.data()),
          mask_(frame.Transparent ? frame.TransparentMask.data() : nullptr),
          transparent_(frame.TransparentIndex),
          width_(frame.FrameWidth),
          height_(frame.FrameHeight),
          interlaced_(frame.Interlaced) {
        done_ = width_ <= 0 || height_ <= 0;
        Seek();
    }

    bool Done() const { return done_; }

    // Stores up to n indices from src (in order); returns false once the
    // last row is complete.
    bool Put(const std::uint8_t* src, int n) {
        while (n > 0 && !done_) {
            assert(y_ < height_ && x_ < width_);
            int take = std::min(n, width_ - x_);
            std::memcpy(row_ + x_, src, static_cast<std::size_t>(take));
            if (mask_) {
                std::uint8_t* m = mask_ + (row_ - pixels_) + x_;
                for (int i = 0; i < take; ++i) m[i] = src[i] == transparent_;
            }
            x_ += take;
            src += take;
            n -= take;
            if (x_ == width_) NextRow();
        }
        return !done_;
    }

private:
    static constexpr int kPassStart[4] = {0, 4, 2, 1};
    static constexpr int kPassStep[4] = {8, 8, 4, 2};

    void Seek() {
        if (!done_) row_ = pixels_ + static_cast<std::size_t>(y_) * static_cast<std::size_t>(width_);
    }

    void NextRow() {
        x_ = 0;
        if (!interlaced_) {
            if (++y_ >= height_) done_ = true;
        } else {
            y_ += kPassStep[pass_];
            while (y_ >= height_) {
                if (++pass_ == 4) {
                    done_ = true;
                    break;
                }
                y_ = kPassStart[pass_];
            }
        }
        Seek();
    }

    std::uint8_t* pixels_;
    std::uint8_t* mask_;
    std::uint8_t transparent_;
    int width_, height_;
    bool interlaced_;
    bool done_ = false;
    int x_ = 0, y_ = 0, pass_ = 0;
    std::uint8_t* row_ = nullptr;
};

constexpr int kTableSize = 4096;

// The LZW decoder proper over the gathered data bytes.
void Lzw(const std::uint8_t* in, std::size_t n, int codeSize, RowWriter& out, std::string* problem) {
    const int clear = 1 << codeSize;
    const int endCode = clear + 1;
    std::uint16_t prefix[kTableSize];
    std::uint8_t suffix[kTableSize];
    std::uint8_t stack[kTableSize + 1];
    for (int i = 0; i < clear; ++i) {
        prefix[i] = 0;
        suffix[i] = static_cast<std::uint8_t>(i);
    }

    std::uint64_t bits = 0;
    int bitCount = 0;
    std::size_t p = 0;
    int width = codeSize + 1;
    auto next = [&]() -> int {
        while (bitCount < width) {
            if (p == n) return -1;
            bits |= static_cast<std::uint64_t>(in[p++]) << bitCount;
            bitCount += 8;
        }
        int code = static_cast<int>(bits & ((1u << width) - 1));
        bits >>= width;
        bitCount -= width;
        return code;
    };

    int freeCode = clear + 2;
    int limit = 2 * clear;
    int code = next();
    while (code == clear) code = next();
    // After a clear the next code must be a plain literal.
    auto literal = [&](int c) {
        if (c < 0 || c == endCode) return false;
        if (c >= clear) {
            if (problem) *problem = "bad literal code";
            return false;
        }
        std::uint8_t px = suffix[c];
        out.Put(&px, 1);
        return true;
    };
    if (!literal(code)) return;
    int prev = code;
    std::uint8_t first = suffix[code];

    while (!out.Done()) {
        code = next();
        if (code < 0 || code == endCode) return;
        if (code == clear) {
            width = codeSize + 1;
            freeCode = clear + 2;
            limit = 2 * clear;
            do code = next();
            while (code == clear);
            if (!literal(code)) return;
            prev = code;
            first = suffix[code];
            continue;
        }
        // Build the string backwards on the stack.
        int sp = kTableSize + 1;
        int cur = code;
        if (code >= freeCode) {
            stack[--sp] = first;
            cur = prev;
        }
        while (cur >= clear) {
            if (sp == 1) {
                if (problem) *problem = "string longer than the code table";
                return;
            }
            assert(cur < kTableSize);
            stack[--sp] = suffix[cur];
            cur = prefix[cur];
        }
        stack[--sp] = static_cast<std::uint8_t>(cur);
        first = static_cast<std::uint8_t>(cur);
        out.Put(stack + sp, kTableSize + 1 - sp);

        if (freeCode < kTableSize) {
            prefix[freeCode] = static_cast<std::uint16_t>(prev);
            suffix[freeCode] = first;
            if (code >= freeCode) code = freeCode;  // an undefined code now names what it produced
            ++freeCode;
            if (freeCode >= limit && limit < kTableSize) {
                limit *= 2;
                ++width;
            }
        } else if (code >= freeCode) {
            code = prev;
        }
        prev = code;
    }
}

}  // namespace

std::size_t DecodePixels(const std::uint8_t* data, std::size_t size, std::size_t pos, GifFrame& frame,
                         std::string* problem) {
    const std::size_t pixels = static_cast<std::size_t>(frame.FrameWidth) * static_cast<std::size_t>(frame.FrameHeight);
    frame.Pixels.assign(pixels, 0);
    if (frame.Transparent) frame.TransparentMask.assign(pixels, 0);
    else frame.TransparentMask.clear();
    if (pos >= size) {
        if (problem) *problem = "image data cut off";
        return size;
    }
    const int codeSize = data[pos++];

    // Gather the sub-blocks.
    thread_local std::vector<std::uint8_t> gathered;
    gathered.clear();
    bool cut = false;
    while (true) {
        if (pos >= size) {
            cut = true;
            pos = size;
            break;
        }
        std::size_t n = data[pos++];
        if (n == 0) break;
        std::size_t take = std::min(n, size - pos);
        gathered.insert(gathered.end(), data + pos, data + pos + take);
        pos += take;
        if (take < n) {
            cut = true;
            break;
        }
    }
    if (cut && problem) *problem = "image data cut off";

    if (codeSize < 1 || codeSize > 11) {
        if (problem && problem->empty()) *problem = "bad LZW code size " + std::to_string(codeSize);
        return pos;
    }
    RowWriter out(frame);
    std::string lzwProblem;
    Lzw(gathered.data(), gathered.size(), codeSize, out, &lzwProblem);
    if (!lzwProblem.empty() && problem && problem->empty()) *problem = lzwProblem;
    return pos;
}

bool ReadGif(const std::uint8_t* data, std::size_t size, bool scanOnly, GifFile& out) {
    out = GifFile{};
    if (size < 3 || std::memcmp(data, "GIF", 3) != 0) {
        out.Problem = "not a GIF file";
        return false;
    }
    if (size < 13) {
        out.Problem = "screen descriptor cut off";
        return false;
    }
    // Stage 1: the logical screen.
    out.ScreenWidth = Le16(data + 6);
    out.ScreenHeight = Le16(data + 8);
    const int packed = data[10];
    std::size_t pos = 13;
    if (packed & 0x80) {
        out.HasGlobalTable = true;
        out.TableBits = (packed & 7) + 1;
        std::size_t n = std::size_t{3} << out.TableBits;
        std::size_t take = std::min(n, size - pos);
        std::memcpy(out.GlobalTable.data(), data + pos, take);
        pos += take;
        if (take < n) out.Problem = "global colour table cut off";
    }

    // Stage 2: the blocks.
    std::uint8_t control[6] = {};  // pending graphic control block
    std::string comment;
    bool ended = !out.Problem.empty();
    while (!ended) {
        if (pos >= size) {
            out.Problem = "no trailer: data ends after " + std::to_string(out.Frames.size()) + " frame(s)";
            break;
        }
        const std::uint8_t kind = data[pos];
        if (kind == 0x3B) break;
        if (kind == 0x21) {
            if (pos + 1 >= size) {
                out.Problem = "extension cut off";
                break;
            }
            const std::uint8_t label = data[pos + 1];
            std::size_t body = pos + 2;
            bool cut = false;
            switch (label) {
                case 0x01:
                    pos = SkipSubBlocks(data, size, body, &cut);
                    break;
                case 0xF9:
                    if (body + 6 > size) {
                        cut = true;
                        pos = size;
                        break;
                    }
                    std::memcpy(control, data + body, 6);
                    pos = SkipSubBlocks(data, size, body, &cut);
                    break;
                case 0xFE: {
                    std::size_t p = body;
                    while (p < size && data[p] != 0) {
                        std::size_t n = data[p];
                        std::size_t take = std::min(n, size - p - 1);
                        comment.append(reinterpret_cast<const char*>(data + p + 1), take);
                        p += 1 + n;
                    }
                    pos = SkipSubBlocks(data, size, body, &cut);
                    break;
                }
                case 0xFF:
                    if (body + 12 <= size && data[body] >= 11 && std::memcmp(data + body + 1, "NETSCAPE", 8) == 0 &&
                        std::memcmp(data + body + 9, "2.0", 3) == 0) {
                        std::size_t sub = body + 1 + data[body];
                        if (sub + 4 <= size && data[sub] >= 3) out.LoopCount = Le16(data + sub + 2);
                        pos = SkipSubBlocks(data, size, sub, &cut);
                    } else {
                        pos = SkipSubBlocks(data, size, body, &cut);
                    }
                    break;
                default:
                    out.Problem = "unknown extension " + Hex(label) + " at offset " + std::to_string(pos);
                    ended = true;
                    continue;
            }
            if (cut) {
                out.Problem = "extension " + Hex(label) + " cut off";
                break;
            }
            continue;
        }
        if (kind == 0x2C) {
            if (static_cast<int>(out.Frames.size()) >= kMaxFrames) break;  // the rest is not kept
            if (pos + 10 > size) {
                out.Problem = "image descriptor cut off";
                break;
            }
            const std::uint8_t* d = data + pos;
            GifFrame f;
            f.FrameLeft = Le16(d + 1);
            f.FrameTop = Le16(d + 3);
            f.FrameWidth = Le16(d + 5);
            f.FrameHeight = Le16(d + 7);
            const int fp = d[9];
            if (f.FrameLeft + f.FrameWidth > kMaxSide || f.FrameTop + f.FrameHeight > kMaxSide) {
                out.Problem = "frame " + std::to_string(out.Frames.size() + 1) + " is larger than " +
                              std::to_string(kMaxSide) + " pixels";
                break;
            }
            f.Interlaced = (fp & 0x40) != 0;
            pos += 10;
            if (fp & 0x80) {
                f.HasLocalTable = true;
                f.TableBits = (fp & 7) + 1;
                std::size_t n = std::size_t{3} << f.TableBits;
                std::size_t take = std::min(n, size - pos);
                if (!scanOnly) std::memcpy(f.LocalTable.data(), data + pos, take);
                pos += take;
                if (take < n) {
                    out.Problem = "local colour table cut off";
                    break;
                }
            }
            int disposal = (control[1] >> 2) & 7;
            f.Disposal = static_cast<std::uint8_t>(disposal >= 4 ? 2 : disposal);
            f.DelayMs = Le16(control + 2) * 10;
            f.Transparent = (control[1] & 1) != 0;
            f.TransparentIndex = control[4];
            f.Comment = std::move(comment);
            comment.clear();
            std::memset(control, 0, sizeof control);

            std::string problem;
            if (scanOnly) {
                bool cut = false;
                pos = pos < size ? SkipSubBlocks(data, size, pos + 1, &cut) : size;
                if (cut || pos >= size) problem = "image data cut off";
            } else {
                pos = DecodePixels(data, size, pos, f, &problem);
            }
            out.TableBits = std::max(out.TableBits, f.TableBits);
            out.HasTransparency = out.HasTransparency || f.Transparent;
            out.Frames.push_back(std::move(f));
            if (problem == "image data cut off") {
                out.Problem = "image data of frame " + std::to_string(out.Frames.size()) + " cut off";
                break;
            }
            pos = SkipZeros(data, size, pos);
            continue;
        }
        out.Problem = "unexpected byte " + Hex(kind) + " at offset " + std::to_string(pos);
        break;
    }

    // Stage 3: the screen covers every frame.
    out.Width = std::min(out.ScreenWidth, kMaxSide);
    out.Height = std::min(out.ScreenHeight, kMaxSide);
    for (const GifFrame& f : out.Frames) {
        out.Width = std::max(out.Width, f.FrameLeft + f.FrameWidth);
        out.Height = std::max(out.Height, f.FrameTop + f.FrameHeight);
    }
    assert(out.Width <= kMaxSide && out.Height <= kMaxSide);
    return true;
}

}  // namespace htmlview::gif
