#include "platform/core/imaging/Jpeg.h"
#include "testkit/generators/jpeg/JpegTestFiles.h"

#include <gtest/gtest.h>

using namespace platform;
using platform::testing::JpegOfColour;
using platform::testing::WithClaimedSize;

namespace {
bool near(QRgb a, QColor b, int tolerance = 6) {
    return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance &&
           std::abs(qBlue(a) - b.blue()) <= tolerance;
}
}  // namespace

TEST(Jpeg, DecodesColoursAndSize) {
    const std::string bytes = JpegOfColour(QColor(200, 40, 90), 40, 30);
    std::string error;
    QImage img = DecodeJpeg(bytes.data(), bytes.size(), error);
    ASSERT_FALSE(img.isNull()) << error;
    EXPECT_EQ(img.size(), QSize(40, 30));
    EXPECT_TRUE(near(img.pixel(20, 15), QColor(200, 40, 90)));
    TJpegHeader h;
    ASSERT_TRUE(ReadJpegHeader(bytes.data(), bytes.size(), h, error));
    EXPECT_EQ(h.Width, 40);
    EXPECT_EQ(h.Height, 30);
    EXPECT_FALSE(h.Greyscale);

    const std::string grey = JpegOfColour(QColor(100, 100, 100), 16, 8, true);
    img = DecodeJpeg(grey.data(), grey.size(), error, 0, 0, true);
    EXPECT_EQ(img.format(), QImage::Format_Grayscale8);
    img = DecodeJpeg(grey.data(), grey.size(), error);
    EXPECT_EQ(img.format(), QImage::Format_RGB32);
    EXPECT_TRUE(near(img.pixel(3, 3), QColor(100, 100, 100)));
}

TEST(Jpeg, BadDataGivesAMessage) {
    std::string error;
    EXPECT_TRUE(DecodeJpeg(nullptr, 0, error).isNull());
    EXPECT_FALSE(error.empty());
    const std::string bytes = JpegOfColour(Qt::red, 8, 8);
    error.clear();
    EXPECT_TRUE(DecodeJpeg(bytes.data(), 20, error).isNull());
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_TRUE(DecodeJpeg("GIF89a....", 10, error).isNull());
    EXPECT_FALSE(error.empty());
}

TEST(Jpeg, HugeClaimedSizesAreDecodedScaledDownOrRefused) {
    // A few hundred bytes that claim 8000 x 8000 pixels: decoded at 1/4.
    const std::string small = JpegOfColour(Qt::blue, 16, 16);
    const std::string claim = WithClaimedSize(small, 8000, 8000);
    std::string error;
    QImage img = DecodeJpeg(claim.data(), claim.size(), error);
    ASSERT_FALSE(img.isNull()) << error;
    EXPECT_EQ(img.size(), QSize(2000, 2000));
    // Too big even at 1/8.
    const std::string giant = WithClaimedSize(small, 40000, 100);
    EXPECT_TRUE(DecodeJpeg(giant.data(), giant.size(), error).isNull());
    EXPECT_NE(error.find("too large"), std::string::npos);
}

TEST(Jpeg, ScaleFollowsTheShownSizeAndTheCap) {
    EXPECT_EQ(JpegScaleFor(800, 600, 0, 0), 1);
    EXPECT_EQ(JpegScaleFor(800, 600, 800, 600), 1);
    EXPECT_EQ(JpegScaleFor(800, 600, 400, 300), 2);
    EXPECT_EQ(JpegScaleFor(800, 600, 399, 0), 2);
    EXPECT_EQ(JpegScaleFor(800, 600, 100, 75), 8);
    EXPECT_EQ(JpegScaleFor(800, 600, 10, 10), 8);
    EXPECT_EQ(JpegScaleFor(801, 600, 101, 0), 8);  // libjpeg rounds 100.1 up to 101
    EXPECT_EQ(JpegScaleFor(801, 600, 102, 0), 4);
    EXPECT_EQ(JpegScaleFor(kMaxDecodedSide, 10, 0, 0), 1);
    EXPECT_EQ(JpegScaleFor(kMaxDecodedSide + 1, 10, 0, 0), 2);
    EXPECT_EQ(JpegScaleFor(8 * kMaxDecodedSide, 10, 0, 0), 8);
    EXPECT_EQ(JpegScaleFor(8 * kMaxDecodedSide + 1, 10, 0, 0), 0);

    const std::string bytes = JpegOfColour(Qt::green, 800, 600);
    std::string error;
    QImage img = DecodeJpeg(bytes.data(), bytes.size(), error, 200, 150);
    EXPECT_EQ(img.size(), QSize(200, 150));
    EXPECT_TRUE(near(img.pixel(100, 75), QColor(Qt::green), 10));
}
