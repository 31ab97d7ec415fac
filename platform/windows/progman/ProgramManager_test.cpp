#include "platform/windows/progman/ProgramManager.h"

#include <gtest/gtest.h>

#include "platform/core/hostio/HostIo.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"
#include "testkit/support/ChildProcess.h"

namespace platform {
namespace {

class Progman : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pm.Open("progman", "PROGMAN")); }
    std::string Log() { return ReadWholeFile(dir.Path() / "progman.log").value_or("(none)"); }
    TempRootDir dir;
    ScopedSystemRoot root{dir.Path()};
    ProgmanConversation pm;
};

TEST(ProgmanCommands, QuotedArgumentsKeepTheirCommasAndLoseTheirQuotes) {
    const auto parsed = ParseProgmanCommands("[CreateGroup(\"A, B\")] [AddItem(\"C:\\x.exe\" -a,Name,,0,,,\"C:\\\",0)]");
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->size(), 2u);
    EXPECT_EQ((*parsed)[0].name, "CreateGroup");
    EXPECT_EQ((*parsed)[0].arguments, std::vector<std::string>{"A, B"});
    EXPECT_EQ((*parsed)[1].arguments,
              (std::vector<std::string>{"\"C:\\x.exe\" -a", "Name", "", "0", "", "", "C:\\", "0"}));
    for (const char* bad : {"", "CreateGroup(x)", "[CreateGroup(x]", "[CreateGroup(\"x)]", "[(x)]", "[A(x)] junk"})
        EXPECT_FALSE(ParseProgmanCommands(bad)) << bad;
    EXPECT_EQ(SplitProgmanFields("\"a, b\",\"c\",,d"), (std::vector<std::string>{"\"a, b\"", "\"c\"", "", "d"}));
}

TEST_F(Progman, GroupsAndItemsPersistAndEveryCommandIsLogged) {
    EXPECT_FALSE(pm.Execute("[ShowGroup(Tools,8)]"));
    EXPECT_TRUE(pm.Execute("[CreateGroup(\"Tools\")]"));
    EXPECT_TRUE(pm.Execute("[AddItem(\"C:\\A\\a.exe\" x,Alpha,,0,,,\"C:\\A\",0)]"));
    EXPECT_TRUE(pm.Execute("[AddItem(C:\\B\\b.exe,Beta,C:\\B\\b.ico,2,,,C:\\B,0)]"));
    EXPECT_TRUE(pm.Execute("[CreateGroup(\"Games\")]"));
    EXPECT_FALSE(pm.Execute("[Frobnicate(x)]"));

    ProgmanConversation again;  // another conversation sees the same state
    ASSERT_TRUE(again.Open("PROGMAN", "PROGMAN"));
    EXPECT_EQ(again.Request("Groups"), "Tools\r\nGames\r\n");
    EXPECT_EQ(again.Request("tools"),
              "\"Tools\",,2\r\n"
              "\"Alpha\",\"\"C:\\A\\a.exe\" x\",C:\\A,,0,0,0,0\r\n"
              "\"Beta\",\"C:\\B\\b.exe\",C:\\B,C:\\B\\b.ico,0,0,2,0\r\n");
    EXPECT_EQ(again.Request("Games"), "\"Games\",,0\r\n");
    EXPECT_FALSE(again.Request("Nothing"));
    EXPECT_EQ(Log(),
              "[ShowGroup(Tools,8)]\n[CreateGroup(\"Tools\")]\n[AddItem(\"C:\\A\\a.exe\" x,Alpha,,0,,,\"C:\\A\",0)]\n"
              "[AddItem(C:\\B\\b.exe,Beta,C:\\B\\b.ico,2,,,C:\\B,0)]\n[CreateGroup(\"Games\")]\n[Frobnicate(x)]\n");
}

TEST_F(Progman, AReplacedItemsPlaceGoesToTheNextAddedItem) {
    pm.Execute("[CreateGroup(G)]");
    for (const char* name : {"One", "Two", "Three"})
        pm.Execute(std::string("[AddItem(C:\\") + name + ".exe," + name + ",,0,,,C:\\,0)]");
    EXPECT_FALSE(pm.Execute("[ShowGroup(G,8)][ReplaceItem(\"Missing\")]"));
    EXPECT_TRUE(pm.Execute("[ShowGroup(G,8)][ReplaceItem(\"Two\")]"));
    EXPECT_TRUE(pm.Execute("[AddItem(C:\\New.exe,Two,,0,,,C:\\,0)]"));
    const std::string reply = pm.Request("G").value_or("");
    EXPECT_LT(reply.find("\"One\""), reply.find("New.exe"));
    EXPECT_LT(reply.find("New.exe"), reply.find("\"Three\""));
    EXPECT_EQ(reply.find("Two.exe"), std::string::npos);
}

TEST_F(Progman, TwoSetupsAddingAtOnceKeepEveryItem) {
    ASSERT_TRUE(pm.Execute("[CreateGroup(G)]"));
    auto adder = [](const std::string& who) {
        return [who](testing::ChildProcess&) {
            ProgmanConversation own;
            own.Open("PROGMAN", "PROGMAN");
            for (int i = 0; i < 200; ++i)
                if (!own.Execute("[ShowGroup(G,8)][AddItem(C:\\" + who + ".exe," + who + std::to_string(i) + ",,0,,,C:\\,0)]"))
                    testing::ChildProcess::Exit(1);
        };
    };
    testing::ChildProcess first(adder("first")), second(adder("second"));
    for (testing::ChildProcess* child : {&first, &second}) {
        while (child->WaitSignal()) {
        }
        child->Kill();
    }
    const std::string reply = pm.Request("G").value_or("");
    EXPECT_EQ(reply.substr(0, reply.find('\n') + 1), "\"G\",,400\r\n");
}

TEST_F(Progman, ClosedOrWrongConversationsDoNothing) {
    ProgmanConversation other;
    EXPECT_FALSE(other.Open("PROGMAN", "Other"));
    EXPECT_FALSE(other.Execute("[CreateGroup(G)]"));
    EXPECT_FALSE(other.Request("Groups"));
    pm.Close();
    EXPECT_FALSE(pm.Execute("[CreateGroup(G)]"));
    EXPECT_FALSE(pm.Execute("[CreateGroup(\"Tab\tGroup\")]"));
}

}  // namespace
}  // namespace platform
