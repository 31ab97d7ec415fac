#include "htmlview/images/ImageLoader.h"
#include "htmlview/images/ViewerPalette.h"
#include "platform/core/imaging/Jpeg.h"
#include "testkit/files/Deadline.h"
#include "testkit/files/TempDir.h"
#include "testkit/generators/jpeg/JpegTestFiles.h"
#include "testkit/htmlview/ImageTestFiles.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <sys/stat.h>

using namespace htmlview;
using namespace htmlview::testing;
using platform::testing::JpegOfColour;

namespace {
bool near(QRgb a, QColor b, int tolerance = 8) {
    return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance &&
           std::abs(qBlue(a) - b.blue()) <= tolerance;
}
// A 6 x 4 picture: green, with a magenta lower-left quarter.
QImage twoColours() {
    QImage img(6, 4, QImage::Format_RGB32);
    img.fill(QColor(0, 160, 0));
    for (int y = 2; y < 4; ++y)
        for (int x = 0; x < 3; ++x) img.setPixelColor(x, y, QColor(255, 0, 255));
    return img;
}

std::uint32_t le32At(const std::string& b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8 |
                                      static_cast<unsigned char>(b[at + 2]) << 16 |
                                      static_cast<unsigned char>(b[at + 3]) << 24);
}
void putLe32(std::string& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The same BMP stored top-down: a negative height and its rows in reading order.
std::string TopDown(const std::string& bottomUp) {
    std::string b = bottomUp;
    const std::uint32_t offset = le32At(b, 10);
    const auto width = static_cast<int>(le32At(b, 18)), height = static_cast<int>(le32At(b, 22));
    const int bits = static_cast<unsigned char>(b[28]) | static_cast<unsigned char>(b[29]) << 8;
    const std::size_t stride = static_cast<std::size_t>((width * bits + 31) / 32 * 4);
    for (int y = 0; y < height; ++y)
        b.replace(offset + y * stride, stride, bottomUp, offset + (height - 1 - y) * stride, stride);
    putLe32(b, 22, static_cast<std::uint32_t>(-height));
    return b;
}

// A black-and-white BMP of the given sides, every pixel white.
std::string MonoBmp(int width, int height) {
    const std::uint32_t stride = static_cast<std::uint32_t>((width + 31) / 32 * 4);
    std::string b(62, '\0');
    b[0] = 'B';
    b[1] = 'M';
    putLe32(b, 2, 62 + stride * static_cast<std::uint32_t>(height));
    putLe32(b, 10, 62);
    putLe32(b, 14, 40);
    putLe32(b, 18, static_cast<std::uint32_t>(width));
    putLe32(b, 22, static_cast<std::uint32_t>(height));
    b[26] = 1;  // planes
    b[28] = 1;  // bits
    putLe32(b, 58, 0x00FFFFFF);  // colour 1 white; colour 0 black
    return b + std::string(stride * static_cast<std::size_t>(height), '\xFF');
}

// A 4 x 3 (RLE8) or 4 x 1 (RLE4) picture with three colours: 0 dark blue-grey,
// 1 red, 2 green; Data its compressed pixels.
std::string RleBmp(bool four, const std::string& data) {
    const int height = four ? 1 : 3;
    std::string b(54, '\0');
    b[0] = 'B';
    b[1] = 'M';
    const std::string table("\x1E\x14\x0A\0" "\0\0\xFF\0" "\0\xFF\0\0", 12);  // blue, green, red, 0
    putLe32(b, 2, static_cast<std::uint32_t>(54 + table.size() + data.size()));
    putLe32(b, 10, static_cast<std::uint32_t>(54 + table.size()));
    putLe32(b, 14, 40);
    putLe32(b, 18, 4);
    putLe32(b, 22, static_cast<std::uint32_t>(height));
    b[26] = 1;
    b[28] = four ? 4 : 8;
    putLe32(b, 30, four ? 2 : 1);
    putLe32(b, 34, static_cast<std::uint32_t>(data.size()));
    putLe32(b, 46, 3);  // colours used
    return b + table + data;
}

std::vector<QColor> rowOf(const QImage& img, int y) {
    std::vector<QColor> row;
    for (int x = 0; x < img.width(); ++x) row.emplace_back(img.pixel(x, y));
    return row;
}
}  // namespace

