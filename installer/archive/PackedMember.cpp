#include "installer/archive/PackedMember.h"

namespace installer {

void PackedMember::Put(PackedPiece piece) {
    {
        std::lock_guard lock(mutex_);
        pieces_.push_back(std::move(piece));
    }
    ready_.notify_one();
}

void PackedMember::Finish(std::exception_ptr error) {
    // Signalled under the lock: once the writer sees the end it may destroy
    // this object, and the worker must be done with it by then.
    std::lock_guard lock(mutex_);
    finished_ = true;
    error_ = std::move(error);
    ready_.notify_one();
}

PackedMember::Next PackedMember::Take(PackedPiece& out, std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    if (!ready_.wait_for(lock, wait, [&] { return finished_ || !pieces_.empty(); })) return Next::Wait;
    if (!pieces_.empty()) {
        out = std::move(pieces_.front());
        pieces_.pop_front();
        return Next::Piece;
    }
    if (error_) std::rethrow_exception(error_);
    return Next::End;
}

}  // namespace installer
