#include "app/data/Jpeg.h"

#include "platform/core/imaging/Jpeg.h"

namespace vorel {

QImage DecodePicture(const std::string& bytes) {
    if (bytes.empty()) throw EJPEG("JPEG error: the picture is empty");
    std::string error;
    QImage image = platform::DecodeJpeg(bytes.data(), bytes.size(), error);
    if (image.isNull()) throw EJPEG("JPEG error: " + error);
    return image;
}

}  // namespace vorel
