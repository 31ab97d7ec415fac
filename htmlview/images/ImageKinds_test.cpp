#include "htmlview/images/ImageKinds.h"
#include "testkit/files/TempDir.h"
#include "testkit/htmlview/ImageTestFiles.h"

#include <gtest/gtest.h>

using namespace htmlview;
using namespace htmlview::testing;

TEST(ImageKinds, SignaturesFromTheFirstBytes) {
    EXPECT_EQ(GetImageType("GIF89a"), ikGif89);
    EXPECT_EQ(GetImageType("GIF87a"), ikGif87);
    EXPECT_EQ(GetImageType("GIF8"), ikGif87);  // anything but 9 after GIF8
    EXPECT_EQ(GetImageType("GIF7"), ikUnknown);
    EXPECT_EQ(GetImageType("BM"), ikBmp);
    EXPECT_EQ(GetImageType("\x89PNG"), ikPng);
    EXPECT_EQ(GetImageType("\xFF\xD8"), ikJpeg);
    EXPECT_EQ(GetImageType("\xFF"), ikUnknown);
    EXPECT_EQ(GetImageType(""), ikUnknown);
    EXPECT_EQ(GetImageType("<html>"), ikUnknown);

    platform::testing::TempDir dir;
    const std::string gif = dir.Path().string() + "/a.dat";
    WriteBytes(gif, TransparentGif());
    EXPECT_EQ(GetFileImageType(gif), ikGif89);
    WriteBytes(gif, "B");
    EXPECT_EQ(GetFileImageType(gif), ikUnknown);
    EXPECT_EQ(GetFileImageType(dir.Path().string() + "/missing.bmp"), ikUnknown);
    EXPECT_EQ(GetFileImageType(dir.Path().string()), ikUnknown);  // a folder
}

TEST(ImageKinds, GifTransparentColourOnlyFromAnExtensionAfterTheTable) {
    TColor c = 0;
    ASSERT_TRUE(GifTransparentColor(TransparentGif(), c));
    EXPECT_EQ(c, 0xFFFFFFu);
    // Entry 5 of an 8-colour table: (5, 10, 15), red in the low byte.
    ASSERT_TRUE(GifTransparentColor(GifWithTable("89a", 2, Gce(5)), c));
    EXPECT_EQ(c, 0x0F0A05u);
    // GIF87a has none; nor an extension without its flag, nor another block first.
    EXPECT_FALSE(GifTransparentColor(GifWithTable("87a", 2, Gce(5)), c));
    EXPECT_FALSE(GifTransparentColor(GifWithTable("89a", 2, Gce(5, false)), c));
    EXPECT_FALSE(GifTransparentColor(GifWithTable("89a", 2, ",\x00\x00" + Gce(5)), c));
    // Without a global table there is no colour to name.
    EXPECT_FALSE(GifTransparentColor(GifWithTable("89a", 2, Gce(5), false), c));
    // An index beyond the table names no colour of it.
    EXPECT_FALSE(GifTransparentColor(GifWithTable("89a", 1, Gce(200)), c));
    // Short files end the probe, at every length.
    const std::string whole = GifWithTable("89a", 2, Gce(5));
    for (size_t n = 0; n < whole.size() - 2; ++n) EXPECT_FALSE(GifTransparentColor(whole.substr(0, n), c)) << n;
    // A full 256-colour table puts the extension at 781; only 790 bytes are read.
    EXPECT_TRUE(GifTransparentColor(GifWithTable("89a", 7, Gce(255)), c));
    EXPECT_EQ(c, 0xFDFEFFu);  // entry 255: (255, 510, 765) in bytes
}

TEST(ImageKinds, PngTransparentColourIsPaletteEntryZeroBelowHalfAlpha) {
    const std::string plte = PngChunk("PLTE", std::string("\x10\x20\x30\x40\x50\x60", 6));
    TColor c = 0;
    ASSERT_TRUE(PngTransparentColor(PngSignature() + Ihdr(3) + plte + PngChunk("tRNS", "\x7E"), c));
    EXPECT_EQ(c, 0x302010u);
    EXPECT_FALSE(PngTransparentColor(PngSignature() + Ihdr(3) + plte + PngChunk("tRNS", "\x7F"), c));
    // Not a palette picture; tRNS before PLTE; the walk ends at IDAT and IEND.
    EXPECT_FALSE(PngTransparentColor(PngSignature() + Ihdr(2) + plte + PngChunk("tRNS", "\x00"), c));
    EXPECT_FALSE(PngTransparentColor(PngSignature() + Ihdr(3) + PngChunk("tRNS", "\x00") + plte, c));
    EXPECT_FALSE(PngTransparentColor(PngSignature() + Ihdr(3) + plte + PngChunk("IDAT", "xx") + PngChunk("tRNS", "\x00"), c));
    // Other chunks are walked over.
    EXPECT_TRUE(PngTransparentColor(PngSignature() + Ihdr(3) + PngChunk("tEXt", "a\0b") + plte + PngChunk("tRNS", std::string(1, '\0')), c));
    // Not a PNG.
    EXPECT_FALSE(PngTransparentColor("\x89PNG\r\n\x1A", c));
    EXPECT_FALSE(PngTransparentColor(TransparentGif(), c));
}

TEST(ImageKinds, DamagedPngChunkLengthsEndTheWalk) {
    const std::string plte = PngChunk("PLTE", std::string("\x10\x20\x30", 3));
    TColor c = 0;
    // A length that would wrap the position round, or run past the data.
    for (std::uint32_t length : {0xFFFFFFFFu, 0xFFFFFFF4u, 0x80000000u, 1000u}) {
        const std::string png = PngSignature() + Ihdr(3) + PngChunk("tEXt", "abc", length) + plte + PngChunk("tRNS", std::string(1, '\0'));
        EXPECT_FALSE(PngTransparentColor(png, c)) << length;
    }
    // Truncated at every length.
    const std::string whole = PngSignature() + Ihdr(3) + plte + PngChunk("tRNS", std::string(1, '\0'));
    for (size_t n = 0; n + 4 < whole.size(); ++n) EXPECT_FALSE(PngTransparentColor(whole.substr(0, n), c)) << n;
    // An IHDR too short to hold the colour type.
    EXPECT_FALSE(PngTransparentColor(PngSignature() + PngChunk("IHDR", "abc") + plte, c));
}

TEST(ImageKinds, FileProbes) {
    platform::testing::TempDir dir;
    const std::string gif = dir.Path().string() + "/t.gif", png = dir.Path().string() + "/t.png";
    WriteBytes(gif, TransparentGif());
    WriteBytes(png, PngSignature() + Ihdr(3) + PngChunk("PLTE", "\x01\x02\x03") + PngChunk("tRNS", std::string(1, '\0')));
    TColor c = 0;
    EXPECT_TRUE(FileGifTransparentColor(gif, c));
    EXPECT_EQ(c, 0xFFFFFFu);
    EXPECT_TRUE(FilePngTransparentColor(png, c));
    EXPECT_EQ(c, 0x030201u);
    EXPECT_FALSE(FileGifTransparentColor(png, c));
    EXPECT_FALSE(FilePngTransparentColor(dir.Path().string() + "/none.png", c));
}
