#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "platform/qt/qtglue/Messenger.h"
#include "platform/qt/qtglue/PageControl.h"

using namespace platform;

namespace {
struct ThreePages {
    TPageControl pages;
    bool allow = false;
    int asked = 0, changed = 0;
    ThreePages() {
        pages.addTab(new QLabel("a"), "About...");
        pages.addTab(new QLabel("b"), "Transistors");
        pages.addTab(new QLabel("c"), "Diodes");
        pages.OnChanging = [this] { ++asked; return allow; };
        pages.OnChange = [this] { ++changed; };
        pages.resize(400, 300);
        pages.show();
    }
    QPoint TabCentre(int i) { return pages.tabBar()->tabRect(i).center(); }
};
}  // namespace

TEST(PageControl, RefusesMouseWheelAndKeyboardUntilAllowed) {
    ThreePages t;
    QTest::mouseClick(t.pages.tabBar(), Qt::LeftButton, {}, t.TabCentre(1));
    QTest::keyClick(&t.pages, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(&t.pages, Qt::Key_PageDown, Qt::ControlModifier);
    QTest::keyClick(t.pages.tabBar(), Qt::Key_Right);
    QTest::keyClick(t.pages.tabBar(), Qt::Key_End);
    EXPECT_EQ(t.pages.currentIndex(), 0);
    EXPECT_EQ(t.changed, 0);
    EXPECT_EQ(t.asked, 5);
    // A key that would not move anywhere does not ask.
    QTest::keyClick(t.pages.tabBar(), Qt::Key_Left);
    EXPECT_EQ(t.asked, 5);

    t.allow = true;
    QTest::mouseClick(t.pages.tabBar(), Qt::LeftButton, {}, t.TabCentre(2));
    EXPECT_EQ(t.pages.currentIndex(), 2);
    QTest::keyClick(&t.pages, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(t.pages.currentIndex(), 0);
    EXPECT_EQ(t.changed, 2);
}

TEST(PageControl, CodeSetsThePageWithoutAskingAndAFailingQuestionRefuses) {
    ThreePages t;
    t.pages.setCurrentIndex(2);
    EXPECT_EQ(t.pages.currentIndex(), 2);
    EXPECT_EQ(t.asked, 0);
    ScriptedMessenger m;
    t.pages.OnChanging = []() -> bool { throw std::runtime_error("boom"); };
    EXPECT_FALSE(t.pages.MayChange());
    EXPECT_EQ(m.shown.size(), 1u);
}
