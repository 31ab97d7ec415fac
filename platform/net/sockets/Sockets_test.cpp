#include "platform/net/sockets/Sockets.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "testkit/servers/LoopbackServer.h"

using namespace platform::sockets;
using platform::testing::LoopbackServer;
using namespace std::chrono_literals;

namespace {
const Address kLoopback = htonl(INADDR_LOOPBACK);

Wait Bounded(std::chrono::milliseconds bound, int* pumps = nullptr) {
    Wait w;
    w.bound = bound;
    if (pumps) w.pump = [pumps] { ++*pumps; };
    return w;
}
}  // namespace

TEST(Sockets, ErrnoBecomesTheWindowsSocketsCode) {
    EXPECT_EQ(WinSockError(ECONNREFUSED), 10061);
    EXPECT_EQ(WinSockError(EAGAIN), 10035);
    EXPECT_EQ(WinSockError(ENOTCONN), 10057);
    EXPECT_EQ(WinSockError(ETIMEDOUT), 10060);
    EXPECT_EQ(WinSockError(ECONNRESET), 10054);
    EXPECT_EQ(WinSockError(EPIPE), 10054);
    EXPECT_EQ(WinSockError(EHOSTUNREACH), 10065);
    EXPECT_EQ(WinSockError(EINVAL), 10022);
    EXPECT_EQ(WinSockError(0), 0);
}

TEST(Sockets, ResolvesDottedAddressesDirectlyAndNamesByLookup) {
    EXPECT_EQ(ResolveIPv4("127.0.0.1", Bounded(1s)), kLoopback);
    EXPECT_EQ(FormatIPv4(ResolveIPv4("10.1.2.3", Bounded(1s))), "10.1.2.3");
    EXPECT_EQ(FormatIPv4(ResolveIPv4("localhost", Bounded(5s))), "127.0.0.1");
    EXPECT_EQ(ResolveIPv4("", Bounded(1s)), kNoAddress);
    // A reserved name that never resolves ends within the bound either way.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ResolveIPv4("no-such-host.invalid", Bounded(2s)), kNoAddress);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
}

TEST(Sockets, ClosedPortIsRefused) {
    const Socket s = Connect(kLoopback, LoopbackServer::ClosedPort(), Bounded(2s));
    EXPECT_FALSE(s.Valid());
    EXPECT_EQ(LastError(), 10061);
}

TEST(Sockets, SendsAndReceivesUntilThePeerCloses) {
    LoopbackServer server({{"reply bytes"}});
    const Socket s = Connect(kLoopback, server.Port(), Bounded(2s));
    ASSERT_TRUE(s.Valid()) << LastError();
    EXPECT_EQ(PeerError(s), 0);
    const std::string request = "GET / HTTP/1.0\r\n\r\n";
    EXPECT_EQ(Send(s, request.data(), request.size(), Bounded(2s)), static_cast<long>(request.size()));
    std::string got;
    char buf[4];
    long n;
    while ((n = Receive(s, buf, sizeof buf, Bounded(2s))) > 0) got.append(buf, static_cast<std::size_t>(n));
    EXPECT_EQ(n, 0);
    EXPECT_EQ(got, "reply bytes");
    EXPECT_EQ(server.Requests(), std::vector<std::string>{request});
}

TEST(Sockets, SilentPeerEndsTheWaitAtTheBoundWhilePumping) {
    LoopbackServer server({{"", true}});
    const Socket s = Connect(kLoopback, server.Port(), Bounded(2s));
    ASSERT_TRUE(s.Valid());
    const std::string request = "HEAD / HTTP/1.0\r\n\r\n";
    ASSERT_GT(Send(s, request.data(), request.size(), Bounded(2s)), 0);
    int pumps = 0;
    char buf[16];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Receive(s, buf, sizeof buf, Bounded(300ms, &pumps)), -1);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(LastError(), 10060);
    EXPECT_GE(took, 300ms);
    EXPECT_LT(took, 3s);
    EXPECT_GE(pumps, 5);  // events were processed all along the wait
}

TEST(Sockets, SendingToAVanishedPeerIsAnErrorNotASignal) {
    // Our own listener: accept, then close at once.
    const int l = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = kLoopback;
    socklen_t len = sizeof a;
    ASSERT_EQ(::bind(l, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(l, 1), 0);
    ASSERT_EQ(::getsockname(l, reinterpret_cast<sockaddr*>(&a), &len), 0);
    const Socket s = Connect(kLoopback, ntohs(a.sin_port), Bounded(2s));
    ASSERT_TRUE(s.Valid());
    ::close(::accept(l, nullptr, nullptr));
    ::close(l);
    const std::string chunk(4096, 'x');
    long n = 0;
    for (int i = 0; i < 200 && n >= 0; ++i) {
        n = Send(s, chunk.data(), chunk.size(), Bounded(1s));
        if (n >= 0) usleep(1000);
    }
    EXPECT_EQ(n, -1);
    EXPECT_EQ(LastError(), 10054);
}
