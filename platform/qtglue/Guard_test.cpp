#include <gtest/gtest.h>

#include "platform/qtglue/Guard.h"
#include "platform/qtglue/Messenger.h"
#include "platform/runtime/Exception.h"

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
