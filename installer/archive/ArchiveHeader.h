#pragma once
// The byte layout of an install archive: a 5-byte head (member count, spanned
// flag) and one 172-byte header per member. All integers are little-endian.
// Headers come from untrusted files, so decoding checks every field it can
// check on its own and reports anything malformed as a corrupt archive.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace installer {

constexpr int kArchiveHeadSize = 5;
constexpr int kFileHeaderSize = 172;
constexpr int kMaxMemberName = 100;
constexpr int kMaxMemberVersion = 20;
constexpr int kFileIdTableSize = 2000;
constexpr int kMaxDisk = 255;
// Positions and sizes are int32 in the format.
constexpr std::int64_t kMaxArchiveBytes = 0x7FFFFFFF;

using FileHeaderBytes = std::array<std::uint8_t, kFileHeaderSize>;

// One member header as it is stored. FileName and Version are UTF-8 in
// memory and Windows-1252 in the file.
struct TFileHeader {
    std::int32_t MemberNumber = 0;
    double FileDate = 0;
    std::uint8_t LastDisk = 0;
    std::int32_t LastDataPos = 0;
    std::string FileName;
    std::int32_t NextHeader = 0;
    std::int32_t UnpackedSize = 0;
    std::int32_t DataStart = 0;
    std::int32_t PackedSize = 0;
    std::uint8_t FirstDisk = 0;
    std::int32_t FileID = 0;
    std::string Version;
    // Not stored: the header was read from an existing archive.
    bool FromArchive = false;

    // Valid when the name is not blank after trimming spaces.
    bool IsValid() const;

    // Encodes the header; unused bytes of the name and version fields and
    // the reserved bytes are zero. False when the name or the version does
    // not fit its field.
    bool Encode(FileHeaderBytes& out) const;
    // Decodes and checks the fields that need no context; false when the
    // bytes cannot be a header (over-long strings, a non-finite date).
    static bool Decode(const FileHeaderBytes& bytes, TFileHeader& out);
};

// A text as stored in a length-prefixed field (Windows-1252). False when it
// holds characters outside the code page or is longer than maxLength.
bool EncodeFieldText(const std::string& utf8, int maxLength, std::string& stored);

// Date-times the class library can represent: years 100 to 9999.
bool IsPlausibleFileDate(double date);

void PutInt32(std::uint8_t* p, std::int32_t v);
std::int32_t GetInt32(const std::uint8_t* p);

}  // namespace installer
