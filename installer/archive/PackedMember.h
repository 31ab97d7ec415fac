#pragma once
// One member's compressed data on its way from the worker that deflates it
// to the thread that writes the archive in member order. The worker puts
// each output buffer with the count of source bytes read when it came out,
// so that the writer can make the very progress reports, buffer by buffer,
// that packing on one thread makes. The writer takes the buffers of the
// member at the head of the archive as they come; members further on wait
// here whole.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <vector>

#include "platform/core/hostio/HostFile.h"

namespace installer {

struct PackedPiece {
    std::vector<std::uint8_t> bytes;
    std::int64_t sourceBytes = 0;  // source bytes read when this buffer came out
    bool last = false;             // the rest written after the stream's end
};

class PackedMember {
public:
    // The source, opened by the writer's thread before the worker starts;
    // false when it could not be opened (the writer reports that in turn).
    platform::HostFile source;
    bool opened = false;
    std::int64_t listedSize = 0;

    // Worker side.
    void Put(PackedPiece piece);
    // The member is complete, or failed with error.
    void Finish(std::exception_ptr error = nullptr);

    // Writer side. Piece: out holds the next buffer. End: every buffer was
    // taken (a worker's failure is raised here). Wait: nothing came within
    // the time given.
    enum class Next { Piece, End, Wait };
    Next Take(PackedPiece& out, std::chrono::milliseconds wait);

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<PackedPiece> pieces_;
    bool finished_ = false;
    std::exception_ptr error_;
};

}  // namespace installer
