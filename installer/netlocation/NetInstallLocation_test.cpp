#include <gtest/gtest.h>

#include <set>


#include "installer/base/services/AppServices.h"
#include "installer/components/EngineContext.h"
#include "installer/netlocation/NetInstallLocation.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/SysrootFiles.h"
#include "testkit/files/TempDir.h"
#include "testkit/servers/LocalServers.h"
#include "testkit/support/ErrorOf.h"

namespace installer {
namespace {

using platform::testing::ErrorOf;
namespace fs = std::filesystem;
using platform::testing::LocalServer;
using platform::testing::FreePort;

const auto Read = platform::testing::ReadTestFile;

std::string Composed(const std::string& text, const std::string& error, const std::string& response) {
    return text + ". Error message " + error + ". Server 127.0.0.1. Response from server " + response;
}

// A local HTTP server whose GET runs the Python lines given (indented for
// the handler's body).
LocalServer ScriptedHttp(const std::string& get, const fs::path& log) {
    return LocalServer({"-c",
                        "import http.server,sys,time\n"
                        "class H(http.server.BaseHTTPRequestHandler):\n"
                        "    def do_GET(self):\n" +
                            get + "http.server.HTTPServer(('127.0.0.1',int(sys.argv[1])),H).serve_forever()\n",
                        "PORT"},
                       log);
}

// The reply's head: 100,000 bytes announced, whatever follows.
const std::string kAnnounced =
    "        self.send_response(200)\n"
    "        self.send_header('Content-Type','application/octet-stream')\n"
    "        self.send_header('Content-Length','100000')\n"
    "        self.end_headers()\n";

// Bytes that no text rule may mistake: every byte value, "404" at the start.
const std::string kArchive = [] {
    std::string bytes = "404 looks like an error page but is data ";
    unsigned state = 7;
    for (int i = 0; i < 70000; ++i) {
        state = state * 1103515245u + 12345u;
        bytes += static_cast<char>(state >> 23);
    }
    return bytes;
}();

class NetInstallLocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::testing::WriteTestFile("E:\\Server\\dist\\v1\\Install1.1", kArchive);
        platform::testing::WriteTestFile("E:\\Server\\dist\\v1\\Empty.1", "");
        platform::Files().ForceDirectories("C:\\Temp");
        served = platform::Files().HostPath("E:\\Server").string();
    }
    TNetInstallLocation& Location(TInternetProtocol protocol, int port) {
        auto& location = form.Create<TNetInstallLocation>();
        location.LoginInformation().Hostname = "127.0.0.1";
        location.LoginInformation().Protocol = protocol;
        location.LoginInformation().Directory = "dist\\v1";
        location.Port = port;
        return location;
    }
    LocalServer Http() { return platform::testing::HttpFileServer(served, scratch.Path() / "http.log"); }
    LocalServer Ftp() { return platform::testing::FtpFileServer(served, scratch.Path() / "ftp.log"); }

    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
    TComponentOwner form;
    std::string served;
    platform::TempRootDir scratch;
};

TEST_F(NetInstallLocationTest, HttpAndFtpBringIdenticalCopiesInBlocksOverOneConnection) {
    LocalServer http = Http();
    LocalServer ftp = Ftp();
    ASSERT_TRUE(http.Running() && ftp.Running());
    for (LocalServer* server : {&http, &ftp}) {
        const TInternetProtocol protocol = server == &http ? ipHTTP : ipFTP;
        TNetInstallLocation& location = Location(protocol, server->Port());
        std::vector<std::int64_t> blocks;
        std::int64_t announced = -1;
        int connects = 0;
        location.OnBeforeConnect = [&](TCustomNetInstallLocation&) { ++connects; };
        location.OnDataReceived = [&](TComponent&, const std::string& name, std::int64_t bytes, std::int64_t,
                                      std::int64_t size, const char*) {
            EXPECT_EQ(name, "Install1.1");
            blocks.push_back(bytes);
            announced = size;
        };
        location.GetFile("Install1.1", "C:\\Temp\\first.1");
        location.GetFile("Install1.1", "C:\\Temp\\second.1");
        EXPECT_EQ(Read("C:\\Temp\\first.1"), kArchive) << protocol;
        EXPECT_EQ(Read("C:\\Temp\\second.1"), kArchive) << protocol;
        EXPECT_EQ(announced, static_cast<std::int64_t>(kArchive.size()));
        ASSERT_EQ(blocks.size(), 2 * ((kArchive.size() + 8191) / 8192));
        EXPECT_EQ(blocks.front(), 8192);
        EXPECT_EQ(connects, 1);
        // Both requests came over one connection (for FTP: one control connection, one login).
        if (server == &http) {
            std::set<std::string> ports;
            for (const std::string& line : server->Logged("request from port")) ports.insert(line);
            EXPECT_EQ(server->Logged("request from port").size(), 2u);
            EXPECT_EQ(ports.size(), 1u);
        } else {
            EXPECT_EQ(server->Logged("logged in").size(), 1u);
            EXPECT_TRUE(server->AwaitLogged("RETR", 2));
        }
    }
}

