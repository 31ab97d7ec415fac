#include "platform/net/sockets/Sockets.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::sockets {

namespace {

using Clock = std::chrono::steady_clock;

// Between two pumps a wait sleeps at most this long, so the window stays lively.
constexpr std::chrono::milliseconds kSlice{10};

thread_local int lastError = 0;

long Fail(int code) {
    lastError = code;
    return -1;
}

long FailErrno() { return Fail(WinSockError(errno)); }

// The time left before deadline, at most one slice when there is a pump.
int SliceMs(Clock::time_point deadline, const Wait& wait) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() < 0) left = std::chrono::milliseconds(0);
    if (wait.pump) left = std::min(left, kSlice);
    return static_cast<int>(left.count());
}

// Waits until fd is ready for events or the bound passes; false with
// lastError set otherwise.
bool WaitReady(int fd, short events, const Wait& wait) {
    const auto deadline = Clock::now() + wait.bound;
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, SliceMs(deadline, wait));
        if (n > 0) return true;  // readiness or an error condition: the next call tells which
        if (n < 0 && errno != EINTR) return FailErrno(), false;
        if (Clock::now() >= deadline) return Fail(kWSAETIMEDOUT), false;
        if (wait.pump) wait.pump();
    }
}

// The first IPv4 address of a finished lookup.
Address FirstIPv4(const addrinfo* list) {
    for (const addrinfo* a = list; a; a = a->ai_next)
        if (a->ai_family == AF_INET && a->ai_addrlen >= sizeof(sockaddr_in))
            return reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
    return kNoAddress;
}

// One asynchronous lookup. glibc's resolver may still write into a request
// whose cancel it refused, so such a request is kept among the abandoned
// ones until it has finished, and freed then.
struct Lookup {
    explicit Lookup(const std::string& host) : name(host) {
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        cb.ar_name = name.c_str();
        cb.ar_request = &hints;
    }
    Lookup(const Lookup&) = delete;
    Lookup& operator=(const Lookup&) = delete;
    ~Lookup() {
        if (cb.ar_result) ::freeaddrinfo(cb.ar_result);
    }
    bool Running() { return ::gai_error(&cb) == EAI_INPROGRESS; }

    std::string name;
    addrinfo hints{};
    gaicb cb{};
};

std::mutex abandonedMutex;
// Never destroyed: at exit the resolver may still be writing into one.
auto& abandoned = *new std::vector<std::unique_ptr<Lookup>>;

void Abandon(std::unique_ptr<Lookup> lookup) {
    if (::gai_cancel(&lookup->cb) != EAI_NOTCANCELED) return;  // done or cancelled: free it now
    std::lock_guard lock(abandonedMutex);
    abandoned.push_back(std::move(lookup));
}

void FreeFinishedAbandoned() {
    std::lock_guard lock(abandonedMutex);
    std::erase_if(abandoned, [](const std::unique_ptr<Lookup>& l) { return !l->Running(); });
}

}  // namespace

int WinSockError(int e) {
    switch (e) {
        case 0: return 0;
        case EAGAIN: return kWSAEWOULDBLOCK;
        case EINPROGRESS: return 10036;
        case EALREADY: return 10037;
        case ENOTSOCK: return 10038;
        case EDESTADDRREQ: return 10039;
        case EMSGSIZE: return 10040;
        case EPROTOTYPE: return 10041;
        case ENOPROTOOPT: return 10042;
        case EPROTONOSUPPORT: return 10043;
        case ESOCKTNOSUPPORT: return 10044;
        case EOPNOTSUPP: return 10045;
        case EPFNOSUPPORT: return 10046;
        case EAFNOSUPPORT: return 10047;
        case EADDRINUSE: return 10048;
        case EADDRNOTAVAIL: return 10049;
        case ENETDOWN: return 10050;
        case ENETUNREACH: return 10051;
        case ENETRESET: return 10052;
        case ECONNABORTED: return 10053;
        case ECONNRESET: return kWSAECONNRESET;
        case EPIPE: return kWSAECONNRESET;  // the peer is gone: Windows reports a reset
        case ENOBUFS: return 10055;
        case EISCONN: return 10056;
        case ENOTCONN: return kWSAENOTCONN;
        case ESHUTDOWN: return 10058;
        case ETOOMANYREFS: return 10059;
        case ETIMEDOUT: return kWSAETIMEDOUT;
        case ECONNREFUSED: return kWSAECONNREFUSED;
        case ELOOP: return 10062;
        case ENAMETOOLONG: return 10063;
        case EHOSTDOWN: return 10064;
        case EHOSTUNREACH: return 10065;
        case EINTR: return kWSAEINTR;
        case EBADF: return 10009;
        case EACCES: return 10013;
        case EFAULT: return 10014;
        case EINVAL: return kWSAEINVAL;
        case EMFILE: return 10024;
        default: return 10000 + e;
    }
}

