// The probe against a loopback server: the trace as a reviewer reads it.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include "VersaoPrograma.h"
#include "testkit/servers/LoopbackServer.h"

using platform::testing::LoopbackServer;

namespace {

struct Result {
    int code = -1;
    std::string out;
};

Result Httpprobe(const std::string& args) {
    const std::string command = "'" VOREL_BIN_DIR "/httpprobe' " + args + " 2>&1";
    Result r;
    FILE* p = ::popen(command.c_str(), "r");
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int status = ::pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace

TEST(Httpprobe, TracesBothRequestsAndPrintsTheBody) {
    const std::string ok = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";
    LoopbackServer server({{ok}, {ok + "2.5\r\n1.0\r\n"}});
    const Result r = Httpprobe("--no-cache http://" + server.Address() + "/versao2p.txt");
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("> HEAD /versao2p.txt HTTP/1.0\n  Sent 18 bytes on socket ID "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("> Pragma: no-cache\n  Sent 2 bytes on socket ID "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" (x17)\n< HTTP/1.0 200 OK\n"), std::string::npos) << r.out;  // "HTTP/1.0 200 OK" CR LF
    EXPECT_NE(r.out.find("< HTTP/1.0 200 OK\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("> GET /versao2p.txt HTTP/1.0\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  Opened output socket " + std::to_string(server.Port()) + " to host 127.0.0.1"),
              std::string::npos);
    EXPECT_NE(r.out.find("status 200 OK\ncontent-type text/plain\ncontent-length 0\nbody 10 bytes\n2.5\r\n1.0\r\n"),
              std::string::npos)
        << r.out;
}

TEST(Httpprobe, FailuresCarryTheirCodes) {
    LoopbackServer server({{"HTTP/1.0 403 Forbidden\r\n\r\n"}});
    Result r = Httpprobe("http://" + server.Address() + "/x");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("error: Forbidden (HTTP 403)\n"), std::string::npos) << r.out;

    // A reply cut short of its length, or not the GET's own, is a failure too.
    const std::string ok = "HTTP/1.0 200 OK\r\n\r\n";
    for (const auto& [get, message] : std::vector<std::pair<std::string, std::string>>{
             {"HTTP/1.0 200 OK\r\nContent-Length: 13\r\n\r\n9.9\r\n20", "error: Reply from host 127.0.0.1 ended after 7 of 13 bytes (HTTP 200)\n"},
             {"ICY 200 OK\r\n\r\n9.9\r\n20", "error: Bad status line from host 127.0.0.1: ICY 200 OK (HTTP 0)\n"}}) {
        LoopbackServer cut({{ok}, {get}});
        r = Httpprobe("http://" + cut.Address() + "/x");
        EXPECT_EQ(r.code, 1) << r.out;
        EXPECT_NE(r.out.find(message), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("status 200"), std::string::npos) << r.out;
    }

    r = Httpprobe("http://127.0.0.1:" + std::to_string(LoopbackServer::ClosedPort()) + "/x");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("error: Error creating socket (socket error 10061)\n"), std::string::npos) << r.out;

    EXPECT_EQ(Httpprobe("--time-limit 0 http://127.0.0.1/").code, 2);
    EXPECT_EQ(Httpprobe("").code, 2);
    r = Httpprobe("--version");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, std::string("httpprobe ") + vorel::kVersaoPrograma + "\n");
}
