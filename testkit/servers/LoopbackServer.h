#pragma once
// Test helper: a TCP server on 127.0.0.1 (never any other address) that
// serves one scripted reply per connection, in order, and records the bytes
// each connection sent. It runs on its own thread so a blocking client can
// talk to it; every wait it makes is bounded, so no test can hang on it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform::testing {

class LoopbackServer {
public:
    struct Reply {
        std::string bytes;    // sent once the request's blank line (or the peer's close) was read
        bool silent = false;  // send nothing; hold the connection until the client or the test ends it
        bool atOnce = false;  // answer on connecting, without reading a request
        bool holdOpen = false;  // after the bytes, keep the connection until the client ends it
        std::string endless{};  // after the bytes, sent again and again until the client ends the connection
        std::chrono::milliseconds drip{0};  // send the bytes one at a time, this far apart
        bool reset = false;  // end the connection with a reset instead of a close
    };

    explicit LoopbackServer(std::vector<Reply> replies) : replies_(std::move(replies)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        socklen_t len = sizeof a;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            ::listen(listener_, 8) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            std::abort();
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackServer() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t Port() const { return port_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

    // The bytes of each connection served so far, in order.
    std::vector<std::string> Requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

    // A port on 127.0.0.1 that nothing listens on (bound, then let go).
    static std::uint16_t ClosedPort() {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (s < 0 || ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            std::abort();
        ::close(s);
        return ntohs(a.sin_port);
    }

private:
    static constexpr auto kBound = std::chrono::seconds(10);

    // Waits for fd to become readable, in short slices so a stop is seen.
    bool Readable(int fd, std::chrono::steady_clock::time_point deadline) {
        while (!stop_ && std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) return true;
        }
        return false;
    }

    // Waits for room to send, in short slices so a stop is seen.
    bool Writable(int fd, std::chrono::steady_clock::time_point deadline) {
        while (!stop_ && std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 20) > 0) return (p.revents & (POLLERR | POLLHUP)) == 0;
        }
        return false;
    }

    // Sends what it can without blocking; false once the client is gone.
    bool SendSome(int fd, const char* data, std::size_t size, std::chrono::steady_clock::time_point deadline) {
        while (size > 0) {
            if (!Writable(fd, deadline)) return false;
            const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
            if (n > 0) data += n, size -= static_cast<std::size_t>(n);
        }
        return true;
    }

    void Send(int fd, const Reply& reply, std::chrono::steady_clock::time_point deadline) {
        if (reply.drip.count() > 0) {
            for (char ch : reply.bytes) {
                if (!SendSome(fd, &ch, 1, deadline)) return;
                std::this_thread::sleep_for(reply.drip);
            }
        } else if (!SendSome(fd, reply.bytes.data(), reply.bytes.size(), deadline)) {
            return;
        }
        if (!reply.endless.empty())
            while (SendSome(fd, reply.endless.data(), reply.endless.size(), deadline)) {
            }
    }

    void Serve() {
        for (const Reply& reply : replies_) {
            if (!Readable(listener_, std::chrono::steady_clock::now() + kBound)) return;
            const int c = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0) return;
            const auto deadline = std::chrono::steady_clock::now() + kBound;
            std::string got;
            {
                std::lock_guard lock(mutex_);
                requests_.emplace_back();
            }
            char buf[4096];
            while (!reply.atOnce && got.find("\r\n\r\n") == std::string::npos && Readable(c, deadline)) {
                const ssize_t n = ::recv(c, buf, sizeof buf, 0);
                if (n <= 0) break;
                got.append(buf, static_cast<std::size_t>(n));
                std::lock_guard lock(mutex_);
                requests_.back() = got;
            }
            if (!reply.silent) Send(c, reply, deadline);
            if (reply.silent || reply.holdOpen)
                while (Readable(c, deadline) && ::recv(c, buf, sizeof buf, 0) > 0) {
                }
            if (reply.reset) {
                const linger abort{1, 0};
                ::setsockopt(c, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
            }
            ::close(c);
        }
    }

    std::vector<Reply> replies_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace platform::testing