TEST(ImageLoader, BmpAndJpegFromBytes) {
    TImageTransp kind = itNone;
    QImage mask;
    QImage bmp = LoadImageFromStream(BmpOf(twoColours()), kind, mask);
    ASSERT_FALSE(bmp.isNull());
    EXPECT_EQ(bmp.size(), QSize(6, 4));
    EXPECT_EQ(QColor(bmp.pixel(5, 0)), QColor(0, 160, 0));
    EXPECT_EQ(QColor(bmp.pixel(0, 3)), QColor(255, 0, 255));
    EXPECT_TRUE(mask.isNull());
    // Stored top-down, the same picture.
    const QImage topDown = LoadImageFromStream(TopDown(BmpOf(twoColours())), kind, mask);
    ASSERT_FALSE(topDown.isNull());
    EXPECT_EQ(topDown.convertToFormat(QImage::Format_RGB32), bmp.convertToFormat(QImage::Format_RGB32));

    kind = itLowerLeft;  // asked for, but JPEG has no mask
    QImage jpeg = LoadImageFromStream(JpegOfColour(QColor(30, 60, 200), 24, 16), kind, mask);
    ASSERT_FALSE(jpeg.isNull());
    EXPECT_EQ(jpeg.size(), QSize(24, 16));
    EXPECT_TRUE(near(jpeg.pixel(12, 8), QColor(30, 60, 200)));
    EXPECT_EQ(kind, itNone);
    EXPECT_TRUE(mask.isNull());
}

TEST(ImageLoader, WhatGivesNoPicture) {
    TImageTransp kind = itNone;
    QImage mask;
    const std::string bmp = BmpOf(twoColours());
    EXPECT_TRUE(LoadImageFromStream(bmp.substr(0, 19), kind, mask).isNull());
    EXPECT_TRUE(LoadImageFromStream(bmp.substr(0, 40), kind, mask).isNull());  // header only
    EXPECT_TRUE(LoadImageFromStream(PngSignature() + Ihdr(2) + std::string(40, '\0'), kind, mask).isNull());
    EXPECT_TRUE(LoadImageFromStream(TransparentGif(), kind, mask).isNull());  // GIFs go to the GIF decoder
    EXPECT_TRUE(LoadImageFromStream(std::string(100, 'x'), kind, mask).isNull());
    EXPECT_TRUE(LoadImageFromStream(JpegOfColour(Qt::red, 8, 8).substr(0, 30), kind, mask).isNull());
    // A BMP header claiming a huge picture is refused before anything is allocated.
    std::string huge = bmp;
    huge[18] = huge[19] = huge[22] = huge[23] = '\x7F';
    EXPECT_TRUE(LoadImageFromStream(huge, kind, mask).isNull());
}

