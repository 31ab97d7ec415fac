#include "htmlview/images/ImageLoader.h"

#include "htmlview/images/ViewerPalette.h"
#include "platform/core/imaging/Jpeg.h"
#include "platform/core/runtime/Text.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace htmlview {

namespace {
using platform::kMaxDecodedSide;
// Whole picture files are read up to this size.
constexpr std::size_t kMaxPictureFile = 64 * 1024 * 1024;
// A reader may allocate this many pixels before the result is scaled down.
constexpr long long kMaxReadPixels = 16LL * 1024 * 1024;

QImage capped(QImage img) {
    if (img.width() > kMaxDecodedSide || img.height() > kMaxDecodedSide)
        img = img.scaled(kMaxDecodedSide, kMaxDecodedSide, Qt::KeepAspectRatio, Qt::FastTransformation);
    return img;
}

std::int32_t le32(std::string_view b, std::size_t at) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
                                     static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
                                     static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
                                     static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24);
}

// The sides a BMP header claims (a negative height is a top-down picture,
// which Qt reads but reports no size for); empty when there is no header.
QSize bmpSize(std::string_view b) {
    if (b.size() < 26) return {};
    const std::int32_t headerSize = le32(b, 14);
    long long w = 0, h = 0;
    if (headerSize == 12) {  // OS/2 core header: 16-bit sides
        w = static_cast<std::uint8_t>(b[18]) | static_cast<std::uint8_t>(b[19]) << 8;
        h = static_cast<std::uint8_t>(b[20]) | static_cast<std::uint8_t>(b[21]) << 8;
    } else {
        w = le32(b, 18);
        h = std::llabs(static_cast<long long>(le32(b, 22)));
    }
    if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX) return {};
    return QSize(static_cast<int>(w), static_cast<int>(h));
}

// A BMP through Qt's reader, refused when its header claims more than the
// reader may allocate.
QImage readBmp(std::string_view bytes) {
    const QSize size = bmpSize(bytes);
    if (size.isEmpty() || static_cast<long long>(size.width()) * size.height() > kMaxReadPixels) return {};
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    QImage img;
    if (!reader.read(&img)) return {};
    return capped(img);
}

QImage decodeJpeg(std::string_view bytes) {
    std::string error;
    // Deep displays take 24 bits; 8-bit ones the palette (greys decode as such first).
    return RealizeToPalette(platform::DecodeJpeg(bytes.data(), bytes.size(), error, 0, 0, DisplayBits() <= 8));
}

// BMP and JPEG only.
QImage decodeBitmap(std::string_view bytes) {
    switch (GetImageType(bytes)) {
        case ikBmp: return readBmp(bytes);
        case ikJpeg: return decodeJpeg(bytes);
        default: return {};
    }
}

TColor colourOf(QRgb p) { return static_cast<TColor>(qRed(p) | (qGreen(p) << 8) | (qBlue(p) << 16)); }

std::string lowerExtension(const std::string& fileName) {
    const auto dot = fileName.find_last_of('.');
    if (dot == std::string::npos || fileName.find_first_of("/\\", dot) != std::string::npos) return {};
    return platform::AsciiLower(fileName.substr(dot, 10));
}

bool readPictureFile(const std::string& fileName, std::string& bytes) {
    return ReadFileStart(fileName, kMaxPictureFile, bytes);
}
}  // namespace

QImage LoadImageFromFile(const std::string& fileName, bool realize) {
    std::string bytes;
    if (!readPictureFile(fileName, bytes)) return {};
    QImage img = decodeBitmap(bytes);
    return realize ? RealizeToPalette(img) : img;
}

QImage LoadRealizedImage(const std::string& fileName) { return LoadImageFromFile(fileName, true); }

QImage LoadImageWithMask(const std::string& fileName, TImageTransp& transpKind, QImage& mask) {
    mask = QImage();
    std::string bytes;
    if (!readPictureFile(fileName, bytes)) return {};
    const std::string ext = lowerExtension(fileName);
    TColor colour = 0;
    if (ext == ".gif" && GifTransparentColor(bytes, colour)) transpKind = itGif;
    else if (ext == ".png" && PngTransparentColor(bytes, colour)) transpKind = itPng;
    QImage img = decodeBitmap(bytes);
    if (transpKind == itNone || img.isNull()) return RealizeToPalette(img);
    mask = MakeMask(img, transpKind != itLowerLeft, colour);
    if (mask.isNull()) return {};
    return RealizeToPalette(img);
}

QImage LoadImageFromStream(std::string_view bytes, TImageTransp& transpKind, QImage& mask) {
    mask = QImage();
    if (bytes.size() < 20) return {};
    const TImageKind kind = GetImageType(bytes);
    if (kind != ikBmp && kind != ikJpeg) return {};
    if (kind == ikJpeg) transpKind = itNone;
    QImage img = decodeBitmap(bytes);
    if (img.isNull()) return {};
    if (transpKind == itLowerLeft) mask = MakeMask(img, false, 0);
    return RealizeToPalette(img);
}

QImage MakeMask(const QImage& picture, bool useColour, TColor colour) {
    if (picture.isNull() || picture.width() == 0 || picture.height() == 0) return {};
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const TColor key = useColour ? (colour & 0xFFFFFF) : colourOf(rgb.pixel(0, rgb.height() - 1));
    QImage mask(rgb.size(), QImage::Format_Mono);
    if (mask.isNull()) return {};
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) mask.setPixel(x, y, colourOf(line[x]) == key ? 1 : 0);
    }
    return mask;
}

QImage ApplyMask(const QImage& picture, const QImage& mask) {
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    if (mask.isNull()) return out;
    const int w = std::min(out.width(), mask.width()), h = std::min(out.height(), mask.height());
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x)
            if (mask.pixelIndex(x, y) == 1) line[x] = 0;
    }
    return out;
}

}  // namespace htmlview
