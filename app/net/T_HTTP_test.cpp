// The client against a loopback server that records every byte it is sent.
#include "app/net/T_HTTP.h"

#include <gtest/gtest.h>

#include <thread>

#include "testkit/servers/LoopbackServer.h"

using namespace vorel;
using platform::testing::LoopbackServer;
using namespace std::chrono_literals;

namespace {

struct TraceLine {
    std::string text;
    int kind;
    bool operator==(const TraceLine&) const = default;
};

// A client whose connections all go to one loopback port, recording the
// ports it was asked for (to see the defaults without using them).
class Client : public T_HTTP {
public:
    explicit Client(std::uint16_t to = 0) : to_(to) {
        TimeLimit = 3s;
        OnTrace = [this](const std::string& text, int kind) { trace.push_back({text, kind}); };
    }
    void ConnectTo(platform::sockets::Address address, int port) override {
        askedPorts.push_back(port);
        T_HTTP::ConnectTo(address, to_ ? to_ : port);
    }
    bool Traced(const std::string& text, int kind) const {
        for (const TraceLine& t : trace)
            if (t.text == text && t.kind == kind) return true;
        return false;
    }
    std::vector<TraceLine> trace;
    std::vector<int> askedPorts;

private:
    std::uint16_t to_;
};

// The HEAD's reply (and a GET's with a 9-byte body).
const std::string kOk = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 9\r\n\r\n";

// A reply whose Content-Length is its body's.
std::string Ok(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string Repeated(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

}  // namespace

TEST(T_HTTP, SendsExactHeadThenGetAndKeepsTheBody) {
    LoopbackServer server({{kOk}, {kOk + "2.5\r\n1.75"}});
    Client http;
    http.URL = "http://" + server.Address() + "/versao2p.txt";
    http.Sender = "tech@example.com";
    http.Reference = "http://ref.example/";
    http.Agent = "Vorel";
    http.NoCache = true;
    http.Execute();
    const std::string headers =
        " /versao2p.txt HTTP/1.0\r\n"
        "From: tech@example.com\r\n"
        "Referer: http://ref.example/\r\n"
        "User-Agent: Vorel\r\n"
        "Pragma: no-cache\r\n"
        "\r\n";
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"HEAD" + headers, "GET" + headers}));
    EXPECT_EQ(http.Stream, "2.5\r\n1.75");
    EXPECT_EQ(http.StreamPosition, 0u);
    EXPECT_EQ(http.StatusCode, 200);
    EXPECT_EQ(http.StatusText, "OK");
    EXPECT_EQ(http.ContentType, "text/plain");
    EXPECT_EQ(http.ContentLength, 9);
    EXPECT_FALSE(http.Connected());
    // Lines sent and received are traced as such; the blank line is not.
    EXPECT_TRUE(http.Traced("HEAD /versao2p.txt HTTP/1.0", tkSent));
    EXPECT_TRUE(http.Traced("Pragma: no-cache", tkSent));
    EXPECT_TRUE(http.Traced("HTTP/1.0 200 OK", tkReceived));
    EXPECT_FALSE(http.Traced("", tkSent));
}

TEST(T_HTTP, StepsAreTracedWithTheSocketId) {
    LoopbackServer server({{kOk}, {Ok("x")}});
    Client http;
    http.URL = "http://" + server.Address();  // no path: "/"
    http.Execute();
    EXPECT_EQ(server.Requests()[0], "HEAD / HTTP/1.0\r\n\r\n");
    // Opened, sent (line and blank line), received byte by byte, closed; for both requests.
    std::string id;
    for (const TraceLine& t : http.trace)
        if (t.text.rfind("Opened output socket ", 0) == 0) id = t.text.substr(t.text.rfind(' ') + 1);
    ASSERT_FALSE(id.empty());
    const std::string port = std::to_string(server.Port());
    EXPECT_EQ(http.trace.front(), (TraceLine{"Opened output socket " + port + " to host 127.0.0.1 successfully; ID " + id, tkStatus}));
    EXPECT_TRUE(http.Traced("Sent 17 bytes on socket ID " + id, tkStatus));  // "HEAD / HTTP/1.0" CR LF
    EXPECT_TRUE(http.Traced("Sent 2 bytes on socket ID " + id, tkStatus));
    EXPECT_TRUE(http.Traced("Received 1 bytes on socket ID " + id, tkStatus));  // the header, byte by byte
    EXPECT_EQ(http.trace.back(), (TraceLine{"Closed socket ID " + id, tkStatus}));
    EXPECT_EQ(http.Stream, "x");
}

