#include "installer/archive/FileHeaders.h"

#include "installer/archive/ArchiveErrors.h"
#include "installer/archive/ArchivePath.h"
#include "installer/version/VersionResource.h"
#include "platform/core/runtime/Codepage.h"
#include "platform/windows/sysroot/DateTime.h"

namespace installer {

namespace {
// Checks a header read at pos (from the archive's start) against its place:
// positions must move strictly forward and stay inside the archive, and disk
// numbers must make sense, before anything seeks by them.
bool FitsItsPlace(const TFileHeader& h, std::int64_t pos, bool spanned, std::int64_t archiveSize,
                  std::int64_t headersEnd) {
    if (!spanned) {
        return h.FirstDisk == 0 && h.LastDisk == 0 && h.DataStart == pos + kFileHeaderSize &&
               h.LastDataPos >= h.DataStart && static_cast<std::int64_t>(h.NextHeader) == h.LastDataPos + 1LL &&
               h.NextHeader <= archiveSize;
    }
    if (h.NextHeader != pos + kFileHeaderSize) return false;
    if (h.FirstDisk < 1 || h.LastDisk < h.FirstDisk) return false;
    if (h.FirstDisk == 1 && h.DataStart < headersEnd) return false;
    if (h.FirstDisk == h.LastDisk && h.LastDataPos < h.DataStart) return false;
    return h.LastDataPos >= 0;
}

std::string CutVersion(const std::string& version) {
    std::string stored = platform::Utf8ToCp1252(version);
    if (stored.size() > static_cast<std::size_t>(kMaxMemberVersion)) stored.resize(kMaxMemberVersion);
    return platform::Cp1252ToUtf8(stored);
}
}  // namespace

std::string EntryPath(const std::string& entry) { return entry.substr(0, entry.find(';')); }

TFileHeader& TFileHeaders::FileHeaders(int index) {
    if (index < 0 || index >= Count()) RaiseArchive(ArchiveErrorKind::InvalidIndex, index);
    return headers_[static_cast<std::size_t>(index)];
}

const TFileHeader& TFileHeaders::FileHeaders(int index) const {
    return const_cast<TFileHeaders*>(this)->FileHeaders(index);
}

void TFileHeaders::Add(TFileHeader header) {
    if (!header.IsValid()) RaiseArchive(ArchiveErrorKind::InvalidHeader);
    headers_.push_back(std::move(header));
}

void TFileHeaders::ReadFromStream(HostFile& file, std::int64_t offset) {
    std::uint8_t head[kArchiveHeadSize];
    if (!file.Seek(offset) || !file.ReadExact(head, sizeof head)) RaiseArchive(ArchiveErrorKind::CannotReadCount);
    headers_.clear();
    try {
        std::int32_t count = GetInt32(head);
        if (head[4] > 1) RaiseArchive(ArchiveErrorKind::Corrupt);
        Spanned = head[4] == 1;
        std::int64_t archiveSize = file.Size() - offset;
        std::int64_t headersEnd = kArchiveHeadSize + static_cast<std::int64_t>(count) * kFileHeaderSize;
        if (count < 0 || headersEnd > archiveSize) RaiseArchive(ArchiveErrorKind::Corrupt);
        headers_.reserve(static_cast<std::size_t>(count));
        std::int64_t pos = kArchiveHeadSize;
        for (std::int32_t i = 0; i < count; ++i) {
            FileHeaderBytes bytes;
            TFileHeader h;
            if (!file.Seek(offset + pos) || !file.ReadExact(bytes.data(), bytes.size()) ||
                !TFileHeader::Decode(bytes, h) || !FitsItsPlace(h, pos, Spanned, archiveSize, headersEnd))
                RaiseArchive(ArchiveErrorKind::Corrupt);
            h.FromArchive = true;
            Add(std::move(h));
            pos = headers_.back().NextHeader;
        }
    } catch (const ETmslCompress&) {
        headers_.clear();
        RaiseArchive(ArchiveErrorKind::Corrupt);
    }
}

void TFileHeaders::WriteToStream(HostFile& file) {
    std::uint8_t head[kArchiveHeadSize];
    PutInt32(head, Count());
    head[4] = Spanned ? 1 : 0;
    if (!file.Seek(0) || file.Write(head, sizeof head) != sizeof head) RaiseArchive(ArchiveErrorKind::CannotWriteHeaders);
    if (!Spanned) return;
    for (TFileHeader& h : headers_) {
        h.NextHeader = static_cast<std::int32_t>(file.Position() + kFileHeaderSize);
        FileHeaderBytes bytes;
        if (!h.Encode(bytes) || file.Write(bytes.data(), bytes.size()) != bytes.size())
            RaiseArchive(ArchiveErrorKind::CannotWriteHeaders);
    }
}

void TFileHeaders::AddFiles(const std::vector<std::string>& files, bool append, ArchiveHost& host) {
    if (!append) Clear();
    for (std::size_t i = 0; i < files.size(); ++i) {
        TFileHeader h;
        h.FileName = EntryPath(files[i]);
        std::string stored;
        if (!EncodeFieldText(h.FileName, kMaxMemberName, stored) || !KeepsItsName(h.FileName))
            RaiseArchive(ArchiveErrorKind::NameNotStorable, h.FileName);
        HostFile source;
        const bool opened = host.OpenFile(source, h.FileName, HostFile::Mode::Read);
        if (!opened) RaiseArchive(ArchiveErrorKind::CannotOpenFile, h.FileName);
        const platform::HostFileFacts& facts = source.Opened();
        h.FileDate = platform::UnixMsToDateTime(facts.modifiedMs);
        if (facts.size > kMaxArchiveBytes) RaiseArchive(ArchiveErrorKind::FileTooLarge, h.FileName);
        h.UnpackedSize = static_cast<std::int32_t>(facts.size);
        // The version comes from the file as opened here: one open per file.
        h.Version = CutVersion(FileVersionOf(source));
        h.MemberNumber = static_cast<std::int32_t>(i + 1);
        Add(std::move(h));
    }
}

}  // namespace installer
