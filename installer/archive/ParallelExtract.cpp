// Extraction on several threads. This thread keeps everything that meets
// the outside: it decides each member (name, overwrite rule) and creates
// its pending file a few members ahead, reads the stored data in batches,
// and, in member order, makes the progress reports, polls Abort and
// publishes. Workers only inflate into the pending files they are handed,
// and set their dates and execute bits. A member is published only after
// every member before it, so an error or an abort leaves the folder as
// extracting on one thread would: the members before it in place, none
// after.
//
// ParallelExtraction runs it in four stages: the scheduler (Schedule,
// Start) decides members ahead of their turn and hands them out in groups;
// the batch reader (PlaceData) reads their stored data; the worker step
// (Inflate) runs on the workers; the turn (ArchiveCodec::FinishJob) reports,
// checks and publishes each member in order.
#include <algorithm>
#include <array>
#include <atomic>
#include <cassert>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <unordered_set>

#include "installer/archive/ArchiveCodec.h"
#include "installer/archive/ArchiveErrors.h"
#include "installer/archive/ArchivePath.h"
#include "installer/archive/ZlibMember.h"
#include "platform/core/runtime/Text.h"
#include "platform/core/workers/WorkerPool.h"
#include "platform/windows/sysroot/DateTime.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer {

namespace {
// Stored data up to this size is read by this thread in batches that cover
// several members; a larger member is read by its worker.
constexpr std::int64_t kBatchBytes = 4 << 20;
constexpr std::size_t kWorkerBuffer = 256 * 1024;
// Workers report by batch, not by buffer: they inflate in larger pieces,
// which lets zlib finish a small member in one call.
constexpr std::size_t kWorkerInflateBuffer = 64 * 1024;
static_assert(kWorkerInflateBuffer <= kWorkerBuffer, "one inflated piece always fits the write buffer");
// Small members go to a worker in groups, so that waking a worker is paid
// once for several of them.
constexpr std::size_t kGroupMembers = 8;
constexpr std::int64_t kGroupBytes = 512 * 1024;
}  // namespace

struct ArchiveCodec::ExtractJob {
    // Set by this thread before the job is posted.
    std::exception_ptr turnError;  // raised in the member's turn
    bool write = false;            // false: the overwrite rule keeps what is there
    bool createFailed = false;
    bool createInTurn = false;     // the folder must be walked again first
    std::size_t entry = 0;  // its place in the list asked for
    int member = -1;  // not yet found
    TFileHeader header;
    MemberDestination dest;
    std::unique_ptr<platform::PendingFile> pending;
    std::shared_ptr<const std::vector<std::uint8_t>> batch;  // the stored data lies in a batch...
    std::size_t batchFrom = 0, batchLength = 0;
    HostFile archive;  // ...or is read from here by the worker
    std::int64_t readFrom = 0, readLength = 0;

    // Set by the worker.
    std::atomic<std::int64_t> inflated{0};
    std::mutex mutex;
    std::condition_variable doneSignal;
    bool done = false;
    bool awaited = false;  // this thread sleeps on doneSignal
    std::exception_ptr error;
    std::int64_t written = 0;
    bool shortWrite = false;
    bool dated = false;
    // Set by this thread when the job joins a group for a worker.
    bool handedOut = false;

    // The pool runs every task handed out before it is destroyed.
    ~ExtractJob() { assert(!handedOut || done); }

    bool WaitDone(std::chrono::milliseconds wait) {
        std::unique_lock lock(mutex);
        awaited = true;
        return doneSignal.wait_for(lock, wait, [&] { return done; });
    }
    // Wakes this thread only when it sleeps here: most members are done
    // before their turn, and a wake-up costs more than a small member.
    // Signalled under the lock: once this thread sees the job done it may
    // destroy it, and the worker must be done with it by then.
    void Finish(std::exception_ptr e) {
        std::lock_guard lock(mutex);
        done = true;
        error = std::move(e);
        if (awaited) doneSignal.notify_one();
    }
};

// Members go to workers when there is more than one, the archive is one
// plain file, no handler decides about members (those run in each member's
// turn, which workers would have passed), and no drive of known capacity
// has to be shared out member by member.
bool ArchiveCodec::ExtractsInParallel() {
    if (Threads == 1 || filesToProcess_.size() < 2 || headers_.Spanned) return false;
    if (Handles(ArchiveEvent::BeforeExtracting) || Handles(ArchiveEvent::Replace)) return false;
    return !SpaceLeftFor(ArchiveJoin(ExtractDirectory, "x"));
}

