#include "installer/archive/ArchiveCodec.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <cassert>
#include <cmath>
#include <optional>
#include <cstring>
#include <system_error>

#include "installer/archive/ArchiveErrors.h"
#include "installer/archive/ArchivePath.h"
#include "installer/archive/PackedMember.h"
#include "installer/archive/ZlibMember.h"
#include "platform/core/hostio/PendingFile.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"
#include "platform/core/workers/WorkerPool.h"
#include "platform/windows/sysroot/DateTime.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer {

namespace {
constexpr std::size_t kCopyBlock = 8192;
constexpr std::size_t kSpanChunk = 8192;
constexpr std::size_t kWriteBuffer = 256 * 1024;
static_assert(kInflateOutBuffer <= kWriteBuffer, "one inflated piece always fits the write buffer");

platform::PendingFile::Publish PublishFor(const ArchiveCodec::MemberDestination& dest) {
    return dest.entry.exists ? platform::PendingFile::Publish::Replace : platform::PendingFile::Publish::OnlyNew;
}

// Sets a file's last-write (and access) time from a day-count date-time.
bool SetFileDate(HostFile& file, double date) {
    return platform::IsValidDateTime(date) && file.SetModifiedMs(platform::DateTimeToUnixMs(date));
}
}  // namespace

int ZlibLevel(TCompressionLevel level) {
    switch (level) {
        case colNone: return 0;
        case colFastest: return 1;
        case colDefault: return -1;
        case colMax: return 9;
    }
    return 9;
}

std::uint8_t Percent(std::int64_t part, std::int64_t whole) {
    if (whole == 0) return 0;
    double p = std::nearbyint(static_cast<double>(part) / static_cast<double>(whole) * 100.0);  // halves to even
    if (!(p > 0)) return 0;
    return p > 255 ? 255 : static_cast<std::uint8_t>(p);
}

ArchiveCodec::ArchiveCodec(std::shared_ptr<ArchiveHost> host) : host_(std::move(host)) {}

void ArchiveCodec::SetCompressedFile(const std::string& name) {
    if (platform::SameNameIgnoringCase(name, compressedFile_)) return;
    if (!platform::SameNameIgnoringCase(platform::ChangeFileExt(name, ".1"),
                                        platform::ChangeFileExt(compressedFile_, ".1"))) {
        loaded_ = false;
        // The list a Compress left in memory describes the old archive only.
        if (lastOperation_ == TOperation::Compress) lastOperation_ = TOperation::None;
    }
    compressedFile_ = name;
}

void ArchiveCodec::SetFilesToProcess(std::vector<std::string> files) {
    std::erase_if(files, [](const std::string& s) { return platform::IsBlank(s); });
    filesToProcess_ = std::move(files);
}

// ---- headers -------------------------------------------------------------

void ArchiveCodec::ReadHeaders() {
    HostFile file;
    const bool opened = host_->OpenFile(file, compressedFile_, HostFile::Mode::Read);
    if (!opened) RaiseArchive(ArchiveErrorKind::CannotOpenArchive, compressedFile_);
    loaded_ = false;
    ClearIdTable();
    headers_.ReadFromStream(file, Offset);
    IndexIds();
    loaded_ = true;
}

void ArchiveCodec::LoadHeadersWhenNeeded() {
    if (!loaded_) ReadHeaders();
}

void ArchiveCodec::IndexIds() {
    static_assert(std::tuple_size_v<decltype(idTable_)> == kFileIdTableSize);
    for (int i = 0; i < headers_.Count(); ++i) {
        std::int32_t id = headers_.FileHeaders(i).FileID;
        if (id >= 0 && id < kFileIdTableSize) idTable_[static_cast<std::size_t>(id)] = i;
    }
}

int ArchiveCodec::Count() {
    if (!loaded_ && lastOperation_ != TOperation::Compress) ReadHeaders();
    return headers_.Count();
}

void ArchiveCodec::GetFileStats(int index, TlzhFileStats& stats) {
    int count = Count();
    if (index < 0 || index >= count) RaiseArchive(ArchiveErrorKind::NoStats, index);
    ResetTotals();
    FillStats(headers_.FileHeaders(index));
    stats = stats_;
}

int ArchiveCodec::IndexOfID(int fileId) {
    LoadHeadersWhenNeeded();
    if (fileId < 0 || fileId >= kFileIdTableSize) return 0;
    const int index = idTable_[static_cast<std::size_t>(fileId)];
    assert(index >= 0 && index <= headers_.Count());
    return index;
}

// ---- progress ------------------------------------------------------------

void ArchiveCodec::ResetTotals() {
    stats_.TotalBytesDone = 0;
    stats_.TotalPercent = 0;
    stats_.Finished = false;
    std::int64_t unpacked = 0, packed = 0;
    for (int i = 0; i < headers_.Count(); ++i) {
        unpacked += headers_.FileHeaders(i).UnpackedSize;
        packed += headers_.FileHeaders(i).PackedSize;
    }
    stats_.TotalUnpackedSize = unpacked;
    stats_.TotalPackedSize = packed;
    stats_.TotalRatio = Percent(packed, unpacked);
}

