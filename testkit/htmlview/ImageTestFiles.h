#pragma once
// Picture bytes for the viewer's image tests: GIF and PNG headers put
// together by hand (PNG chunk CRCs are not checked by the probe), BMPs from
// Qt's writer and a file writer.
#include <QBuffer>
#include <QImage>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace htmlview::testing {

// A 1 x 1 GIF89a whose white colour 0 is transparent.
inline std::string TransparentGif() {
    return std::string("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00"
                       ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                       43);
}

// A GIF header with a global table of 2^(size+1) colours, entry k being
// (k, 2k, 3k), then Tail.
inline std::string GifWithTable(const std::string& version, int size, const std::string& tail, bool tableFlag = true) {
    std::string g = "GIF" + version + std::string("\x01\x00\x01\x00", 4);
    g += static_cast<char>((tableFlag ? 0x80 : 0) | size);
    g += std::string("\x00\x00", 2);
    for (int k = 0; k < (2 << size); ++k) {
        g += static_cast<char>(k);
        g += static_cast<char>(2 * k);
        g += static_cast<char>(3 * k);
    }
    return g + tail;
}

// A graphic control extension with a transparent index (flag bit 0 when Flag).
inline std::string Gce(int index, bool flag = true) {
    return std::string("\x21\xF9\x04", 3) + static_cast<char>(flag ? 1 : 0) + std::string("\x00\x00", 2) +
           static_cast<char>(index) + std::string(1, '\0');
}

inline std::string PngChunk(const std::string& type, const std::string& data, std::uint32_t length) {
    std::string c;
    for (int s = 24; s >= 0; s -= 8) c += static_cast<char>((length >> s) & 0xFF);
    return c + type + data + std::string(4, '\0');
}
inline std::string PngChunk(const std::string& type, const std::string& data) {
    return PngChunk(type, data, static_cast<std::uint32_t>(data.size()));
}
inline std::string PngSignature() { return std::string("\x89PNG\r\n\x1A\n", 8); }
inline std::string Ihdr(int colourType) {
    std::string d("\x00\x00\x00\x01\x00\x00\x00\x01\x08", 9);
    d += static_cast<char>(colourType);
    d += std::string(3, '\0');
    return PngChunk("IHDR", d);
}

inline std::string BmpOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    image.save(&buf, "BMP");
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace htmlview::testing
