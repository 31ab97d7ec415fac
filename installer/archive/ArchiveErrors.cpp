#include "installer/archive/ArchiveErrors.h"

namespace installer {

namespace {

const char* FormatOf(ArchiveErrorKind kind) {
    namespace text = archive_text;
    using K = ArchiveErrorKind;
    switch (kind) {
        case K::InvalidIndex: return text::kInvalidIndex;
        case K::InvalidHeader: return text::kInvalidHeader;
        case K::NoStats: return text::kNoStats;
        case K::CannotOpenArchive: return text::kCannotOpenArchive;
        case K::CannotReadCount: return text::kCannotReadCount;
        case K::Corrupt: return text::kCorrupt;
        case K::CannotOpenFile: return text::kCannotOpenFile;
        case K::CannotWriteHeaders: return text::kCannotWriteHeaders;
        case K::CannotCreate: return text::kCannotCreate;
        case K::Aborted: return text::kAborted;
        case K::DiskFull: return text::kDiskFull;
        case K::NotFound: return text::kNotFound;
        case K::CompareFailed: return text::kCompareFailed;
        case K::SizeMismatch: return text::kSizeMismatch;
        case K::CannotSetDate: return text::kCannotSetDate;
        case K::WrongDisk: return text::kWrongDisk;
        case K::NoNewDiskHandler: return text::kNoNewDiskHandler;
        case K::TooLittleSpace: return text::kTooLittleSpace;
        case K::NameNotStorable: return text::kNameNotStorable;
        case K::FileTooLarge: return text::kFileTooLarge;
        case K::ArchiveTooLarge: return text::kArchiveTooLarge;
        case K::TooManyDisks: return text::kTooManyDisks;
        case K::BadMemberName: return text::kBadMemberName;
    }
    return text::kCorrupt;
}

platform::FormatArgs ArgsOf(ArchiveErrorKind kind, const ArchiveErrorFacts& facts) {
    using K = ArchiveErrorKind;
    switch (kind) {
        case K::InvalidIndex:
        case K::NoStats:
        case K::WrongDisk: return {facts.number};
        case K::NotFound: return {facts.file, facts.archive};
        case K::CannotOpenArchive:
        case K::CannotOpenFile:
        case K::CannotCreate:
        case K::SizeMismatch:
        case K::NameNotStorable:
        case K::FileTooLarge:
        case K::ArchiveTooLarge:
        case K::BadMemberName: return {facts.file};
        default: return {};
    }
}

}  // namespace

ArchiveError::ArchiveError(ArchiveErrorKind kind, ArchiveErrorFacts facts)
    : ETmslCompress(platform::Format(FormatOf(kind), ArgsOf(kind, facts))), kind_(kind), facts_(std::move(facts)) {}

const char* ArchiveError::EnglishFormat() const { return FormatOf(kind_); }

platform::FormatArgs ArchiveError::Args() const { return ArgsOf(kind_, facts_); }

void RaiseArchive(ArchiveErrorKind kind) { throw ArchiveError(kind, ArchiveErrorFacts()); }

void RaiseArchive(ArchiveErrorKind kind, const std::string& file) {
    ArchiveErrorFacts facts;
    facts.file = file;
    throw ArchiveError(kind, std::move(facts));
}

void RaiseArchive(ArchiveErrorKind kind, std::int64_t number) {
    ArchiveErrorFacts facts;
    facts.number = number;
    throw ArchiveError(kind, std::move(facts));
}

void RaiseArchive(ArchiveErrorKind kind, const std::string& member, const std::string& archive) {
    ArchiveErrorFacts facts;
    facts.file = member;
    facts.archive = archive;
    throw ArchiveError(kind, std::move(facts));
}

}  // namespace installer
