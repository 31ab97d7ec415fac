#pragma once
// Downloads over FTP and HTTP through libcurl, pulled block by block by the
// caller (the transfer runs only while the caller reads, so a loop that lets
// the user interface run between blocks stays in charge). A session is one
// libcurl handle: later transfers reuse its connections. Every wait is
// bounded: connecting and server replies time out, and a transfer that
// moves no byte for a minute fails.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/core/runtime/Exception.h"

namespace platform {

// Why a transfer failed, in terms a caller can report.
enum class NetFailure {
    None,
    NameNotResolved,
    CannotConnect,
    Timeout,
    LoginRefused,
    RemoteAccessDenied,  // e.g. a directory the server refuses to enter
    RemoteFileNotFound,
    ConnectionAborted,   // the connection broke while data flowed, or the body came short
    ConnectionReset,
    InvalidUrl,
    UnsupportedProtocol,
    InvalidServerResponse,
    Internal
};

class ECurlSession : public Exception {
public:
    using Exception::Exception;
};

struct CurlRequest {
    std::string Url;          // ftp://host/dir/name or http://host/dir/name
    std::string UserName;     // empty: anonymous (FTP) or none (HTTP)
    std::string Password;
    std::string UserAgent;
    bool NoBody = false;      // connect and reach the object only (FTP: log in and enter the directory)
    // Called at least every 100 ms while the transfer waits for the server,
    // however slowly it sends; false stops the transfer: Start and Read
    // return at once, Read with what it holds, and Stopped() says so.
    std::function<bool()> Idle;
};

class CurlTransfer;

// A path for a URL: every byte but letters, digits, "-._~" and '/' escaped as %XX.
std::string UrlPath(const std::string& path);

class CurlSession {
public:
    // Starts libcurl once per program; false when it cannot start.
    static bool Startup();
    // Raises ECurlSession when libcurl cannot start.
    CurlSession();
    ~CurlSession();
    CurlSession(const CurlSession&) = delete;
    CurlSession& operator=(const CurlSession&) = delete;

    // Starts a transfer and waits until the server's reply begins (headers,
    // data or the end). One transfer at a time.
    std::unique_ptr<CurlTransfer> Start(const CurlRequest& request);

private:
    friend class CurlTransfer;

// A path for a URL: every byte but letters, digits, "-._~" and '/' escaped as %XX.
std::string UrlPath(const std::string& path);
    void* easy_;
    void* multi_;
};

class CurlTransfer {
public:
    ~CurlTransfer();  // stops the transfer when it is still running
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // The announced size of the body; -1 when the server gave none.
    std::int64_t ContentLength() const;
    // Whether the server called the body text (an HTTP Content-Type text/...).
    bool TextBody() const;
    // The HTTP status, or the last FTP reply code.
    long ResponseCode() const;
    // Bytes read into buffer; 0 at the end of the body or after a failure.
    std::size_t Read(char* buffer, std::size_t count);
    NetFailure Failure() const { return failure_; }
    bool Stopped() const { return stopped_; }
    bool Finished() const { return finished_; }
    // The server's last reply line (HTTP status line or FTP reply), or "".
    const std::string& LastResponse() const { return lastResponse_; }

private:
    friend class CurlSession;
    explicit CurlTransfer(CurlSession& session);
    void Pump();
    // Pump, then the caller's idle call; false once the caller stopped the transfer.
    bool Wait();
    static std::size_t OnData(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);

    CurlSession& session_;
    std::string buffer_;
    std::size_t taken_ = 0;
    bool paused_ = false;
    bool replyStarted_ = false;
    bool finished_ = false;
    bool attached_ = false;
    bool stopped_ = false;
    std::function<bool()> idle_;
    NetFailure failure_ = NetFailure::None;
    std::string lastResponse_;
    void* headers_ = nullptr;
};

}  // namespace platform
