#include "htmlview/images/ViewerPalette.h"

#include <gtest/gtest.h>

#include <set>

using namespace htmlview;

TEST(ViewerPalette, DisplayBits) {
    EXPECT_EQ(DisplayBitsFor(1, 1), 4);
    EXPECT_EQ(DisplayBitsFor(1, 4), 4);
    EXPECT_EQ(DisplayBitsFor(8, 1), 8);
    EXPECT_EQ(DisplayBitsFor(4, 2), 8);
    EXPECT_EQ(DisplayBitsFor(16, 1), 24);
    EXPECT_EQ(DisplayBitsFor(32, 1), 24);
    // The test display is deep: no palette, pictures as they are.
    EXPECT_EQ(DisplayBits(), 24);
    EXPECT_TRUE(ViewerPalette().empty());
}

TEST(ViewerPalette, SystemColoursCubeAndGreys) {
    TPaletteEntries system{};
    for (size_t i = 0; i < 256; ++i) system[i] = static_cast<TColor>(0x010101 * (i % 7));
    const TPaletteEntries p = BuildViewerPalette(system);
    for (size_t i : {0u, 9u, 249u, 255u}) EXPECT_EQ(p[i], system[i]) << i;
    // Red fastest, then green, blue slowest; red in the low byte.
    EXPECT_EQ(p[10], 0x373737u);   // 55, 55, 55
    EXPECT_EQ(p[11], 0x373773u);   // red 115
    EXPECT_EQ(p[16], 0x377337u);   // green 115
    EXPECT_EQ(p[46], 0x733737u);   // blue 115
    EXPECT_EQ(p[224], 0xFFFFEBu);  // 235, 255, 255: white left out
    EXPECT_EQ(p[225], 0x878787u);  // 135
    EXPECT_EQ(p[248], 0xFAFAFAu);  // 250
    std::set<TColor> cube(p.begin() + 10, p.begin() + 225);
    EXPECT_EQ(cube.size(), 215u);
    EXPECT_EQ(cube.count(0xFFFFFF), 0u);
    // The standard system palette's fixed colours.
    const TPaletteEntries s = StandardSystemPalette();
    EXPECT_EQ(s[0], 0u);
    EXPECT_EQ(s[249], 0x0000FFu);
    EXPECT_EQ(s[255], 0xFFFFFFu);
}

TEST(ViewerPalette, RealizingOnAnEightBitDisplay) {
    SetDisplayBits(8);
    EXPECT_EQ(ViewerPalette().size(), 256u);
    QImage img(2, 1, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(250, 250, 250));
    img.setPixel(1, 0, qRgb(255, 0, 0));
    QImage r = RealizeToPalette(img);
    EXPECT_EQ(r.format(), QImage::Format_Indexed8);
    EXPECT_EQ(r.pixel(0, 0), qRgb(250, 250, 250));  // a grey of the palette
    EXPECT_EQ(r.pixel(1, 0), qRgb(255, 0, 0));      // a system colour
    SetDisplayBits(32);
    EXPECT_EQ(RealizeToPalette(img).format(), QImage::Format_RGB32);
}
