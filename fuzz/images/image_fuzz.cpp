// libFuzzer target for the viewer's picture readers: any bytes through the
// signature, the GIF and PNG transparent-colour probes, the BMP and JPEG
// loaders (with and without a lower-left mask), the GIF reader and the JPEG
// decoder at a reduced size. Every outcome must be a picture within the
// size cap or none; the sanitizers catch the rest.
#include "htmlview/images/ImageKinds.h"
#include "htmlview/images/ImageLoader.h"
#include "platform/core/imaging/Jpeg.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
void checkCapped(const QImage& img) {
    if (img.width() > platform::kMaxDecodedSide || img.height() > platform::kMaxDecodedSide) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace htmlview;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)GetImageType(bytes);
    TColor colour = 0;
    (void)GifTransparentColor(bytes, colour);
    (void)PngTransparentColor(bytes, colour);
    for (TImageTransp asked : {itNone, itLowerLeft}) {
        TImageTransp kind = asked;
        QImage mask;
        QImage img = LoadImageFromStream(bytes, kind, mask);
        checkCapped(img);
        if (!mask.isNull() && mask.size() != img.size()) std::abort();
    }
    std::string error;
    checkCapped(platform::DecodeJpeg(bytes.data(), bytes.size(), error, 16, 16));
    return 0;
}
