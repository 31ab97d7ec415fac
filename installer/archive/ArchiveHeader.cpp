#include "installer/archive/ArchiveHeader.h"

#include <cmath>
#include <cstring>

#include "platform/core/runtime/Codepage.h"

namespace installer {

namespace {
constexpr int kNameField = 20;     // length byte + 100 characters
constexpr int kVersionField = 148;  // length byte + 20 characters

// Windows-1252 bytes to UTF-8, true when the text survives the trip back.
bool RoundTrips(const std::string& utf8, std::string& stored) {
    stored = platform::Utf8ToCp1252(utf8);
    return platform::Cp1252ToUtf8(stored) == utf8;
}

void PutText(std::uint8_t* p, const std::string& stored) {
    p[0] = static_cast<std::uint8_t>(stored.size());
    std::memcpy(p + 1, stored.data(), stored.size());
}

std::string GetText(const std::uint8_t* p) {
    return platform::Cp1252ToUtf8(std::string(reinterpret_cast<const char*>(p + 1), p[0]));
}
}  // namespace

void PutInt32(std::uint8_t* p, std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::int32_t GetInt32(const std::uint8_t* p) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

bool EncodeFieldText(const std::string& utf8, int maxLength, std::string& stored) {
    return RoundTrips(utf8, stored) && stored.size() <= static_cast<std::size_t>(maxLength);
}

bool IsPlausibleFileDate(double date) {
    // 1 January 100 .. 31 December 9999 in days since 30 December 1899.
    return std::isfinite(date) && date >= -657434.0 && date < 2958466.0;
}

bool TFileHeader::IsValid() const {
    return FileName.find_first_not_of(' ') != std::string::npos;
}

bool TFileHeader::Encode(FileHeaderBytes& out) const {
    std::string name, version;
    if (!EncodeFieldText(FileName, kMaxMemberName, name)) return false;
    if (!EncodeFieldText(Version, kMaxMemberVersion, version)) return false;
    out.fill(0);
    std::uint8_t* p = out.data();
    PutInt32(p + 0, MemberNumber);
    std::uint64_t bits;
    static_assert(sizeof bits == sizeof FileDate);
    std::memcpy(&bits, &FileDate, sizeof bits);
    for (int i = 0; i < 8; ++i) p[4 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    p[12] = LastDisk;
    PutInt32(p + 16, LastDataPos);
    PutText(p + kNameField, name);
    PutInt32(p + 124, NextHeader);
    PutInt32(p + 128, UnpackedSize);
    PutInt32(p + 132, DataStart);
    PutInt32(p + 136, PackedSize);
    p[140] = FirstDisk;
    PutInt32(p + 144, FileID);
    PutText(p + kVersionField, version);
    return true;
}

bool TFileHeader::Decode(const FileHeaderBytes& bytes, TFileHeader& out) {
    const std::uint8_t* p = bytes.data();
    if (p[kNameField] > kMaxMemberName || p[kVersionField] > kMaxMemberVersion) return false;
    TFileHeader h;
    h.MemberNumber = GetInt32(p + 0);
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(p[4 + i]) << (8 * i);
    std::memcpy(&h.FileDate, &bits, sizeof bits);
    if (!IsPlausibleFileDate(h.FileDate)) return false;
    h.LastDisk = p[12];
    h.LastDataPos = GetInt32(p + 16);
    h.FileName = GetText(p + kNameField);
    h.NextHeader = GetInt32(p + 124);
    h.UnpackedSize = GetInt32(p + 128);
    h.DataStart = GetInt32(p + 132);
    h.PackedSize = GetInt32(p + 136);
    h.FirstDisk = p[140];
    h.FileID = GetInt32(p + 144);
    h.Version = GetText(p + kVersionField);
    if (h.UnpackedSize < 0 || h.DataStart < 0 || h.LastDataPos < -1) return false;
    out = std::move(h);
    return true;
}

}  // namespace installer
