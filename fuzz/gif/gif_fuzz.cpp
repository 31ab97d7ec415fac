// libFuzzer target for the GIF reader: any bytes are scanned and, when the
// scan finds them within a page's pixel budget (the viewer decodes nothing
// bigger), read in full and, when they load, composed through every frame
// and back to the first. The sanitizers and the reader's assertions catch
// what goes wrong.
#include <cstddef>
#include <cstdint>

#include "htmlview/gif/GifImage.h"
#include "htmlview/gif/GifReader.h"
#include "htmlview/images/PictureBudget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    htmlview::gif::GifFile scanned, full;
    bool a = htmlview::gif::ReadGif(data, size, true, scanned);
    long long pixels = static_cast<long long>(scanned.Width) * scanned.Height;
    for (const auto& f : scanned.Frames) pixels += static_cast<long long>(f.FrameWidth) * f.FrameHeight;
    if (pixels > htmlview::kDocumentPicturePixels) return 0;
    bool b = htmlview::gif::ReadGif(data, size, false, full);
    if (a != b || scanned.Frames.size() != full.Frames.size()) __builtin_trap();
    for (const auto& f : full.Frames)
        if (f.Pixels.size() != static_cast<std::size_t>(f.FrameWidth) * f.FrameHeight) __builtin_trap();

    htmlview::TGIFImage gif;
    std::uint32_t clock = 0;
    gif.SetClock([&clock] { return clock; });
    if (gif.LoadStream(data, size)) {
        gif.SetAnimating(true);
        for (int i = 0; i < 2 * gif.FrameCount + 2; ++i) {
            clock += 100000;
            gif.CheckAnimation(nullptr);
        }
        auto copy = gif.Copy();
        gif.SetFrameIndex(1);
        (void)gif.CompositeWithAlpha();
    }
    return 0;
}
