#include "htmlview/images/ImageKinds.h"

#include "platform/core/hostio/HostFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace htmlview {

namespace {
constexpr std::size_t kGifProbeBytes = 790;
// PNG files are walked whole up to this size; a picture file is smaller.
constexpr std::size_t kPngProbeBytes = 16 * 1024 * 1024;

unsigned byteAt(std::string_view d, std::size_t i) { return static_cast<unsigned char>(d[i]); }

std::uint32_t bigEndian32(std::string_view d, std::size_t i) {
    return (std::uint32_t{byteAt(d, i)} << 24) | (byteAt(d, i + 1) << 16) | (byteAt(d, i + 2) << 8) | byteAt(d, i + 3);
}

TColor rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }
}  // namespace

TImageKind GetImageType(std::string_view d) {
    if (d.size() >= 4 && d.substr(0, 4) == "GIF8") return d.size() > 4 && d[4] == '9' ? ikGif89 : ikGif87;
    if (d.size() >= 2 && d.substr(0, 2) == "BM") return ikBmp;
    if (d.size() >= 4 && d.substr(0, 4) == "\x89PNG") return ikPng;
    if (d.size() >= 2 && byteAt(d, 0) == 0xFF && byteAt(d, 1) == 0xD8) return ikJpeg;
    return ikUnknown;
}

namespace {
// Reads up to MaxBytes of an open file, and never more than one byte past
// the size it had when opened; false on a read error.
bool readStart(platform::HostFile& file, std::size_t maxBytes, std::string& bytes) {
    const auto opened = static_cast<std::uint64_t>(std::max<std::int64_t>(file.Opened().size, 0));
    bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(maxBytes, opened + 1)));
    bytes.resize(file.Read(bytes.data(), bytes.size()));
    return file.LastError() == 0;
}
}  // namespace

bool ReadFileStart(const std::string& fileName, std::size_t maxBytes, std::string& bytes) {
    platform::HostFile file;
    return file.Open(fileName, platform::HostFile::Mode::Read) && readStart(file, maxBytes, bytes);
}

bool ReadPictureFile(const std::string& fileName, std::string& bytes, std::string& error) {
    bytes.clear();
    platform::HostFile file;
    if (!file.Open(fileName, platform::HostFile::Mode::Read)) {
        const int e = file.LastError();
        error = e == EINVAL ? fileName + " is not a regular file" : "cannot open " + fileName + ": " + std::strerror(e);
        return false;
    }
    // The size may have changed since the open: one byte more than the cap tells.
    if (file.Opened().size > static_cast<std::int64_t>(kMaxPictureFile) ||
        !readStart(file, kMaxPictureFile + 1, bytes) || bytes.size() > kMaxPictureFile) {
        error = file.LastError() != 0 ? "cannot read " + fileName + ": " + std::strerror(file.LastError())
                                      : fileName + " is larger than " + std::to_string(kMaxPictureFile / (1024 * 1024)) +
                                            " MB";
        bytes.clear();
        return false;
    }
    return true;
}

TImageKind GetFileImageType(const std::string& fileName) {
    std::string head;
    if (!ReadFileStart(fileName, 11, head)) return ikUnknown;
    return GetImageType(head);
}

bool GifTransparentColor(std::string_view data, TColor& colour) {
    const std::string_view d = data.substr(0, kGifProbeBytes);
    if (d.size() < 13 || GetImageType(d) != ikGif89) return false;
    const unsigned packed = byteAt(d, 10);
    // Without a global colour table there is no colour to give.
    if (!(packed & 0x80)) return false;
    const std::size_t table = 13, ext = table + 3 * (std::size_t{2} << (packed & 7));
    if (ext + 6 >= d.size()) return false;
    if (byteAt(d, ext) != 0x21 || byteAt(d, ext + 1) != 0xF9 || !(byteAt(d, ext + 3) & 1)) return false;
    const std::size_t entry = table + 3 * byteAt(d, ext + 6);
    if (entry + 2 >= ext) return false;  // the index lies beyond the table
    colour = rgb(byteAt(d, entry), byteAt(d, entry + 1), byteAt(d, entry + 2));
    return true;
}

// Chunks from offset 8: length (big-endian), type, data, CRC. A length that
// runs past the data ends the walk, so a damaged file can neither loop nor
// read outside the bytes.
bool PngTransparentColor(std::string_view d, TColor& colour) {
    if (d.size() < 8 || d.substr(0, 8) != std::string_view("\x89PNG\r\n\x1A\n", 8)) return false;
    unsigned colourType = 255;
    bool havePalette = false;
    TColor candidate = 0;
    std::size_t pos = 8;
    while (pos + 8 <= d.size()) {
        const std::uint32_t length = bigEndian32(d, pos);
        const std::string_view type = d.substr(pos + 4, 4);
        const std::size_t dataAt = pos + 8;
        if (length > d.size() - dataAt) return false;
        if (type == "IHDR") {
            if (length < 13) return false;
            colourType = byteAt(d, dataAt + 9);
            if (colourType != 3) return false;
        } else if (type == "PLTE") {
            if (colourType == 3 && length >= 3) {
                candidate = rgb(byteAt(d, dataAt), byteAt(d, dataAt + 1), byteAt(d, dataAt + 2));
                havePalette = true;
            }
        } else if (type == "tRNS") {
            if (colourType == 3 && length >= 1 && byteAt(d, dataAt) < 127 && havePalette) {
                colour = candidate;
                return true;
            }
        } else if (type == "IEND" || type == "IDAT") {
            return false;
        }
        pos = dataAt + length + 4;  // forward only: length was checked against the data
    }
    return false;
}

bool FileGifTransparentColor(const std::string& fileName, TColor& colour) {
    std::string bytes;
    return ReadFileStart(fileName, kGifProbeBytes, bytes) && GifTransparentColor(bytes, colour);
}

bool FilePngTransparentColor(const std::string& fileName, TColor& colour) {
    std::string bytes;
    return ReadFileStart(fileName, kPngProbeBytes, bytes) && PngTransparentColor(bytes, colour);
}

}  // namespace htmlview
