#include "platform/core/imaging/Jpeg.h"
#include "testkit/generators/jpeg/JpegTestFiles.h"

#include <gtest/gtest.h>

using namespace platform;
using platform::testing::JpegOfColour;
using platform::testing::WithClaimedSize;
using platform::testing::WithRepeatedLastScan;

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

// Progressive pictures keep every coefficient of their full size, whatever
// the scale, and pass over them once a scan: both are bounded from the
// header and the scan count, before the decode runs away.
TEST(Jpeg, ProgressivePicturesAreBoundedBeforeTheyAreDecoded) {
    const std::string progressive = JpegOfColour(QColor(20, 180, 60), 64, 48, false, true);
    std::string error;
    TJpegHeader h;
    ASSERT_TRUE(ReadJpegHeader(progressive.data(), progressive.size(), h, error)) << error;
    EXPECT_TRUE(h.MultiScan);
    EXPECT_GT(h.CoefficientBytes, 64LL * 48 * 2);
    QImage img = DecodeJpeg(progressive.data(), progressive.size(), error);
    ASSERT_FALSE(img.isNull()) << error;
    EXPECT_TRUE(near(img.pixel(32, 24), QColor(20, 180, 60)));

    // A few hundred bytes claiming 16384 x 16384 would hold 768 MB of
    // coefficients even at 1/8: refused from the header.
    const std::string claim = WithClaimedSize(progressive, 16384, 16384);
    ASSERT_TRUE(ReadJpegHeader(claim.data(), claim.size(), h, error));
    EXPECT_GT(h.CoefficientBytes, kMaxCoefficientBytes);
    error.clear();
    EXPECT_TRUE(DecodeJpeg(claim.data(), claim.size(), error, 16, 16).isNull());
    EXPECT_EQ(error, "Picture too large (16384 x 16384 in several scans)");
    // Within the coefficient cap it decodes, scaled to the side cap.
    const std::string fits = WithClaimedSize(progressive, 4096, 4096);
    img = DecodeJpeg(fits.data(), fits.size(), error);
    ASSERT_FALSE(img.isNull()) << error;
    EXPECT_EQ(img.size(), QSize(2048, 2048));

    // Scans repeated past the cap end the decode with its message; a few
    // repeats are only redundant.
    const std::string looping = WithRepeatedLastScan(progressive, kMaxJpegScans);
    EXPECT_TRUE(DecodeJpeg(looping.data(), looping.size(), error).isNull());
    EXPECT_EQ(error, "Picture has more than 100 scans");
    const std::string repeated = WithRepeatedLastScan(progressive, 20);
    img = DecodeJpeg(repeated.data(), repeated.size(), error);
    ASSERT_FALSE(img.isNull()) << error;
    EXPECT_TRUE(near(img.pixel(32, 24), QColor(20, 180, 60)));
}

// A caller's pixel budget is met from the header: the decoded size must fit,
// and for a progressive picture its full size too.
TEST(Jpeg, APixelBudgetRefusesFromTheHeader) {
    const std::string baseline = JpegOfColour(Qt::red, 40, 30);
    std::string error;
    EXPECT_EQ(DecodeJpeg(baseline.data(), baseline.size(), error, 0, 0, false, 1200).size(), QSize(40, 30));
    EXPECT_TRUE(DecodeJpeg(baseline.data(), baseline.size(), error, 0, 0, false, 1199).isNull());
    EXPECT_EQ(error, "Picture too large (40 x 30)");

    const std::string big = WithClaimedSize(baseline, 4000, 4000);
    EXPECT_EQ(DecodeJpeg(big.data(), big.size(), error, 0, 0, false, 4'000'000).size(), QSize(2000, 2000));
    const std::string bigProgressive = WithClaimedSize(JpegOfColour(Qt::red, 40, 30, false, true), 4000, 4000);
    EXPECT_TRUE(DecodeJpeg(bigProgressive.data(), bigProgressive.size(), error, 0, 0, false, 4'000'000).isNull());
    EXPECT_EQ(error, "Picture too large (4000 x 4000 in several scans)");
    EXPECT_EQ(DecodeJpeg(bigProgressive.data(), bigProgressive.size(), error, 0, 0, false, 16'000'000).size(),
              QSize(2000, 2000));
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
