#pragma once
// One archive member's data is one zlib stream. These run the exact zlib
// calls the format is made with (deflateInit_ at a level, deflate with
// Z_NO_FLUSH then Z_FINISH; inflateInit_, inflate with Z_NO_FLUSH), with the
// buffer sizes whose fills drive the progress reports. Any zlib failure
// raises a plain platform::Exception "error".
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace installer {

constexpr std::size_t kDeflateOutBuffer = 65536;
constexpr std::size_t kDeflateInChunk = 65536;
constexpr std::size_t kInflateInPiece = 65536;
constexpr std::size_t kInflateOutBuffer = 4096;

// Fills the buffer with up to count bytes; 0 means the input has ended.
using ReadBytes = std::function<std::size_t(std::uint8_t* buffer, std::size_t count)>;
// Takes one output buffer; last is true for the rest written after Z_FINISH.
using WriteBytes = std::function<void(const std::uint8_t* data, std::size_t count, bool last)>;

// Compresses members one after another, with one z_stream and its buffers
// kept from member to member (deflateReset between them), so that packing
// many small files does not set zlib up again each time; a reset stream
// makes the bytes a new one would.
class MemberDeflater {
public:
    explicit MemberDeflater(int level);
    ~MemberDeflater();
    MemberDeflater(const MemberDeflater&) = delete;
    MemberDeflater& operator=(const MemberDeflater&) = delete;
    // Compresses everything read yields; returns the number of input bytes.
    // A member cut short by an exception leaves the stream ready for the next.
    std::int64_t Deflate(const ReadBytes& read, const WriteBytes& write);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Inflates one stream. Stops as soon as more than limit bytes came out (the
// caller sees the excess in the result), so a forged stream cannot fill the
// disk. The stream must reach its end and checksum; a stream that needs a
// preset dictionary is an error. Returns the bytes written.
// Output comes in pieces of at most outBuffer bytes (the reports of one
// thread follow kInflateOutBuffer; workers take larger pieces).
std::int64_t InflateMember(std::int64_t limit, const ReadBytes& read, const WriteBytes& write,
                           std::size_t outBuffer = kInflateOutBuffer);

}  // namespace installer
