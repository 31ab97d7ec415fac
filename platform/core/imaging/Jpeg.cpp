#include "platform/core/imaging/Jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace platform {

namespace {
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

struct Request {
    int showW = 0, showH = 0;
    bool grey = false;
    bool headerOnly = false;
};

// The libjpeg part: no C++ object lives in this frame, so the jump back
// skips no destructor. Returns false with err->message set on failure.
bool Decode(jpeg_decompress_struct* cinfo, ErrorManager* err, const unsigned char* data, unsigned long size,
            const Request* req, TJpegHeader* header, QImage* out) {
    if (setjmp(err->jump)) return false;
    jpeg_mem_src(cinfo, data, size);
    jpeg_read_header(cinfo, TRUE);
    header->Width = static_cast<int>(cinfo->image_width);
    header->Height = static_cast<int>(cinfo->image_height);
    header->Greyscale = cinfo->jpeg_color_space == JCS_GRAYSCALE;
    if (req->headerOnly) return true;
    const int denom = JpegScaleFor(header->Width, header->Height, req->showW, req->showH);
    if (denom == 0) {
        std::snprintf(err->message, sizeof err->message, "Picture too large (%d x %d)", header->Width,
                      header->Height);
        return false;
    }
    cinfo->scale_num = 1;
    cinfo->scale_denom = static_cast<unsigned>(denom);
    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    const bool grey = req->grey && header->Greyscale;
    if (cmyk) {
        cinfo->out_color_space = JCS_CMYK;
    } else if (grey) {
        cinfo->out_color_space = JCS_GRAYSCALE;
    } else {
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        cinfo->out_color_space = JCS_EXT_BGRX;  // the bytes of QImage::Format_RGB32
#else
        cinfo->out_color_space = JCS_EXT_XRGB;
#endif
    }
    jpeg_calc_output_dimensions(cinfo);
    if (cinfo->output_width == 0 || cinfo->output_height == 0) {
        std::snprintf(err->message, sizeof err->message, "Picture has no pixels");
        return false;
    }
    jpeg_start_decompress(cinfo);
    *out = QImage(static_cast<int>(cinfo->output_width), static_cast<int>(cinfo->output_height),
                  grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
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

bool Run(const void* data, std::size_t size, const Request& req, TJpegHeader& header, QImage& image,
         std::string& error) {
    if (!data || size == 0) {
        error = "the picture is empty";
        return false;
    }
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&err, 0, sizeof err);
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.output_message = OnMessage;
    bool ok = false;
    if (!setjmp(err.jump)) {
        jpeg_create_decompress(&cinfo);
        ok = Decode(&cinfo, &err, static_cast<const unsigned char*>(data),
                    static_cast<unsigned long>(size), &req, &header, &image);
    }
    jpeg_destroy_decompress(&cinfo);
    if (!ok) {
        error = err.message;
        image = QImage();
    }
    return ok;
}
}  // namespace

int JpegScaleFor(int w, int h, int showW, int showH) {
    for (int denom = 1; denom <= 8; denom *= 2) {
        // libjpeg rounds scaled sizes up.
        const int sw = (w + denom - 1) / denom, sh = (h + denom - 1) / denom;
        const int next = denom * 2;
        const int nw = (w + next - 1) / next, nh = (h + next - 1) / next;
        const bool nextCovers = next <= 8 && (showW > 0 || showH > 0) && nw >= showW && nh >= showH;
        if (sw <= kMaxDecodedSide && sh <= kMaxDecodedSide && !nextCovers) return denom;
    }
    return 0;
}

bool ReadJpegHeader(const void* data, std::size_t size, TJpegHeader& header, std::string& error) {
    Request req;
    req.headerOnly = true;
    QImage unused;
    return Run(data, size, req, header, unused, error);
}

QImage DecodeJpeg(const void* data, std::size_t size, std::string& error, int showWidth, int showHeight,
                  bool grey) {
    Request req;
    req.showW = std::max(0, showWidth);
    req.showH = std::max(0, showHeight);
    req.grey = grey;
    TJpegHeader header;
    QImage image;
    Run(data, size, req, header, image, error);
    return image;
}

}  // namespace platform
