#pragma once
// A small blocking TCP client for the GUI thread: resolve a host, connect,
// send lines, and read what the peer sends into a memory stream. A whole
// exchange (Execute: lookup, connect, every send and receive) is bounded by
// TimeLimit; pending window events are processed during every wait and, while
// data streams in, at least every kEventInterval, so the window can always
// abandon an exchange. A trace callback reports each step. Failures are
// raised (ETcpIpError and its kinds); the client never shows a message itself.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/runtime/Exception.h"
#include "platform/net/sockets/Sockets.h"

namespace vorel {

class ETcpIpError : public platform::Exception {
public:
    using Exception::Exception;
};

// No socket, a refused or failed connection, a failed send, a silent peer;
// ErrorCode is the Windows Sockets code (10061 refused, 10060 timed out).
class ESocketError : public ETcpIpError {
public:
    explicit ESocketError(std::uint16_t code, const std::string& message = "Error creating socket")
        : ETcpIpError(message), ErrorCode(code) {}
    std::uint16_t ErrorCode;
};

// The peer broke its protocol or answered with an error status; the message
// is the status text.
class EProtocolError : public ETcpIpError {
public:
    EProtocolError(std::string protocol, std::uint16_t code, const std::string& text)
        : ETcpIpError(text), Protocol(std::move(protocol)), ErrorCode(code) {}
    std::string Protocol;
    std::uint16_t ErrorCode;
};

// Dotted decimal, most significant octet first.
std::string FormatIPv4Address(platform::sockets::Address address);

// The address of a dotted name or a host name; kNoAddress (-1) when there is none.
platform::sockets::Address ResolveHostAddress(const std::string& name, const platform::sockets::Wait& wait = {});

// Trace kinds.
enum TraceKind : int { tkSent = 0, tkReceived = 1, tkStatus = 2 };

class T_TcpIp {
public:
    T_TcpIp();
    virtual ~T_TcpIp();
    T_TcpIp(const T_TcpIp&) = delete;
    T_TcpIp& operator=(const T_TcpIp&) = delete;

    std::string HostName;  // name or dotted address of the peer
    int Port = 0;
    std::function<void(const std::string& text, int kind)> OnTrace;
    // The bound of one whole Execute; a call made outside Execute (Open,
    // ReceiveBuffer...) has this bound on its own.
    std::chrono::milliseconds TimeLimit{30000};
    // Run between slices of every wait and at least every kEventInterval
    // while data arrives; by default processes the application's pending
    // events. It may raise to abandon the exchange. Empty: waits just wait.
    std::function<void()> ProcessMessages;
    static constexpr std::chrono::milliseconds kEventInterval{25};

    virtual void ConnectTo(platform::sockets::Address address, int port);
    // Open, then everything the peer sends until it closes into Stream (position 0).
    virtual void Execute();
    virtual void SendLine(const std::string& text);  // text + CR LF; traced
    virtual void Open();
    virtual void Close();
    virtual bool AtEnd();

    void SendString(const std::string& text);
    void SendBuffer(const void* bytes, std::size_t count);
    // Waits for bytes and reads up to size of them into buffer; returns how
    // many (0 at the end). The end comes when the peer closes or fails; the
    // time limit passing raises ESocketError 10060.
    long ReceiveBuffer(void* buffer, std::size_t size);
    // One line, read byte by byte: CR dropped, LF ends it; at the end of the
    // connection, what came so far (empty when nothing), with *cut set when
    // given (no LF ended it). A line longer than maxLength raises ETcpIpError.
    std::string ReceiveLine(std::size_t maxLength = kMaxLineLength, bool* cut = nullptr);
    // The Windows Sockets code of the failure that ended the connection
    // (10054 reset); 0 while it has not ended or when the peer closed it.
    int EndError() const { return endError_; }
    // 0 no socket, 2 connected to a peer, 1 not connected, 3 another error.
    int SocketState() const;

    int Handle() const { return socket_.Handle(); }
    bool Connected() const { return connected_; }
    platform::sockets::Address HostAddress() const { return hostAddress_; }

    // The result stream: what Execute received.
    std::string Stream;
    std::size_t StreamPosition = 0;

    static constexpr std::size_t kReceiveBufferSize = 0x7F00;
    static constexpr std::size_t kMaxLineLength = 65536;

protected:
    void Trace(const std::string& text, int kind) const;
    platform::sockets::Wait Waiting() const;
    // Received bytes appended to Stream until the end or until Stream holds
    // limit bytes; position 0.
    void ReceiveAll(std::size_t limit = std::string::npos);
    // Runs exchange with TimeLimit as the bound of all of it.
    void WithinTimeLimit(const std::function<void()>& exchange);

private:
    void ConnectSocket(platform::sockets::Address address, int port);
    void Pump() const;
    // Pending events, when they have waited kEventInterval or longer.
    void ServeEventsInTime() const;

    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> deadline_;  // of the running exchange
    mutable Clock::time_point lastPump_{};

    platform::sockets::Socket socket_;
    platform::sockets::Address hostAddress_ = platform::sockets::kNoAddress;
    int lastConnectError_ = 0;  // Windows Sockets code of the last failed connect
    bool atEnd_ = false;
    int endError_ = 0;
    bool connected_ = false;
    std::vector<char> receiveBuffer_;
};

}  // namespace vorel