// Qt's reader leaves the pixels a file does not deliver as whatever memory
// held; every pixel shown here is one the file set or colour 0 / black.
TEST(ImageLoader, PixelsAFileDoesNotSetAreClearedNotLeftToChance) {
    TImageTransp kind = itNone;
    QImage mask;
    const QColor c0(10, 20, 30), red(255, 0, 0), green(0, 255, 0), black(0, 0, 0);
    // RLE8, bottom row first: a run ended early; literals ended early; a jump,
    // one pixel and the end of the picture.
    const std::string rle8("\x02\x01\x00\x00" "\x00\x03\x02\x01\x02\x00\x00\x00" "\x00\x02\x01\x00\x01\x02\x00\x01",
                           20);
    QImage img = LoadImageFromStream(RleBmp(false, rle8), kind, mask);
    ASSERT_EQ(img.size(), QSize(4, 3));
    EXPECT_EQ(rowOf(img, 0), (std::vector<QColor>{c0, green, c0, c0}));
    EXPECT_EQ(rowOf(img, 1), (std::vector<QColor>{green, red, green, c0}));
    EXPECT_EQ(rowOf(img, 2), (std::vector<QColor>{red, red, c0, c0}));
    // RLE4: a run of three alternating nibbles, then the end.
    img = LoadImageFromStream(RleBmp(true, std::string("\x03\x12\x00\x01", 4)), kind, mask);
    ASSERT_EQ(img.size(), QSize(4, 1));
    EXPECT_EQ(rowOf(img, 0), (std::vector<QColor>{red, green, red, c0}));
    // Data cut inside a run, and jumps far outside the picture, stay inside it.
    img = LoadImageFromStream(RleBmp(false, std::string("\x00\x02\xFF\xFF\x05", 5)), kind, mask);
    ASSERT_EQ(img.size(), QSize(4, 3));
    EXPECT_EQ(rowOf(img, 1), (std::vector<QColor>{c0, c0, c0, c0}));

    // A top-down picture cut after its first two rows: those, then black.
    const std::string whole = TopDown(BmpOf(twoColours()));
    const std::size_t stride = 20;  // 6 pixels of 3 bytes, padded
    img = LoadImageFromStream(whole.substr(0, le32At(whole, 10) + 2 * stride), kind, mask);
    ASSERT_EQ(img.size(), QSize(6, 4));
    EXPECT_EQ(rowOf(img, 1), std::vector<QColor>(6, QColor(0, 160, 0)));
    EXPECT_EQ(rowOf(img, 2), std::vector<QColor>(6, black));
    EXPECT_EQ(rowOf(img, 3), std::vector<QColor>(6, black));
    // Bottom-up and cut: the bottom rows it has, black above.
    const std::string bottomUp = BmpOf(twoColours());
    img = LoadImageFromStream(bottomUp.substr(0, le32At(bottomUp, 10) + stride + 5), kind, mask);
    ASSERT_EQ(img.size(), QSize(6, 4));
    EXPECT_EQ(QColor(img.pixel(0, 3)), QColor(255, 0, 255));
    EXPECT_EQ(rowOf(img, 0), std::vector<QColor>(6, black));
    // No pixel data at all, or a top-down RLE picture: no picture.
    EXPECT_TRUE(LoadImageFromStream(bottomUp.substr(0, 54), kind, mask).isNull());
    std::string upsideDown = RleBmp(false, rle8);
    putLe32(upsideDown, 22, static_cast<std::uint32_t>(-3));
    EXPECT_TRUE(LoadImageFromStream(upsideDown, kind, mask).isNull());
}

// What is left of the caller's budget is met from the header: a picture
// that does not fit is refused before it is decoded; an exact fit is shown.
TEST(ImageLoader, PicturesOverTheBudgetLeftAreRefusedFromTheirHeader) {
    TImageTransp kind = itNone;
    QImage mask;
    EXPECT_EQ(LoadImageFromStream(BmpOf(twoColours()), kind, mask, 24).size(), QSize(6, 4));
    EXPECT_TRUE(LoadImageFromStream(BmpOf(twoColours()), kind, mask, 23).isNull());
    const std::string jpeg = JpegOfColour(Qt::blue, 24, 16);
    EXPECT_EQ(LoadImageFromStream(jpeg, kind, mask, 384).size(), QSize(24, 16));
    EXPECT_TRUE(LoadImageFromStream(jpeg, kind, mask, 383).isNull());
    // A big BMP counts at the size it is shown, after the side cap.
    const std::string big = MonoBmp(4000, 4000);
    EXPECT_EQ(LoadImageFromStream(big, kind, mask, 2048 * 2048).size(), QSize(2048, 2048));
    EXPECT_TRUE(LoadImageFromStream(big, kind, mask, 2048 * 2048 - 1).isNull());
    // A progressive JPEG holds its full size while decoding.
    const std::string progressive =
        platform::testing::WithClaimedSize(JpegOfColour(Qt::blue, 16, 16, false, true), 4000, 4000);
    EXPECT_TRUE(LoadImageFromStream(progressive, kind, mask, 8'000'000).isNull());
    EXPECT_EQ(LoadImageFromStream(progressive, kind, mask, 16'000'000).size(), QSize(2000, 2000));
}

