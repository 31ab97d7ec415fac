#include "app/net/T_HTTP.h"

#include <cctype>

#include "app/net/Url.h"
#include "platform/core/runtime/Text.h"

namespace vorel {

namespace {

bool AllDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

int PortNumber(const std::string& text) {
    if (AllDigits(text) && text.size() <= 5) {
        const int port = std::stoi(text);
        if (port >= 1 && port <= 0xFFFF) return port;
    }
    throw ETcpIpError("'" + text + "' is not a valid port number");
}

// A reference without a leading "/" is relative to the folder of base.
std::string ResolvePath(const std::string& base, const std::string& reference) {
    if (reference.empty()) return base.empty() ? "/" : base;
    if (reference[0] == '/') return reference;
    const auto slash = base.rfind('/');
    return (slash == std::string::npos ? std::string("/") : base.substr(0, slash + 1)) + reference;
}

// A reply line shown in a message: long lines are cut.
std::string Excerpt(const std::string& line) { return line.size() <= 80 ? line : line.substr(0, 80) + "..."; }

// "HTTP/1.x NNN", then the end of the line or a blank and the status text.
bool IsStatusLine(const std::string& line) {
    if (line.size() < 12 || line.compare(0, 7, "HTTP/1.") != 0 || line[7] < '0' || line[7] > '9' || line[8] != ' ')
        return false;
    if (!AllDigits(line.substr(9, 3)) || (line.size() > 12 && line[12] != ' ')) return false;
    const int code = std::stoi(line.substr(9, 3));
    return code >= 100 && code <= 599;
}

}  // namespace

void T_HTTP::Execute() {
    std::string protocol, host, port;
    viaProxy_ = !Proxy.empty();
    if (viaProxy_) {
        protocol = SplitUrl(URL).Protocol;
        RequestPath = protocol.empty() ? "http://" + URL : URL;
        const UrlParts proxy = SplitUrl(Proxy);
        host = proxy.Host;
        port = proxy.Port.empty() ? "8080" : proxy.Port;
    } else {
        const UrlParts u = SplitUrl(URL);
        protocol = u.Protocol;
        RequestPath = u.Path;
        host = u.Host;
        port = u.Port.empty() ? "80" : u.Port;
    }
    if (protocol.empty()) protocol = "http";
    if (RequestPath.empty()) RequestPath = "/";
    HostName = host;
    Port = PortNumber(port);
    WithinTimeLimit([this] {
        RequestHead();
        RequestGet();
    });
}

void T_HTTP::RequestHead() {
    Open();
    try {
        SendRequest("HEAD", HttpVersion);
        ReadResponseHeader();
    } catch (...) {
        Close();
        throw;
    }
    Close();
}

void T_HTTP::RequestGet() {
    Open();
    try {
        SendRequest("GET", HttpVersion);
        // Only the file itself is the version file; a redirect is followed
        // when the HEAD gives it, not from the GET.
        followLocation_ = false;
        ReadResponseHeader();
        followLocation_ = true;
        if (StatusCode != 200)
            throw EProtocolError("HTTP", static_cast<std::uint16_t>(StatusCode),
                                 "Unexpected status " +
                                     Excerpt(platform::TrimBlanks(std::to_string(StatusCode) + " " + StatusText)) +
                                     " from host " + HostName);
        ReceiveBody();
    } catch (...) {
        followLocation_ = true;
        Close();
        throw;
    }
    Close();
}

// Up to Content-Length when given, else to the end; never beyond the bound.
// A body cut short, or a connection that failed instead of closing, is no
// reply: nothing of it is kept.
void T_HTTP::ReceiveBody() {
    const std::string tooLarge =
        "Reply from host " + HostName + " larger than " + std::to_string(kMaxBodySize) + " bytes";
    if (ContentLengthGiven && ContentLength > static_cast<long long>(kMaxBodySize)) throw ETcpIpError(tooLarge);
    ReceiveAll(ContentLengthGiven ? static_cast<std::size_t>(ContentLength) : kMaxBodySize + 1);
    const std::size_t got = Stream.size();
    if (got > kMaxBodySize) {
        Stream.clear();
        throw ETcpIpError(tooLarge);
    }
    if (EndError() != 0) {
        Stream.clear();
        throw ESocketError(static_cast<std::uint16_t>(EndError()), "Connection to host " + HostName +
                                                                       " broken off after " + std::to_string(got) +
                                                                       " bytes of the reply");
    }
    if (ContentLengthGiven && got < static_cast<std::size_t>(ContentLength)) {
        Stream.clear();
        throw EProtocolError("HTTP", static_cast<std::uint16_t>(StatusCode),
                             "Reply from host " + HostName + " ended after " + std::to_string(got) + " of " +
                                 std::to_string(ContentLength) + " bytes");
    }
}

void T_HTTP::SendRequest(const std::string& method, const std::string& version) {
    SendLine(method + " " + RequestPath + " HTTP/" + version);
    if (!Sender.empty()) SendLine("From: " + Sender);
    if (!Reference.empty()) SendLine("Referer: " + Reference);
    if (!Agent.empty()) SendLine("User-Agent: " + Agent);
    if (NoCache) SendLine("Pragma: no-cache");
    if (method == "POST") {
        SendLine("Content-Length: " + std::to_string(Stream.size()));
        if (!ContentTypePost.empty()) SendLine("Content-Type: " + ContentTypePost);
    }
    SendString("\r\n");
}

// Each response opens with its own status line; interim (1xx) responses
// are read and passed over, their headers unused. The connection ending
// before the blank line leaves the header incomplete: no reply.
void T_HTTP::ReadResponseHeader() {
    WwwAuthenticate.clear();
    ContentType.clear();
    ContentLength = 0;
    ContentLengthGiven = false;
    StatusCode = 0;
    StatusText.clear();
    std::size_t lines = 0, size = 0;
    bool statusRead = false;
    for (;;) {
        bool cut = false;
        const std::string line = ReceiveLine(kMaxHeaderSize, &cut);
        if (cut) {
            if (EndError() != 0)
                throw ESocketError(static_cast<std::uint16_t>(EndError()),
                                   "Connection to host " + HostName + " broken off in the reply header");
            throw EProtocolError("HTTP", static_cast<std::uint16_t>(StatusCode),
                                 (lines == 0 && line.empty() ? "No reply from host " : "Reply header cut short from host ") +
                                     HostName);
        }
        const bool interim = statusRead && StatusCode < 200;
        if (line.empty() && statusRead && !interim) return;  // the blank line
        if (!line.empty()) Trace(line, tkReceived);
        size += line.size() + 2;
        if (++lines > kMaxHeaderLines || size > kMaxHeaderSize)
            throw ETcpIpError("Reply header from host " + HostName + " longer than " +
                              std::to_string(kMaxHeaderLines) + " lines or " + std::to_string(kMaxHeaderSize) +
                              " bytes");
        if (!statusRead) {
            ReadStatusLine(line);
            statusRead = true;
            continue;
        }
        if (interim) {
            if (line.empty()) statusRead = false;  // the final response follows
            continue;
        }
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string name = platform::AsciiLower(line.substr(0, colon));
        const std::string value = platform::TrimBlanks(line.substr(colon + 1));
        if (name == "location") {
            if (followLocation_) FollowLocation(value);
        } else if (name == "content-length") {
            if (!AllDigits(value) || value.size() > 18) BadReply("Content-Length", value);
            ContentLength = std::stoll(value);
            ContentLengthGiven = true;
        } else if (name == "content-type") {
            ContentType = value;
        } else if (name == "www-authenticate") {
            WwwAuthenticate.push_back(value);
        }
    }
}

// "HTTP/1.1 404 Not Found": the code in characters 10-12, the text from 14.
void T_HTTP::ReadStatusLine(const std::string& line) {
    if (!IsStatusLine(line)) BadReply("status line", line);
    const std::string code = line.substr(9, 3);
    StatusCode = std::stoi(code);
    StatusText = line.size() > 13 ? line.substr(13) : "";
    // A bare "HTTP/1.1 503" still tells the user which error it was.
    if (StatusCode >= 400)
        throw EProtocolError("HTTP", static_cast<std::uint16_t>(StatusCode),
                             platform::TrimBlanks(StatusText).empty() ? "HTTP error " + code : StatusText);
}

// Through a proxy the request line carries the whole URL; without one the
// host, port and path are taken apart. A relative reference keeps the host
// and port it came from.
void T_HTTP::FollowLocation(const std::string& value) {
    const bool absolute = value.find("://") != std::string::npos;
    const UrlParts target = SplitUrl(value);
    if (absolute && platform::AsciiLower(target.Protocol) != "http") BadReply("redirect", value);
    if (viaProxy_) {
        if (absolute) {
            RequestPath = value;
        } else {
            const auto scheme = RequestPath.find("://");
            const auto pathStart = RequestPath.find('/', scheme == std::string::npos ? 0 : scheme + 3);
            const std::string origin = RequestPath.substr(0, pathStart);
            const std::string path = pathStart == std::string::npos ? "/" : RequestPath.substr(pathStart);
            RequestPath = origin + ResolvePath(path, value);
        }
        return;
    }
    if (!absolute) {
        RequestPath = ResolvePath(RequestPath, value);
        return;
    }
    HostName = target.Host;
    Port = target.Port.empty() ? 80 : PortNumber(target.Port);
    RequestPath = target.Path.empty() ? "/" : target.Path;
}

void T_HTTP::BadReply(const std::string& what, const std::string& text) const {
    throw EProtocolError("HTTP", static_cast<std::uint16_t>(StatusCode),
                         "Bad " + what + " from host " + HostName + ": " + Excerpt(text));
}

}  // namespace vorel