int LastError() { return lastError; }

Address ResolveIPv4(const std::string& name, const Wait& wait) {
    lastError = 0;
    if (name.empty()) return kNoAddress;
    if (in_addr a{}; ::inet_aton(name.c_str(), &a)) return a.s_addr;

    FreeFinishedAbandoned();
    auto lookup = std::make_unique<Lookup>(name);
    gaicb* list[1] = {&lookup->cb};
    if (::getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr) != 0) return kNoAddress;
    const auto deadline = Clock::now() + wait.bound;
    while (lookup->Running()) {
        if (Clock::now() >= deadline) {
            Abandon(std::move(lookup));
            return kNoAddress;
        }
        const int ms = std::max(SliceMs(deadline, wait), 1);
        const timespec slice{ms / 1000, (ms % 1000) * 1000000L};
        ::gai_suspend(list, 1, &slice);
        if (wait.pump) {
            try {
                wait.pump();
            } catch (...) {
                Abandon(std::move(lookup));
                throw;
            }
        }
    }
    return ::gai_error(&lookup->cb) == 0 ? FirstIPv4(lookup->cb.ar_result) : kNoAddress;
}

std::string FormatIPv4(Address address) {
    const auto* b = reinterpret_cast<const unsigned char*>(&address);  // network order: most significant first
    return std::to_string(b[0]) + '.' + std::to_string(b[1]) + '.' + std::to_string(b[2]) + '.' +
           std::to_string(b[3]);
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void Socket::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

Socket Connect(Address address, std::uint16_t port, const Wait& wait) {
    lastError = 0;
    Socket s(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!s.Valid()) return FailErrno(), Socket();
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = address;
    if (::connect(s.Handle(), reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return s;
    if (errno != EINPROGRESS && errno != EINTR) return FailErrno(), Socket();
    if (!WaitReady(s.Handle(), POLLOUT, wait)) return Socket();
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(s.Handle(), SOL_SOCKET, SO_ERROR, &error, &len) != 0) return FailErrno(), Socket();
    if (error != 0) return Fail(WinSockError(error)), Socket();
    return s;
}

long Send(const Socket& socket, const void* data, std::size_t count, const Wait& wait) {
    lastError = 0;
    const char* p = static_cast<const char*>(data);
    std::size_t left = count;
    while (left > 0) {
        const ssize_t n = ::send(socket.Handle(), p, left, MSG_NOSIGNAL);
        if (n >= 0) {
            p += n;
            left -= static_cast<std::size_t>(n);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!WaitReady(socket.Handle(), POLLOUT, wait)) return -1;
        } else if (errno != EINTR) {
            return FailErrno();
        }
    }
    return static_cast<long>(count);
}

long Receive(const Socket& socket, void* buffer, std::size_t size, const Wait& wait) {
    lastError = 0;
    for (;;) {
        const ssize_t n = ::recv(socket.Handle(), buffer, size, 0);
        if (n >= 0) return static_cast<long>(n);
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!WaitReady(socket.Handle(), POLLIN, wait)) return -1;
        } else if (errno != EINTR) {
            return FailErrno();
        }
    }
}

int PeerError(const Socket& socket) {
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    if (::getpeername(socket.Handle(), reinterpret_cast<sockaddr*>(&peer), &len) == 0) return 0;
    return WinSockError(errno);
}

int ConnectionError(const Socket& socket) {
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(socket.Handle(), SOL_SOCKET, SO_ERROR, &error, &len) != 0) return WinSockError(errno);
    return WinSockError(error);
}

}  // namespace platform::sockets