void ArchiveCodec::FillStats(const TFileHeader& header) {
    stats_.FileName = header.FileName;
    stats_.UnpackedSize = header.UnpackedSize;
    stats_.PackedSize = header.PackedSize;
    stats_.FileRatio = Percent(header.PackedSize, header.UnpackedSize);
    stats_.FileBytesDone = 0;
    stats_.FilePercent = 0;
    stats_.Finished = false;
    stats_.Header = header;
}

void ArchiveCodec::CheckAbort() {
    if (Abort) RaiseArchive(ArchiveErrorKind::Aborted);
}

void ArchiveCodec::Fire(ArchiveEvent event) {
    if (!Handles(event)) return;
    Disturbed();
    Notify(event);
}

// Long loops let the user interface breathe after every buffer, so that a
// Cancel button can set Abort.
void ArchiveCodec::ProcessPendingMessages() {
    Disturbed();
    Poll();
}

void ArchiveCodec::Disturbed() {
    folder_.Disturbed();
    copyFolder_.Disturbed();
}

void ArchiveCodec::ReportBytes(std::int64_t bytes, std::int64_t fileWhole, std::int64_t totalWhole) {
    stats_.FileBytesDone += bytes;
    stats_.TotalBytesDone += bytes;
    stats_.FilePercent = Percent(stats_.FileBytesDone, fileWhole);
    stats_.TotalPercent = Percent(stats_.TotalBytesDone, totalWhole);
    Fire(ArchiveEvent::Status);
}

void ArchiveCodec::ReportCompressStatus(std::int64_t sourcePosition, std::int64_t archiveSize) {
    CheckAbort();
    ProcessPendingMessages();
    // Bytes done are the source bytes consumed so far, so a finished member
    // reports all of its bytes.
    std::int64_t step = sourcePosition - stats_.FileBytesDone;
    stats_.PackedSize = archiveSize;
    ReportBytes(step, stats_.UnpackedSize, stats_.TotalUnpackedSize);
}

void ArchiveCodec::DiskFull() { RaiseArchive(ArchiveErrorKind::DiskFull); }

void ArchiveCodec::RunOperation(const std::function<void()>& body) {
    try {
        body();
    } catch (const ArchiveError& e) {
        operation_ = TOperation::None;
        if (e.Kind() != ArchiveErrorKind::Aborted) {
            Abort = true;
            throw;
        }
        if (Handles(ArchiveEvent::Aborted)) Notify(ArchiveEvent::Aborted);
    } catch (const EtcAborted&) {
        operation_ = TOperation::None;
        if (Handles(ArchiveEvent::Aborted)) Notify(ArchiveEvent::Aborted);
    } catch (const platform::EAbort&) {
        operation_ = TOperation::None;
    } catch (...) {
        operation_ = TOperation::None;
        Abort = true;
        throw;
    }
    operation_ = TOperation::None;
}

// ---- compress ------------------------------------------------------------

void ArchiveCodec::Compress(bool addOnly, int fileId) {
    RunOperation([&] { DoCompress(addOnly, fileId); });
}

void ArchiveCodec::DoCompress(bool addOnly, int fileId) {
    Abort = false;
    operation_ = lastOperation_ = TOperation::Compress;
    headers_.Spanned = false;
    Offset = 0;
    loaded_ = false;

    HostFile archive;
    bool created = false;
    try {
        std::string dir = platform::ExtractFileDir(compressedFile_);
        if (!dir.empty()) host_->CreateDirectories(dir);
        std::filesystem::path hostPath = host_->ToHost(compressedFile_);
        ClearIdTable();
        std::error_code ec;
        if (addOnly && std::filesystem::exists(hostPath, ec)) {
            if (archive.Open(hostPath, HostFile::Mode::ReadWrite)) {
                created = true;
                headers_.ReadFromStream(archive, 0);
                // Members cannot be added to a set of disks.
                if (headers_.Spanned) RaiseArchive(ArchiveErrorKind::CannotCreate, compressedFile_);
                IndexIds();
                headers_.AddFiles(filesToProcess_, true, *host_);
            }
        } else if (archive.Open(hostPath, HostFile::Mode::CreateNew)) {
            created = true;
            headers_.AddFiles(filesToProcess_, false, *host_);
        }
    } catch (const platform::Exception& e) {
        if (dynamic_cast<const ETmslCompress*>(&e)) throw;
    }
    if (!created) RaiseArchive(ArchiveErrorKind::CannotCreate, compressedFile_);

    headers_.WriteToStream(archive);
    archive.SeekEnd();
    ResetTotals();
    PackMembers(archive, fileId);

    archive.Close();
    filesToProcess_.clear();
}

