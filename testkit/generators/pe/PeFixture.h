#pragma once
// Writes small Windows PE files that carry a version resource, so tests of
// the version reader and of everything that compares file versions work on
// real bytes. Only what a version reader looks at is filled in; the files
// hold no code.
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pefixture {

struct StringTable {
    std::string key;  // language and code page as 8 hexadecimal digits, e.g. "040904E4"
    std::vector<std::pair<std::string, std::string>> strings;  // name, value (UTF-8)
};

struct VersionOptions {
    VersionOptions() { translations.emplace_back(0x0409, 1252); }
    std::array<std::uint16_t, 4> fileVersion{1, 0, 0, 0};
    std::array<std::uint16_t, 4> productVersion{1, 0, 0, 0};
    std::uint32_t fileOS = 4;      // 32 bit Windows
    std::uint32_t fileType = 1;    // application
    std::uint32_t fileSubtype = 0;
    bool withFixedInfo = true;
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;  // US English, Windows Latin-1
    std::vector<StringTable> stringTables;
};

// A VS_VERSIONINFO block as a resource compiler lays it out.
std::vector<std::uint8_t> BuildVersionBlock(const VersionOptions& options);

struct PeOptions {
    bool pe32Plus = false;
    bool dll = false;
    std::uint16_t resourceLanguage = 0x0409;
    // Put an icon resource type before the version type, as real files have.
    bool otherResourceFirst = true;
    std::optional<std::vector<std::uint8_t>> versionBlock;  // none: no version resource at all
};

std::vector<std::uint8_t> BuildPe(const PeOptions& options);

// Convenience: a PE file with the given version options written to a host path.
void WritePe(const std::filesystem::path& hostPath, const VersionOptions& version, bool dll = false);

// Parses "1.2.3.4" (missing parts are 0).
std::array<std::uint16_t, 4> ParseVersion(const std::string& text);

}  // namespace pefixture