// Picture files are opened only when regular, and read up to a cap.
TEST(ImageLoader, OnlyRegularFilesWithinTheCapAreRead) {
    platform::testing::TempDir dir;
    const std::string pipe = dir.Path().string() + "/pipe.bmp", huge = dir.Path().string() + "/huge.bmp",
                      edge = dir.Path().string() + "/edge.bmp";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::string bytes, error;
    {
        // Nobody ever writes to the pipe: waiting on it would never end.
        platform::testing::Deadline deadline(std::chrono::seconds(60), "reading a pipe as a picture");
        EXPECT_TRUE(LoadImageFromFile(pipe, false).isNull());
        TImageTransp kind = itLowerLeft;
        QImage mask;
        EXPECT_TRUE(LoadImageWithMask(pipe, kind, mask).isNull());
        EXPECT_EQ(GetFileImageType(pipe), ikUnknown);
        TColor colour = 0;
        EXPECT_FALSE(FileGifTransparentColor(pipe, colour));
        EXPECT_FALSE(ReadPictureFile(pipe, bytes, error));
        EXPECT_EQ(error, pipe + " is not a regular file");
    }
    EXPECT_FALSE(ReadPictureFile("/dev/zero", bytes, error));
    EXPECT_EQ(error, "/dev/zero is not a regular file");
    EXPECT_FALSE(ReadPictureFile(dir.Path().string() + "/missing.bmp", bytes, error));
    EXPECT_EQ(error, "cannot open " + dir.Path().string() + "/missing.bmp: No such file or directory");

    // Sparse files: one byte over the cap is refused, the cap itself read.
    WriteBytes(huge, BmpOf(twoColours()));
    std::filesystem::resize_file(huge, kMaxPictureFile + 1);
    EXPECT_FALSE(ReadPictureFile(huge, bytes, error));
    EXPECT_EQ(error, huge + " is larger than 64 MB");
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(LoadImageFromFile(huge, false).isNull());
    WriteBytes(edge, BmpOf(twoColours()));
    std::filesystem::resize_file(edge, kMaxPictureFile);
    ASSERT_TRUE(ReadPictureFile(edge, bytes, error)) << error;
    EXPECT_EQ(bytes.size(), kMaxPictureFile);
    EXPECT_EQ(LoadImageFromFile(edge, false).size(), QSize(6, 4));
}

TEST(ImageLoader, TranspOnABmpMasksTheLowerLeftColour) {
    TImageTransp kind = itLowerLeft;
    QImage mask;
    QImage img = LoadImageFromStream(BmpOf(twoColours()), kind, mask);
    ASSERT_FALSE(mask.isNull());
    EXPECT_EQ(kind, itLowerLeft);
    EXPECT_EQ(mask.size(), img.size());
    EXPECT_EQ(mask.pixelIndex(0, 3), 1);
    EXPECT_EQ(mask.pixelIndex(2, 2), 1);
    EXPECT_EQ(mask.pixelIndex(3, 3), 0);
    EXPECT_EQ(mask.pixelIndex(0, 0), 0);
    // Drawn through the mask, the magenta pixels leave the page alone.
    QImage drawn = ApplyMask(img, mask);
    EXPECT_EQ(qAlpha(drawn.pixel(0, 3)), 0);
    EXPECT_EQ(drawn.pixel(5, 0), qRgb(0, 160, 0));
}

TEST(ImageLoader, MasksFromAColour) {
    QImage img = twoColours();
    QImage m = MakeMask(img, true, 0x00A000);  // green, red in the low byte
    EXPECT_EQ(m.pixelIndex(5, 0), 1);
    EXPECT_EQ(m.pixelIndex(0, 3), 0);
    EXPECT_EQ(m.format(), QImage::Format_Mono);
    EXPECT_TRUE(MakeMask(QImage(), false, 0).isNull());
}

