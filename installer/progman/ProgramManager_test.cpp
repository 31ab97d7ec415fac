#include "installer/progman/ProgramManager.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/core/hostio/HostIo.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"
#include "testkit/support/ErrorOf.h"

namespace installer {
namespace {

using platform::testing::ErrorOf;

class ProgramManagerTest : public ::testing::Test {
protected:
    std::string Log() { return platform::ReadWholeFile(dir.Path() / "progman.log").value_or(""); }
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    TProgramManager pm;
};

TEST_F(ProgramManagerTest, CommandTextsAreExact) {
    pm.CreateGroup("");  // nothing sent for an empty name
    pm.AddItem("\"C:\\x.exe\" ", "X", "", 0, "\"C:\\\"", 0);  // nothing selected yet
    EXPECT_EQ(Log(), "");
    pm.CreateGroup("Vorel Electronics");
    EXPECT_EQ(pm.SelectedGroup(), "Vorel Electronics");
    pm.AddItem("\"C:\\Program Files\\App\\app.exe\" -v", "App", "C:\\app.ico", 2, "\"C:\\Program Files\\App\"", 0);
    pm.ReplaceItem("App");
    EXPECT_EQ(Log(),
              "[CreateGroup(\"Vorel Electronics\")]\n"
              "[ShowGroup(Vorel Electronics,8)]\n"
              "[AddItem(\"C:\\Program Files\\App\\app.exe\" -v,App,C:\\app.ico,2,,,\"C:\\Program Files\\App\",0)]\n"
              "[ShowGroup(Vorel Electronics,8)]\n"
              "[ReplaceItem(\"App\")]\n");
}

TEST_F(ProgramManagerTest, ItemsReadBackWithoutQuotesAndWithTheirCommas) {
    pm.CreateGroup("Tools");
    EXPECT_EQ(pm.ItemCount(), 0);  // an empty group answers one line
    pm.AddItem("\"C:\\A\\a.exe\" x", "Alpha", "", 0, "C:\\A", 0);
    pm.AddItem("C:\\B\\b.exe", "Beta, the second", "C:\\b.ico", 3, "C:\\B", 0);
    ASSERT_EQ(pm.ItemCount(), 2);
    EXPECT_EQ(pm.ItemName(1), "Alpha");
    EXPECT_EQ(pm.ItemCommandLine(1), "\"C:\\A\\a.exe\" x");
    EXPECT_EQ(pm.ItemDefaultDir(1), "C:\\A");
    EXPECT_EQ(pm.ItemName(2), "Beta, the second");
    EXPECT_EQ(pm.ItemCommandLine(2), "C:\\B\\b.exe");
    EXPECT_EQ(pm.ItemIconPath(2), "C:\\b.ico");
    EXPECT_EQ(pm.ItemIconIndex(2), "3");
    EXPECT_EQ(pm.ItemHotKey(2), "0");
    EXPECT_EQ(pm.ItemName(0), "");
    EXPECT_EQ(pm.ItemName(3), "");
    EXPECT_EQ(pm.FindItem("Beta, the second"), 2);
    EXPECT_EQ(pm.FindItem("alpha"), -1);  // names match exactly
    EXPECT_EQ(pm.GetGroups(), std::vector<std::string>{"Tools"});
}

TEST_F(ProgramManagerTest, ASelectionWithoutReplySelectsNothing) {
    pm.CreateGroup("Tools");
    pm.SelectGroup("Missing");
    EXPECT_EQ(pm.SelectedGroup(), "");
    EXPECT_EQ(pm.ItemCount(), 0);
    const std::string before = Log();
    pm.AddItem("C:\\a.exe", "A", "", 0, "C:\\", 0);
    pm.ReplaceItem("A");
    EXPECT_EQ(Log(), before);
}

TEST_F(ProgramManagerTest, FailedCommandsRaiseWithTheirTexts) {
    pm.CreateGroup("Tools");
    EXPECT_EQ(ErrorOf([&] { pm.ReplaceItem("Missing"); }),
              "The TProgramManager object was unable to replace the following program item: Missing to the following "
              "group: Tools");
    // The item's name is an argument: a '%' in it stays as it is.
    const std::string longLine = "C:\\" + std::string(260, 'x') + ".exe";
    try {
        pm.AddItem(longLine, "100%s sure", "", 0, "C:\\", 0);
        FAIL() << "no error";
    } catch (const EAIPMCannotAddItem& e) {
        EXPECT_EQ(e.ItemName, "100%s sure");
        EXPECT_EQ(e.Group, "Tools");
        EXPECT_EQ(std::string(e.what()),
                  "The TProgramManager object was unable to add the following program item: 100%s sure to the "
                  "following group: Tools. The arguments passed to  Program Manager were: " + e.Command);
        EXPECT_EQ(e.Command.rfind("[AddItem(" + longLine, 0), 0u);
    }
    std::filesystem::remove(dir.Path() / "progman.grp");  // the group went meanwhile
    try {
        pm.AddItem("C:\\a.exe", "A", "", 0, "C:\\", 0);
        FAIL() << "no error";
    } catch (const EAIPMCannotOpenGroup& e) {
        EXPECT_EQ(e.Group, "Tools");
        EXPECT_EQ(std::string(e.what()), "The TProgramManager object was unable to open the following group: Tools");
    }
    EXPECT_EQ(ErrorOf([] { throw EAIPMError(); }),
              "The TProgramManager object was unable to communicate with Program Manager");
}

}  // namespace
}  // namespace installer
