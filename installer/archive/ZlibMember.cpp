#include "installer/archive/ZlibMember.h"

#include <zlib.h>

#include <memory>

#include "platform/core/runtime/Exception.h"

namespace installer {

namespace {
[[noreturn]] void ZlibError() { throw platform::Exception("error"); }

// Scratch space that is never read before written, so it is not cleared.
struct Buffer {
    explicit Buffer(std::size_t n) : bytes(std::make_unique_for_overwrite<std::uint8_t[]>(n)), length(n) {}
    std::uint8_t* data() { return bytes.get(); }
    std::size_t size() const { return length; }
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t length;
};

struct DeflateStream {
    z_stream z{};
    explicit DeflateStream(int level) {
        if (deflateInit(&z, level) != Z_OK) ZlibError();
    }
    ~DeflateStream() { deflateEnd(&z); }
};

struct InflateStream {
    z_stream z{};
    InflateStream() {
        if (inflateInit(&z) != Z_OK) ZlibError();
    }
    ~InflateStream() { inflateEnd(&z); }
};
}  // namespace

struct MemberDeflater::State {
    DeflateStream stream;
    Buffer in{kDeflateInChunk}, out{kDeflateOutBuffer};
    bool fresh = true;
    explicit State(int level) : stream(level) {}
};

MemberDeflater::MemberDeflater(int level) : state_(std::make_unique<State>(level)) {}
MemberDeflater::~MemberDeflater() = default;

std::int64_t MemberDeflater::Deflate(const ReadBytes& read, const WriteBytes& write) {
    z_stream& z = state_->stream.z;
    Buffer &in = state_->in, &out = state_->out;
    if (!state_->fresh && deflateReset(&z) != Z_OK) ZlibError();
    state_->fresh = false;
    std::int64_t total = 0;
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    bool finished = false;
    while (!finished) {
        std::size_t n = read(in.data(), in.size());
        total += static_cast<std::int64_t>(n);
        z.next_in = in.data();
        z.avail_in = static_cast<uInt>(n);
        int flush = n == 0 ? Z_FINISH : Z_NO_FLUSH;
        for (;;) {
            int rc = deflate(&z, flush);
            if (rc < 0 && rc != Z_BUF_ERROR) ZlibError();
            if (rc == Z_STREAM_END) finished = true;
            if (z.avail_out == 0) {
                write(out.data(), out.size(), false);
                z.next_out = out.data();
                z.avail_out = static_cast<uInt>(out.size());
                if (!finished) continue;
            }
            if (finished || (flush == Z_NO_FLUSH && z.avail_in == 0)) break;
        }
    }
    write(out.data(), out.size() - z.avail_out, true);
    return total;
}

std::int64_t InflateMember(std::int64_t limit, const ReadBytes& read, const WriteBytes& write, std::size_t outBuffer) {
    InflateStream s;
    Buffer in(kInflateInPiece), out(outBuffer);
    std::int64_t total = 0;
    for (;;) {
        std::size_t n = read(in.data(), in.size());
        if (n == 0) ZlibError();  // the data ran out before the stream's end
        s.z.next_in = in.data();
        s.z.avail_in = static_cast<uInt>(n);
        for (;;) {
            s.z.next_out = out.data();
            s.z.avail_out = static_cast<uInt>(out.size());
            int rc = inflate(&s.z, Z_NO_FLUSH);
            // Z_NEED_DICT is an error too: members never use a dictionary.
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) ZlibError();
            std::size_t produced = out.size() - s.z.avail_out;
            if (produced > 0) {
                // Never write more than limit + 1 bytes: the extra byte shows the lie.
                std::int64_t room = limit + 1 - total;
                std::size_t take = produced;
                if (static_cast<std::int64_t>(take) > room) take = static_cast<std::size_t>(room);
                write(out.data(), take, false);
                total += static_cast<std::int64_t>(take);
                if (total > limit) return total;
            }
            if (rc == Z_STREAM_END) return total;
            if (s.z.avail_out != 0 || (produced == 0 && rc == Z_BUF_ERROR)) break;  // needs input
        }
    }
}

}  // namespace installer
