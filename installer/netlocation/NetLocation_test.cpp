#include <gtest/gtest.h>

#include "installer/base/services/AppServices.h"
#include "installer/components/EngineContext.h"
#include "installer/netlocation/FolderNetLocation.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"
#include "testkit/files/SysrootFiles.h"
#include "testkit/files/TempDir.h"
#include "testkit/support/ErrorOf.h"

namespace installer {
namespace {

using platform::testing::ErrorOf;

const auto Write = platform::testing::WriteTestFile;

const auto Read = platform::testing::ReadTestFile;

std::string Composed(const std::string& text, const std::string& host) {
    return text + ". Error message Unregistered error code. Server " + host + ". Response from server No server response";
}

class NetLocation : public ::testing::Test {
protected:
    NetLocation() {
        location.SetName("NetLoc1");
        location.ServerRoot = "E:\\Server";
        location.LoginInformation().Hostname = "www.vorel.example";
        location.LoginInformation().Directory = "dist\\v1";
        platform::Files().ForceDirectories("E:\\Server\\www.vorel.example\\dist\\v1");
        platform::Files().ForceDirectories("C:\\Temp");
    }
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
    TComponentOwner form;
    TFolderNetInstallLocation& location = form.Create<TFolderNetInstallLocation>();
};

TEST(LoginInformation, CompletenessAndServerPaths) {
    TCustomLoginInformation login;
    EXPECT_FALSE(login.IsComplete());
    login.Hostname = "  ";
    EXPECT_FALSE(login.IsComplete());
    login.Anonymous = false;
    login.Username = "tech";
    EXPECT_TRUE(login.IsComplete());  // only a user name
    login.Anonymous = true;
    login.Hostname = "host";
    EXPECT_TRUE(login.IsComplete());
    EXPECT_EQ(ServerPath("sub\\dir"), "sub/dir");
    EXPECT_EQ(ServerPath(" "), "/");
    TCustomLoginInformation copy;
    copy.Assign(login);
    EXPECT_EQ(copy.Username, "tech");
    EXPECT_EQ(copy.Location(), nullptr);
}

TEST_F(NetLocation, AFileComesInBlocksWithEventsAndTheCallerFindsItLocally) {
    const std::string content(20000, 'x');
    Write("E:\\Server\\www.vorel.example\\dist\\v1\\Install1.1", content);
    std::vector<std::string> events;
    location.OnBeforeConnect = [&](TCustomNetInstallLocation&) { events.push_back("connect"); };
    location.OnBeforeDownload = [&](TCustomNetInstallLocation&) { events.push_back("download"); };
    location.OnAfterDownload = [&](TCustomNetInstallLocation&, bool aborted) {
        events.push_back(aborted ? "aborted" : "done");
    };
    location.OnDataReceived = [&](TComponent&, const std::string& name, std::int64_t bytes, std::int64_t total,
                                  std::int64_t size, const char*) {
        events.push_back(name + " " + std::to_string(bytes) + " " + std::to_string(total) + "/" + std::to_string(size));
    };
    location.GetFile("Install1.1", "C:\\Temp\\local.1");
    location.GetFile("Install1.1", "C:\\Temp\\again.1");
    EXPECT_EQ(Read("C:\\Temp\\local.1"), content);
    const std::vector<std::string> once = {"download", "Install1.1 8192 8192/20000", "Install1.1 8192 16384/20000",
                                           "Install1.1 3616 20000/20000", "done"};
    std::vector<std::string> expected = {"connect"};
    expected.insert(expected.end(), once.begin(), once.end());
    expected.insert(expected.end(), once.begin(), once.end());  // the connection is kept
    EXPECT_EQ(events, expected);
    EXPECT_EQ(location.Connections(), 1);
    EXPECT_EQ(NetLocations(form.Context()).Current, &location);
}

TEST_F(NetLocation, MissingAndEmptyFilesAndAnUnknownHost) {
    // A web server answers a missing file with its error page.
    EXPECT_EQ(ErrorOf([&] { location.GetFile("Missing.1", "C:\\Temp\\m.1"); }),
              Composed("Could not find the file Missing.1 on the server", "www.vorel.example"));
    Write("E:\\Server\\www.vorel.example\\dist\\v1\\Empty.1", "");
    EXPECT_EQ(ErrorOf([&] { location.GetFile("Empty.1", "C:\\Temp\\e.1"); }),
              Composed("Could not find the file Empty.1 on the server", "www.vorel.example"));
    EXPECT_TRUE(platform::Files().FileExists("C:\\Temp\\e.1"));

    auto& ftp = form.Create<TFolderNetInstallLocation>();
    ftp.ServerRoot = "E:\\Server";
    ftp.LoginInformation().Hostname = "www.vorel.example";
    ftp.LoginInformation().Protocol = ipFTP;
    ftp.LoginInformation().Directory = "dist\\v1";
    EXPECT_EQ(ErrorOf([&] { ftp.GetFile("Missing.1", "C:\\Temp\\m.1"); }),
              Composed("Cannot open file Missing.1 on server", "www.vorel.example"));
    ftp.LoginInformation().Directory = "nowhere";
    EXPECT_EQ(ErrorOf([&] { ftp.GetFile("Missing.1", "C:\\Temp\\m.1"); }),
              Composed("Cannot set directory on server to nowhere", "www.vorel.example"));

    auto& unknown = form.Create<TFolderNetInstallLocation>();
    unknown.ServerRoot = "E:\\Server";
    unknown.LoginInformation().Hostname = "ftp.nowhere.example";
    EXPECT_EQ(ErrorOf([&] { unknown.GetFile("X.1", "C:\\Temp\\x.1"); }),
              "Cannot connect to host ftp.nowhere.example. Error message ERROR_INTERNET_CANNOT_CONNECT. Server "
              "ftp.nowhere.example. Response from server No server response");
}

TEST_F(NetLocation, AnAbortStopsAtOnceAndIsNoError) {
    Write("E:\\Server\\www.vorel.example\\dist\\v1\\Big.1", std::string(30000, 'b'));
    bool aborted = false;
    location.OnDataReceived = [&](TComponent&, const std::string&, std::int64_t, std::int64_t total, std::int64_t,
                                  const char*) {
        if (total > 10000) NetLocations(form.Context()).AbortDownload = true;
    };
    location.OnAfterDownload = [&](TCustomNetInstallLocation&, bool a) { aborted = a; };
    location.GetFile("Big.1", "C:\\Temp\\big.1");
    EXPECT_TRUE(aborted);
    // No part of the file stays to pass for an archive.
    EXPECT_FALSE(platform::Files().FileExists("C:\\Temp\\big.1"));
}

TEST_F(NetLocation, TheListKnowsEveryLocationAndForgetsAFreedOne) {
    EXPECT_EQ(ErrorOf([&] { AddNetLocation(form.Context(), nullptr); }),
              "Cannot add a blank location to the global net location list");
    NetLocationState& state = NetLocations(form.Context());
    ASSERT_EQ(state.Locations.size(), 1u);
    state.InstallDefault = &location;
    ErrorOf([&] { location.GetFile("x", "C:\\Temp\\x"); });
    EXPECT_EQ(state.Current, &location);
    location.Free();
    EXPECT_TRUE(state.Locations.empty());
    EXPECT_EQ(state.Current, nullptr);
    EXPECT_EQ(state.InstallDefault, nullptr);
}

}  // namespace
}  // namespace installer
