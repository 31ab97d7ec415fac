#pragma once
// JPEG pictures of the pictures table, decoded with libjpeg. Bad data gives
// EJPEG with libjpeg's reason; libjpeg never ends the program.
#include "platform/core/runtime/Exception.h"

#include <QImage>
#include <string>

namespace vorel {

class EJPEG : public platform::Exception {
public:
    explicit EJPEG(const std::string& message) : platform::Exception(message) {}
};

// The picture in bytes as an opaque RGB32 image, no side above
// platform::kMaxDecodedSide (bigger pictures come scaled down).
QImage DecodePicture(const std::string& bytes);

}  // namespace vorel
