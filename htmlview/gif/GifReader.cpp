// GIF block structure and LZW decoding.
//
// ReadGif walks the file with a `BlockWalker` in three stages:
//   1. `ReadScreen`: signature and logical screen descriptor (with the global
//      colour table);
//   2. the block loop, one stage per block kind: `ReadExtension` (graphic
//      control, comment, NETSCAPE2.0 loop, plain text skipped), `ReadImage`
//      (descriptor and local table, then `ReadImageData`: DecodePixels or a
//      skip when scanning), the trailer; anything else ends the walk;
//   3. `CoverFrames`: the screen size enlarged to cover every frame.
// Each stage answers a `Stop`; `Describe` turns it into the Problem text.
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
        assert(done_ || frame.Pixels.size() == static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
        assert(!mask_ || frame.TransparentMask.size() == frame.Pixels.size());
        Seek();
    }

    bool Done() const { return done_; }

    // Stores up to n indices from src (in order); returns false once the
    // last row is complete.
    bool Put(const std::uint8_t* src, int n) {
        while (n > 0 && !done_) {
            assert(y_ >= 0 && y_ < height_ && x_ >= 0 && x_ < width_);
            int take = std::min(n, width_ - x_);
            assert(take > 0 && x_ + take <= width_);
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
        assert(done_ || (y_ >= 0 && y_ < height_ && pass_ < 4));
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
constexpr int kMaxCodeBits = 12;

// What ended an image's data early.
enum class PixelProblem { None, DataCut, BadCodeSize, BadLiteral, StringTooLong };

// The LZW decoder proper over the gathered data bytes; returns why it gave up,
// None when the data or the rows ran out.
PixelProblem Lzw(const std::uint8_t* in, std::size_t n, int codeSize, RowWriter& out) {
    assert(codeSize >= 1 && codeSize <= 11);
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
        assert(width <= kMaxCodeBits);
        int code = static_cast<int>(bits & ((1u << width) - 1));
        assert(code < kTableSize);
        bits >>= width;
        bitCount -= width;
        return code;
    };

    int freeCode = clear + 2;
    int limit = 2 * clear;
    int code = next();
    while (code == clear) code = next();
    // After a clear the next code must be a plain literal.
    PixelProblem problem = PixelProblem::None;
    auto literal = [&](int c) {
        if (c < 0 || c == endCode) return false;
        if (c >= clear) {
            problem = PixelProblem::BadLiteral;
            return false;
        }
        std::uint8_t px = suffix[c];
        out.Put(&px, 1);
        return true;
    };
    if (!literal(code)) return problem;
    int prev = code;
    std::uint8_t first = suffix[code];

    while (!out.Done()) {
        // A defined code is below freeCode, and so is every prefix it chains to.
        assert(prev >= 0 && prev < freeCode && freeCode <= kTableSize);
        code = next();
        if (code < 0 || code == endCode) return PixelProblem::None;
        if (code == clear) {
            width = codeSize + 1;
            freeCode = clear + 2;
            limit = 2 * clear;
            do code = next();
            while (code == clear);
            if (!literal(code)) return problem;
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
            if (sp == 1) return PixelProblem::StringTooLong;
            assert(cur < kTableSize);
            stack[--sp] = suffix[cur];
            cur = prefix[cur];
        }
        assert(sp >= 1);
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
    return PixelProblem::None;
}

// Decodes one image's data into the frame; `codeSize` is what the data gave.
std::size_t DecodeImage(const std::uint8_t* data, std::size_t size, std::size_t pos, GifFrame& frame,
                        PixelProblem& problem, int& codeSize) {
    const std::size_t pixels = static_cast<std::size_t>(frame.FrameWidth) * static_cast<std::size_t>(frame.FrameHeight);
    frame.Pixels.assign(pixels, 0);
    if (frame.Transparent) frame.TransparentMask.assign(pixels, 0);
    else frame.TransparentMask.clear();
    problem = PixelProblem::None;
    if (pos >= size) {
        problem = PixelProblem::DataCut;
        return size;
    }
    codeSize = data[pos++];

    // Gather the sub-blocks.
    thread_local std::vector<std::uint8_t> gathered;
    gathered.clear();
    while (true) {
        if (pos >= size) {
            problem = PixelProblem::DataCut;
            pos = size;
            break;
        }
        std::size_t n = data[pos++];
        if (n == 0) break;
        std::size_t take = std::min(n, size - pos);
        gathered.insert(gathered.end(), data + pos, data + pos + take);
        pos += take;
        if (take < n) {
            problem = PixelProblem::DataCut;
            break;
        }
    }
    assert(pos <= size);

    // A cut wins over what the codes say.
    if (codeSize < 1 || codeSize > 11) {
        if (problem == PixelProblem::None) problem = PixelProblem::BadCodeSize;
        return pos;
    }
    RowWriter out(frame);
    PixelProblem lzw = Lzw(gathered.data(), gathered.size(), codeSize, out);
    if (problem == PixelProblem::None) problem = lzw;
    return pos;
}

std::string PixelProblemText(PixelProblem problem, int codeSize) {
    switch (problem) {
        case PixelProblem::None: return {};
        case PixelProblem::DataCut: return "image data cut off";
        case PixelProblem::BadCodeSize: return "bad LZW code size " + std::to_string(codeSize);
        case PixelProblem::BadLiteral: return "bad literal code";
        case PixelProblem::StringTooLong: return "string longer than the code table";
    }
    return {};
}

// Why the walk over the blocks stopped, or GoOn while it has not.
enum class Stop {
    GoOn,
    Ended,  // at the trailer, or at the frame limit: no problem
    NotGif,
    ScreenCut,
    GlobalTableCut,
    NoTrailer,
    LabelCut,      // an extension cut off before its label
    ExtensionCut,
    UnknownExtension,
    DescriptorCut,
    FrameTooLarge,
    LocalTableCut,
    ImageDataCut,
    UnexpectedByte,
};

constexpr std::uint8_t kExtension = 0x21, kImage = 0x2C, kTrailer = 0x3B;
constexpr std::uint8_t kPlainText = 0x01, kGraphicControl = 0xF9, kComment = 0xFE, kApplication = 0xFF;

// The walk's position and what pending blocks carry to the next image.
class BlockWalker {
public:
    BlockWalker(const std::uint8_t* data, std::size_t size, bool scanOnly, GifFile& out)
        : data_(data), size_(size), scanOnly_(scanOnly), out_(out) {}

    Stop ReadScreen();
    Stop ReadBlock();
    void CoverFrames();
    std::string Describe(Stop stop) const;

private:
    Stop ReadExtension();
    std::size_t GraphicControl(std::size_t body, bool& cut);
    std::size_t Comment(std::size_t body, bool& cut);
    std::size_t Application(std::size_t body, bool& cut);
    Stop ReadImage();
    Stop ReadImageData(GifFrame& f);

    const std::uint8_t* data_;
    std::size_t size_;
    bool scanOnly_;
    GifFile& out_;
    std::size_t pos_ = 0;
    std::uint8_t control_[6] = {};  // pending graphic control block
    std::string comment_;
    std::uint8_t byte_ = 0;    // the label or byte a problem names
    std::size_t offset_ = 0;   // and where it stood
};

Stop BlockWalker::ReadScreen() {
    if (size_ < 3 || std::memcmp(data_, "GIF", 3) != 0) return Stop::NotGif;
    if (size_ < 13) return Stop::ScreenCut;
    out_.ScreenWidth = Le16(data_ + 6);
    out_.ScreenHeight = Le16(data_ + 8);
    const int packed = data_[10];
    pos_ = 13;
    if (packed & 0x80) {
        out_.HasGlobalTable = true;
        out_.TableBits = (packed & 7) + 1;
        std::size_t n = std::size_t{3} << out_.TableBits;
        std::size_t take = std::min(n, size_ - pos_);
        std::memcpy(out_.GlobalTable.data(), data_ + pos_, take);
        pos_ += take;
        if (take < n) return Stop::GlobalTableCut;
    }
    return Stop::GoOn;
}

Stop BlockWalker::ReadBlock() {
    if (pos_ >= size_) return Stop::NoTrailer;
    switch (data_[pos_]) {
        case kTrailer: return Stop::Ended;
        case kExtension: return ReadExtension();
        case kImage: return ReadImage();
        default:
            byte_ = data_[pos_];
            offset_ = pos_;
            return Stop::UnexpectedByte;
    }
}

Stop BlockWalker::ReadExtension() {
    if (pos_ + 1 >= size_) return Stop::LabelCut;
    byte_ = data_[pos_ + 1];
    const std::size_t body = pos_ + 2;
    bool cut = false;
    switch (byte_) {
        case kPlainText: pos_ = SkipSubBlocks(data_, size_, body, &cut); break;
        case kGraphicControl: pos_ = GraphicControl(body, cut); break;
        case kComment: pos_ = Comment(body, cut); break;
        case kApplication: pos_ = Application(body, cut); break;
        default:
            offset_ = pos_;
            return Stop::UnknownExtension;
    }
    return cut ? Stop::ExtensionCut : Stop::GoOn;
}

std::size_t BlockWalker::GraphicControl(std::size_t body, bool& cut) {
    if (body + 6 > size_) {
        cut = true;
        return size_;
    }
    std::memcpy(control_, data_ + body, 6);
    return SkipSubBlocks(data_, size_, body, &cut);
}

std::size_t BlockWalker::Comment(std::size_t body, bool& cut) {
    std::size_t p = body;
    while (p < size_ && data_[p] != 0) {
        std::size_t n = data_[p];
        std::size_t take = std::min(n, size_ - p - 1);
        comment_.append(reinterpret_cast<const char*>(data_ + p + 1), take);
        p += 1 + n;
    }
    return SkipSubBlocks(data_, size_, body, &cut);
}

// Only the NETSCAPE2.0 loop count is read; other applications are skipped.
std::size_t BlockWalker::Application(std::size_t body, bool& cut) {
    if (body + 12 <= size_ && data_[body] >= 11 && std::memcmp(data_ + body + 1, "NETSCAPE", 8) == 0 &&
        std::memcmp(data_ + body + 9, "2.0", 3) == 0) {
        std::size_t sub = body + 1 + data_[body];
        if (sub + 4 <= size_ && data_[sub] >= 3) out_.LoopCount = Le16(data_ + sub + 2);
        return SkipSubBlocks(data_, size_, sub, &cut);
    }
    return SkipSubBlocks(data_, size_, body, &cut);
}

// The image descriptor, the local table and the pending control and comment.
Stop BlockWalker::ReadImage() {
    if (static_cast<int>(out_.Frames.size()) >= kMaxFrames) {  // the rest is not kept
        out_.FramesLeftOut = true;
        return Stop::Ended;
    }
    if (pos_ + 10 > size_) return Stop::DescriptorCut;
    const std::uint8_t* d = data_ + pos_;
    GifFrame f;
    f.FrameLeft = Le16(d + 1);
    f.FrameTop = Le16(d + 3);
    f.FrameWidth = Le16(d + 5);
    f.FrameHeight = Le16(d + 7);
    const int fp = d[9];
    if (f.FrameLeft + f.FrameWidth > kMaxSide || f.FrameTop + f.FrameHeight > kMaxSide) return Stop::FrameTooLarge;
    f.Interlaced = (fp & 0x40) != 0;
    pos_ += 10;
    if (fp & 0x80) {
        f.HasLocalTable = true;
        f.TableBits = (fp & 7) + 1;
        std::size_t n = std::size_t{3} << f.TableBits;
        std::size_t take = std::min(n, size_ - pos_);
        if (!scanOnly_) std::memcpy(f.LocalTable.data(), data_ + pos_, take);
        pos_ += take;
        if (take < n) return Stop::LocalTableCut;
    }
    int disposal = (control_[1] >> 2) & 7;
    f.Disposal = static_cast<std::uint8_t>(disposal >= 4 ? 2 : disposal);
    f.DelayMs = Le16(control_ + 2) * 10;
    f.Transparent = (control_[1] & 1) != 0;
    f.TransparentIndex = control_[4];
    f.Comment = std::move(comment_);
    comment_.clear();
    std::memset(control_, 0, sizeof control_);
    return ReadImageData(f);
}

// Decodes the data (or skips it when scanning) and keeps the frame. Only a
// cut ends the walk; other faults leave the rows not reached at 0.
Stop BlockWalker::ReadImageData(GifFrame& f) {
    bool cut = false;
    if (scanOnly_) {
        pos_ = pos_ < size_ ? SkipSubBlocks(data_, size_, pos_ + 1, &cut) : size_;
        // A scan also counts data ending right at its terminator as cut.
        cut = cut || pos_ >= size_;
    } else {
        PixelProblem problem;
        int codeSize = 0;
        pos_ = DecodeImage(data_, size_, pos_, f, problem, codeSize);
        cut = problem == PixelProblem::DataCut;
    }
    out_.TableBits = std::max(out_.TableBits, f.TableBits);
    out_.HasTransparency = out_.HasTransparency || f.Transparent;
    out_.Frames.push_back(std::move(f));
    if (cut) return Stop::ImageDataCut;
    pos_ = SkipZeros(data_, size_, pos_);
    return Stop::GoOn;
}

void BlockWalker::CoverFrames() {
    out_.Width = std::min(out_.ScreenWidth, kMaxSide);
    out_.Height = std::min(out_.ScreenHeight, kMaxSide);
    for (const GifFrame& f : out_.Frames) {
        out_.Width = std::max(out_.Width, f.FrameLeft + f.FrameWidth);
        out_.Height = std::max(out_.Height, f.FrameTop + f.FrameHeight);
    }
    assert(out_.Width <= kMaxSide && out_.Height <= kMaxSide);
}

std::string BlockWalker::Describe(Stop stop) const {
    const std::string frames = std::to_string(out_.Frames.size());
    switch (stop) {
        case Stop::GoOn:
        case Stop::Ended: return {};
        case Stop::NotGif: return "not a GIF file";
        case Stop::ScreenCut: return "screen descriptor cut off";
        case Stop::GlobalTableCut: return "global colour table cut off";
        case Stop::NoTrailer: return "no trailer: data ends after " + frames + " frame(s)";
        case Stop::LabelCut: return "extension cut off";
        case Stop::ExtensionCut: return "extension " + Hex(byte_) + " cut off";
        case Stop::UnknownExtension: return "unknown extension " + Hex(byte_) + " at offset " + std::to_string(offset_);
        case Stop::DescriptorCut: return "image descriptor cut off";
        case Stop::FrameTooLarge:
            return "frame " + std::to_string(out_.Frames.size() + 1) + " is larger than " + std::to_string(kMaxSide) +
                   " pixels";
        case Stop::LocalTableCut: return "local colour table cut off";
        case Stop::ImageDataCut: return "image data of frame " + frames + " cut off";
        case Stop::UnexpectedByte: return "unexpected byte " + Hex(byte_) + " at offset " + std::to_string(offset_);
    }
    return {};
}

}  // namespace

std::size_t DecodePixels(const std::uint8_t* data, std::size_t size, std::size_t pos, GifFrame& frame,
                         std::string* problem) {
    PixelProblem found;
    int codeSize = 0;
    pos = DecodeImage(data, size, pos, frame, found, codeSize);
    if (problem && (found == PixelProblem::DataCut || (found != PixelProblem::None && problem->empty())))
        *problem = PixelProblemText(found, codeSize);
    return pos;
}

bool ReadGif(const std::uint8_t* data, std::size_t size, bool scanOnly, GifFile& out) {
    out = GifFile{};
    BlockWalker walker(data, size, scanOnly, out);
    Stop stop = walker.ReadScreen();
    if (stop == Stop::NotGif || stop == Stop::ScreenCut) {
        out.Problem = walker.Describe(stop);
        return false;
    }
    while (stop == Stop::GoOn) stop = walker.ReadBlock();
    out.Problem = walker.Describe(stop);
    walker.CoverFrames();
    return true;
}

}  // namespace htmlview::gif
