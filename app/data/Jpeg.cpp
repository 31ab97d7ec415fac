#include "app/data/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace vorel {

namespace {
// Pictures bigger than this are refused rather than allocated.
constexpr unsigned long kMaxPixels = 64UL * 1024 * 1024;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// libjpeg's own handler would exit(); this one jumps back to the decoder.
extern "C" void OnError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings (a short file, odd markers) are not shown on stderr.
extern "C" void OnMessage(j_common_ptr) {}

// The libjpeg part: no C++ object lives in this frame, so the jump back
// skips no destructor. Returns false with err->message set on failure.
bool Decode(jpeg_decompress_struct* cinfo, ErrorManager* err, const unsigned char* data, unsigned long size,
            QImage* out) {
    if (setjmp(err->jump)) return false;
    jpeg_mem_src(cinfo, data, size);
    jpeg_read_header(cinfo, TRUE);
    bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    if (cmyk) {
        cinfo->out_color_space = JCS_CMYK;
    } else {
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        cinfo->out_color_space = JCS_EXT_BGRX;  // the bytes of QImage::Format_RGB32
#else
        cinfo->out_color_space = JCS_EXT_XRGB;
#endif
    }
    jpeg_calc_output_dimensions(cinfo);
    if (cinfo->output_width == 0 || cinfo->output_height == 0 ||
        static_cast<unsigned long>(cinfo->output_width) * cinfo->output_height > kMaxPixels) {
        std::snprintf(err->message, sizeof err->message, "Picture too large (%u x %u)", cinfo->output_width,
                      cinfo->output_height);
        return false;
    }
    jpeg_start_decompress(cinfo);
    *out = QImage(static_cast<int>(cinfo->output_width), static_cast<int>(cinfo->output_height), QImage::Format_RGB32);
    if (out->isNull()) {
        std::snprintf(err->message, sizeof err->message, "Not enough memory for the picture");
        return false;
    }
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = out->scanLine(static_cast<int>(cinfo->output_scanline));
        jpeg_read_scanlines(cinfo, &row, 1);
        if (cmyk) {
            // Inverted CMYK as Adobe writes it, 4 bytes a pixel, turned into RGB in place.
            auto* px = reinterpret_cast<QRgb*>(row);
            const unsigned char* src = row;
            for (unsigned x = 0; x < cinfo->output_width; ++x) {
                int c = src[4 * x], m = src[4 * x + 1], y = src[4 * x + 2], k = src[4 * x + 3];
                px[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
            }
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}
}  // namespace

QImage DecodificaJpeg(const std::string& bytes) {
    if (bytes.empty()) throw EJPEG("JPEG error: the picture is empty");
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&err, 0, sizeof err);
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.output_message = OnMessage;
    QImage image;
    bool ok = false;
    if (!setjmp(err.jump)) {
        jpeg_create_decompress(&cinfo);
        ok = Decode(&cinfo, &err, reinterpret_cast<const unsigned char*>(bytes.data()),
                    static_cast<unsigned long>(bytes.size()), &image);
    }
    jpeg_destroy_decompress(&cinfo);
    if (!ok) throw EJPEG(std::string("JPEG error: ") + err.message);
    return image;
}

}  // namespace vorel
