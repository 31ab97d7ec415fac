#pragma once
// The archive codec. At build time it packs files into one archive file and
// can split a finished archive over numbered disk files; at install time it
// extracts chosen members into a folder under the overwrite rule, asking for
// further disks, and copies plain files the same way. Member data is one
// zlib stream each; the layout is in ArchiveHeader.h.
//
// It knows no toolkit and no installer services: errors are ArchiveError
// (a kind and its facts, ArchiveErrors.h), and whatever the program around
// it does (events, the disk prompt, letting the user interface breathe) goes
// through the virtual hooks below. The installer's component is
// TTmslCompress (installer/compressor), which translates the errors and
// fires its events from these hooks.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "installer/archive/ArchiveHeader.h"
#include "installer/archive/ArchiveHost.h"
#include "installer/archive/FileHeaders.h"
#include "installer/version/Overwrite.h"
#include "platform/core/hostio/DestinationFolder.h"
#include "platform/core/hostio/PendingFile.h"

namespace installer {

using platform::DestinationFolder;

enum TCompressionLevel { colNone, colFastest, colDefault, colMax };
enum TlzhCommand { lzcOverwrite, lzcOnlyAdd };

// The zlib level of a compression level: 0, 1, -1 or 9.
int ZlibLevel(TCompressionLevel level);

// Handed to every progress event. Byte counts are 64-bit in memory: totals
// over many members may pass what a 32-bit figure holds.
struct TlzhFileStats {
    std::uint8_t FilePercent = 0;
    std::int64_t FileBytesDone = 0;
    std::string FileName;
    std::int64_t PackedSize = 0;
    std::uint8_t FileRatio = 0;
    std::int64_t UnpackedSize = 0;
    TFileHeader Header;
    bool Finished = false;
    std::uint8_t TotalPercent = 0;
    std::int64_t TotalBytesDone = 0;
    std::int64_t TotalPackedSize = 0;
    std::uint8_t TotalRatio = 0;
    std::int64_t TotalUnpackedSize = 0;
};

// Round(part / whole x 100), halves to even, 0 when whole is 0, kept in 0..255.
std::uint8_t Percent(std::int64_t part, std::int64_t whole);

class PackedMember;

// What the codec reports to the program around it, in the order and on the
// thread of the operation.
enum class ArchiveEvent {
    BeforeAdding, AfterAdding, BeforeExtracting, AfterExtracting, Listing, Replace, Status,
    // An operation ended by Abort.
    Aborted,
    // Not fired: Handles() answers whether a disk can be asked for (NewDisk).
    NewDisk,
};

class ArchiveCodec {
public:
    enum class TOperation { None, Compress, Extract };

    // Paths are Windows paths below the system root unless another host is given.
    explicit ArchiveCodec(std::shared_ptr<ArchiveHost> host = MakeSysrootArchiveHost());
    virtual ~ArchiveCodec() = default;

    // Cleared at the start of Compress, Extract and SpanToDisks; a Cancel
    // button sets it and the running loop stops at its next check.
    bool Abort = false;
    TCompressionLevel CompressionLevel = colMax;
    std::string ExtractDirectory;
    std::int32_t Offset = 0;
    TOverwriteType Overwrite = TOverwriteType::owAlways;
    // The name under which the current member is written; blank: its own.
    std::string DestinationName;
    // Set by an event handler to leave the current member untouched.
    bool SkipFile = false;
    // Bytes one disk file may hold when spanning; 0 leaves it to the drive
    // (its capacity when the platform knows one, else the file system).
    std::int64_t SpanDiskCapacity = 0;
    // Threads that deflate and inflate members; 0: one per core. The
    // archive's bytes, and the order and totals of the progress reports, do
    // not depend on it: events always come on the calling thread, in member
    // order. Extraction stays on the calling thread for a spanned archive, a
    // single member, a drive of known capacity, or when BeforeExtracting or
    // Replace is handled (they decide each member in its turn). Else the
    // members after the one being reported may already be decided and
    // inflated (never published): a Status handler stops the run through
    // Abort, but a destination it changes holds only for members not yet
    // decided.
    int Threads = 0;
    // Bytes of sources the packing workers may run ahead of the writer
    // (they bound what waits in memory); at least one member always may.
    std::int64_t PackAheadBytes = std::int64_t{256} << 20;

    const std::string& CompressedFile() const { return compressedFile_; }
    void SetCompressedFile(const std::string& name);
    const std::vector<std::string>& FilesToProcess() const { return filesToProcess_; }
    // Drops blank lines from the list given, then takes it.
    void SetFilesToProcess(std::vector<std::string> files);

