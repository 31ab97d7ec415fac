#pragma once
// HTTP/1.0 over T_TcpIp: split the URL, optionally go through a proxy, send
// a HEAD and then a GET request (each on its own connection), read the
// response headers, and leave the GET's body in Stream. A Location header in
// the HEAD response retargets the GET. A status of 400 or more raises
// EProtocolError before any body is read.
#include <string>
#include <vector>

#include "app/net/TcpIp.h"

namespace vorel {

class T_HTTP : public T_TcpIp {
public:
    std::string URL;
    std::string Proxy;  // host, optionally ":" port (8080 when none)
    std::string Sender, Agent, Reference;
    bool NoCache = false;  // requests carry "Pragma: no-cache"
    std::string ContentTypePost = "application/x-www-form-urlencoded";

    // HEAD, then GET; the body ends in Stream at position 0.
    void Execute() override;
    void RequestHead();
    void RequestGet();
    void SendRequest(const std::string& method, const std::string& version);
    void ReadResponseHeader();

    // What the last request was and what came back. The status code is kept
    // from one response to the next when a response has no HTTP/1.0 status line.
    std::string RequestPath;
    std::string HttpVersion = "1.0";
    int StatusCode = 0;
    std::string StatusText;
    long long ContentLength = 0;
    std::string ContentType;
    std::vector<std::string> WwwAuthenticate;

private:
    void ReadStatusLine(const std::string& line);
    void FollowLocation(const std::string& value);
    [[noreturn]] void BadReply(const std::string& what, const std::string& text) const;
    bool viaProxy_ = false;
};

}  // namespace vorel
