#include "platform/core/runtime/Text.h"
#include "platform/net/curl/CurlSession.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>

#include <curl/curl.h>

namespace platform {
namespace {

constexpr std::size_t kHoldBack = 256 * 1024;  // bytes buffered before the transfer pauses

CURL* Easy(void* p) { return static_cast<CURL*>(p); }
CURLM* Multi(void* p) { return static_cast<CURLM*>(p); }

NetFailure FailureOf(CURLcode code) {
    switch (code) {
        case CURLE_OK: return NetFailure::None;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY: return NetFailure::NameNotResolved;
        case CURLE_COULDNT_CONNECT: return NetFailure::CannotConnect;
        case CURLE_OPERATION_TIMEDOUT: return NetFailure::Timeout;
        case CURLE_LOGIN_DENIED: return NetFailure::LoginRefused;
        case CURLE_REMOTE_ACCESS_DENIED: return NetFailure::RemoteAccessDenied;
        case CURLE_REMOTE_FILE_NOT_FOUND: return NetFailure::RemoteFileNotFound;
        case CURLE_PARTIAL_FILE:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING: return NetFailure::ConnectionAborted;
        case CURLE_SEND_ERROR: return NetFailure::ConnectionReset;
        case CURLE_URL_MALFORMAT: return NetFailure::InvalidUrl;
        case CURLE_UNSUPPORTED_PROTOCOL: return NetFailure::UnsupportedProtocol;
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_FTP_WEIRD_PASS_REPLY:
        case CURLE_FTP_WEIRD_PASV_REPLY:
        case CURLE_FTP_WEIRD_227_FORMAT:
        case CURLE_FTP_CANT_GET_HOST:
        case CURLE_FTP_COULDNT_SET_TYPE:
        case CURLE_FTP_COULDNT_RETR_FILE:
        case CURLE_QUOTE_ERROR:
        case CURLE_FTP_PORT_FAILED:
        case CURLE_FTP_ACCEPT_FAILED: return NetFailure::InvalidServerResponse;
        default: return NetFailure::Internal;
    }
}

std::string TrimLine(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) line.pop_back();
    return line;
}

}  // namespace

std::string UrlPath(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

bool CurlSession::Startup() {
    static std::once_flag once;
    static CURLcode global = CURLE_OK;
    std::call_once(once, [] { global = curl_global_init(CURL_GLOBAL_DEFAULT); });
    return global == CURLE_OK;
}

CurlSession::CurlSession() {
    if (!Startup()) throw ECurlSession("libcurl could not start");
    easy_ = curl_easy_init();
    multi_ = curl_multi_init();
    if (!easy_ || !multi_) {
        if (easy_) curl_easy_cleanup(Easy(easy_));
        if (multi_) curl_multi_cleanup(Multi(multi_));
        throw ECurlSession("libcurl could not start");
    }
}

CurlSession::~CurlSession() {
    curl_multi_cleanup(Multi(multi_));
    curl_easy_cleanup(Easy(easy_));
}

std::unique_ptr<CurlTransfer> CurlSession::Start(const CurlRequest& request) {
    CURL* easy = Easy(easy_);
    curl_easy_reset(easy);
    std::unique_ptr<CurlTransfer> transfer(new CurlTransfer(*this));
    curl_easy_setopt(easy, CURLOPT_URL, request.Url.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, 60L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, 60L);
    // Redirects are followed, as a browser would, between web addresses only.
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // A body shorter than its announced length is an error, not an end.
    curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, 0L);
    curl_easy_setopt(easy, CURLOPT_FTP_USE_EPSV, 1L);  // passive data connections
    curl_easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    curl_easy_setopt(easy, CURLOPT_TRANSFERTEXT, 0L);
    if (!request.UserAgent.empty()) curl_easy_setopt(easy, CURLOPT_USERAGENT, request.UserAgent.c_str());
    if (!request.UserName.empty()) {
        curl_easy_setopt(easy, CURLOPT_USERNAME, request.UserName.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, request.Password.c_str());
    }
    curl_slist* headers = nullptr;
    headers = curl_slist_append(headers, "Accept: */*");
    headers = curl_slist_append(headers, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    transfer->headers_ = headers;
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    if (request.NoBody) curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::OnData);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlTransfer::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, transfer.get());
    if (curl_multi_add_handle(Multi(multi_), easy) != CURLM_OK) throw ECurlSession("libcurl could not start a transfer");
    transfer->attached_ = true;
    transfer->idle_ = request.Idle;
    while (!transfer->replyStarted_ && !transfer->finished_ && transfer->Wait()) {
    }
    return transfer;
}