TEST(ImageLoader, FilesWithAndWithoutMasks) {
    platform::testing::TempDir dir;
    const std::string bmp = dir.Path().string() + "/pic.bmp", jpg = dir.Path().string() + "/pic.jpg", gif = dir.Path().string() + "/pic.gif",
                      png = dir.Path().string() + "/pic.png";
    WriteBytes(bmp, BmpOf(twoColours()));
    WriteBytes(jpg, JpegOfColour(QColor(250, 250, 0), 10, 10));
    WriteBytes(gif, TransparentGif());
    WriteBytes(png, PngSignature() + Ihdr(3) + PngChunk("PLTE", "\x01\x02\x03") + PngChunk("tRNS", std::string(1, '\0')));
    EXPECT_EQ(LoadImageFromFile(bmp, false).size(), QSize(6, 4));
    EXPECT_TRUE(near(LoadRealizedImage(jpg).pixel(5, 5), QColor(250, 250, 0)));
    EXPECT_TRUE(LoadImageFromFile(gif, false).isNull());
    EXPECT_TRUE(LoadImageFromFile(dir.Path().string() + "/missing.bmp", false).isNull());

    TImageTransp kind = itNone;
    QImage mask;
    EXPECT_FALSE(LoadImageWithMask(bmp, kind, mask).isNull());
    EXPECT_TRUE(mask.isNull());
    kind = itLowerLeft;
    EXPECT_FALSE(LoadImageWithMask(bmp, kind, mask).isNull());
    EXPECT_EQ(mask.pixelIndex(0, 3), 1);
    // A PNG is recognised, its colour read, but it is never decoded.
    kind = itNone;
    EXPECT_TRUE(LoadImageWithMask(png, kind, mask).isNull());
    EXPECT_EQ(kind, itPng);
    EXPECT_TRUE(mask.isNull());
    kind = itNone;
    EXPECT_TRUE(LoadImageWithMask(dir.Path().string() + "/missing.bmp", kind, mask).isNull());
}

TEST(ImageLoader, BigPicturesAreCappedOnAllRoads) {
    QImage wide(platform::kMaxDecodedSide * 2, 8, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    TImageTransp kind = itNone;
    QImage mask;
    QImage img = LoadImageFromStream(BmpOf(wide), kind, mask);
    EXPECT_EQ(img.width(), platform::kMaxDecodedSide);
    EXPECT_LE(img.height(), 8);
    const std::string claim = platform::testing::WithClaimedSize(JpegOfColour(Qt::blue, 16, 16), 8000, 6000);
    img = LoadImageFromStream(claim, kind, mask);
    EXPECT_EQ(img.size(), QSize(2000, 1500));
    // A BMP is read whole before it is scaled: one of more pixels than the
    // reader may allocate is refused, however little its file takes.
    EXPECT_EQ(LoadImageFromStream(MonoBmp(4000, 4000), kind, mask).size(), QSize(2048, 2048));
    EXPECT_TRUE(LoadImageFromStream(MonoBmp(4200, 4100), kind, mask).isNull());
}

TEST(ImageLoader, EightBitDisplaysMapPicturesToTheViewerPalette) {
    const int before = DisplayBits();
    SetDisplayBits(8);
    TImageTransp kind = itNone;
    QImage mask;
    QImage img = LoadImageFromStream(BmpOf(twoColours()), kind, mask);
    EXPECT_EQ(img.format(), QImage::Format_Indexed8);
    // Green (0, 160, 0) maps to the nearest entry: the system's dark green.
    EXPECT_EQ(QColor(img.pixel(5, 0)), QColor(0, 128, 0));
    // A greyscale JPEG too: grey 90 is nearest the cube's 115.
    const std::string grey = JpegOfColour(QColor(90, 90, 90), 8, 8, true);
    img = LoadImageFromStream(grey, kind, mask);
    EXPECT_EQ(img.format(), QImage::Format_Indexed8);
    EXPECT_EQ(QColor(img.pixel(4, 4)), QColor(115, 115, 115));
    SetDisplayBits(before);
    EXPECT_EQ(LoadImageFromStream(BmpOf(twoColours()), kind, mask).format(), QImage::Format_RGB32);
}
