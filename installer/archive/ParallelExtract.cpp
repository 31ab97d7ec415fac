// Extraction on several threads. This thread keeps everything that meets
// the outside: it decides each member (name, overwrite rule) and creates
// its pending file a few members ahead, reads the stored data in batches,
// and, in member order, makes the progress reports, polls Abort and
// publishes. Workers only inflate into the pending files they are handed,
// and set their dates and execute bits. A member is published only after
// every member before it, so an error or an abort leaves the folder as
// extracting on one thread would: the members before it in place, none
// after.
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

#include "installer/archive/ArchiveErrors.h"
#include "installer/archive/ArchivePath.h"
#include "installer/archive/TmslCompress.h"
#include "installer/archive/ZlibMember.h"
#include "platform/runtime/Text.h"
#include "platform/sysroot/DateTime.h"
#include "platform/sysroot/WinPath.h"
#include "platform/workers/WorkerPool.h"

namespace installer {

namespace text = archive_text;

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

struct TTmslCompress::ExtractJob {
    // Set by this thread before the job is posted.
    std::exception_ptr turnError;  // raised in the member's turn
    bool write = false;            // false: the overwrite rule keeps what is there
    bool createFailed = false;
    bool createInTurn = false;     // the folder must be walked again first
    std::size_t entry = 0;  // its place in the list asked for
    int member = 0;
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
bool TTmslCompress::ExtractsInParallel() {
    if (Threads == 1 || filesToProcess_.size() < 2 || headers_.Spanned || OnBeforeExtracting || OnReplace) return false;
    return !SpaceLeftFor(ArchiveJoin(ExtractDirectory, "x"));
}

void TTmslCompress::ExtractInParallel() {
    const std::vector<std::string>& entries = filesToProcess_;
    const int threads = static_cast<int>(
        std::min<std::size_t>(Threads > 0 ? Threads : platform::WorkerPool::MachineCores(), entries.size()));
    const std::size_t ahead = static_cast<std::size_t>(threads) * 16;

    std::atomic<bool> cancelled{false};
    std::vector<std::unique_ptr<std::uint8_t[]>> buffers(static_cast<std::size_t>(threads));
    std::deque<std::unique_ptr<ExtractJob>> queued;
    std::unordered_set<std::string> queuedNames;  // folded destination names waiting to be published

    // The worker's part: inflate, write, date.
    auto inflate = [&](ExtractJob& job, int worker) {
        struct Stopped {};
        try {
            std::unique_ptr<std::uint8_t[]>& buffer = buffers[static_cast<std::size_t>(worker)];
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
                if (cancelled) throw Stopped{};
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
    };

    // Stored data is read in batches: one read covers the member and those
    // asked for next that lie just after it.
    HostFile source;
    std::string sourcePath = compressedFile_;
    std::shared_ptr<std::vector<std::uint8_t>> batch;
    std::int64_t batchStart = 0;
    auto placeData = [&](ExtractJob& job, std::size_t entryIndex) {
        const std::int64_t from = static_cast<std::int64_t>(Offset) + job.header.DataStart;
        const std::int64_t length = static_cast<std::int64_t>(job.header.LastDataPos) - job.header.DataStart + 1;
        if (!source.IsOpen()) source = OpenDisk(1, HostFile::Mode::Read, sourcePath);
        if (length > kBatchBytes) {
            if (!host_->OpenFile(job.archive, sourcePath, HostFile::Mode::Read))
                RaiseCompress(text::kCannotOpenArchive, {sourcePath});
            job.readFrom = from;
            job.readLength = length;
            return;
        }
        const bool inBatch = batch && from >= batchStart &&
                             from + length <= batchStart + static_cast<std::int64_t>(batch->size());
        if (!inBatch) {
            std::int64_t end = from + length;
            for (std::size_t k = entryIndex + 1; k < entries.size() && k < entryIndex + ahead * 2; ++k) {
                auto found = nameIndex_.find(platform::AsciiLower(EntryPath(entries[k])));
                if (found == nameIndex_.end()) break;
                const TFileHeader& h = headers_.FileHeaders(found->second);
                const std::int64_t start = static_cast<std::int64_t>(Offset) + h.DataStart;
                const std::int64_t stop = static_cast<std::int64_t>(Offset) + h.LastDataPos + 1;
                if (start < end || stop - from > kBatchBytes) break;
                end = stop;
            }
            auto fresh = std::make_shared<std::vector<std::uint8_t>>(static_cast<std::size_t>(end - from));
            source.Seek(from);
            fresh->resize(source.Read(fresh->data(), fresh->size()));
            batch = std::move(fresh);
            batchStart = from;
        }
        job.batch = batch;
        job.batchFrom = static_cast<std::size_t>(from - batchStart);
        // A file cut short since its headers were read gives what it has.
        job.batchLength = static_cast<std::size_t>(
            std::clamp<std::int64_t>(batchStart + static_cast<std::int64_t>(batch->size()) - from, 0, length));
    };

    std::size_t next = 0;
    bool blocked = false;  // a member queued will fail or needs the folder walked again
    platform::WorkerPool pool(threads);
    // Leaving early (an error, Abort) stops the workers before the pool joins them.
    struct CancelOnExit {
        std::atomic<bool>& flag;
        ~CancelOnExit() { flag = true; }
    } cancelOnExit{cancelled};

    std::vector<ExtractJob*> group;
    std::int64_t groupBytes = 0;
    auto post = [&] {
        if (group.empty()) return;
        pool.Post([&inflate, members = std::move(group)](int worker) {
            for (ExtractJob* member : members) inflate(*member, worker);
        });
        group.clear();
        groupBytes = 0;
    };
    // A member's pending file and data, then off to a worker.
    auto start = [&](ExtractJob& job, bool mayReopen) {
        if (!CreatePending(job.dest, *job.pending, mayReopen)) {
            if (mayReopen)
                job.createFailed = true;
            else
                job.createInTurn = true;
            return;
        }
        try {
            placeData(job, job.entry);
        } catch (...) {
            job.turnError = std::current_exception();
            return;
        }
        group.push_back(&job);
        groupBytes += job.header.UnpackedSize;
        if (group.size() >= kGroupMembers || groupBytes >= kGroupBytes) post();
    };

    // Decides members ahead of their turn and hands them to the workers.
    // It waits for the queue to empty before a member whose name one in the
    // queue will take (the rule must see that file), and before the folder
    // has to be opened again (the pending files live in the one open now).
    auto schedule = [&] {
        // Refilled by halves, so that groups fill up.
        if (queued.size() > ahead / 2) return;
        struct PostAtEnd {
            decltype(post)& send;
            ~PostAtEnd() { send(); }
        } postAtEnd{post};
        while (!blocked && next < entries.size() && queued.size() < ahead) {
            const std::string& entry = entries[next];
            auto found = nameIndex_.find(platform::AsciiLower(EntryPath(entry)));
            if (!queued.empty()) {
                if (found != nameIndex_.end() &&
                    queuedNames.contains(platform::AsciiLower(
                        platform::ExtractFileName(headers_.FileHeaders(found->second).FileName))))
                    return;
                if (!folder_.IsOpen() || folderPath_ != ExtractDirectory) return;
            }
            auto job = std::make_unique<ExtractJob>();
            job->entry = next;
            try {
                job->write = LocateMember(entry, job->header, job->dest, true);
                job->member = currentMember_;
            } catch (...) {
                job->turnError = std::current_exception();
            }
            DestinationName.clear();
            ++next;
            if (job->write) {
                job->pending = std::make_unique<platform::PendingFile>(folder_);
                start(*job, queued.empty());
                queuedNames.insert(platform::AsciiLower(job->dest.entry.name));
            }
            // Nothing is decided past a member that fails in its turn.
            blocked = job->turnError || job->createFailed || job->createInTurn;
            queued.push_back(std::move(job));
        }
    };

    for (;;) {
        schedule();
        if (queued.empty()) break;
        ExtractJob& job = *queued.front();
        if (job.createInTurn) {
            // Every member before it is published: the folder may be walked again.
            job.createInTurn = false;
            queuedNames.erase(platform::AsciiLower(job.dest.entry.name));
            start(job, true);
            post();
            queuedNames.insert(platform::AsciiLower(job.dest.entry.name));
            blocked = job.turnError || job.createFailed;
        }
        FinishJob(job);
        if (job.write) queuedNames.erase(platform::AsciiLower(job.dest.entry.name));
        queued.pop_front();
    }
}

// A member's turn: its reports as its worker goes on, then its checks and
// its publication, all as extracting on one thread makes them.
void TTmslCompress::FinishJob(ExtractJob& job) {
    if (job.turnError) std::rethrow_exception(job.turnError);
    currentMember_ = job.member;
    FillStats(job.header);
    if (!job.write) {
        stats_.Finished = true;
        Fire(OnStatus);
        return;
    }
    if (job.createFailed) RaiseCompress(text::kCannotCreate, {job.dest.path});
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
    Fire(OnStatus);
    if (job.written != job.header.UnpackedSize) RaiseCompress(text::kSizeMismatch, {job.header.FileName});
    if (!job.dated) RaiseCompress(text::kCannotSetDate);
    Publish(job.header, job.dest, *job.pending);
}

}  // namespace installer