TEST_F(NetInstallLocationTest, MissingAndEmptyFilesAndAClosedPort) {
    LocalServer http = Http();
    LocalServer ftp = Ftp();
    ASSERT_TRUE(http.Running() && ftp.Running());
    TNetInstallLocation& web = Location(ipHTTP, http.Port());
    EXPECT_EQ(ErrorOf([&] { web.GetFile("Missing.1", "C:\\Temp\\m.1"); }),
              Composed("Could not find the file Missing.1 on the server", "Unregistered error code",
                       "HTTP/1.1 404 File not found"));
    EXPECT_EQ(ErrorOf([&] { web.GetFile("Empty.1", "C:\\Temp\\e.1"); }),
              Composed("Could not find the file Empty.1 on the server", "Unregistered error code", "HTTP/1.1 200 OK"));
    EXPECT_TRUE(platform::Files().FileExists("C:\\Temp\\e.1"));

    TNetInstallLocation& files = Location(ipFTP, ftp.Port());
    EXPECT_NE(ErrorOf([&] { files.GetFile("Missing.1", "C:\\Temp\\m.1"); })
                  .find("Cannot open file Missing.1 on server. Error message ERROR_INTERNET_EXTENDED_ERROR. Server "
                        "127.0.0.1. Response from server 550 "),
              std::string::npos);
    EXPECT_NE(ErrorOf([&] { files.GetFile("Empty.1", "C:\\Temp\\e.1"); })
                  .find("Could not find the file Empty.1 on the server."),
              std::string::npos);
    files.LoginInformation().Directory = "nowhere";
    EXPECT_NE(ErrorOf([&] { files.GetFile("Install1.1", "C:\\Temp\\x.1"); })
                  .find("Cannot set directory on server to nowhere. Error message ERROR_INTERNET_EXTENDED_ERROR"),
              std::string::npos);

    const int closed = FreePort();
    TNetInstallLocation& closedWeb = Location(ipHTTP, closed);
    EXPECT_EQ(ErrorOf([&] { closedWeb.GetFile("Install1.1", "C:\\Temp\\c.1"); }),
              Composed("Cannot send request for file Install1.1 to the server", "ERROR_INTERNET_CANNOT_CONNECT",
                       "No server response"));
    TNetInstallLocation& closedFtp = Location(ipFTP, closed);
    EXPECT_EQ(ErrorOf([&] { closedFtp.GetFile("Install1.1", "C:\\Temp\\c.1"); }),
              Composed("Cannot connect to host 127.0.0.1", "ERROR_INTERNET_CANNOT_CONNECT", "No server response"));
}

