#include <gtest/gtest.h>

#include "installer/base/ApiRoutines.h"
#include "installer/base/Exceptions.h"
#include "installer/base/Strings.h"
#include "platform/core/inifile/IniFile.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"

using namespace installer;

TEST(Strings, BackslashesAndItems) {
    EXPECT_EQ(AddBackslash(""), "");
    EXPECT_EQ(AddBackslash("C:\\dir\\"), "C:\\dir\\");
    EXPECT_EQ(AddBackslash("C:\\dir"), "C:\\dir\\");
    EXPECT_EQ(RemoveBackslash("C:\\"), "C:");
    EXPECT_EQ(RemoveBackslash(""), "");
    EXPECT_EQ(RemoveBackslash("a\\\\"), "a\\");

    EXPECT_EQ(GetItem("a;b;c", 3, ';'), "c");
    EXPECT_EQ(GetItem("a;b", 3, ';'), "");
    EXPECT_EQ(GetItem("a;b", 0, ';'), "a");
    EXPECT_EQ(GetItem("a;b", -4, ';'), "a");
    EXPECT_EQ(GetItem("a;;b", 2, ';'), "");
    EXPECT_EQ(GetItem("a;;b", 3, ';'), "b");
    EXPECT_EQ(GetItem("", 1, ';'), "");
    EXPECT_EQ(ItemCount("a;;b", ';'), 3);
    EXPECT_EQ(ItemCount("a;b", ';'), 2);
    EXPECT_EQ(ItemCount("a;b;", ';'), 2);
    EXPECT_EQ(ItemCount("", ';'), 0);
    EXPECT_EQ(ItemCount(";", ';'), 1);
    std::vector<std::string> list{"old"};
    SplitToList("C:\\x;1", ';', list);
    EXPECT_EQ(list, (std::vector<std::string>{"C:\\x", "1"}));
    SplitToList("", ';', list);
    EXPECT_TRUE(list.empty());
}

TEST(Strings, FileNamesAndDrives) {
    EXPECT_EQ(MakeValidFileName("server/dir:1"), "server-dir1");
    EXPECT_EQ(MakeValidFileName("a\"*:;<>?\\|b"), "ab");
    EXPECT_EQ(MakeValidFileName("tab\there \xC3\xA3"), "tab\there \xC3\xA3");
    // Never a name that names no file.
    EXPECT_EQ(MakeValidFileName(""), "_");
    EXPECT_EQ(MakeValidFileName("."), "_");
    EXPECT_EQ(MakeValidFileName(".."), "_");
    EXPECT_EQ(MakeValidFileName(":.:.:"), "_");
    EXPECT_EQ(MakeValidFileName(" . "), "_");
    EXPECT_EQ(MakeValidFileName("..a"), "..a");
    EXPECT_EQ(TextAfterColon("C:\\Program Files"), "\\Program Files");
    EXPECT_EQ(TextAfterColon("a:b:c"), "b:c");
    EXPECT_EQ(TextAfterColon("\\no drive"), "\\no drive");
}

TEST(Exceptions, FamiliesAndFixedTexts) {
    EXPECT_EQ(EAIUserAbort().Message(), "Installation aborted by the user");
    EXPECT_EQ(EtcDiskFull().Message(), "The disk is full");
    EXPECT_EQ(EtcAborted().Message(), "Operation aborted by user");
    try {
        throw EtcDiskFull();
    } catch (const ETamselAbnormal& e) {
        EXPECT_TRUE(dynamic_cast<const ETmslCompress*>(&e));
    }
    try {
        throw EAIUserAbort();
    } catch (const EAI&) {
        SUCCEED();
    }
    EAIUserAbort abort;
    const platform::Exception& base = abort;
    EXPECT_EQ(dynamic_cast<const ECustomTamselAbnormal*>(&base), nullptr);
}

namespace {
struct ApiFixture : ::testing::Test {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    void fact(const char* key, const char* value) {
        platform::IniFile(dir.Path() / "platform.ini").WriteString("Windows", key, value);
    }
    template <typename F>
    std::string apiError(F f) {
        try {
            f();
        } catch (const EAPIRoutines& e) {
            return e.Message();
        }
        return "<no error>";
    }
};
}  // namespace

TEST_F(ApiFixture, WindowsVersionAndDirectories) {
    EXPECT_EQ(GetWindowsVersion(), 2);  // NT 4.0 by default
    EXPECT_EQ(GetWindowsDir(), "C:\\WINDOWS");
    EXPECT_EQ(GetSystemDir(), "C:\\WINDOWS\\SYSTEM32");
    fact("PlatformId", "1");
    EXPECT_EQ(GetWindowsVersion(), 1);
    fact("PlatformId", "0");
    EXPECT_EQ(GetWindowsVersion(), 0);
    fact("PlatformId", "2");
    fact("MajorVersion", "3");
    fact("MinorVersion", "51");
    EXPECT_EQ(GetWindowsVersion(), 3);  // "3.51" contains "3.5"
    fact("MinorVersion", "10");
    EXPECT_EQ(GetWindowsVersion(), 2);
    fact("PlatformId", "7");
    EXPECT_EQ(GetWindowsVersion(), 4);
    fact("PlatformId", "");
    EXPECT_EQ(apiError([] { GetWindowsVersion(); }), "Could not get information about the current version of Windows");
    fact("WindowsDir", "d:\\winnt\\");
    EXPECT_EQ(GetWindowsDir(), "D:\\winnt");
    fact("WindowsDir", "");
    fact("SystemDir", "");
    EXPECT_EQ(apiError([] { GetWindowsDir(); }), "Could not retrieve the windows directory from windows");
    EXPECT_EQ(apiError([] { GetSystemDir(); }), "Could not retrieve the system directroy from windows");
}

TEST_F(ApiFixture, TemporaryNamesAndShortPaths) {
    auto& files = platform::Files();
    std::string kept = GetTemporaryFileName(true);
    EXPECT_EQ(kept.rfind("C:\\WINDOWS\\TEMP\\bat", 0), 0u) << kept;
    EXPECT_TRUE(files.FileExists(kept));
    EXPECT_EQ(files.FileSize(kept), 0);
    std::string gone = GetTemporaryFileName(false);
    EXPECT_FALSE(files.FileExists(gone));
    EXPECT_NE(gone, kept);
    fact("TempDir", "C:\\missing temp");
    EXPECT_EQ(apiError([] { GetTemporaryFileName(true); }), "Cannot create a temporary file");
    fact("TempDir", "");
    EXPECT_EQ(apiError([] { GetTemporaryFileName(false); }), "Cannot create a temporary file");

    ASSERT_TRUE(files.ForceDirectories("C:\\Program Files\\VorelSoft\\VorelE 300"));
    EXPECT_EQ(GetShortPathName("c:\\program files\\vorelsoft\\vorele 300"), "C:\\PROGRA~1\\VORELS~1\\VORELE~1");
    EXPECT_EQ(GetShortPathName("C:\\Program Files\\missing file.txt"), "C:\\Program Files\\missing file.txt");
    std::string tooLong = "C:\\" + std::string(450, 'a');
    EXPECT_EQ(GetShortPathName(tooLong), tooLong);
}
