#pragma once
// HTTP/1.0 over T_TcpIp: split the URL, optionally go through a proxy, send
// a HEAD and then a GET request (each on its own connection), read the
// response headers, and leave the GET's body in Stream. A Location header in
// the HEAD response retargets the GET. TimeLimit bounds the whole of Execute.
//
// A reply is taken only when it is whole and its own: every response opens
// with its own status line "HTTP/1.x NNN" (NNN 100-599; interim 1xx
// responses are passed over), its header ends with the blank line, and the
// body is as long as Content-Length says (or runs to the connection's
// close when none is given). A status of 400 or more raises EProtocolError
// before any body is read, and so does any GET status but 200. A body cut
// short or broken off raises and leaves Stream empty.
//
// What a server sends is bounded: the body stops at its Content-Length (a
// server may keep the connection open after it), and a body or header
// beyond the bounds below raises ETcpIpError.
#include <string>
#include <vector>

#include "app/net/T_TcpIp.h"

namespace vorel {

class T_HTTP : public T_TcpIp {
public:
    std::string URL;
    std::string Proxy;  // host, optionally ":" port (8080 when none)
    std::string Sender, Agent, Reference;
    bool NoCache = false;  // requests carry "Pragma: no-cache"
    std::string ContentTypePost = "application/x-www-form-urlencoded";

    static constexpr std::size_t kMaxBodySize = 64 * 1024;
    static constexpr std::size_t kMaxHeaderLines = 100;
    static constexpr std::size_t kMaxHeaderSize = 16 * 1024;  // bytes, line ends included

    // HEAD, then GET; the body ends in Stream at position 0.
    void Execute() override;
    void RequestHead();
    void RequestGet();
    void SendRequest(const std::string& method, const std::string& version);
    void ReadResponseHeader();

    // What the last request was and what came back.
    std::string RequestPath;
    std::string HttpVersion = "1.0";
    int StatusCode = 0;
    std::string StatusText;
    long long ContentLength = 0;
    bool ContentLengthGiven = false;  // the last response carried Content-Length
    std::string ContentType;
    std::vector<std::string> WwwAuthenticate;

private:
    void ReadStatusLine(const std::string& line);
    void ReceiveBody();
    void FollowLocation(const std::string& value);
    [[noreturn]] void BadReply(const std::string& what, const std::string& text) const;
    bool viaProxy_ = false;
    bool followLocation_ = true;  // a Location retargets the next request (the HEAD's does)
};

}  // namespace vorel