TEST_F(NetInstallLocationTest, AnAbortInADataEventOrWhileAServerDripsLeavesNoFileAndIsNoError) {
    LocalServer http = Http();
    ASSERT_TRUE(http.Running());
    TNetInstallLocation& location = Location(ipHTTP, http.Port());
    bool aborted = false;
    int events = 0;
    location.OnDataReceived = [&](TComponent&, const std::string&, std::int64_t, std::int64_t, std::int64_t,
                                  const char*) {
        ++events;
        NetLocations(form.Context()).AbortDownload = true;
    };
    location.OnAfterDownload = [&](TCustomNetInstallLocation&, bool a) { aborted = a; };
    location.GetFile("Install1.1", "C:\\Temp\\a.1");
    EXPECT_TRUE(aborted);
    EXPECT_EQ(events, 1);
    EXPECT_FALSE(platform::Files().FileExists("C:\\Temp\\a.1"));
    // The session serves the next download once the flag is down again.
    NetLocations(form.Context()).AbortDownload = false;
    location.OnDataReceived = nullptr;
    location.GetFile("Install1.1", "C:\\Temp\\b.1");
    EXPECT_EQ(Read("C:\\Temp\\b.1"), kArchive);

    // A server that sends two bytes every 1.5 s never fills a block; the
    // window's events run meanwhile, and the Cancel they bring is heard.
    LocalServer dripping = ScriptedHttp(kAnnounced +
                                            "        for i in range(10):\n"
                                            "            self.wfile.write(b'xx')\n"
                                            "            self.wfile.flush()\n"
                                            "            time.sleep(1.5)\n",
                                        scratch.Path() / "drip.log");
    ASSERT_TRUE(dripping.Running());
    TNetInstallLocation& slow = Location(ipHTTP, dripping.Port());
    aborted = false;
    slow.OnAfterDownload = [&](TCustomNetInstallLocation&, bool a) { aborted = a; };
    services.ProcessMessagesCalls = 0;
    services.OnProcessMessages = [&] {
        if (services.ProcessMessagesCalls == 5) NetLocations(form.Context()).AbortDownload = true;  // Cancel
    };
    slow.GetFile("Install1.1", "C:\\Temp\\c.1");
    services.OnProcessMessages = nullptr;
    EXPECT_TRUE(aborted);
    EXPECT_GE(services.ProcessMessagesCalls, 5);
    EXPECT_FALSE(platform::Files().FileExists("C:\\Temp\\c.1"));
    NetLocations(form.Context()).AbortDownload = false;
}

TEST_F(NetInstallLocationTest, ABodyShorterThanAnnouncedAndAServerErrorFailAndARedirectIsFollowed) {
    // Announces 100,000 bytes, sends 20,000 and hangs up; answers /broken with
    // 500; redirects /moved to /small.
    LocalServer cut = ScriptedHttp(
        "        if self.path.endswith('broken'):\n"
        "            self.send_error(500)\n"
        "            return\n"
        "        if self.path.endswith('moved'):\n"
        "            self.send_response(302)\n"
        "            self.send_header('Location','/dist/v1/small')\n"
        "            self.send_header('Content-Length','0')\n"
        "            self.end_headers()\n"
        "            return\n"
        "        if self.path.endswith('small'):\n"
        "            self.send_response(200)\n"
        "            self.send_header('Content-Length','5')\n"
        "            self.end_headers()\n"
        "            self.wfile.write(b'hello')\n"
        "            return\n" +
            kAnnounced +
            "        self.wfile.write(b'x'*20000)\n"
            "        self.wfile.flush()\n"
            "        self.close_connection=True\n",
        scratch.Path() / "cut.log");
    ASSERT_TRUE(cut.Running());
    TNetInstallLocation& location = Location(ipHTTP, cut.Port());
    EXPECT_EQ(ErrorOf([&] { location.GetFile("Install1.1", "C:\\Temp\\t.1"); }),
              Composed("Could not read from file Install1.1 on the server", "ERROR_INTERNET_CONNECTION_ABORTED",
                       "HTTP/1.0 200 OK"));
    location.GetFile("moved", "C:\\Temp\\r.1");
    EXPECT_EQ(Read("C:\\Temp\\r.1"), "hello");
    EXPECT_EQ(ErrorOf([&] { location.GetFile("broken", "C:\\Temp\\t.1"); }),
              Composed("Cannot open file broken on server", "Unregistered error code",
                       "HTTP/1.0 500 Internal Server Error"));
}

// A library that lacks one entry point.
class TLocationWithoutQueryInfo : public TNetInstallLocation {
public:
    using TNetInstallLocation::TNetInstallLocation;

protected:
    bool LibraryOffers(const std::string& entryPoint) const override { return entryPoint != "HttpQueryInfoA"; }
};

TEST_F(NetInstallLocationTest, AMissingEntryPointIsNamedWithoutItsSuffix) {
    auto& location = form.Create<TLocationWithoutQueryInfo>();
    location.LoginInformation().Hostname = "127.0.0.1";
    EXPECT_EQ(ErrorOf([&] { location.GetFile("x.1", "C:\\Temp\\x.1"); }),
              "Failed to load the procedure HttpQueryInfo from WININET.DLL");
    EXPECT_EQ(NetErrorName(12152), "ERROR_HTTP_INVALID_SERVER_RESPONSE");
    EXPECT_EQ(NetErrorName(12033), "Unregistered error code");
}

}  // namespace
}  // namespace installer
