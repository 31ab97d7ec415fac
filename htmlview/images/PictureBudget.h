#pragma once
// How many pixels the pictures of one document may hold. Every picture the
// document takes, decoded or from the cache, is charged its pixel count (an
// animation: every frame and its composition surface) once, however many of
// its images show it; one that does not fit what is left is refused, and
// the image shows the broken picture. With sides capped at
// platform::kMaxDecodedSide for every format, this bounds what one page can
// make the viewer allocate.
#include "htmlview/images/Picture.h"

#include <set>
#include <string>

namespace htmlview {

// 128 MB of 32-bit pixels.
constexpr long long kDocumentPicturePixels = 32LL * 1024 * 1024;

class TPictureBudget {
public:
    explicit TPictureBudget(long long limit = kDocumentPicturePixels) : limit_(limit) {}

    long long Limit() const { return limit_; }
    long long Used() const { return used_; }
    long long Left() const { return limit_ - used_; }
    // Charges Pixels when they fit what is left (an exact fit does); false
    // (nothing charged) otherwise.
    bool Take(long long pixels);
    // Charges the picture known by Key (its cache key) the first time only;
    // later calls for the same key are true and charge nothing.
    bool TakeOnce(const std::string& key, long long pixels);
    bool Holds(const std::string& key) const { return charged_.count(key) != 0; }
    // A new document: nothing charged.
    void Reset() {
        used_ = 0;
        charged_.clear();
    }

private:
    long long limit_;
    long long used_ = 0;
    std::set<std::string> charged_;
};

// What a picture holds in pixels: its bitmap and, for an animation, its frames and surfaces.
long long PicturePixels(const TPicture& picture);

}  // namespace htmlview
