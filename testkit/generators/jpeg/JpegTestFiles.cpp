#include "testkit/generators/jpeg/JpegTestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace platform::testing {

std::string JpegOfColour(QColor colour, int w, int h, bool grey) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buf, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = grey ? 1 : 3;
    c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(w) * (grey ? 1 : 3));
    for (int x = 0; x < w; ++x) {
        if (grey) {
            row[static_cast<size_t>(x)] = static_cast<unsigned char>(qGray(colour.rgb()));
        } else {
            row[static_cast<size_t>(3 * x)] = static_cast<unsigned char>(colour.red());
            row[static_cast<size_t>(3 * x + 1)] = static_cast<unsigned char>(colour.green());
            row[static_cast<size_t>(3 * x + 2)] = static_cast<unsigned char>(colour.blue());
        }
    }
    while (c.next_scanline < c.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::string out(reinterpret_cast<const char*>(buf), size);
    jpeg_destroy_compress(&c);
    std::free(buf);
    return out;
}

std::string WithClaimedSize(std::string jpeg, int w, int h) {
    for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF && static_cast<unsigned char>(jpeg[i + 1]) == 0xC0) {
            jpeg[i + 5] = static_cast<char>(h >> 8);
            jpeg[i + 6] = static_cast<char>(h & 0xFF);
            jpeg[i + 7] = static_cast<char>(w >> 8);
            jpeg[i + 8] = static_cast<char>(w & 0xFF);
            break;
        }
    }
    return jpeg;
}

}  // namespace platform::testing