// Packing runs in two kinds of hands. Workers deflate members, as many at a
// time as there are threads, each into its own PackedMember; this thread
// opens their sources, and writes headers and data in member order with the
// progress reports and abort checks of packing on one thread, so that the
// archive holds the same bytes whatever the number of threads. Workers run
// ahead of the writer by a bounded number of source bytes.
void ArchiveCodec::PackMembers(HostFile& archive, int fileId) {
    std::vector<int> toPack;
    for (int i = 0; i < headers_.Count(); ++i)
        if (!headers_.FileHeaders(i).FromArchive) toPack.push_back(i);
    if (toPack.empty()) return;

    const int level = ZlibLevel(CompressionLevel);
    const int threads = static_cast<int>(
        std::min<std::size_t>(Threads > 0 ? Threads : platform::WorkerPool::MachineCores(), toPack.size()));
    // Workers run ahead of the writer by source bytes, not by members, so
    // that one large member at the head of the archive leaves the other
    // cores the members after it. The bytes bound what waits in memory,
    // the member count the sources held open.
    const std::int64_t aheadBytes = PackAheadBytes;
    constexpr std::size_t kAheadMembers = 512;

    std::atomic<bool> cancelled{false};
    std::vector<std::unique_ptr<MemberDeflater>> deflaters(static_cast<std::size_t>(threads));
    std::deque<std::unique_ptr<PackedMember>> queued;
    std::int64_t queuedBytes = 0;
    std::size_t next = 0;
    auto deflate = [&](PackedMember& job, int worker) {
        struct Cancelled {};
        try {
            std::unique_ptr<MemberDeflater>& deflater = deflaters[static_cast<std::size_t>(worker)];
            if (!deflater) deflater = std::make_unique<MemberDeflater>(level);
            std::int64_t read = 0;
            deflater->Deflate(
                [&](std::uint8_t* buffer, std::size_t count) {
                    if (cancelled) throw Cancelled{};
                    std::size_t n = job.source.Read(buffer, count);
                    read += static_cast<std::int64_t>(n);
                    return n;
                },
                [&](const std::uint8_t* data, std::size_t count, bool last) {
                    job.Put({std::vector<std::uint8_t>(data, data + count), read, last});
                });
            job.source.Close();
            job.Finish();
        } catch (...) {
            job.source.Close();
            job.Finish(std::current_exception());
        }
    };
    platform::WorkerPool pool(threads);
    // Leaving early (an error, Abort) stops the workers before the pool joins them.
    struct CancelOnExit {
        std::atomic<bool>& flag;
        ~CancelOnExit() { flag = true; }
    } cancelOnExit{cancelled};

    // Members admitted together start largest first: a large member
    // started last would keep one core busy after the others ran dry.
    auto schedule = [&] {
        std::vector<PackedMember*> admitted;
        while (next < toPack.size() &&
               (queued.empty() || (queued.size() < kAheadMembers && queuedBytes < aheadBytes))) {
            const TFileHeader& header = headers_.FileHeaders(toPack[next++]);
            auto job = std::make_unique<PackedMember>();
            job->listedSize = header.UnpackedSize;
            job->opened = host_->OpenFile(job->source, header.FileName, HostFile::Mode::Read);
            if (job->opened) admitted.push_back(job.get());
            queuedBytes += job->listedSize;
            queued.push_back(std::move(job));
        }
        std::stable_sort(admitted.begin(), admitted.end(),
                         [](const PackedMember* a, const PackedMember* b) { return a->listedSize > b->listedSize; });
        for (PackedMember* member : admitted)
            pool.Post([&deflate, member](int worker) { deflate(*member, worker); });
    };
    for (int index : toPack) {
        schedule();
        assert(!queued.empty());
        PackedMember& job = *queued.front();
        WriteMember(archive, index, fileId, job);
        queuedBytes -= job.listedSize;
        queued.pop_front();
    }
}