class ArchiveCodec::ParallelExtraction {
public:
    explicit ParallelExtraction(ArchiveCodec& codec);
    // Leaving early (an error, Abort) stops the workers; the pool, destroyed
    // first, then joins them before the jobs go.
    ~ParallelExtraction() { cancelled_ = true; }
    void Run();

private:
    void Schedule();
    void Start(ExtractJob& job, bool mayReopen);
    void PostGroup();
    void PlaceData(ExtractJob& job);
    void Inflate(ExtractJob& job, int worker);
    std::string FoldedName(const ExtractJob& job) const { return platform::AsciiLower(job.dest.entry.name); }
    void NoteQueuedName(const ExtractJob& job);
    void ForgetQueuedName(const ExtractJob& job);

    ArchiveCodec& codec_;
    const std::vector<std::string>& entries_;
    const int threads_;
    const std::size_t ahead_;
    std::atomic<bool> cancelled_{false};
    std::vector<std::unique_ptr<std::uint8_t[]>> buffers_;  // one per worker

    // The scheduler's queue: members decided, in the order asked for.
    std::deque<std::unique_ptr<ExtractJob>> queued_;
    std::unordered_set<std::string> queuedNames_;  // folded destination names waiting to be published
    std::size_t next_ = 0;  // the next entry to decide
    std::size_t turn_ = 0;  // the entry whose turn comes next
    bool blocked_ = false;  // a member queued will fail or needs the folder walked again
    std::vector<ExtractJob*> group_;  // members waiting to go to a worker together
    std::int64_t groupBytes_ = 0;

    // The batch reader's archive and its last batch.
    HostFile source_;
    std::string sourcePath_;
    std::shared_ptr<std::vector<std::uint8_t>> batch_;
    std::int64_t batchStart_ = 0;

    platform::WorkerPool pool_;  // last, so destroyed first
};

void ArchiveCodec::ExtractInParallel() { ParallelExtraction(*this).Run(); }

ArchiveCodec::ParallelExtraction::ParallelExtraction(ArchiveCodec& codec)
    : codec_(codec),
      entries_(codec.filesToProcess_),
      threads_(static_cast<int>(std::min<std::size_t>(
          codec.Threads > 0 ? codec.Threads : platform::WorkerPool::MachineCores(), codec.filesToProcess_.size()))),
      ahead_(static_cast<std::size_t>(threads_) * 16),
      buffers_(static_cast<std::size_t>(threads_)),
      sourcePath_(codec.compressedFile_),
      pool_(threads_) {}

void ArchiveCodec::ParallelExtraction::Run() {
    for (;;) {
        Schedule();
        if (queued_.empty()) break;
        ExtractJob& job = *queued_.front();
        assert(job.entry == turn_ && "members take their turns in the order asked for");
        if (job.createInTurn) {
            // Every member before it is published: the folder may be walked again.
            job.createInTurn = false;
            ForgetQueuedName(job);
            Start(job, true);
            PostGroup();
            NoteQueuedName(job);
            blocked_ = job.turnError || job.createFailed;
        }
        codec_.FinishJob(job);
        if (job.write) ForgetQueuedName(job);
        queued_.pop_front();
        ++turn_;
    }
    assert(queuedNames_.empty() && group_.empty());
}

void ArchiveCodec::ParallelExtraction::NoteQueuedName(const ExtractJob& job) {
    [[maybe_unused]] const bool fresh = queuedNames_.insert(FoldedName(job)).second;
    assert(fresh && "no two members queued write the same name");
}

void ArchiveCodec::ParallelExtraction::ForgetQueuedName(const ExtractJob& job) {
    [[maybe_unused]] const std::size_t erased = queuedNames_.erase(FoldedName(job));
    assert(erased == 1);
}

