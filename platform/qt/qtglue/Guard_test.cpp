#include <gtest/gtest.h>

#include "platform/core/runtime/Exception.h"
#include "platform/qt/qtglue/Guard.h"
#include "platform/qt/qtglue/Messenger.h"
#include "testkit/files/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace platform;

TEST(Guard, ShowsErrorsWithTitleAndSwallowsAbort) {
    ScriptedMessenger m;
    SetApplicationTitle("Vorel - Electronics");
    EXPECT_FALSE(Guarded([] { throw Exception("Table not found: Transistores.db"); }));
    EXPECT_FALSE(Guarded([] { throw EAbort(); }));
    EXPECT_TRUE(Guarded([] {}));
    ASSERT_EQ(m.shown.size(), 1u);
    EXPECT_EQ(m.shown[0].text, "Table not found: Transistores.db");
    EXPECT_EQ(m.shown[0].caption, "Vorel - Electronics");
    EXPECT_EQ(m.shown[0].icon, MsgIcon::Error);
}

TEST(Messenger, ScriptedAnswersInOrderThenFirstButton) {
    ScriptedMessenger m;
    m.answers = {mrNo};
    EXPECT_EQ(ShowMessage("Save?", MsgIcon::Question, mbYesNoCancel), mrNo);
    EXPECT_EQ(ShowMessage("Save?", MsgIcon::Question, mbYesNoCancel), mrYes);
    EXPECT_EQ(m.shown.size(), 2u);
}

TEST(Messenger, EveryBoxIsAppendedToTheMessageLogOneLineEach) {
    platform::testing::TempDir dir;
    const std::string log = (dir / "boxes.log").string();
    ScriptedMessenger m;
    m.answers = {mrNo};
    SetApplicationTitle("Setup");
    setenv("VOREL_MESSAGE_LOG", log.c_str(), 1);
    EXPECT_EQ(ShowMessage("Replace C:\\A.TXT?\r\nIt is\tnewer.", MsgIcon::Question, mbYesNo), mrNo);
    ShowMessage("Done.");
    unsetenv("VOREL_MESSAGE_LOG");
    ShowMessage("Not logged.");
    std::ifstream in(log, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(),
              "Setup\tReplace C:\\A.TXT?\\nIt is\\tnewer.\tquestion\tno\n"
              "Setup\tDone.\tinformation\tok\n");
    // The boxes were still shown.
    EXPECT_EQ(m.shown.size(), 3u);
}