void ArchiveCodec::WriteMember(HostFile& archive, int index, int fileId, PackedMember& job) {
    currentMember_ = index;
    TFileHeader& header = headers_.FileHeaders(index);
    if (!job.opened) RaiseArchive(ArchiveErrorKind::CannotOpenFile, header.FileName);

    auto writeHeader = [&](std::int64_t at) {
        FileHeaderBytes bytes;
        if (!archive.Seek(at) || !header.Encode(bytes) || archive.Write(bytes.data(), bytes.size()) != bytes.size())
            RaiseArchive(ArchiveErrorKind::CannotWriteHeaders);
    };
    std::int64_t headerPos = archive.Position();
    if (headerPos + kFileHeaderSize > kMaxArchiveBytes) RaiseArchive(ArchiveErrorKind::ArchiveTooLarge, compressedFile_);
    writeHeader(headerPos);
    header.DataStart = static_cast<std::int32_t>(archive.Position());

    FillStats(header);
    stats_.PackedSize = 0;
    Fire(ArchiveEvent::BeforeAdding);

    std::int64_t sourcePos = 0;
    PackedPiece piece;
    for (;;) {
        PackedMember::Next got = job.Take(piece, std::chrono::milliseconds(50));
        if (got == PackedMember::Next::End) break;
        if (got == PackedMember::Next::Wait) {
            // The workers are still at it: the user interface goes on meanwhile.
            CheckAbort();
            ProcessPendingMessages();
            continue;
        }
        sourcePos = piece.sourceBytes;
        const std::size_t count = piece.bytes.size();
        if (archive.Position() + static_cast<std::int64_t>(count) > kMaxArchiveBytes)
            RaiseArchive(ArchiveErrorKind::ArchiveTooLarge, compressedFile_);
        if (archive.Write(piece.bytes.data(), count) != count) {
            DiskFull();
            RaiseArchive(ArchiveErrorKind::DiskFull);  // a member cut short would corrupt the archive
        }
        // Data is only ever appended, so the position is the archive's size.
        if (!piece.last) ReportCompressStatus(sourcePos, archive.Position());
    }
    // A source that changed size since it was listed is stored as it was read.
    if (sourcePos > kMaxArchiveBytes) RaiseArchive(ArchiveErrorKind::FileTooLarge, header.FileName);
    header.UnpackedSize = static_cast<std::int32_t>(sourcePos);
    stats_.UnpackedSize = sourcePos;

    stats_.PackedSize = archive.Position();
    stats_.FileRatio = Percent(stats_.PackedSize, stats_.UnpackedSize);
    stats_.Finished = true;
    ReportCompressStatus(sourcePos, archive.Position());
    stats_.Finished = false;
    std::int64_t end = archive.Position();
    stats_.TotalPackedSize += end - header.DataStart + 1;

    header.LastDataPos = static_cast<std::int32_t>(end - 1);
    header.NextHeader = static_cast<std::int32_t>(end);
    header.PackedSize = static_cast<std::int32_t>(stats_.PackedSize);
    header.FileID = fileId;
    if (fileId >= 0 && fileId < kFileIdTableSize) idTable_[static_cast<std::size_t>(fileId)] = index;
    writeHeader(headerPos);
    archive.Seek(end);
    stats_.Header = header;
    Fire(ArchiveEvent::AfterAdding);
}

// ---- disks -----------------------------------------------------------------

HostFile ArchiveCodec::OpenDisk(int disk, HostFile::Mode mode, std::string& path) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (headers_.Spanned) path = platform::ChangeFileExt(path, "." + std::to_string(disk));
        if (!host_->Exists(path)) {
            if (!Handles(ArchiveEvent::NewDisk)) RaiseArchive(ArchiveErrorKind::WrongDisk, disk);
            std::string dir = platform::ExtractFileDir(path);
            while (dir.size() > 1 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
            Disturbed();
            NewDisk(disk, dir);
            // A Cancel in the disk prompt ends the operation instead of asking again.
            CheckAbort();
            path = ArchiveJoin(dir, platform::ExtractFileName(path));
        }
        if (host_->Exists(path)) {
            HostFile file;
            const bool opened = host_->OpenFile(file, path, mode);
            if (!opened) RaiseArchive(ArchiveErrorKind::CannotOpenArchive, path);
            currentDisk_ = disk;
            return file;
        }
    }
    RaiseArchive(ArchiveErrorKind::CannotOpenArchive, path);
}

// ---- extract ---------------------------------------------------------------

void ArchiveCodec::Extract() {
    // What one Extract keeps between members ends with it, also on error.
    auto finish = [&] {
        openArchive_.Close();
        folder_.Close();
        unlimitedFolder_.reset();
        filesToProcess_.clear();
        DestinationName.clear();
    };
    RunOperation([&] {
        try {
            DoExtract();
        } catch (...) {
            finish();
            throw;
        }
        finish();
    });
}

// The folder members go into, opened once for all members of one Extract;
// a handler that changes ExtractDirectory moves us to the new folder. With
// create, missing folders are made and the path is walked again.
void ArchiveCodec::UseExtractFolder(bool create) {
    if (!create && folder_.IsOpen() && folderPath_ == ExtractDirectory) return;
    folder_.Close();
    folderPath_ = ExtractDirectory;
    try {
        if (create && !ExtractDirectory.empty()) host_->CreateDirectories(ExtractDirectory);
        folder_.Open(host_->ToHost(ExtractDirectory.empty() ? "." : ExtractDirectory));
    } catch (const platform::Exception&) {
        // The folder stays closed; the member's create then fails with the clear error.
    }
}

// A folder whose drive has no known capacity keeps having none for the rest
// of the Extract; a known one is asked again for every member as it fills.
std::optional<std::int64_t> ArchiveCodec::SpaceLeftFor(const std::string& destination) {
    if (unlimitedFolder_ && *unlimitedFolder_ == ExtractDirectory) return std::nullopt;
    std::optional<std::int64_t> room;
    try {
        room = host_->SpaceLeft(destination);
    } catch (const platform::Exception&) {
        // A path outside the root has no known capacity; its create fails later.
    }
    if (!room) unlimitedFolder_ = ExtractDirectory;
    return room;
}

