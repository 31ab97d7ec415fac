// gifprobe FILE                     one line per frame, the number of frames
//                                   read, then the loop count
// gifprobe FILE --raster N          frame N's index raster, one row a line
// gifprobe FILE --composite N OUT   the picture shown at frame N (stepped
//                                   from frame 1), written as PNG
// Frames are listed from a scan, which decodes nothing. A raster or a
// composite is made only for a GIF within the pixel budget of one page, as
// the viewer would show it; a bigger one is refused before decoding. A
// damaged file prints what was read, then one line on standard error, and
// exits 1; so does a file that cannot be read as a picture.
#include "htmlview/gif/GifImage.h"
#include "htmlview/gif/GifReader.h"
#include "htmlview/images/ImageKinds.h"
#include "htmlview/images/PictureBudget.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

int Usage() {
    std::cerr << "usage: gifprobe FILE [--raster N | --composite N OUT.png]\n";
    return 2;
}

bool ParseIndex(const char* text, int count, int& index) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!end || *end || v < 1 || v > count) return false;
    index = static_cast<int>(v);
    return true;
}

// What the decoded picture holds: the screen and every frame (as TGIFImage::PixelCount).
long long PixelsOf(const htmlview::gif::GifFile& file) {
    long long pixels = static_cast<long long>(file.Width) * file.Height;
    for (const auto& f : file.Frames) pixels += static_cast<long long>(f.FrameWidth) * f.FrameHeight;
    return pixels;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4 && argc != 5) return Usage();
    std::string mode = argc > 2 ? argv[2] : "";
    if (!mode.empty() && !(mode == "--raster" && argc == 4) && !(mode == "--composite" && argc == 5)) return Usage();

    std::string bytes, error;
    if (!htmlview::ReadPictureFile(argv[1], bytes, error)) {
        std::cerr << "error: " << error << "\n";
        return 1;
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    htmlview::gif::GifFile file;
    const bool ok = htmlview::gif::ReadGif(data, bytes.size(), true, file);

    if (mode.empty()) {
        int n = 0;
        for (const auto& f : file.Frames) {
            std::string t = f.Transparent ? std::to_string(f.TransparentIndex) : "-";
            std::printf("frame %d: %d %d %d %d delay %d disposal %d transparent %s\n", ++n, f.FrameLeft, f.FrameTop,
                        f.FrameWidth, f.FrameHeight, f.DelayMs, f.Disposal, t.c_str());
        }
        if (ok) {
            std::printf("frames %d%s\n", n, file.FramesLeftOut ? " (more in the file are not read)" : "");
            std::printf("loop %d\n", file.LoopCount);
        }
    } else {
        const long long pixels = PixelsOf(file);
        if (ok && pixels > htmlview::kDocumentPicturePixels) {
            std::cerr << "error: the picture holds " << pixels << " pixels, more than the "
                      << htmlview::kDocumentPicturePixels << " of a page\n";
            return 1;
        }
    }
    if (mode == "--raster") {
        htmlview::gif::ReadGif(data, bytes.size(), false, file);
        int index = 0;
        if (!ParseIndex(argv[3], static_cast<int>(file.Frames.size()), index)) {
            std::cerr << "error: no frame " << argv[3] << "\n";
            return 1;
        }
        const auto& f = file.Frames[index - 1];
        for (int y = 0; y < f.FrameHeight; ++y) {
            std::string line;
            for (int x = 0; x < f.FrameWidth; ++x) {
                if (x) line += ' ';
                line += std::to_string(f.Pixels[static_cast<std::size_t>(y) * f.FrameWidth + x]);
            }
            std::printf("%s\n", line.c_str());
        }
    } else if (mode == "--composite") {
        QGuiApplication app(argc, argv);
        htmlview::TGIFImage gif;
        if (!gif.LoadStream(data, bytes.size())) {
            std::cerr << "error: " << (gif.Problem.empty() ? "not a GIF file" : gif.Problem) << "\n";
            return 1;
        }
        int index = 0;
        if (!ParseIndex(argv[3], gif.FrameCount, index)) {
            std::cerr << "error: no frame " << argv[3] << "\n";
            return 1;
        }
        for (int i = 2; i <= index; ++i) gif.SetFrameIndex(i);
        if (!gif.CompositeWithAlpha().save(QString::fromLocal8Bit(argv[4]), "PNG")) {
            std::cerr << "error: cannot write " << argv[4] << "\n";
            return 1;
        }
    }
    if (!file.Problem.empty()) {
        std::cerr << "error: " << file.Problem << "\n";
        return 1;
    }
    return 0;
}
