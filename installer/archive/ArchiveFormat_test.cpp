// The byte layout of archives we write, checked byte by byte, and member data
// equal to what zlib itself makes with the same calls.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "installer/compressor/TmslCompress.h"
#include "platform/windows/sysroot/DateTime.h"
#include "testkit/files/ArchiveTestFiles.h"

namespace installer {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

std::int32_t I32(const std::string& s, std::size_t at) {
    return GetInt32(reinterpret_cast<const std::uint8_t*>(s.data() + at));
}

// The same zlib calls and buffer sizes as the archive uses, done by hand.
std::string PlainDeflate(const std::string& data, int level) {
    z_stream z{};
    EXPECT_EQ(deflateInit(&z, level), Z_OK);
    std::string out;
    std::vector<unsigned char> buf(65536);
    std::size_t at = 0;
    int rc = Z_OK;
    do {
        std::size_t n = std::min<std::size_t>(65536, data.size() - at);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + at));
        z.avail_in = static_cast<uInt>(n);
        at += n;
        int flush = n == 0 ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = buf.data();
            z.avail_out = static_cast<uInt>(buf.size());
            rc = deflate(&z, flush);
            out.append(reinterpret_cast<char*>(buf.data()), buf.size() - z.avail_out);
        } while (z.avail_out == 0);
    } while (rc != Z_STREAM_END);
    deflateEnd(&z);
    return out;
}

TEST(ArchiveFormat, EmptyFileAtLevelNineMakesThe185ByteArchive) {
    TempDir dir;
    std::string src = dir / "empty.txt";
    WriteFile(src, "");
    std::filesystem::last_write_time(src, std::filesystem::file_time_type::clock::now());
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(dir / "files.1");
    c.SetFilesToProcess({src + ";extra text"});
    c.Compress(false, 7);
    std::string a = ReadFile(dir / "files.1");
    ASSERT_EQ(a.size(), 185u);
    EXPECT_EQ(I32(a, 0), 1);   // member count
    EXPECT_EQ(a[4], 0);        // not spanned
    const std::size_t h = 5;   // the header
    EXPECT_EQ(I32(a, h + 0), 1);  // MemberNumber
    double date;
    std::memcpy(&date, a.data() + h + 4, 8);
    EXPECT_NEAR(date, platform::Now(), 1.0 / 24);
    EXPECT_EQ(a[h + 12], 0);  // LastDisk
    EXPECT_EQ(I32(a, h + 16), 184);  // LastDataPos
    EXPECT_EQ(static_cast<unsigned char>(a[h + 20]), src.size());
    EXPECT_EQ(a.substr(h + 21, src.size()), src);
    EXPECT_EQ(a.substr(h + 21 + src.size(), 100 - src.size()), std::string(100 - src.size(), '\0'));
    EXPECT_EQ(I32(a, h + 124), 185);  // NextHeader
    EXPECT_EQ(I32(a, h + 128), 0);    // UnpackedSize
    EXPECT_EQ(I32(a, h + 132), 177);  // DataStart
    EXPECT_EQ(I32(a, h + 136), 185);  // PackedSize: archive size after the data
    EXPECT_EQ(a[h + 140], 0);         // FirstDisk
    EXPECT_EQ(I32(a, h + 144), 7);    // FileID
    EXPECT_EQ(a.substr(h + 148, 21), std::string(21, '\0'));  // no version
    for (std::size_t r : {13u, 14u, 15u, 121u, 122u, 123u, 141u, 142u, 143u, 169u, 170u, 171u})
        EXPECT_EQ(a[h + r], 0) << r;
    EXPECT_EQ(a.substr(177), PlainDeflate("", 9));
    EXPECT_EQ(a.substr(177), std::string("\x78\xDA\x03\x00\x00\x00\x00\x01", 8));
}

TEST(ArchiveFormat, MemberDataEqualsZlibForEveryLevel) {
    TempDir dir;
    std::string data = testing::RandomBytes(70000, 3);
    for (std::size_t i = 0; i < data.size(); i += 7) data[i] = 'a';  // some redundancy
    WriteFile(dir / "m.bin", data);
    const std::pair<TCompressionLevel, int> levels[] = {{colNone, 0}, {colFastest, 1}, {colDefault, -1}, {colMax, 9}};
    for (auto [level, z] : levels) {
        TTmslCompress c(MakeHostPathArchiveHost());
        c.CompressionLevel = level;
        c.SetCompressedFile(dir / "l.1");
        c.SetFilesToProcess({dir / "m.bin"});
        c.Compress(false, 0);
        std::string a = ReadFile(dir / "l.1");
        EXPECT_EQ(a.substr(177), PlainDeflate(data, z)) << z;
        EXPECT_EQ(I32(a, 5 + 128), 70000);
    }
}

TEST(ArchiveFormat, HeaderRoundTripAndRefusals) {
    TFileHeader h;
    h.MemberNumber = 3;
    h.FileDate = 45000.5;
    h.FileName = "C:\\Símbols\\não.txt";
    h.Version = "1.2.3.4";
    h.NextHeader = 400;
    h.FileID = 1999;
    FileHeaderBytes bytes;
    ASSERT_TRUE(h.Encode(bytes));
    EXPECT_EQ(bytes[20], 18);  // Windows-1252: one byte per character
    TFileHeader back;
    ASSERT_TRUE(TFileHeader::Decode(bytes, back));
    EXPECT_EQ(back.FileName, h.FileName);
    EXPECT_EQ(back.Version, "1.2.3.4");
    EXPECT_EQ(back.FileDate, 45000.5);

    h.FileName = std::string(100, 'x');  // the field's full length
    ASSERT_TRUE(h.Encode(bytes));
    EXPECT_EQ(bytes[20], 100);
    ASSERT_TRUE(TFileHeader::Decode(bytes, back));
    EXPECT_EQ(back.FileName, h.FileName);
    EXPECT_EQ(back.Version, "1.2.3.4");  // the next field is untouched
    h.FileName = std::string(101, 'x');
    EXPECT_FALSE(h.Encode(bytes));
    h.FileName = "snow\xE2\x98\x83";  // outside the code page
    EXPECT_FALSE(h.Encode(bytes));

    h.FileName = "ok";
    ASSERT_TRUE(h.Encode(bytes));
    FileHeaderBytes bad = bytes;
    bad[20] = 101;
    EXPECT_FALSE(TFileHeader::Decode(bad, back));
    bad = bytes;
    bad[148] = 21;
    EXPECT_FALSE(TFileHeader::Decode(bad, back));
    bad = bytes;
    double nan = std::numeric_limits<double>::quiet_NaN();
    std::memcpy(bad.data() + 4, &nan, 8);
    EXPECT_FALSE(TFileHeader::Decode(bad, back));
}

TEST(ArchiveFormat, PercentRoundsHalvesToEven) {
    EXPECT_EQ(Percent(1, 0), 0);
    EXPECT_EQ(Percent(1, 200), 0);   // 0.5 -> 0
    EXPECT_EQ(Percent(3, 200), 2);   // 1.5 -> 2
    EXPECT_EQ(Percent(5, 200), 2);   // 2.5 -> 2
    EXPECT_EQ(Percent(100, 100), 100);
    EXPECT_EQ(Percent(1000, 1), 255);
}

}  // namespace
}  // namespace installer
