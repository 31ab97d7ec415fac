#include "app/net/T_TcpIp.h"

#include <QCoreApplication>
#include <algorithm>

namespace vorel {

namespace sk = platform::sockets;

namespace {
// Windows answers a connect to a port it cannot use with this code.
constexpr int kWSAEADDRNOTAVAIL = 10049;
}  // namespace

std::string FormatIPv4Address(sk::Address address) { return sk::FormatIPv4(address); }

sk::Address ResolveHostAddress(const std::string& name, const sk::Wait& wait) {
    try {
        return sk::ResolveIPv4(name, wait);
    } catch (const platform::EAbort&) {
        throw;  // the caller abandoned the wait
    } catch (...) {
        return sk::kNoAddress;
    }
}

T_TcpIp::T_TcpIp() : receiveBuffer_(kReceiveBufferSize) {
    ProcessMessages = [] {
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
    };
}

T_TcpIp::~T_TcpIp() {
    OnTrace = nullptr;
    socket_.Close();
}

void T_TcpIp::Trace(const std::string& text, int kind) const {
    if (OnTrace) OnTrace(text, kind);
}

sk::Wait T_TcpIp::Waiting() const {
    auto bound = TimeLimit;
    if (deadline_)
        bound = std::max(std::chrono::milliseconds(0),
                         std::chrono::duration_cast<std::chrono::milliseconds>(*deadline_ - Clock::now()));
    std::function<void()> pump;
    if (ProcessMessages) pump = [this] { Pump(); };
    return sk::Wait{bound, pump};
}

void T_TcpIp::Pump() const {
    lastPump_ = Clock::now();
    ProcessMessages();
}

// A peer that sends without pause never makes a wait slice; the window
// still gets its turn.
void T_TcpIp::ServeEventsInTime() const {
    if (ProcessMessages && Clock::now() - lastPump_ >= kEventInterval) Pump();
}

void T_TcpIp::WithinTimeLimit(const std::function<void()>& exchange) {
    deadline_ = Clock::now() + TimeLimit;
    lastPump_ = Clock::now();
    try {
        exchange();
    } catch (...) {
        deadline_.reset();
        throw;
    }
    deadline_.reset();
}

void T_TcpIp::Open() {
    if (connected_) Close();
    hostAddress_ = ResolveHostAddress(HostName, Waiting());
    if (hostAddress_ == sk::kNoAddress) throw ETcpIpError("Couldn't resolve hostname " + HostName);
    ConnectTo(hostAddress_, Port);
    if (!socket_.Valid()) throw ESocketError(static_cast<std::uint16_t>(lastConnectError_));
    atEnd_ = false;
    endError_ = 0;
    connected_ = true;
}

void T_TcpIp::ConnectTo(sk::Address address, int port) {
    socket_.Close();
    ConnectSocket(address, port);
}

void T_TcpIp::ConnectSocket(sk::Address address, int port) {
    const std::string peer = std::to_string(port) + " to host " + FormatIPv4Address(address);
    int error = kWSAEADDRNOTAVAIL;  // what Windows answers for a port no socket can use
    if (port > 0 && port <= 0xFFFF) {
        socket_ = sk::Connect(address, static_cast<std::uint16_t>(port), Waiting());
        error = sk::LastError();
    }
    if (!socket_.Valid()) {
        lastConnectError_ = error;
        Trace("Failed to open output socket " + peer, tkStatus);
        return;
    }
    Trace("Opened output socket " + peer + " successfully; ID " + std::to_string(socket_.Handle()), tkStatus);
}

void T_TcpIp::Close() {
    if (socket_.Valid()) {
        const int handle = socket_.Handle();
        socket_.Close();
        Trace("Closed socket ID " + std::to_string(handle), tkStatus);
    }
    connected_ = false;
}

void T_TcpIp::SendLine(const std::string& text) {
    SendString(text + "\r\n");
    Trace(text, tkSent);
}

void T_TcpIp::SendString(const std::string& text) { SendBuffer(text.data(), text.size()); }

void T_TcpIp::SendBuffer(const void* bytes, std::size_t count) {
    const long n = sk::Send(socket_, bytes, count, Waiting());
    if (n < 0) throw ESocketError(static_cast<std::uint16_t>(sk::LastError()), "Error sending data to host " + HostName);
    Trace("Sent " + std::to_string(n) + " bytes on socket ID " + std::to_string(socket_.Handle()), tkStatus);
}

long T_TcpIp::ReceiveBuffer(void* buffer, std::size_t size) {
    std::vector<char> own;
    if (!buffer) {
        own.resize(size);
        buffer = own.data();
    }
    ServeEventsInTime();
    if (deadline_ && Clock::now() >= *deadline_) {  // a peer that drips or floods still ends in time
        atEnd_ = true;
        throw ESocketError(sk::kWSAETIMEDOUT, "Timed out waiting for data from host " + HostName);
    }
    const long n = sk::Receive(socket_, buffer, size, Waiting());
    if (n >= 1) {
        Trace("Received " + std::to_string(n) + " bytes on socket ID " + std::to_string(socket_.Handle()), tkStatus);
        return n;
    }
    atEnd_ = true;
    endError_ = n < 0 ? sk::LastError() : 0;
    if (endError_ == sk::kWSAETIMEDOUT)
        throw ESocketError(sk::kWSAETIMEDOUT, "Timed out waiting for data from host " + HostName);
    return 0;
}

std::string T_TcpIp::ReceiveLine(std::size_t maxLength, bool* cut) {
    std::string line;
    char c = 0;
    if (cut) *cut = false;
    while (!AtEnd()) {
        if (ReceiveBuffer(&c, 1) < 1) continue;
        if (c == '\r') continue;
        if (c == '\n') return line;
        line += c;
        if (line.size() > maxLength)
            throw ETcpIpError("Line longer than " + std::to_string(maxLength) + " bytes from host " + HostName);
    }
    if (cut) *cut = true;
    return line;
}

int T_TcpIp::SocketState() const {
    if (!socket_.Valid()) return 0;
    const int error = sk::PeerError(socket_);
    if (error == 0) return 2;
    return error == sk::kWSAENOTCONN ? 1 : 3;
}

bool T_TcpIp::AtEnd() {
    if (atEnd_) return true;
    if (SocketState() == 2) return false;
    // A peer that closes keeps its address; one that is gone without a close
    // (a reset) has broken the connection.
    if (connected_ && socket_.Valid()) {
        endError_ = sk::ConnectionError(socket_);
        if (endError_ == 0) endError_ = sk::kWSAECONNRESET;
    }
    return true;
}

void T_TcpIp::ReceiveAll(std::size_t limit) {
    Stream.clear();
    while (Stream.size() < limit && !AtEnd()) {
        const long n = ReceiveBuffer(receiveBuffer_.data(), std::min(receiveBuffer_.size(), limit - Stream.size()));
        Stream.append(receiveBuffer_.data(), static_cast<std::size_t>(n));
    }
    StreamPosition = 0;
}

void T_TcpIp::Execute() {
    WithinTimeLimit([this] {
        Open();
        ReceiveAll();
    });
}

}  // namespace vorel
