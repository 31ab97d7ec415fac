#pragma once
// The self-extracting executable: the loading program, then the embedded
// setup.1 and files.1, then a 56-byte trailer that locates them:
//
//   0   1  length byte 14
//   1  14  "SELFEXTRACTING"
//   15  1  0
//   16  4  int32 offset of the first byte of setup.1 (= the loader's length)
//   20  4  int32 offset of the last byte of setup.1
//   24  4  int32 offset of the first byte of files.1 (0 when none)
//   28  4  int32 offset of the last byte of files.1 (0 when none)
//   32 24  zero
//
// Integers are little endian. Paths are Windows paths of the system root.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace installer {

inline constexpr std::size_t kSelfExtractorTrailerSize = 56;

struct SelfExtractorTrailer {
    std::int32_t SetupStart = 0;
    std::int32_t SetupEnd = 0;
    std::int32_t FilesStart = 0;  // 0 with FilesEnd when no files.1 was appended
    std::int32_t FilesEnd = 0;

    bool HasFiles() const { return FilesStart != 0 || FilesEnd != 0; }
};

// The 56 bytes of a trailer.
std::string EncodeTrailer(const SelfExtractorTrailer& trailer);

// The trailer of the last 56 bytes of a file of fileSize bytes; nothing when
// the text is not "SELFEXTRACTING" or an offset lies outside the data before
// the trailer (setup.1 first, files.1 after it), so a damaged or foreign file
// is never taken for a distribution.
std::optional<SelfExtractorTrailer> DecodeTrailer(std::string_view bytes, std::int64_t fileSize);

// The trailer of a file of the root; nothing when the file cannot be read or
// holds no valid trailer.
std::optional<SelfExtractorTrailer> FindTrailer(const std::string& file);

}  // namespace installer
