#pragma once
// The last few pictures decoded, by their bytes: a search moving through
// records of the same package shows the same picture again without decoding
// it again. Bytes that differ in any way are decoded anew, so a picture
// edited under the same name is never shown stale.
#include <QImage>

#include <cstddef>
#include <string>
#include <vector>

namespace vorel {

class DecodedPictures {
public:
    // The picture in bytes, as DecodePicture gives it (and raises for).
    QImage Decode(const std::string& bytes);

private:
    static constexpr std::size_t kKept = 4;  // each device's original and equivalent, a few packages
    struct Entry {
        std::string bytes;
        QImage picture;
    };
    std::vector<Entry> entries_;  // most recently used first
};

}  // namespace vorel
