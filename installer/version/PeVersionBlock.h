#pragma once
// Our own reader of the version resource of a Windows PE file (an .EXE or
// .DLL): finds the RT_VERSION resource and answers queries into its
// VS_VERSIONINFO tree the way the version-query call does ("\",
// "\VarFileInfo\Translation", "\StringFileInfo\040904E4\CompanyName").
// Files are untrusted input: every offset is checked, nothing is read
// outside the file, and anything malformed simply means "no version block".
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/core/hostio/HostFile.h"

namespace installer {

// The fixed part of a version block (VS_FIXEDFILEINFO).
struct FixedFileInfo {
    std::uint32_t Signature = 0;
    std::uint32_t StrucVersion = 0;
    std::uint32_t FileVersionMS = 0;
    std::uint32_t FileVersionLS = 0;
    std::uint32_t ProductVersionMS = 0;
    std::uint32_t ProductVersionLS = 0;
    std::uint32_t FileFlagsMask = 0;
    std::uint32_t FileFlags = 0;
    std::uint32_t FileOS = 0;
    std::uint32_t FileType = 0;
    std::uint32_t FileSubtype = 0;
    std::uint32_t FileDateMS = 0;
    std::uint32_t FileDateLS = 0;
};

class VersionBlock {
public:
    // Parses raw VS_VERSIONINFO bytes; nullopt when they are not one.
    static std::optional<VersionBlock> Parse(std::span<const std::uint8_t> bytes);

    // The fixed file information of the root ("\"), when present and signed.
    std::optional<FixedFileInfo> Fixed() const;
    // The raw value bytes at a path such as "\VarFileInfo\Translation".
    std::optional<std::vector<std::uint8_t>> Value(const std::string& path) const;
    // A text value at a path such as "\StringFileInfo\040904E4\CompanyName", in UTF-8.
    std::optional<std::string> Text(const std::string& path) const;

    struct Node {
        std::string key;  // UTF-8
        std::uint16_t type = 0;
        std::vector<std::uint8_t> value;
        std::vector<Node> children;
    };

private:
    const Node* Find(const std::string& path) const;
    Node root_;
};

// The raw version block of a PE image held in memory; nullopt when the bytes
// are not a PE file or it has no version resource.
std::optional<std::vector<std::uint8_t>> ReadPeVersionBlock(std::span<const std::uint8_t> image);
// The same for a file on the host; a file that cannot be read has none.
std::optional<std::vector<std::uint8_t>> ReadPeVersionBlockFromFile(const std::filesystem::path& hostPath);

// A file's parsed version block, or nullopt.
std::optional<VersionBlock> ReadVersionBlock(const std::filesystem::path& hostPath);
// The same for a file already open (its position is left anywhere).
std::optional<VersionBlock> ReadVersionBlock(platform::HostFile& file);

}  // namespace installer