TEST(T_HTTP, ProxyGetsTheWholeUrlAndDefaultsToPort8080) {
    LoopbackServer server({{kOk}, {Ok("body")}});
    Client http(server.Port());
    http.URL = "updates.example/versao2p.txt";  // no protocol: "http://" is put in front
    http.Proxy = "127.0.0.1";
    http.Execute();
    EXPECT_EQ(http.askedPorts, (std::vector<int>{8080, 8080}));
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"HEAD http://updates.example/versao2p.txt HTTP/1.0\r\n\r\n",
                                                           "GET http://updates.example/versao2p.txt HTTP/1.0\r\n\r\n"}));
    EXPECT_EQ(http.Stream, "body");
}

TEST(T_HTTP, ProxyPortAndDirectDefaultPort) {
    {
        LoopbackServer server({{kOk}, {Ok("")}});
        Client http;
        http.URL = "http://updates.example/v.txt";
        http.Proxy = server.Address();
        http.Execute();
        EXPECT_EQ(http.askedPorts, (std::vector<int>{server.Port(), server.Port()}));
        EXPECT_EQ(server.Requests()[1], "GET http://updates.example/v.txt HTTP/1.0\r\n\r\n");
    }
    LoopbackServer server({{kOk}, {Ok("")}});
    Client http(server.Port());
    http.URL = "http://127.0.0.1/v.txt";
    http.Execute();
    EXPECT_EQ(http.askedPorts, (std::vector<int>{80, 80}));
    EXPECT_EQ(server.Requests()[0], "HEAD /v.txt HTTP/1.0\r\n\r\n");
}

TEST(T_HTTP, ErrorStatusOnHttp10RaisesBeforeAnyGet) {
    LoopbackServer server({{"HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n<html>"}, {kOk}});
    Client http;
    http.URL = "http://" + server.Address() + "/versao2p.txt";
    try {
        http.Execute();
        FAIL() << "no exception";
    } catch (const EProtocolError& e) {
        EXPECT_EQ(e.Protocol, "HTTP");
        EXPECT_EQ(e.ErrorCode, 404);
        EXPECT_STREQ(e.what(), "Not Found");
    }
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(http.Stream, "");
    EXPECT_FALSE(http.Connected());
    EXPECT_EQ(http.SocketState(), 0);
}

TEST(T_HTTP, FourHundredIsTheFirstErrorStatus) {
    {
        LoopbackServer server({{"HTTP/1.0 400 Bad Request\r\n\r\n"}});
        Client http;
        http.URL = "http://" + server.Address() + "/v.txt";
        EXPECT_THROW(http.Execute(), EProtocolError);
    }
    // Below 400 a HEAD's status lets the GET go ahead.
    LoopbackServer server({{"HTTP/1.0 399 Odd\r\n\r\n"}, {"HTTP/1.0 200 Fine\r\n\r\nbody"}});
    Client http;
    http.URL = "http://" + server.Address() + "/v.txt";
    http.Execute();
    EXPECT_EQ(http.StatusCode, 200);
    EXPECT_EQ(http.StatusText, "Fine");
    EXPECT_EQ(http.Stream, "body");
}

