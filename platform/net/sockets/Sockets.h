#pragma once
// TCP over POSIX sockets for a program that does all its work on the GUI
// thread. Every call that can wait has a bound, and waits in short slices,
// calling the caller's pump between them so pending window events are
// processed. Failures are reported with the Windows Sockets error codes
// (WSAE...) the callers speak, read back with LastError() like
// WSAGetLastError. Sending never raises SIGPIPE.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace platform::sockets {

// Windows Sockets error codes the callers test for.
inline constexpr int kWSAEINTR = 10004;
inline constexpr int kWSAEINVAL = 10022;
inline constexpr int kWSAEWOULDBLOCK = 10035;
inline constexpr int kWSAENOTCONN = 10057;
inline constexpr int kWSAETIMEDOUT = 10060;
inline constexpr int kWSAECONNREFUSED = 10061;
inline constexpr int kWSAECONNRESET = 10054;

// An IPv4 address in network byte order; kNoAddress when there is none.
using Address = std::uint32_t;
inline constexpr Address kNoAddress = 0xFFFFFFFFu;

// How long a call may wait, and what to do between slices of the wait.
struct Wait {
    std::chrono::milliseconds bound{30000};
    // May be empty: then the call just waits. May raise to abandon the wait;
    // the call then lets go of what it holds and passes the exception on.
    std::function<void()> pump;
};

// The Windows Sockets code for a POSIX errno value. Codes Windows numbers
// as 10000 + the BSD errno get that number; an errno without a Windows
// counterpart becomes 10000 + errno as well.
int WinSockError(int posixErrno);

// The code of the last failing call of this module on this thread; 0 after
// a call that succeeded.
int LastError();

// A dotted address ("a.b.c.d", or the shorter forms inet_aton takes) is
// converted directly; any other name is looked up (IPv4 only) within the
// bound. kNoAddress for an empty name, a failed lookup or the bound passing.
Address ResolveIPv4(const std::string& name, const Wait& wait);

// "a.b.c.d", most significant octet first.
std::string FormatIPv4(Address address);

// An owned socket descriptor; -1 when there is none.
class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() { Close(); }
    Socket(Socket&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    int Handle() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    void Close();

private:
    int fd_ = -1;
};

// A stream socket connected to address:port, or an invalid socket with
// LastError() telling why (kWSAECONNREFUSED for a closed port,
// kWSAETIMEDOUT when the bound passed).
Socket Connect(Address address, std::uint16_t port, const Wait& wait);

// Sends all count bytes; waits (bounded) while the peer is slow to take them.
// Returns count, or -1 with LastError() set. A peer that has gone away is an
// error code, never a signal.
long Send(const Socket& socket, const void* data, std::size_t count, const Wait& wait);

// Waits (bounded) until bytes arrive, then returns how many were read (at
// most size); 0 when the peer closed the connection; -1 with LastError() set
// on failure, kWSAETIMEDOUT when nothing came within the bound.
long Receive(const Socket& socket, void* buffer, std::size_t size, const Wait& wait);

// 0 when the socket has a peer; otherwise the code getpeername fails with
// (kWSAENOTCONN when not connected).
int PeerError(const Socket& socket);

// The error that ended the socket's connection (a reset: kWSAECONNRESET),
// reported once; 0 when there is none.
int ConnectionError(const Socket& socket);

}  // namespace platform::sockets
