#include "htmlview/images/BmpData.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>

namespace htmlview {

namespace {
constexpr std::size_t kFileHeader = 14;
constexpr std::uint32_t kRle8 = 1, kRle4 = 2;

std::uint32_t le16(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8;
}
std::uint32_t le32(std::string_view b, std::size_t at) { return le16(b, at) | le16(b, at + 2) << 16; }
void putLe32(std::string& b, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void putLe16(std::string& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

std::size_t rowBytes(int width, int bits) {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) / 32 * 4;
}

// RLE8 or RLE4 data into 8-bit rows (bottom row first, as stored), every
// pixel 0 until the data sets it. Pixels past a row's end are dropped; the
// data ends at its end-of-picture code, the last row or the last byte.
std::string expandRle(std::string_view data, int width, int height, bool four) {
    const std::size_t stride = rowBytes(width, 8);
    std::string rows(stride * static_cast<std::size_t>(height), '\0');
    long long x = 0, y = 0;
    auto put = [&](unsigned index) {
        if (x < width && y < height) rows[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)] = static_cast<char>(index);
        ++x;
    };
    std::size_t p = 0;
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(data[at]); };
    while (p + 1 < data.size() && y < height) {
        const unsigned count = byte(p), value = byte(p + 1);
        p += 2;
        if (count > 0) {  // a run
            for (unsigned i = 0; i < count; ++i) put(four ? (i % 2 ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of row
            x = 0;
            ++y;
        } else if (value == 1) {  // end of picture
            break;
        } else if (value == 2) {  // jump
            if (p + 1 >= data.size()) break;
            x += byte(p);
            y += byte(p + 1);
            p += 2;
        } else {  // literal pixels, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            for (unsigned i = 0; i < value && p + (four ? i / 2 : i) < data.size(); ++i) {
                const unsigned b = byte(p + (four ? i / 2 : i));
                put(four ? (i % 2 ? b & 15 : b >> 4) : b);
            }
            p += bytes + (bytes & 1);
        }
    }
    return rows;
}
}  // namespace

bool ReadBmpHeader(std::string_view b, TBmpHeader& h) {
    h = TBmpHeader{};
    if (b.size() < kFileHeader + 12 || b.substr(0, 2) != "BM") return false;
    h.DataOffset = le32(b, 10);
    h.InfoSize = le32(b, kFileHeader);
    long long w = 0, height = 0;
    if (h.InfoSize == 12) {  // OS/2 core header: 16-bit sides, never compressed
        w = le16(b, 18);
        height = le16(b, 20);
        h.Bits = static_cast<int>(le16(b, 24));
    } else {
        if (h.InfoSize < 40 || b.size() < kFileHeader + 40) return false;
        w = static_cast<std::int32_t>(le32(b, 18));
        height = static_cast<std::int32_t>(le32(b, 22));
        h.Bits = static_cast<int>(le16(b, 28));
        h.Compression = le32(b, 30);
    }
    h.TopDown = height < 0;
    height = std::llabs(height);
    if (w <= 0 || height <= 0 || w > INT32_MAX || height > INT32_MAX) return false;
    h.Width = static_cast<int>(w);
    h.Height = static_cast<int>(height);
    return true;
}

std::string CompleteBmp(std::string_view bytes, const TBmpHeader& h) {
    assert(h.Width > 0 && h.Height > 0);
    if (h.DataOffset >= bytes.size() || h.DataOffset < kFileHeader + h.InfoSize) return {};  // no pixel data
    if (h.Compression == kRle8 || h.Compression == kRle4) {
        const bool four = h.Compression == kRle4;
        if (h.TopDown || h.InfoSize < 40 || h.Bits != (four ? 4 : 8)) return {};
        // File header, info header and colour table as they were; then the
        // expanded rows, uncompressed.
        const std::size_t tableBytes = std::min<std::size_t>(h.DataOffset - kFileHeader - h.InfoSize, 4 * 256);
        const std::uint32_t colours = static_cast<std::uint32_t>(tableBytes / 4);
        if (colours == 0) return {};
        const std::size_t headers = kFileHeader + h.InfoSize + 4 * colours;
        std::string out(bytes.substr(0, headers));
        const std::string rows = expandRle(bytes.substr(h.DataOffset), h.Width, h.Height, four);
        out += rows;
        putLe32(out, 2, static_cast<std::uint32_t>(out.size()));
        putLe32(out, 10, static_cast<std::uint32_t>(headers));
        putLe16(out, kFileHeader + 14, 8);
        putLe32(out, kFileHeader + 16, 0);
        putLe32(out, kFileHeader + 20, static_cast<std::uint32_t>(rows.size()));
        putLe32(out, kFileHeader + 32, colours);
        return out;
    }
    if (h.Compression > 3 || h.Bits <= 0 || h.Bits > 32) return std::string(bytes);  // the reader decides
    const std::size_t needed = h.DataOffset + rowBytes(h.Width, h.Bits) * static_cast<std::size_t>(h.Height);
    std::string out(bytes);
    if (out.size() < needed) out.resize(needed, '\0');
    return out;
}

}  // namespace htmlview