// The scheduler: decides members ahead of their turn and hands them to the
// workers. It waits for the queue to empty before a member whose name one in
// the queue will take (the rule must see that file), and before the folder
// has to be opened again (the pending files live in the one open now).
void ArchiveCodec::ParallelExtraction::Schedule() {
    // Refilled by halves, so that groups fill up.
    if (queued_.size() > ahead_ / 2) return;
    struct PostAtEnd {
        ParallelExtraction& self;
        ~PostAtEnd() { self.PostGroup(); }
    } postAtEnd{*this};
    while (!blocked_ && next_ < entries_.size() && queued_.size() < ahead_) {
        const std::string& entry = entries_[next_];
        auto found = codec_.nameIndex_.find(platform::AsciiLower(EntryPath(entry)));
        if (!queued_.empty()) {
            if (found != codec_.nameIndex_.end() &&
                queuedNames_.contains(platform::AsciiLower(
                    platform::ExtractFileName(codec_.headers_.FileHeaders(found->second).FileName))))
                return;
            if (!codec_.folder_.IsOpen() || codec_.folderPath_ != codec_.ExtractDirectory) return;
        }
        auto job = std::make_unique<ExtractJob>();
        job->entry = next_;
        try {
            job->write = codec_.LocateMember(entry, job->header, job->dest, true);
            job->member = codec_.currentMember_;
        } catch (...) {
            job->turnError = std::current_exception();
        }
        codec_.DestinationName.clear();
        ++next_;
        if (job->write) {
            job->pending = std::make_unique<platform::PendingFile>(codec_.folder_);
            Start(*job, queued_.empty());
            NoteQueuedName(*job);
        }
        // Nothing is decided past a member that fails in its turn.
        blocked_ = job->turnError || job->createFailed || job->createInTurn;
        queued_.push_back(std::move(job));
    }
}

// A member's pending file and data, then into the group for a worker.
void ArchiveCodec::ParallelExtraction::Start(ExtractJob& job, bool mayReopen) {
    if (!codec_.CreatePending(job.dest, *job.pending, mayReopen)) {
        if (mayReopen)
            job.createFailed = true;
        else
            job.createInTurn = true;
        return;
    }
    try {
        PlaceData(job);
    } catch (...) {
        job.turnError = std::current_exception();
        return;
    }
    job.handedOut = true;
    group_.push_back(&job);
    groupBytes_ += job.header.UnpackedSize;
    if (group_.size() >= kGroupMembers || groupBytes_ >= kGroupBytes) PostGroup();
}

void ArchiveCodec::ParallelExtraction::PostGroup() {
    if (group_.empty()) return;
    pool_.Post([this, members = std::move(group_)](int worker) {
        for (ExtractJob* member : members) Inflate(*member, worker);
    });
    group_.clear();
    groupBytes_ = 0;
}

// The batch reader: stored data is read in batches, one read covering the
// member and those asked for next that lie just after it. A member larger
// than a batch is read by its worker from its own handle.
void ArchiveCodec::ParallelExtraction::PlaceData(ExtractJob& job) {
    const std::int64_t offset = codec_.Offset;
    const std::int64_t from = offset + job.header.DataStart;
    const std::int64_t length = static_cast<std::int64_t>(job.header.LastDataPos) - job.header.DataStart + 1;
    if (!source_.IsOpen()) source_ = codec_.OpenDisk(1, HostFile::Mode::Read, sourcePath_);
    if (length > kBatchBytes) {
        if (!codec_.host_->OpenFile(job.archive, sourcePath_, HostFile::Mode::Read))
            RaiseArchive(ArchiveErrorKind::CannotOpenArchive, sourcePath_);
        job.readFrom = from;
        job.readLength = length;
        return;
    }
    const bool inBatch = batch_ && from >= batchStart_ &&
                         from + length <= batchStart_ + static_cast<std::int64_t>(batch_->size());
    if (!inBatch) {
        std::int64_t end = from + length;
        for (std::size_t k = job.entry + 1; k < entries_.size() && k < job.entry + ahead_ * 2; ++k) {
            auto found = codec_.nameIndex_.find(platform::AsciiLower(EntryPath(entries_[k])));
            if (found == codec_.nameIndex_.end()) break;
            const TFileHeader& h = codec_.headers_.FileHeaders(found->second);
            const std::int64_t start = offset + h.DataStart;
            const std::int64_t stop = offset + h.LastDataPos + 1;
            if (start < end || stop - from > kBatchBytes) break;
            end = stop;
        }
        auto fresh = std::make_shared<std::vector<std::uint8_t>>(static_cast<std::size_t>(end - from));
        source_.Seek(from);
        fresh->resize(source_.Read(fresh->data(), fresh->size()));
        batch_ = std::move(fresh);
        batchStart_ = from;
    }
    assert(from >= batchStart_);
    job.batch = batch_;
    job.batchFrom = static_cast<std::size_t>(from - batchStart_);
    // A file cut short since its headers were read gives what it has.
    job.batchLength = static_cast<std::size_t>(
        std::clamp<std::int64_t>(batchStart_ + static_cast<std::int64_t>(batch_->size()) - from, 0, length));
}