void ArchiveCodec::DoExtract() {
    Abort = false;
    operation_ = lastOperation_ = TOperation::Extract;
    LoadHeadersWhenNeeded();
    currentDisk_ = 0;
    currentMember_ = -1;
    ResetTotals();
    // Names ignore case; the first member of a name wins.
    nameIndex_.clear();
    for (int i = 0; i < headers_.Count(); ++i) nameIndex_.emplace(platform::AsciiLower(headers_.FileHeaders(i).FileName), i);
    if (ExtractsInParallel()) {
        ExtractInParallel();
        return;
    }
    for (const std::string& entry : filesToProcess_) ExtractMember(entry);
}

// ---- one member's stored data ----------------------------------------------

// Reads a member's data, never past its last byte: to the end of each disk
// file of a spanned archive, then on from the start of the next disk.
class ArchiveCodec::MemberSource {
public:
    MemberSource(ArchiveCodec& owner, const TFileHeader& header) : owner_(owner) {
        // An unspanned archive stays open from one member to the next.
        const int firstDisk = header.FirstDisk == 0 ? 1 : header.FirstDisk;
        path_ = owner_.compressedFile_;
        if (!owner_.headers_.Spanned && owner_.openArchive_.IsOpen() && owner_.openArchivePath_ == owner_.compressedFile_)
            archive_ = std::move(owner_.openArchive_);
        else
            archive_ = owner_.OpenDisk(firstDisk, HostFile::Mode::Read, path_);
        pos_ = static_cast<std::int64_t>(owner_.Offset) + header.DataStart;
        lastDisk_ = owner_.headers_.Spanned ? header.LastDisk : owner_.currentDisk_;
        lastPos_ = static_cast<std::int64_t>(owner_.Offset) + header.LastDataPos;
    }

    std::size_t Read(std::uint8_t* buffer, std::size_t count) {
        for (;;) {
            std::size_t want = count;
            if (owner_.currentDisk_ >= lastDisk_) {
                if (pos_ > lastPos_) return 0;
                want = static_cast<std::size_t>(std::min<std::int64_t>(count, lastPos_ + 1 - pos_));
            }
            archive_.Seek(pos_);
            std::size_t n = archive_.Read(buffer, want);
            pos_ += static_cast<std::int64_t>(n);
            if (n > 0 || owner_.currentDisk_ >= lastDisk_) return n;
            archive_.Close();
            archive_ = owner_.OpenDisk(owner_.currentDisk_ + 1, HostFile::Mode::Read, path_);
            pos_ = 0;
        }
    }

    // The member is read: an unspanned archive is kept open for the next one.
    void Finish() {
        if (!owner_.headers_.Spanned) {
            owner_.openArchive_ = std::move(archive_);
            owner_.openArchivePath_ = owner_.compressedFile_;
        }
        archive_.Close();
    }

private:
    ArchiveCodec& owner_;
    HostFile archive_;
    std::string path_;
    std::int64_t pos_ = 0, lastPos_ = 0;
    int lastDisk_ = 0;
};

// Extracting one member takes three steps: LocateMember finds it, names
// its destination in the folder held open and applies the overwrite rule;
// a MemberSource reads its stored data, following the disks of a spanned
// archive; WriteAndPublish inflates it into a temporary file beside the
// destination and renames that over the destination only when complete.
void ArchiveCodec::ExtractMember(const std::string& entry) {
    TFileHeader header;
    MemberDestination dest;
    if (!LocateMember(entry, header, dest, false)) {
        stats_.Finished = true;
        Fire(ArchiveEvent::Status);
        DestinationName.clear();
        return;
    }
    MemberSource source(*this, header);
    WriteAndPublish(header, dest, source);
    DestinationName.clear();
}

bool ArchiveCodec::LocateMember(const std::string& entry, TFileHeader& header, MemberDestination& dest, bool ahead) {
    // Ahead of its turn, no handler that could decide about the member is
    // assigned, and the stats still belong to the member being reported.
    assert(!ahead || (!Handles(ArchiveEvent::BeforeExtracting) && !Handles(ArchiveEvent::Replace)));
    SkipFile = false;
    std::string wanted = EntryPath(entry);
    auto found = nameIndex_.find(platform::AsciiLower(wanted));
    if (found == nameIndex_.end()) RaiseArchive(ArchiveErrorKind::NotFound, entry, compressedFile_);
    currentMember_ = found->second;
    header = headers_.FileHeaders(currentMember_);

    if (!ahead) FillStats(header);
    if (platform::IsBlank(DestinationName)) {
        // A name that would land under another one ("a:b.txt" as b.txt) is refused, not renamed.
        if (!KeepsItsName(header.FileName)) RaiseArchive(ArchiveErrorKind::BadMemberName, header.FileName);
        DestinationName = platform::ExtractFileName(header.FileName);
    }
    Fire(ArchiveEvent::BeforeExtracting);

    // The member's name only picks the file name; the folder is ours. A
    // handler may rename the destination, so it is located again after one.
    auto locate = [&] {
        DestinationName = platform::ExtractFileName(DestinationName);
        if (!host_->AcceptsFileName(DestinationName)) RaiseArchive(ArchiveErrorKind::BadMemberName, header.FileName);
        dest.path = ArchiveJoin(ExtractDirectory, DestinationName);
        UseExtractFolder(false);
        dest.entry = folder_.Lookup(DestinationName);
    };
    locate();
    if (dest.entry.exists) {
        int decision = CompareHeaderForOverwrite(*host_, header.Version, ArchiveJoin(ExtractDirectory, dest.entry.name),
                                                 Overwrite, header.FileDate);
        if (decision == kOverwriteFailed) RaiseArchive(ArchiveErrorKind::CompareFailed);
        if (decision == kOverwriteSame || decision == kOverwriteKeep) return false;
        Fire(ArchiveEvent::Replace);
        locate();
    }
    return !SkipFile;
}

