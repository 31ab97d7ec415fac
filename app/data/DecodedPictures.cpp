#include "app/data/DecodedPictures.h"

#include "app/data/Jpeg.h"

#include <algorithm>

namespace vorel {

QImage DecodedPictures::Decode(const std::string& bytes) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.bytes == bytes; });
    if (it != entries_.end()) {
        std::rotate(entries_.begin(), it, it + 1);
        return entries_.front().picture;
    }
    QImage picture = DecodePicture(bytes);  // raises before anything is kept
    if (entries_.size() == kKept) entries_.pop_back();
    entries_.insert(entries_.begin(), Entry{bytes, picture});
    return picture;
}

}  // namespace vorel