    int Count();
    void GetFileStats(int index, TlzhFileStats& stats);
    int IndexOfID(int fileId);
    void Compress(bool addOnly, int fileId);
    void Extract();
    void SpanToDisks(const std::string& diskDirectory, const std::string& diskFileName);
    void CopyFileChecked(const std::string& source, const std::string& destination);
    // A write fell short. Raises DiskFull unless overridden (a handler may
    // make room and return).
    virtual void DiskFull();

    TFileHeaders& Headers() { return headers_; }
    bool HeadersLoaded() const { return loaded_; }
    TOperation Operation() const { return operation_; }
    // Where a member goes: its Windows path and its entry in the folder held open.
    struct MemberDestination {
        std::string path;
        DestinationFolder::Entry entry;
    };
    int CurrentDisk() const { return currentDisk_; }
    int CurrentMember() const { return currentMember_; }
    TlzhFileStats& FileStats() { return stats_; }
    ArchiveHost& Host() { return *host_; }

protected:
    // The hooks. Handles: whether the program takes the event (an unhandled
    // one costs nothing and, for BeforeExtracting and Replace, lets members
    // be extracted in parallel). Notify: the event, with FileStats() filled.
    virtual bool Handles(ArchiveEvent) const { return false; }
    virtual void Notify(ArchiveEvent) {}
    // Disk `disk` is wanted; the handler may change the folder it is in.
    // Called only when NewDisk is handled.
    virtual void NewDisk(int /*disk*/, std::string& /*folder*/) {}
    // Called after every buffer of a long loop, so that the user interface
    // can breathe and a Cancel button can set Abort.
    virtual void Poll() {}
    // Code other than ours is about to run and may change the folders we write.
    void Disturbed();

private:
    class MemberSource;

    void ReadHeaders();
    void LoadHeadersWhenNeeded();
    void ClearIdTable() { idTable_.fill(0); }
    void IndexIds();
    void ResetTotals();
    void FillStats(const TFileHeader& header);
    void CheckAbort();
    void Fire(ArchiveEvent event);
    void ProcessPendingMessages();
    // The shared ending of Compress, Extract and SpanToDisks.
    void RunOperation(const std::function<void()>& body);
    void DoCompress(bool addOnly, int fileId);
    void PackMembers(HostFile& archive, int fileId);
    void WriteMember(HostFile& archive, int index, int fileId, PackedMember& job);
    void DoExtract();
    void ExtractMember(const std::string& entry);
    // Finds the member and its destination; false when the overwrite rule
    // or a handler keeps what is there.
    // Ahead: decided before its turn, while another member is reported.
    bool LocateMember(const std::string& entry, TFileHeader& header, MemberDestination& dest, bool ahead);
    bool CreatePending(MemberDestination& dest, platform::PendingFile& pending, bool mayReopen);
    void WriteAndPublish(const TFileHeader& header, MemberDestination& dest, MemberSource& source);
    void Publish(const TFileHeader& header, const MemberDestination& dest, platform::PendingFile& pending);
    struct ExtractJob;
    class ParallelExtraction;
    bool ExtractsInParallel();
    void ExtractInParallel();
    void FinishJob(ExtractJob& job);
    void UseExtractFolder(bool create);
    std::optional<std::int64_t> SpaceLeftFor(const std::string& destination);
    void DoSpan(const std::string& diskDirectory, const std::string& diskFileName);
    HostFile OpenDisk(int disk, HostFile::Mode mode, std::string& path);
    void ReportCompressStatus(std::int64_t sourcePosition, std::int64_t archiveSize);
    void ReportBytes(std::int64_t bytes, std::int64_t fileWhole, std::int64_t totalWhole);

    std::shared_ptr<ArchiveHost> host_;
    std::string compressedFile_;
    std::vector<std::string> filesToProcess_;
    TFileHeaders headers_;
    bool loaded_ = false;
    TOperation operation_ = TOperation::None;
    TOperation lastOperation_ = TOperation::None;
    int currentDisk_ = 0;
    int currentMember_ = -1;
    TlzhFileStats stats_;
    std::array<std::int32_t, kFileIdTableSize> idTable_{};
    std::unordered_map<std::string, int> nameIndex_;
    // Within one Extract: the unspanned archive kept open between members,
    // and the gathering buffer for extracted data.
    HostFile openArchive_;
    std::string openArchivePath_;
    std::unique_ptr<std::uint8_t[]> writeBuffer_;
    // Within one Extract: the folder members go into (the text it was
    // opened for), and the folder known to have no capacity limit.
    DestinationFolder folder_;
    std::string folderPath_;
    std::optional<std::string> unlimitedFolder_;
    // The folder of the last plain copy, whose names may serve the next one.
    DestinationFolder copyFolder_;
};

}  // namespace installer
