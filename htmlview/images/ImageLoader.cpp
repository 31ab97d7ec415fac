#include "htmlview/images/ImageLoader.h"

#include "htmlview/images/BmpData.h"
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
// A reader may allocate this many pixels before the result is scaled down.
constexpr long long kMaxReadPixels = 16LL * 1024 * 1024;

QSize cappedSize(QSize size) {
    if (size.width() > kMaxDecodedSide || size.height() > kMaxDecodedSide)
        size = size.scaled(kMaxDecodedSide, kMaxDecodedSide, Qt::KeepAspectRatio);
    return size;
}

QImage capped(QImage img) {
    if (img.width() > kMaxDecodedSide || img.height() > kMaxDecodedSide)
        img = img.scaled(kMaxDecodedSide, kMaxDecodedSide, Qt::KeepAspectRatio, Qt::FastTransformation);
    return img;
}

// A BMP through Qt's reader, refused from its header when it claims more
// than the reader may allocate or, once capped, more than MaxPixels.
QImage readBmp(std::string_view bytes, long long maxPixels) {
    TBmpHeader header;
    if (!ReadBmpHeader(bytes, header)) return {};
    const QSize size(header.Width, header.Height);
    const QSize shown = cappedSize(size);
    if (static_cast<long long>(size.width()) * size.height() > kMaxReadPixels ||
        static_cast<long long>(shown.width()) * shown.height() > maxPixels)
        return {};
    const std::string whole = CompleteBmp(bytes, header);
    if (whole.empty()) return {};
    QByteArray data = QByteArray::fromRawData(whole.data(), static_cast<qsizetype>(whole.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    QImage img;
    if (!reader.read(&img)) return {};
    return capped(img);
}

QImage decodeJpeg(std::string_view bytes, long long maxPixels) {
    std::string error;
    // Deep displays take 24 bits; 8-bit ones the palette (greys decode as such first).
    return RealizeToPalette(
        platform::DecodeJpeg(bytes.data(), bytes.size(), error, 0, 0, DisplayBits() <= 8, maxPixels));
}

// BMP and JPEG only.
QImage decodeBitmap(std::string_view bytes, long long maxPixels) {
    switch (GetImageType(bytes)) {
        case ikBmp: return readBmp(bytes, maxPixels);
        case ikJpeg: return decodeJpeg(bytes, maxPixels);
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
    std::string error;  // the caller shows the broken picture whatever the reason
    return ReadPictureFile(fileName, bytes, error);
}
}  // namespace

QImage LoadImageFromFile(const std::string& fileName, bool realize, long long maxPixels) {
    std::string bytes;
    if (!readPictureFile(fileName, bytes)) return {};
    QImage img = decodeBitmap(bytes, maxPixels);
    return realize ? RealizeToPalette(img) : img;
}

QImage LoadRealizedImage(const std::string& fileName) { return LoadImageFromFile(fileName, true); }

QImage LoadImageWithMask(const std::string& fileName, TImageTransp& transpKind, QImage& mask, long long maxPixels) {
    mask = QImage();
    std::string bytes;
    if (!readPictureFile(fileName, bytes)) return {};
    const std::string ext = lowerExtension(fileName);
    TColor colour = 0;
    if (ext == ".gif" && GifTransparentColor(bytes, colour)) transpKind = itGif;
    else if (ext == ".png" && PngTransparentColor(bytes, colour)) transpKind = itPng;
    QImage img = decodeBitmap(bytes, maxPixels);
    if (transpKind == itNone || img.isNull()) return RealizeToPalette(img);
    mask = MakeMask(img, transpKind != itLowerLeft, colour);
    if (mask.isNull()) return {};
    return RealizeToPalette(img);
}

QImage LoadImageFromStream(std::string_view bytes, TImageTransp& transpKind, QImage& mask, long long maxPixels) {
    mask = QImage();
    if (bytes.size() < 20) return {};
    const TImageKind kind = GetImageType(bytes);
    if (kind != ikBmp && kind != ikJpeg) return {};
    if (kind == ikJpeg) transpKind = itNone;
    QImage img = decodeBitmap(bytes, maxPixels);
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