TEST(T_HTTP, Http1xErrorStatusesRaiseLikeHttp10Ones) {
    // What servers send today: an HTTP/1.1 error status raises like an HTTP/1.0 one.
    for (const std::string status :
         {"HTTP/1.1 404 Not Found", "HTTP/1.1 500 Internal Server Error", "HTTP/1.1 503"}) {
        LoopbackServer server({{status + "\r\nContent-Length: 4\r\n\r\n2\r\n2"}, {kOk}});
        Client http;
        http.URL = "http://" + server.Address() + "/versao2p.txt";
        try {
            http.Execute();
            ADD_FAILURE() << status << ": no exception";
        } catch (const EProtocolError& e) {
            EXPECT_EQ(e.ErrorCode, std::stoi(status.substr(9, 3)));
            EXPECT_EQ(e.what(), status.size() > 13 ? status.substr(13) : "HTTP error " + status.substr(9, 3));
        }
        EXPECT_EQ(server.Requests().size(), 1u) << status;
        EXPECT_EQ(http.Stream, "");
    }
    // HEAD answers 302 without a Location: the GET goes where it was going.
    LoopbackServer server({{"HTTP/1.0 302 Moved\r\n\r\n"}, {"HTTP/1.1 200 OK\r\n\r\nbody"}});
    Client http;
    http.URL = "http://" + server.Address() + "/f";
    http.Execute();
    EXPECT_EQ(server.Requests()[1], "GET /f HTTP/1.0\r\n\r\n");
    EXPECT_EQ(http.StatusCode, 200);
    EXPECT_EQ(http.Stream, "body");
}

