#include <gtest/gtest.h>

#include "installer/version/SystemRootFiles.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"
#include "testkit/generators/pe/PeFixture.h"

namespace installer {
namespace {

TEST(SystemRootFiles, DecisionsOnTheSimulatedWindows) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root(dir.Path());
    auto& files = platform::Files();
    ASSERT_TRUE(files.ForceDirectories("C:\\Source"));
    ASSERT_TRUE(files.ForceDirectories("C:\\WINDOWS\\SYSTEM32"));
    pefixture::VersionOptions newer, older;
    newer.fileVersion = {4, 0, 0, 10};
    older.fileVersion = {4, 0, 0, 9};
    pefixture::WritePe(files.HostPath("C:\\Source\\IDAPI32.DLL"), newer, true);
    pefixture::WritePe(files.HostPath("C:\\WINDOWS\\SYSTEM32\\idapi32.dll"), older, true);
    {
        auto f = files.Open("C:\\Source\\readme.txt", platform::FileMode::Create);
        f.WriteBuffer("hello", 5);
        auto g = files.Open("C:\\WINDOWS\\readme.txt", platform::FileMode::Create);
        g.WriteBuffer("hello", 5);
    }
    const double day = platform::EncodeDateTime(1998, 6, 1, 12, 0, 0);
    ASSERT_TRUE(files.SetFileDateTime("C:\\Source\\readme.txt", day + 1));
    ASSERT_TRUE(files.SetFileDateTime("C:\\WINDOWS\\readme.txt", day));

    // Names resolve ignoring case, as on Windows.
    EXPECT_EQ(FileVersionOf("c:\\source\\idapi32.DLL"), "4.0.0.10");
    EXPECT_EQ(FileVersionOf("C:\\WINDOWS\\readme.txt"), "");
    EXPECT_EQ(FileVersionOf("C:\\..\\..\\etc\\passwd"), "");

    using enum TOverwriteType;
    EXPECT_EQ(CompareFilesForOverwrite("C:\\Source\\IDAPI32.DLL", "C:\\WINDOWS\\SYSTEM32\\IDAPI32.DLL", owVersion), 2);
    EXPECT_EQ(CompareFilesForOverwrite("C:\\WINDOWS\\SYSTEM32\\IDAPI32.DLL", "C:\\Source\\IDAPI32.DLL", owVersionDate), 3);
    // Two files without versions: equal versions, then the dates decide.
    EXPECT_EQ(CompareFilesForOverwrite("C:\\Source\\readme.txt", "C:\\WINDOWS\\readme.txt", owVersion), 1);
    EXPECT_EQ(CompareFilesForOverwrite("C:\\Source\\readme.txt", "C:\\WINDOWS\\readme.txt", owVersionDate), 2);
    EXPECT_EQ(CompareFilesForOverwrite("C:\\WINDOWS\\readme.txt", "C:\\Source\\readme.txt", owDate), 3);
    EXPECT_EQ(CompareFilesForOverwrite("C:\\Missing.txt", "C:\\WINDOWS\\readme.txt", owDate), 0);
    EXPECT_EQ(CompareHeaderForOverwrite("", "C:\\WINDOWS\\readme.txt", owDate, day), 1);
    EXPECT_EQ(CompareHeaderForOverwrite("", "C:\\WINDOWS\\readme.txt", owVersionDate, day + 0.5), 2);
    EXPECT_EQ(CompareHeaderForOverwrite("4.0.0.9", "C:\\WINDOWS\\SYSTEM32\\IDAPI32.DLL", owVersion, 0), 1);
    EXPECT_EQ(CompareHeaderForOverwrite("", "C:\\WINDOWS\\new.txt", owVersion, 0), 2);
    EXPECT_EQ(CompareHeaderForOverwrite("", "C:\\WINDOWS\\readme.txt", owNever, 0), 3);
}

}  // namespace
}  // namespace installer
