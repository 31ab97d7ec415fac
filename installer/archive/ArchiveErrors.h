#pragma once
// Archive errors: what went wrong (a kind) and the facts that say where.
// The codec raises them with their English texts; the compressor component
// turns them into the user's language.
#include <cstdint>
#include <string>

#include "platform/core/runtime/Format.h"

#include "installer/base/Exceptions.h"

namespace installer::archive_text {

inline constexpr const char* kInvalidIndex = "%d is an invalid TFileHeader index in TFileHeaders.GetFileHeaders";
inline constexpr const char* kInvalidHeader = "Tried to add an invalid file header";
inline constexpr const char* kNoStats = "Tried to access the %dth file. This file is not defined";
inline constexpr const char* kCannotOpenArchive = "Cannot open the compressed file %s";
inline constexpr const char* kCannotReadCount = "Could not read the file header count for the compressed file";
inline constexpr const char* kCorrupt =
    "Could not read the file headers for the compressed file. The Archive file could possible be corrupt";
inline constexpr const char* kCannotOpenFile = "Cannot open the file %s";
inline constexpr const char* kCannotWriteHeaders = "Could not write the file headers for the compressed file";
inline constexpr const char* kCannotCreate = "Cannot create the file %s";
inline constexpr const char* kAborted = "Operation aborted by user";
inline constexpr const char* kDiskFull = "The disk is full";
inline constexpr const char* kNotFound = "The file <%s> was not found in the archive <%s>";
inline constexpr const char* kCompareFailed = "Error comparing file versions in TTmslCompress";
inline constexpr const char* kSizeMismatch =
    "The decompressed file's size does not match with the actual size of the file.  The file is %s";
inline constexpr const char* kCannotSetDate = "Cannot set the date of the file just extracted.";
inline constexpr const char* kWrongDisk = "Could not open the correct disk file %d";
inline constexpr const char* kNoNewDiskHandler =
    "There was no event handler for the OnNewDisk event, therefore no new disk could be inserted";
inline constexpr const char* kTooLittleSpace = "There is too little space on this disk to operate";
// What the format cannot hold is refused rather than cut.
inline constexpr const char* kNameNotStorable = "The file name %s cannot be stored in the archive";
inline constexpr const char* kFileTooLarge = "The file %s is too large for the archive";
inline constexpr const char* kArchiveTooLarge = "The compressed file %s would be too large";
inline constexpr const char* kTooManyDisks = "The archive needs more than 255 disks";
inline constexpr const char* kBadMemberName = "The file <%s> in the archive has no valid file name";

}  // namespace installer::archive_text

namespace installer {

enum class ArchiveErrorKind {
    InvalidIndex, InvalidHeader, NoStats, CannotOpenArchive, CannotReadCount, Corrupt, CannotOpenFile,
    CannotWriteHeaders, CannotCreate, Aborted, DiskFull, NotFound, CompareFailed, SizeMismatch, CannotSetDate,
    WrongDisk, NoNewDiskHandler, TooLittleSpace, NameNotStorable, FileTooLarge, ArchiveTooLarge, TooManyDisks,
    BadMemberName,
};

// Which facts a kind uses: file (a member, source, destination or archive
// path), archive (the archive a member was looked for in), number (an
// index or a disk).
struct ArchiveErrorFacts {
    std::string file;
    std::string archive;
    std::int64_t number = 0;
};

// An ETmslCompress, so that code catching the installer's archive family
// sees the codec's errors as before.
class ArchiveError : public ETmslCompress {
public:
    ArchiveError(ArchiveErrorKind kind, ArchiveErrorFacts facts);
    ArchiveErrorKind Kind() const { return kind_; }
    const ArchiveErrorFacts& Facts() const { return facts_; }
    // The English format of the kind and its arguments.
    const char* EnglishFormat() const;
    platform::FormatArgs Args() const;

private:
    ArchiveErrorKind kind_;
    ArchiveErrorFacts facts_;
};

[[noreturn]] void RaiseArchive(ArchiveErrorKind kind);
[[noreturn]] void RaiseArchive(ArchiveErrorKind kind, const std::string& file);
[[noreturn]] void RaiseArchive(ArchiveErrorKind kind, std::int64_t number);
[[noreturn]] void RaiseArchive(ArchiveErrorKind kind, const std::string& member, const std::string& archive);

}  // namespace installer