// ---- writing and publishing --------------------------------------------------

// A temporary file beside the destination. With mayReopen, a folder that
// is not open, or has gone since it was opened, is walked again.
bool ArchiveCodec::CreatePending(MemberDestination& dest, platform::PendingFile& pending, bool mayReopen) {
    const std::string name = platform::ExtractFileName(dest.path);
    try {
        if (!folder_.IsOpen()) {
            if (!mayReopen) return false;
            UseExtractFolder(true);
            dest.entry = folder_.Lookup(name);
        }
        if (pending.Create(dest.entry.name, PublishFor(dest))) return true;
        if (!mayReopen) return false;
        UseExtractFolder(true);
        dest.entry = folder_.Lookup(name);
        return pending.Create(dest.entry.name, PublishFor(dest));
    } catch (const platform::Exception&) {
        return false;  // the caller's error names the destination
    }
}


void ArchiveCodec::WriteAndPublish(const TFileHeader& header, MemberDestination& dest, MemberSource& source) {
    // Stage 1: a temporary file beside the destination.
    platform::PendingFile pending(folder_);
    if (!CreatePending(dest, pending, true)) RaiseArchive(ArchiveErrorKind::CannotCreate, dest.path);

    // Stage 2: the data inflated into it. Output buffers are gathered and
    // written in larger pieces; a short write counts against the bytes
    // reported, and a drive of known capacity takes no more than it has
    // room for.
    std::array<unsigned char, 4> head{};
    std::size_t headLength = 0;
    HostFile& target = pending.File();
    std::int64_t written = 0;
    if (!writeBuffer_) writeBuffer_ = std::make_unique_for_overwrite<std::uint8_t[]>(kWriteBuffer);
    std::size_t buffered = 0;
    std::optional<std::int64_t> room = SpaceLeftFor(dest.path);
    auto flush = [&] {
        std::size_t allowed = buffered;
        if (room) allowed = static_cast<std::size_t>(
                      std::clamp<std::int64_t>(*room - target.Position(), 0, static_cast<std::int64_t>(buffered)));
        std::size_t n = allowed == 0 ? 0 : target.Write(writeBuffer_.get(), allowed);
        if (n != buffered) {
            written -= static_cast<std::int64_t>(buffered - n);
            DiskFull();
        }
        buffered = 0;
    };
    auto out = [&](const std::uint8_t* data, std::size_t count, bool) {
        for (std::size_t k = 0; k < count && headLength < head.size(); ++k) head[headLength++] = data[k];
        CheckAbort();
        ProcessPendingMessages();
        if (buffered + count > kWriteBuffer) flush();
        assert(buffered + count <= kWriteBuffer);
        std::memcpy(writeBuffer_.get() + buffered, data, count);
        buffered += count;
        written += static_cast<std::int64_t>(count);
        ReportBytes(static_cast<std::int64_t>(count), stats_.UnpackedSize, stats_.TotalUnpackedSize);
    };
    InflateMember(header.UnpackedSize, [&](std::uint8_t* buffer, std::size_t count) { return source.Read(buffer, count); },
                  out);
    flush();
    source.Finish();

    stats_.Finished = true;
    Fire(ArchiveEvent::Status);
    if (written != header.UnpackedSize) RaiseArchive(ArchiveErrorKind::SizeMismatch, header.FileName);
    if (!SetFileDate(target, header.FileDate)) RaiseArchive(ArchiveErrorKind::CannotSetDate);
    target.MarkExecutableWhenProgram(head.data(), headLength);

    Publish(header, dest, pending);
}

