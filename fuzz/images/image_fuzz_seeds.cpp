// Writes the image fuzzer's seed pictures into the folder given: a BMP, a
// JPEG (baseline, greyscale, progressive, and progressive claiming a huge
// size or repeating its last scan), a transparent GIF and a palette PNG
// header, each small.
#include "testkit/generators/jpeg/JpegTestFiles.h"
#include "testkit/htmlview/ImageTestFiles.h"

#include <QImage>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: image_fuzz_seeds FOLDER\n");
        return 2;
    }
    using namespace htmlview::testing;
    const std::string dir = argv[1];
    QImage img(5, 3, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    img.setPixelColor(0, 2, Qt::red);
    WriteBytes(dir + "/seed.bmp", BmpOf(img));
    WriteBytes(dir + "/seed.jpg", platform::testing::JpegOfColour(Qt::darkYellow, 17, 9));
    WriteBytes(dir + "/seed-grey.jpg", platform::testing::JpegOfColour(Qt::gray, 8, 8, true));
    const std::string progressive = platform::testing::JpegOfColour(Qt::darkRed, 16, 16, false, true);
    WriteBytes(dir + "/seed-progressive.jpg", progressive);
    WriteBytes(dir + "/seed-progressive-huge.jpg", platform::testing::WithClaimedSize(progressive, 16384, 16384));
    WriteBytes(dir + "/seed-progressive-scans.jpg", platform::testing::WithRepeatedLastScan(progressive, 500));
    WriteBytes(dir + "/seed.gif", TransparentGif());
    WriteBytes(dir + "/seed-table.gif", GifWithTable("89a", 2, Gce(3) + std::string(",\0\0\0\0\1\0\1\0\0\2\2D\1\0;", 16)));
    WriteBytes(dir + "/seed.png", PngSignature() + Ihdr(3) + PngChunk("PLTE", std::string("\1\2\3\4\5\6", 6)) +
                                      PngChunk("tRNS", std::string(1, '\0')) + PngChunk("IEND", ""));
    return 0;
}