// The worker step: inflate into the pending file, write, date. Touches only
// the job and this worker's buffer.
void ArchiveCodec::ParallelExtraction::Inflate(ExtractJob& job, int worker) {
    struct Stopped {};
    try {
        std::unique_ptr<std::uint8_t[]>& buffer = buffers_[static_cast<std::size_t>(worker)];
        if (!buffer) buffer = std::make_unique_for_overwrite<std::uint8_t[]>(kWorkerBuffer);
        HostFile& target = job.pending->File();
        std::array<unsigned char, 4> head{};
        std::size_t headLength = 0, buffered = 0, taken = 0;
        std::int64_t written = 0;
        auto flush = [&] {
            const std::size_t n = buffered == 0 ? 0 : target.Write(buffer.get(), buffered);
            if (n != buffered) {
                written -= static_cast<std::int64_t>(buffered - n);
                job.shortWrite = true;
                throw Stopped{};
            }
            buffered = 0;
        };
        auto read = [&](std::uint8_t* into, std::size_t count) -> std::size_t {
            if (job.batch) {
                const std::size_t n = std::min(count, job.batchLength - taken);
                std::memcpy(into, job.batch->data() + job.batchFrom + taken, n);
                taken += n;
                return n;
            }
            const std::int64_t left = job.readLength - static_cast<std::int64_t>(taken);
            const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(count, left));
            job.archive.Seek(job.readFrom + static_cast<std::int64_t>(taken));
            const std::size_t n = want == 0 ? 0 : job.archive.Read(into, want);
            taken += n;
            return n;
        };
        auto out = [&](const std::uint8_t* data, std::size_t count, bool) {
            if (cancelled_) throw Stopped{};
            for (std::size_t k = 0; k < count && headLength < head.size(); ++k) head[headLength++] = data[k];
            if (buffered + count > kWorkerBuffer) flush();
            std::memcpy(buffer.get() + buffered, data, count);
            buffered += count;
            written += static_cast<std::int64_t>(count);
            job.inflated.fetch_add(static_cast<std::int64_t>(count), std::memory_order_relaxed);
        };
        try {
            InflateMember(job.header.UnpackedSize, read, out, kWorkerInflateBuffer);
            flush();
            job.dated = platform::IsValidDateTime(job.header.FileDate) &&
                        target.SetModifiedMs(platform::DateTimeToUnixMs(job.header.FileDate));
            target.MarkExecutableWhenProgram(head.data(), headLength);
        } catch (const Stopped&) {
            // A full disk is reported in the member's turn; a cancelled run is not.
        }
        job.written = written;
        job.archive.Close();
        job.Finish(nullptr);
    } catch (...) {
        job.archive.Close();
        job.Finish(std::current_exception());
    }
}

// A member's turn: its reports as its worker goes on, then its checks and
// its publication, all as extracting on one thread makes them.
void ArchiveCodec::FinishJob(ExtractJob& job) {
    if (job.member >= 0) currentMember_ = job.member;
    if (job.turnError) std::rethrow_exception(job.turnError);
    FillStats(job.header);
    if (!job.write) {
        stats_.Finished = true;
        Fire(ArchiveEvent::Status);
        return;
    }
    if (job.createFailed) RaiseArchive(ArchiveErrorKind::CannotCreate, job.dest.path);
    std::int64_t reported = 0;
    for (;;) {
        const bool done = job.WaitDone(std::chrono::milliseconds(20));
        const std::int64_t inflated = job.inflated.load(std::memory_order_relaxed);
        CheckAbort();
        ProcessPendingMessages();
        if (inflated > reported) {
            ReportBytes(inflated - reported, stats_.UnpackedSize, stats_.TotalUnpackedSize);
            reported = inflated;
        }
        if (done) break;
    }
    if (job.error) std::rethrow_exception(job.error);
    if (job.shortWrite) DiskFull();
    stats_.Finished = true;
    Fire(ArchiveEvent::Status);
    if (job.written != job.header.UnpackedSize) RaiseArchive(ArchiveErrorKind::SizeMismatch, job.header.FileName);
    if (!job.dated) RaiseArchive(ArchiveErrorKind::CannotSetDate);
    Publish(job.header, job.dest, *job.pending);
}

}  // namespace installer