// Stage 3: published. A name that was free when looked up is taken only
// while still free.
void ArchiveCodec::Publish(const TFileHeader& header, const MemberDestination& dest, platform::PendingFile& pending) {
    using platform::PendingFile;
    auto committed = pending.Commit(dest.entry.exists ? PendingFile::Publish::Replace : PendingFile::Publish::OnlyNew);
    if (committed == PendingFile::Committed::Taken) {
        // A file turned up under the name while the member was extracted:
        // the overwrite rule decides now, and keeping it drops the new data.
        int decision = CompareHeaderForOverwrite(*host_, header.Version, ArchiveJoin(folderPath_, dest.entry.name),
                                                 Overwrite, header.FileDate);
        if (decision == kOverwriteFailed) RaiseArchive(ArchiveErrorKind::CompareFailed);
        if (decision == kOverwriteSame || decision == kOverwriteKeep)
            committed = PendingFile::Committed::Done;
        else
            committed = pending.Commit(PendingFile::Publish::Replace);
    }
    if (committed != PendingFile::Committed::Done) RaiseArchive(ArchiveErrorKind::CannotCreate, dest.path);
}

// ---- span ------------------------------------------------------------------

void ArchiveCodec::SpanToDisks(const std::string& diskDirectory, const std::string& diskFileName) {
    RunOperation([&] { DoSpan(diskDirectory, diskFileName); });
}

void ArchiveCodec::DoSpan(const std::string& diskDirectory, const std::string& diskFileName) {
    Abort = false;
    LoadHeadersWhenNeeded();
    // Data positions of a spanned source point into other disk files.
    if (headers_.Spanned) RaiseArchive(ArchiveErrorKind::CannotOpenArchive, compressedFile_);
    // From here the list describes the disks, not CompressedFile.
    loaded_ = false;
    currentDisk_ = 1;
    headers_.Spanned = true;
    ResetTotals();

    HostFile source;
    const bool opened = host_->OpenFile(source, compressedFile_, HostFile::Mode::Read);
    if (!opened) RaiseArchive(ArchiveErrorKind::CannotOpenArchive, compressedFile_);

    std::string name = platform::ExtractFileName(diskFileName);
    std::string diskPath = ArchiveJoin(diskDirectory, name);
    HostFile disk;
    std::int64_t diskRoom = -1;  // bytes the current disk file may hold; -1: no limit known
    const platform::HostFileFacts sourceId = source.Opened();
    auto create = [&](const std::string& path) {
        bool ok = false;
        try {
            std::filesystem::path hostPath = host_->ToHost(path);
            // A disk file must never be the archive it is copied from.
            const std::optional<platform::HostFileFacts> there = platform::HostFileFactsOf(hostPath);
            if (there && there->SameFile(sourceId)) RaiseArchive(ArchiveErrorKind::CannotCreate, path);
            ok = disk.Open(hostPath, HostFile::Mode::CreateNew);
            std::optional<std::int64_t> left = host_->SpaceLeft(path);
            diskRoom = left ? *left : -1;
            if (SpanDiskCapacity > 0 && (diskRoom < 0 || SpanDiskCapacity < diskRoom)) diskRoom = SpanDiskCapacity;
        } catch (const platform::Exception&) {
            // Not created: the error below names the disk.
        }
        if (!ok) RaiseArchive(ArchiveErrorKind::CannotCreate, path);
    };
    create(diskPath);
    // Writes what fits on the current disk; a full disk or a failed write
    // moves less.
    auto put = [&](const std::uint8_t* data, std::size_t count) -> std::size_t {
        std::size_t allowed = count;
        if (diskRoom >= 0) {
            std::int64_t room = diskRoom - disk.Position();
            allowed = room <= 0 ? 0 : static_cast<std::size_t>(std::min<std::int64_t>(room, count));
        }
        return allowed == 0 ? 0 : disk.Write(data, allowed);
    };

    {
        // The headers go first; their data positions are set below.
        // The headers must all lie on disk 1: a disk without room for them
        // is full, and no empty disk file is left on it.
        bool fits = diskRoom < 0 ||
                    kArchiveHeadSize + static_cast<std::int64_t>(headers_.Count()) * kFileHeaderSize <= diskRoom;
        if (fits) {
            try {
                headers_.WriteToStream(disk);
            } catch (const ArchiveError& e) {
                if (e.Kind() != ArchiveErrorKind::CannotWriteHeaders) throw;
                fits = false;
            }
        }
        if (!fits) {
            disk.Close();
            std::error_code ignored;
            std::filesystem::remove(host_->ToHost(diskPath), ignored);
            RaiseArchive(ArchiveErrorKind::DiskFull);
        }
    }

    std::vector<std::uint8_t> chunk(kSpanChunk);
    for (int i = 0; i < headers_.Count(); ++i) {
        currentMember_ = i;
        TFileHeader& h = headers_.FileHeaders(i);
        FillStats(h);
        std::int64_t pos = static_cast<std::int64_t>(Offset) + h.DataStart;
        std::int64_t last = static_cast<std::int64_t>(Offset) + h.LastDataPos;
        h.DataStart = static_cast<std::int32_t>(disk.Position());
        h.FirstDisk = static_cast<std::uint8_t>(currentDisk_);
        for (;;) {
            CheckAbort();
            if (pos > last) break;
            std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(kSpanChunk, last + 1 - pos));
            source.Seek(pos);
            std::size_t n = source.Read(chunk.data(), want);
            if (n != want) RaiseArchive(ArchiveErrorKind::Corrupt);
            pos += static_cast<std::int64_t>(n);
            ProcessPendingMessages();
            std::size_t done = put(chunk.data(), n);
            if (done < n) {
                disk.Close();
                if (currentDisk_ >= kMaxDisk) RaiseArchive(ArchiveErrorKind::TooManyDisks);
                ++currentDisk_;
                if (!Handles(ArchiveEvent::NewDisk)) RaiseArchive(ArchiveErrorKind::NoNewDiskHandler);
                std::string dir = diskDirectory;
                Disturbed();
                NewDisk(currentDisk_, dir);
                CheckAbort();
                create(ArchiveJoin(dir, platform::ChangeFileExt(name, "." + std::to_string(currentDisk_))));
                std::size_t rest = n - done;
                if (put(chunk.data() + done, rest) != rest) RaiseArchive(ArchiveErrorKind::TooLittleSpace);
            }
            ReportBytes(static_cast<std::int64_t>(n), h.PackedSize, stats_.TotalPackedSize);
        }
        h.LastDataPos = static_cast<std::int32_t>(disk.Position() - 1);
        h.LastDisk = static_cast<std::uint8_t>(currentDisk_);
    }
    disk.Close();
    source.Close();

    std::string first = diskPath;
    HostFile again = OpenDisk(1, HostFile::Mode::ReadWrite, first);
    headers_.WriteToStream(again);
}