// A reply is taken only when it is whole and answers its own request: each
// of these ends the exchange with a message that names what was wrong, and
// nothing of the body is kept.
TEST(T_HTTP, RepliesNotWholeOrNotTheirOwnAreRefused) {
    using Reply = LoopbackServer::Reply;
    struct Case {
        const char* what;
        Reply head, get;
        std::string message;
        int code;  // the exception's code
    };
    const std::string badStatus = "Bad status line from host 127.0.0.1: ";
    const std::vector<Case> cases = {
        {"body cut short", {kOk}, {"HTTP/1.0 200 OK\r\nContent-Length: 13\r\n\r\n9.9\r\n20"},
         "Reply from host 127.0.0.1 ended after 7 of 13 bytes", 200},
        {"no body at all", {kOk}, {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n"},
         "Reply from host 127.0.0.1 ended after 0 of 5 bytes", 200},
        {"GET of another version", {kOk}, {"HTTP/2 404 Not Found\r\n\r\n2\r\n2"}, badStatus + "HTTP/2 404 Not Found", 0},
        {"lower-case protocol", {kOk}, {"http/1.1 404 Not Found\r\n\r\n2\r\n2"}, badStatus + "http/1.1 404 Not Found", 0},
        {"another protocol", {kOk}, {"ICY 200 OK\r\n\r\n2\r\n2"}, badStatus + "ICY 200 OK", 0},
        {"four-digit status", {kOk}, {"HTTP/1.1 2000 OK\r\n\r\n2\r\n2"}, badStatus + "HTTP/1.1 2000 OK", 0},
        {"status below 100", {kOk}, {"HTTP/1.1 099 Low\r\n\r\n2\r\n2"}, badStatus + "HTTP/1.1 099 Low", 0},
        {"status above 599", {kOk}, {"HTTP/1.0 600 High\r\n\r\n2\r\n2"}, badStatus + "HTTP/1.0 600 High", 0},
        {"HEAD of another protocol", {"ICY 200 OK\r\n\r\n"}, {Ok("2\r\n2")}, badStatus + "ICY 200 OK", 0},
        {"header before the status", {kOk}, {"Content-Length: 4\r\nHTTP/1.0 200 OK\r\n\r\n2\r\n2"},
         badStatus + "Content-Length: 4", 0},
        {"interim then error", {kOk}, {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 404 Not Found\r\n\r\n2\r\n2"},
         "Not Found", 404},
        {"redirected GET", {kOk},
         {"HTTP/1.0 302 Found\r\nLocation: http://127.0.0.1:1/x\r\nContent-Length: 4\r\n\r\n2\r\n2"},
         "Unexpected status 302 Found from host 127.0.0.1", 302},
        {"no content", {kOk}, {"HTTP/1.0 204\r\n\r\n"}, "Unexpected status 204 from host 127.0.0.1", 204},
        {"nothing at all", {kOk}, {""}, "No reply from host 127.0.0.1", 0},
        {"header cut short", {kOk}, {"HTTP/1.0 200 OK\r\nContent-Ty"}, "Reply header cut short from host 127.0.0.1", 200},
        {"HEAD header cut short", {"HTTP/1.0 200 OK\r\nContent-Ty"}, {Ok("2\r\n2")},
         "Reply header cut short from host 127.0.0.1", 200},
    };
    for (const Case& c : cases) {
        LoopbackServer server({c.head, c.get});
        Client http;
        http.URL = "http://" + server.Address() + "/versao2p.txt";
        try {
            http.Execute();
            ADD_FAILURE() << c.what << ": no exception";
        } catch (const EProtocolError& e) {
            EXPECT_EQ(e.what(), c.message) << c.what;
            EXPECT_EQ(e.ErrorCode, c.code) << c.what;
        }
        EXPECT_EQ(http.Stream, "") << c.what;
        EXPECT_FALSE(http.Connected()) << c.what;
    }
    // A reset instead of a close is a broken connection, with or without a length.
    for (const std::string head : {"HTTP/1.0 200 OK\r\nContent-Length: 13\r\n\r\n", "HTTP/1.0 200 OK\r\n\r\n"}) {
        LoopbackServer server({{kOk}, Reply{.bytes = head + "9.9\r\n20", .reset = true}});
        Client http;
        http.URL = "http://" + server.Address() + "/versao2p.txt";
        try {
            http.Execute();
            ADD_FAILURE() << head << ": no exception";
        } catch (const ESocketError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Connection to host 127.0.0.1 broken off ", 0), 0u) << e.what();
            EXPECT_EQ(e.ErrorCode, 10054);
        }
        EXPECT_EQ(http.Stream, "");
    }
    // Interim responses are passed over, in the HEAD's reply and the GET's.
    LoopbackServer server({{"HTTP/1.1 100 Continue\r\nX-A: 1\r\n\r\n" + kOk},
                           {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 102 Processing\r\n\r\n" + Ok("2.5\r\n1.75")}});
    Client http;
    http.URL = "http://" + server.Address() + "/versao2p.txt";
    http.Execute();
    EXPECT_EQ(http.StatusCode, 200);
    EXPECT_EQ(http.Stream, "2.5\r\n1.75");
}

TEST(T_HTTP, LocationRetargetsTheGetToAnotherPortAndPath) {
    // The scheme of a Location is read in any case.
    for (const std::string scheme : {"http", "HTTP"}) {
        LoopbackServer target({{Ok("moved body")}});
        LoopbackServer first({{"HTTP/1.0 302 Found\r\nLocation: " + scheme + "://127.0.0.1:" +
                               std::to_string(target.Port()) + "/new/versao2p.txt\r\n\r\n"}});
        Client http;
        http.URL = "http://" + first.Address() + "/versao2p.txt";
        http.Execute();
        EXPECT_EQ(first.Requests(), std::vector<std::string>{"HEAD /versao2p.txt HTTP/1.0\r\n\r\n"}) << scheme;
        EXPECT_EQ(target.Requests(), std::vector<std::string>{"GET /new/versao2p.txt HTTP/1.0\r\n\r\n"}) << scheme;
        EXPECT_EQ(http.Stream, "moved body") << scheme;
    }
}

TEST(T_HTTP, RelativeLocationKeepsHostAndPort) {
    LoopbackServer server({{"HTTP/1.0 301 Moved\r\nLocation: /elsewhere/v.txt\r\n\r\n"}, {Ok("1\r\n2")}});
    Client http;
    http.URL = "http://" + server.Address() + "/dir/v.txt";
    http.Execute();
    EXPECT_EQ(server.Requests()[1], "GET /elsewhere/v.txt HTTP/1.0\r\n\r\n");
    EXPECT_EQ(http.Stream, "1\r\n2");

    LoopbackServer sibling({{"HTTP/1.0 302 Moved\r\nLocation: other.txt\r\n\r\n"}, {Ok("")}});
    Client second;
    second.URL = "http://" + sibling.Address() + "/dir/v.txt";
    second.Execute();
    EXPECT_EQ(sibling.Requests()[1], "GET /dir/other.txt HTTP/1.0\r\n\r\n");

    // Through a proxy the new path goes on the old URL's host.
    LoopbackServer proxy({{"HTTP/1.0 302 Moved\r\nLocation: /b.txt\r\n\r\n"}, {Ok("")}});
    Client third;
    third.URL = "http://updates.example:81/a/v.txt";
    third.Proxy = proxy.Address();
    third.Execute();
    EXPECT_EQ(proxy.Requests()[1], "GET http://updates.example:81/b.txt HTTP/1.0\r\n\r\n");
}

TEST(T_HTTP, AbsoluteLocationWithoutPortGoesToPort80) {
    LoopbackServer first({{"HTTP/1.0 302 Found\r\nLocation: http://127.0.0.1/x.txt\r\n\r\n"}});
    Client http;
    http.HostName = "127.0.0.1";
    http.Port = first.Port();
    http.RequestPath = "/v.txt";
    http.RequestHead();  // only the HEAD: nothing listens on port 80 here
    EXPECT_EQ(http.Port, 80);
    EXPECT_EQ(http.HostName, "127.0.0.1");
    EXPECT_EQ(http.RequestPath, "/x.txt");
}

TEST(T_HTTP, UnresolvableHostAndClosedPort) {
    Client http;
    http.URL = "http://no-such-host.invalid/versao2p.txt";
    try {
        http.Execute();
        FAIL() << "no exception";
    } catch (const ESocketError&) {
        FAIL() << "wrong kind";
    } catch (const ETcpIpError& e) {
        EXPECT_STREQ(e.what(), "Couldn't resolve hostname no-such-host.invalid");
    }

    const std::uint16_t closed = LoopbackServer::ClosedPort();
    Client refused;
    refused.URL = "http://127.0.0.1:" + std::to_string(closed) + "/versao2p.txt";
    try {
        refused.Execute();
        FAIL() << "no exception";
    } catch (const ESocketError& e) {
        EXPECT_EQ(e.ErrorCode, 10061);
        EXPECT_STREQ(e.what(), "Error creating socket");
    }
    EXPECT_TRUE(refused.Traced("Failed to open output socket " + std::to_string(closed) + " to host 127.0.0.1", tkStatus));
    EXPECT_EQ(refused.Handle(), -1);
}

TEST(T_HTTP, SilentServerEndsAtTheTimeLimitWhileEventsAreProcessed) {
    LoopbackServer server({{"", true}});
    Client http;
    int pumps = 0;
    http.ProcessMessages = [&] { ++pumps; };
    http.TimeLimit = 300ms;
    http.URL = "http://" + server.Address() + "/v.txt";
    const auto start = std::chrono::steady_clock::now();
    try {
        http.Execute();
        FAIL() << "no exception";
    } catch (const ESocketError& e) {
        EXPECT_EQ(e.ErrorCode, 10060);
        EXPECT_EQ(std::string(e.what()), "Timed out waiting for data from host 127.0.0.1");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_GE(pumps, 5);
    EXPECT_FALSE(http.Connected());
}

TEST(T_HTTP, MalformedRepliesRaiseTheClientsException) {
    for (const std::string reply : {"HTTP/1.0 2\r\n\r\n", "HTTP/1.0\r\n\r\n", "HTTP/1.0 2x0 OK\r\n\r\n",
                                    "HTTP/1.0 200 OK\r\nContent-Length: twelve\r\n\r\n",
                                    "HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\n",
                                    "HTTP/1.0 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n",
                                    "HTTP/1.0 302 Found\r\nLocation: https://secure.example/v.txt\r\n\r\n"}) {
        LoopbackServer server({{reply}, {kOk}});
        Client http;
        http.URL = "http://" + server.Address() + "/v.txt";
        EXPECT_THROW(http.Execute(), EProtocolError) << reply;
        EXPECT_EQ(server.Requests().size(), 1u) << reply;
    }
    // A header line without a blank after its colon is read all the same.
    LoopbackServer server({{"HTTP/1.0 200 OK\r\nContent-Type:text/plain\r\nContent-Length:\t3 \r\n\r\n"}, {kOk}});
    Client http;
    http.HostName = "127.0.0.1";
    http.Port = server.Port();
    http.RequestPath = "/v.txt";
    http.RequestHead();
    EXPECT_EQ(http.ContentType, "text/plain");
    EXPECT_EQ(http.ContentLength, 3);
}

TEST(T_HTTP, BadPortsAreRefusedBeforeConnecting) {
    for (const std::string url : {"http://127.0.0.1:abc/", "http://127.0.0.1:0/", "http://127.0.0.1:70000/"}) {
        Client http;
        http.URL = url;
        EXPECT_THROW(http.Execute(), ETcpIpError) << url;
        EXPECT_TRUE(http.askedPorts.empty()) << url;
    }
}

// A reply ends where its Content-Length says, and what a server sends is
// bounded in size and time: each misbehaving server ends the exchange with
// a message that says why, long before it would have ended by itself.
TEST(T_HTTP, RepliesAreBoundedInSizeAndTime) {
    using Reply = LoopbackServer::Reply;
    const std::string head = "HTTP/1.0 200 OK\r\nContent-Length: 11\r\n\r\n";
    {
        // Keep-alive after a complete body, and a body that goes on past its length.
        LoopbackServer server({Reply{.bytes = head, .holdOpen = true}, Reply{.bytes = head + "2.5\r\n1.75\r\n", .holdOpen = true, .endless = "x"}});
        Client http;
        http.TimeLimit = 5s;
        http.URL = "http://" + server.Address() + "/versao2p.txt";
        const auto start = std::chrono::steady_clock::now();
        http.Execute();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
        EXPECT_EQ(http.Stream, "2.5\r\n1.75\r\n");
        EXPECT_TRUE(http.ContentLengthGiven);
    }
    struct Case {
        const char* what;
        Reply get;
        std::string message;
    };
    const std::string tooLarge = "Reply from host 127.0.0.1 larger than 65536 bytes";
    const std::string longHeader = "Reply header from host 127.0.0.1 longer than 100 lines or 16384 bytes";
    const std::vector<Case> cases = {
        {"body flood", Reply{.bytes = "HTTP/1.0 200 OK\r\n\r\n", .endless = std::string(4096, 'z')}, tooLarge},
        {"long announced body", Reply{.bytes = "HTTP/1.0 200 OK\r\nContent-Length: 65537\r\n\r\n", .holdOpen = true}, tooLarge},
        {"header lines that never end", Reply{.bytes = "HTTP/1.0 200 OK\r\n", .endless = "X-Flood: 1\r\n"}, longHeader},
        {"many short header lines", Reply{.bytes = "HTTP/1.0 200 OK\r\n" + Repeated("A:1\r\n", 150) + "\r\n2\r\n2"}, longHeader},
        {"interim replies that never end", Reply{.bytes = "", .endless = "HTTP/1.1 100 Continue\r\n\r\n"}, longHeader},
        {"one long header", Reply{.bytes = "HTTP/1.0 200 OK\r\nX-Long: ", .endless = std::string(1000, 'h')},
         "Line longer than 16384 bytes from host 127.0.0.1"},
        {"dripping server", Reply{.bytes = "HTTP/1.0 200 OK\r\nX-Drip: " + std::string(500, 'd'), .drip = 10ms},
         "Timed out waiting for data from host 127.0.0.1"},
    };
    for (const Case& c : cases) {
        LoopbackServer server({{kOk}, c.get});
        Client http;
        http.TimeLimit = 1s;
        http.URL = "http://" + server.Address() + "/versao2p.txt";
        const auto start = std::chrono::steady_clock::now();
        try {
            http.Execute();
            ADD_FAILURE() << c.what << ": no exception";
        } catch (const ETcpIpError& e) {
            EXPECT_EQ(e.what(), c.message) << c.what;
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, 4s) << c.what;
        EXPECT_LE(http.Stream.size(), T_HTTP::kMaxBodySize) << c.what;
        EXPECT_FALSE(http.Connected()) << c.what;
    }
}

TEST(T_HTTP, EndlessHeaderLineIsRefused) {
    LoopbackServer server({{std::string(T_TcpIp::kMaxLineLength + 10, 'a')}});
    Client http;
    http.URL = "http://" + server.Address() + "/v.txt";
    EXPECT_THROW(http.Execute(), ETcpIpError);
}

TEST(TcpIp, ExecuteReadsUntilThePeerCloses) {
    std::string big(100000, 'z');
    LoopbackServer server({{big}});
    T_TcpIp tcp;
    tcp.TimeLimit = 3s;
    tcp.HostName = "127.0.0.1";
    tcp.Port = server.Port();
    EXPECT_EQ(tcp.SocketState(), 0);
    EXPECT_TRUE(tcp.AtEnd());
    tcp.Open();
    EXPECT_EQ(tcp.SocketState(), 2);
    tcp.SendLine("hello");
    tcp.SendString("\r\n");
    long total = 0;
    while (!tcp.AtEnd()) total += tcp.ReceiveBuffer(nullptr, 1000);  // a buffer of its own
    EXPECT_EQ(total, static_cast<long>(big.size()));
    tcp.Close();
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"hello\r\n\r\n"});

    LoopbackServer second({{big, false, true}});
    tcp.Port = second.Port();
    tcp.Execute();
    EXPECT_EQ(tcp.Stream, big);
    EXPECT_TRUE(tcp.AtEnd());
    EXPECT_EQ(FormatIPv4Address(ResolveHostAddress("192.168.0.10")), "192.168.0.10");
    EXPECT_EQ(ResolveHostAddress(""), platform::sockets::kNoAddress);
}

// A peer that always has more to send never makes a receive wait, so only
// the time limit checked before each receive ends the exchange. Each receive
// is slowed so the socket always has data waiting; the watchdog gives up
// after far more receives than the limit allows, so a fault fails the test
// instead of hanging it.
TEST(TcpIp, AnEndlessSenderEndsAtTheTimeLimit) {
    LoopbackServer server({LoopbackServer::Reply{.bytes = "", .atOnce = true, .endless = std::string(4096, 'z')}});
    T_TcpIp tcp;
    tcp.TimeLimit = 200ms;
    tcp.ProcessMessages = nullptr;
    tcp.HostName = "127.0.0.1";
    tcp.Port = server.Port();
    struct Watchdog {};
    int receives = 0;
    tcp.OnTrace = [&](const std::string& text, int) {
        if (text.rfind("Received ", 0) != 0) return;
        std::this_thread::sleep_for(1ms);
        if (++receives > 2000) throw Watchdog{};
    };
    try {
        tcp.Execute();
        ADD_FAILURE() << "no exception";
    } catch (const ESocketError& e) {
        EXPECT_EQ(e.ErrorCode, 10060);
        EXPECT_STREQ(e.what(), "Timed out waiting for data from host 127.0.0.1");
    } catch (const Watchdog&) {
        ADD_FAILURE() << "still receiving after " << receives << " receives";
    }
    EXPECT_GT(receives, 0);
}
