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

// Called as libjpeg reads on; ends a decode that has gone past the scan cap.
extern "C" void OnProgress(j_common_ptr cinfo) {
    if (cinfo->is_decompressor == 0) return;
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number <= kMaxJpegScans) return;
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "Picture has more than %d scans", kMaxJpegScans);
    std::longjmp(err->jump, 1);
}

struct Request {
    int showW = 0, showH = 0;
    bool grey = false;
    bool headerOnly = false;
    long long maxPixels = std::numeric_limits<long long>::max();
};

// The coefficients a multi-scan decode keeps: 64 a block of every component.
long long coefficientBytes(const jpeg_decompress_struct* cinfo) {
    long long bytes = 0;
    for (int c = 0; c < cinfo->num_components; ++c) {
        const jpeg_component_info& comp = cinfo->comp_info[c];
        bytes += static_cast<long long>(comp.width_in_blocks) * comp.height_in_blocks * DCTSIZE2 *
                 static_cast<long long>(sizeof(JCOEF));
    }
    return bytes;
}

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
    header->MultiScan = jpeg_has_multiple_scans(cinfo) != 0;
    header->CoefficientBytes = header->MultiScan ? coefficientBytes(cinfo) : 0;
    if (req->headerOnly) return true;
    // Every bound is settled here, from the header, before memory is taken.
    const int denom = JpegScaleFor(header->Width, header->Height, req->showW, req->showH);
    const long long fullPixels = static_cast<long long>(header->Width) * header->Height;
    const long long decodedPixels = static_cast<long long>((header->Width + denom - 1) / std::max(denom, 1)) *
                                    ((header->Height + denom - 1) / std::max(denom, 1));
    const bool overBudget = decodedPixels > req->maxPixels || (header->MultiScan && fullPixels > req->maxPixels);
    if (denom == 0 || header->CoefficientBytes > kMaxCoefficientBytes || overBudget) {
        std::snprintf(err->message, sizeof err->message, "Picture too large (%d x %d%s)", header->Width,
                      header->Height, header->MultiScan ? " in several scans" : "");
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
    jpeg_progress_mgr progress;
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&err, 0, sizeof err);
    std::memset(&progress, 0, sizeof progress);
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.output_message = OnMessage;
    progress.progress_monitor = OnProgress;
    bool ok = false;
    if (!setjmp(err.jump)) {
        jpeg_create_decompress(&cinfo);
        cinfo.progress = &progress;
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
                  bool grey, long long maxPixels) {
    Request req;
    req.maxPixels = maxPixels;
    req.showW = std::max(0, showWidth);
    req.showH = std::max(0, showHeight);
    req.grey = grey;
    TJpegHeader header;
    QImage image;
    Run(data, size, req, header, image, error);
    return image;
}

}  // namespace platform
