#include "testkit/generators/jpeg/JpegTestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace platform::testing {

std::string JpegOfColour(QColor colour, int w, int h, bool grey, bool progressive) {
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
    if (progressive) jpeg_simple_progression(&c);
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
        const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF && marker >= 0xC0 && marker <= 0xC2) {
            jpeg[i + 5] = static_cast<char>(h >> 8);
            jpeg[i + 6] = static_cast<char>(h & 0xFF);
            jpeg[i + 7] = static_cast<char>(w >> 8);
            jpeg[i + 8] = static_cast<char>(w & 0xFF);
            break;
        }
    }
    return jpeg;
}

std::string WithRepeatedLastScan(const std::string& jpeg, int times) {
    // Inside scan data a 0xFF byte is followed by 0 or a restart marker, so
    // the last FF DA is the last scan's header.
    const std::size_t end = jpeg.rfind("\xFF\xD9");
    const std::size_t sos = jpeg.rfind("\xFF\xDA", end);
    if (end == std::string::npos || sos == std::string::npos) return jpeg;
    const std::string scan = jpeg.substr(sos, end - sos);
    std::string out = jpeg.substr(0, end);
    for (int i = 0; i < times; ++i) out += scan;
    return out + jpeg.substr(end);
}

}  // namespace platform::testing
