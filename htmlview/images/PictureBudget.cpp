#include "htmlview/images/PictureBudget.h"

#include <cassert>

namespace htmlview {

bool TPictureBudget::Take(long long pixels) {
    assert(pixels >= 0);
    if (pixels > Left()) return false;
    used_ += pixels;
    assert(used_ <= limit_);
    return true;
}

bool TPictureBudget::TakeOnce(const std::string& key, long long pixels) {
    if (Holds(key)) return true;
    if (!Take(pixels)) return false;
    charged_.insert(key);
    return true;
}

long long PicturePixels(const TPicture& picture) {
    long long pixels = static_cast<long long>(picture.Bitmap.width()) * picture.Bitmap.height();
    if (picture.Animation) pixels += picture.Animation->PixelCount();
    return pixels;
}

}  // namespace htmlview