// ---- plain copy ------------------------------------------------------------

void ArchiveCodec::CopyFileChecked(const std::string& source, const std::string& destination) {
    Offset = 0;
    ExtractDirectory = platform::ExtractFileDir(destination);
    DestinationName = platform::ExtractFileName(destination);
    SkipFile = false;
    std::string target = destination;
    if (host_->Exists(destination)) {
        int decision = CompareFilesForOverwrite(*host_, source, destination, Overwrite);
        if (decision == kOverwriteFailed) RaiseArchive(ArchiveErrorKind::CompareFailed);
        if (decision == kOverwriteSame || decision == kOverwriteKeep) return;
        Fire(ArchiveEvent::Replace);
        target = ArchiveJoin(ExtractDirectory, DestinationName);
    }
    if (SkipFile) return;

    TlzhFileStats local;
    local.FileName = source;
    HostFile in;
    const bool opened = host_->OpenFile(in, source, HostFile::Mode::Read);
    if (!opened) RaiseArchive(ArchiveErrorKind::CannotOpenFile, source);
    double sourceDate = platform::UnixMsToDateTime(in.Opened().modifiedMs);
    local.UnpackedSize = in.Size();

    // The copy lands under a temporary name and replaces the old file only
    // when complete, so a cancelled copy leaves the old file as it was. The
    // folder is closed after the temporary file has gone.
    struct CloseAtEnd {
        DestinationFolder& folder;
        ~CloseAtEnd() { folder.Close(); }
    } closeFolder{copyFolder_};
    platform::PendingFile pending(copyFolder_);
    std::string name = platform::ExtractFileName(target);
    bool created = false;
    try {
        std::string dir = platform::ExtractFileDir(target);
        created = host_->AcceptsFileName(name) && copyFolder_.Open(host_->ToHost(dir.empty() ? "." : dir)) &&
                  pending.Create(copyFolder_.Lookup(name).name);
    } catch (const platform::Exception&) {
        // Not created: the error below names the target.
    }
    if (!created) RaiseArchive(ArchiveErrorKind::CannotCreate, target);

    std::vector<std::uint8_t> block(kCopyBlock);
    std::array<unsigned char, 4> head{};
    std::size_t headLength = 0;
    for (;;) {
        if (Abort) return;  // the pending file goes, the old file stays
        std::size_t n = in.Read(block.data(), block.size());
        for (std::size_t k = 0; k < n && headLength < head.size(); ++k) head[headLength++] = block[k];
        if (pending.File().Write(block.data(), n) != n) DiskFull();
        local.FileBytesDone += static_cast<std::int64_t>(n);
        local.TotalBytesDone += static_cast<std::int64_t>(n);
        local.FilePercent = local.TotalPercent = Percent(local.FileBytesDone, local.UnpackedSize);
        stats_ = local;
        Fire(ArchiveEvent::Status);
        ProcessPendingMessages();
        if (n < block.size()) break;
    }
    SetFileDate(pending.File(), sourceDate);
    pending.File().MarkExecutableWhenProgram(head.data(), headLength);
    if (pending.Commit() != platform::PendingFile::Committed::Done) RaiseArchive(ArchiveErrorKind::CannotCreate, target);
    stats_.Finished = true;
    Fire(ArchiveEvent::Status);
}

}  // namespace installer