CurlTransfer::CurlTransfer(CurlSession& session) : session_(session) {}

CurlTransfer::~CurlTransfer() {
    if (attached_) curl_multi_remove_handle(Multi(session_.multi_), Easy(session_.easy_));
    curl_easy_setopt(Easy(session_.easy_), CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(static_cast<curl_slist*>(headers_));
}

std::size_t CurlTransfer::OnData(char* data, std::size_t size, std::size_t count, void* self) {
    auto* t = static_cast<CurlTransfer*>(self);
    t->replyStarted_ = true;
    if (t->buffer_.size() - t->taken_ >= kHoldBack) {
        t->paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (t->taken_ > 0) {
        t->buffer_.erase(0, t->taken_);
        t->taken_ = 0;
    }
    t->buffer_.append(data, size * count);
    return size * count;
}

std::size_t CurlTransfer::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto* t = static_cast<CurlTransfer*>(self);
    const std::string line = TrimLine(std::string(data, size * count));
    long code = 0;
    curl_easy_getinfo(Easy(t->session_.easy_), CURLINFO_RESPONSE_CODE, &code);
    // HTTP status lines and FTP replies; not the HTTP header fields.
    if (line.rfind("HTTP/", 0) == 0 || (!line.empty() && line[0] >= '0' && line[0] <= '9')) t->lastResponse_ = line;
    // The end of a final HTTP header block (not an interim or a redirect): the reply has begun.
    if (line.empty() && code >= 200 && (code < 300 || code >= 400)) t->replyStarted_ = true;
    return size * count;
}

void CurlTransfer::Pump() {
    if (finished_) return;
    CURLM* multi = Multi(session_.multi_);
    int running = 0;
    curl_multi_perform(multi, &running);
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg != CURLMSG_DONE) continue;
        finished_ = true;
        failure_ = FailureOf(message->data.result);
    }
    if (!finished_ && running == 0) finished_ = true;
    if (!finished_) curl_multi_poll(multi, nullptr, 0, 100, nullptr);
}

bool CurlTransfer::Wait() {
    if (stopped_) return false;
    Pump();  // waits at most 100 ms
    if (idle_ && !idle_()) stopped_ = true;
    return !stopped_;
}

std::size_t CurlTransfer::Read(char* buffer, std::size_t count) {
    while (buffer_.size() - taken_ < count && !finished_) {
        if (paused_) {
            paused_ = false;
            curl_easy_pause(Easy(session_.easy_), CURLPAUSE_CONT);
            continue;
        }
        if (!Wait()) break;
    }
    if (failure_ != NetFailure::None) return 0;
    const std::size_t n = std::min(count, buffer_.size() - taken_);
    std::memcpy(buffer, buffer_.data() + taken_, n);
    taken_ += n;
    return n;
}

std::int64_t CurlTransfer::ContentLength() const {
    curl_off_t length = -1;
    if (curl_easy_getinfo(Easy(session_.easy_), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) return -1;
    return length;
}

bool CurlTransfer::TextBody() const {
    const char* type = nullptr;
    if (curl_easy_getinfo(Easy(session_.easy_), CURLINFO_CONTENT_TYPE, &type) != CURLE_OK || !type) return false;
    return AsciiLower(type).rfind("text/", 0) == 0;
}

long CurlTransfer::ResponseCode() const {
    long code = 0;
    curl_easy_getinfo(Easy(session_.easy_), CURLINFO_RESPONSE_CODE, &code);
    return code;
}

}  // namespace platform
