// Layout at the control's width, scroll bars, keys, the mouse, autoscroll,
// word selection and painting.
#include "htmlview/control/HtmlDisplay.h"
#include "testkit/htmlview/TestParser.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

using namespace htmlview;
using htmlview::testing::TestParser;

namespace {

class ViewTest : public ::testing::Test {
protected:
    FakeTextMetrics fake;  // 8 pixels a character, lines 16 high
    std::unique_ptr<THtmlDisplay> viewer;

    void SetUp() override {
        SetScreenMetrics(&fake);
        viewer = std::make_unique<THtmlDisplay>();
        viewer->SetParser(std::make_unique<TestParser>());
        viewer->resize(300, 200);
        viewer->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        viewer.reset();
        SetScreenMetrics(nullptr);
    }
    void load(int n) {
        std::vector<std::string> lines;
        for (int i = 0; i < n; ++i) lines.push_back("line " + std::to_string(i));
        show(lines);
    }
    // Hit tests use where the last paint put the lines.
    void show(const std::vector<std::string>& lines) {
        viewer->LoadFromStrings(lines);
        viewer->PaintPanel->grab();
    }
    int panelHeight() const { return viewer->PaintPanel->height(); }
    // Panel point of character Column of line Line (lines of the stand-in parser are blocks).
    QPoint at(int line, int column) const {
        return {10 + 8 * column + 2, 5 + 16 * line + 8 - viewer->VScrollPos()};
    }
};

TEST_F(ViewTest, ScrollBarsAppearOnlyWhenNeeded) {
    load(3);
    EXPECT_FALSE(viewer->VScrollBar->isVisible());
    EXPECT_FALSE(viewer->HScrollBar->isVisible());
    // One-pixel border around the panel.
    EXPECT_EQ(viewer->PaintPanel->geometry(), QRect(1, 1, 298, 198));
    viewer->SetBorderStyle(THTMLBorderStyle::htNone);
    EXPECT_EQ(viewer->PaintPanel->geometry(), QRect(0, 0, 300, 200));
    viewer->SetBorderStyle(THTMLBorderStyle::htSingle);

    load(40);
    EXPECT_TRUE(viewer->VScrollBar->isVisible());
    EXPECT_FALSE(viewer->HScrollBar->isVisible());
    const int sbw = viewer->ScrollBarWidth;
    EXPECT_EQ(viewer->PaintPanel->width(), 300 - sbw - 2);
    EXPECT_EQ(viewer->VScrollBar->Max(), viewer->DocHeight);
    EXPECT_EQ(viewer->VScrollBar->Page(), panelHeight() + 1);
    EXPECT_EQ(viewer->VScrollBar->LargeChange, panelHeight() - 16);

    // Content wider than 2000 pixels scrolls to 2000 + the margins only.
    viewer->LoadFromStrings({"!pre " + std::string(400, 'w')});  // 3200 pixels
    EXPECT_EQ(viewer->DocWidth, 2000);
    EXPECT_TRUE(viewer->HScrollBar->isVisible());
    EXPECT_EQ(viewer->HScrollBar->Max(), 2000 + 2 * 10);
    viewer->HandleKeyDown(Qt::Key_Right);
    EXPECT_EQ(viewer->HScrollPos(), 15);
    viewer->HandleHScroll(TScrollCode::ThumbTrack, 99999);
    EXPECT_EQ(viewer->HScrollPos(), 2020 - viewer->PaintPanel->width());
    viewer->HandleKeyDown(Qt::Key_Left);
    EXPECT_EQ(viewer->HScrollPos(), 2020 - viewer->PaintPanel->width() - 15);

    // Only the vertical bar allowed: no horizontal one, whatever the width.
    viewer->SetScrollBars(TScrollStyle::ssVertical);
    EXPECT_FALSE(viewer->HScrollBar->isVisible());
}

TEST_F(ViewTest, OnlyANewWidthLaysOutAgain) {
    load(40);
    viewer->HandleKeyDown(Qt::Key_PageDown);
    const int pos = viewer->VScrollPos();
    int layouts = 0;
    viewer->OnProcessing = [&](QWidget*, bool on) { layouts += on; };
    viewer->resize(300, 150);
    QApplication::processEvents();
    EXPECT_EQ(layouts, 0);
    EXPECT_EQ(viewer->VScrollPos(), pos);
    viewer->resize(200, 150);
    QApplication::processEvents();
    EXPECT_EQ(layouts, 1);
    // The same block stays at the top.
    EXPECT_EQ(viewer->VScrollPos(), pos);
    // Taller than the document: back to the top.
    viewer->resize(200, 2000);
    QApplication::processEvents();
    EXPECT_EQ(viewer->VScrollPos(), 0);
}

TEST_F(ViewTest, TinyControlsStillPage) {
    viewer->resize(20, 12);
    load(10);
    EXPECT_GE(viewer->VScrollBar->LargeChange, 1);
    const int before = viewer->VScrollPos();
    viewer->HandleKeyDown(Qt::Key_PageDown);
    EXPECT_GT(viewer->VScrollPos(), before);
}

TEST_F(ViewTest, KeysScroll) {
    load(60);
    const int maxPos = viewer->DocHeight - panelHeight();
    viewer->HandleKeyDown(Qt::Key_Down);
    EXPECT_EQ(viewer->VScrollPos(), 16);
    EXPECT_EQ(viewer->Document->ScrollY, 16);
    viewer->HandleKeyDown(Qt::Key_PageDown);
    EXPECT_EQ(viewer->VScrollPos(), 16 + panelHeight() - 16);
    viewer->HandleKeyDown(Qt::Key_Up);
    EXPECT_EQ(viewer->VScrollPos(), panelHeight() - 16);
    viewer->HandleKeyDown(Qt::Key_End);
    EXPECT_EQ(viewer->VScrollPos(), maxPos);
    viewer->HandleKeyDown(Qt::Key_Down);
    EXPECT_EQ(viewer->VScrollPos(), maxPos);
    viewer->HandleKeyDown(Qt::Key_Home);
    EXPECT_EQ(viewer->VScrollPos(), 0);
    viewer->HandleKeyDown(Qt::Key_PageUp);
    EXPECT_EQ(viewer->VScrollPos(), 0);
    // Real key presses reach the same place, after the host's handler.
    int seen = 0;
    viewer->OnKeyDown = [&](QWidget*, int& key, Qt::KeyboardModifiers) {
        seen = key;
        if (key == Qt::Key_End) key = 0;  // the host swallows End
    };
    QTest::keyClick(viewer.get(), Qt::Key_Down);
    EXPECT_EQ(seen, Qt::Key_Down);
    EXPECT_EQ(viewer->VScrollPos(), 16);
    QTest::keyClick(viewer.get(), Qt::Key_End);
    EXPECT_EQ(viewer->VScrollPos(), 16);
}

TEST_F(ViewTest, WheelScrollsThreeLinesANotch) {
    load(60);
    QWheelEvent down(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewer.get(), &down);
    EXPECT_EQ(viewer->VScrollPos(), 48);
    QWheelEvent up(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewer.get(), &up);
    EXPECT_EQ(viewer->VScrollPos(), 0);
}

TEST_F(ViewTest, BarScrollCodes) {
    load(60);
    const int maxPos = viewer->DocHeight - panelHeight();
    viewer->VScrollBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(viewer->VScrollPos(), 16);
    EXPECT_EQ(viewer->VScrollBar->value(), 16);
    viewer->VScrollBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(viewer->VScrollPos(), 16 + viewer->VScrollBar->LargeChange);
    viewer->VScrollBar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(viewer->VScrollPos(), maxPos);
    EXPECT_EQ(viewer->Document->ScrollY, maxPos);
    viewer->HandleVScroll(TScrollCode::ThumbTrack, 100);
    EXPECT_EQ(viewer->VScrollPos(), 100);
    viewer->HandleVScroll(TScrollCode::ThumbTrack, -50);
    EXPECT_EQ(viewer->VScrollPos(), 0);
    viewer->HandleVScroll(TScrollCode::LineUp, 0);
    EXPECT_EQ(viewer->VScrollPos(), 0);
}

TEST_F(ViewTest, LinkFollowedOnReleaseWithoutDragSelection) {
    show({"@one.htm first link", "plain text here"});
    std::vector<std::string> clicks, covered;
    viewer->OnHotSpotClick = [&](QWidget*, const std::string& src, bool& handled) {
        clicks.push_back(src);
        handled = true;
    };
    viewer->OnHotSpotCovered = [&](QWidget*, const std::string& src) { covered.push_back(src); };
    const QPoint link = at(0, 2);
    viewer->PanelMouseMove(Qt::NoButton, {}, link.x(), link.y());
    EXPECT_EQ(viewer->PaintPanel->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(covered, (std::vector<std::string>{"one.htm"}));
    const QPoint text = at(1, 2);
    viewer->PanelMouseMove(Qt::NoButton, {}, text.x(), text.y());
    EXPECT_EQ(viewer->PaintPanel->cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(covered, (std::vector<std::string>{"one.htm", ""}));

    // Press and release on the link: followed, through real mouse events too.
    QTest::mouseClick(viewer->PaintPanel, Qt::LeftButton, {}, link);
    EXPECT_EQ(clicks, (std::vector<std::string>{"one.htm"}));
    EXPECT_TRUE(viewer->LinkFollowed);
    // A right click follows nothing.
    QTest::mouseClick(viewer->PaintPanel, Qt::RightButton, {}, link);
    EXPECT_EQ(clicks.size(), 1u);

    // Press on the link, drag, release on it: a selection, no link.
    viewer->PanelMouseDown(Qt::LeftButton, {}, link.x(), link.y());
    const QPoint further = at(0, 9);
    viewer->PanelMouseMove(Qt::LeftButton, {}, further.x(), further.y());
    viewer->PanelMouseUp(Qt::LeftButton, {}, further.x(), further.y());
    EXPECT_EQ(clicks.size(), 1u);
    EXPECT_EQ(viewer->Document->SelStart, 2);
    EXPECT_EQ(viewer->Document->SelEnd, 9);
    // With NoSelect the drag selects nothing and the selection goes.
    viewer->SetNoSelect(true);
    EXPECT_EQ(viewer->Document->SelStart, viewer->Document->SelEnd);
}

TEST_F(ViewTest, AutoscrollStepsByTheClock) {
    load(200);
    std::int64_t now = 1000;
    viewer->TickCount = [&] { return now; };
    viewer->ScrollToY(1000);
    viewer->PaintPanel->grab();
    const QPoint p = at(70, 1);
    viewer->PanelMouseDown(Qt::LeftButton, {}, p.x(), p.y());
    // 20 pixels above the window: 8 lines every 100 ms.
    viewer->PanelMouseMove(Qt::LeftButton, {}, p.x(), -21);
    EXPECT_TRUE(viewer->AutoScrolling);
    viewer->DragAutoScrollStep();
    EXPECT_EQ(viewer->VScrollPos(), 1000 - 128);
    now += 50;
    viewer->DragAutoScrollStep();
    EXPECT_EQ(viewer->VScrollPos(), 1000 - 128);  // not yet
    now += 50;
    viewer->DragAutoScrollStep();
    EXPECT_EQ(viewer->VScrollPos(), 1000 - 256);
    // 5 pixels above: one line.
    viewer->PanelMouseMove(Qt::LeftButton, {}, p.x(), -6);
    now += 100;
    viewer->DragAutoScrollStep();
    EXPECT_EQ(viewer->VScrollPos(), 1000 - 256 - 16);
    // The selection follows the view.
    EXPECT_LT(viewer->Document->SelStart, viewer->Document->SelEnd);
    // Below the window: down.
    viewer->PanelMouseMove(Qt::LeftButton, {}, p.x(), viewer->height() + 30);
    now += 100;
    viewer->DragAutoScrollStep();
    EXPECT_EQ(viewer->VScrollPos(), 1000 - 256 - 16 + 128);
    // Releasing the button ends it.
    viewer->PanelMouseUp(Qt::LeftButton, {}, p.x(), viewer->height() + 30);
    EXPECT_FALSE(viewer->AutoScrolling);
    const int pos = viewer->VScrollPos();
    now += 100;
    viewer->DragAutoScrollStep();
    EXPECT_EQ(viewer->VScrollPos(), pos);
}

TEST_F(ViewTest, DoubleClickSelectsAWord) {
    show({"say naïve now", "a×b", "@x.htm linked"});
    const int second = viewer->Document->Items(1)->FirstChar;
    QTest::mouseDClick(viewer->PaintPanel, Qt::LeftButton, {}, at(0, 6));
    EXPECT_EQ(viewer->Document->SelStart, 4);
    EXPECT_EQ(viewer->Document->SelEnd, 9);  // 'naïve': byte 239 is a word character
    viewer->SelectWordAt(at(1, 0).x(), at(1, 0).y());
    EXPECT_EQ(viewer->Document->SelStart, second);
    EXPECT_EQ(viewer->Document->SelEnd, second + 1);  // 215 is not
    // Between words: nothing new.
    viewer->SelectWordAt(at(0, 3).x(), at(0, 3).y());
    EXPECT_EQ(viewer->Document->SelStart, second);
    // A double click on a link follows it and selects nothing.
    int followed = 0;
    viewer->OnHotSpotClick = [&](QWidget*, const std::string&, bool& handled) {
        ++followed;
        handled = true;
    };
    // Qt delivers press, release, double click, release.
    QTest::mouseClick(viewer->PaintPanel, Qt::LeftButton, {}, at(2, 2));
    QTest::mouseDClick(viewer->PaintPanel, Qt::LeftButton, {}, at(2, 2));
    QTest::mouseRelease(viewer->PaintPanel, Qt::LeftButton, {}, at(2, 2));
    EXPECT_EQ(followed, 1);
    EXPECT_EQ(viewer->Document->SelStart, viewer->Document->SelEnd);
}

TEST_F(ViewTest, PaintingDrawsBackgroundTextAndBorder) {
    SetScreenMetrics(nullptr);
    viewer->SetDefBackground(clWhite);
    viewer->SetDefFontColor(clBlack);
    viewer->SetBorderStyle(THTMLBorderStyle::htSingle);
    viewer->LoadFromStrings({"Hello painted world"});
    const QImage img = viewer->grab().toImage();
    EXPECT_EQ(img.pixelColor(0, 0), QColor(0, 0, 0));         // border
    EXPECT_EQ(img.pixelColor(150, 150), QColor(Qt::white));  // background
    int dark = 0;
    for (int y = 5; y < 30; ++y)
        for (int x = 10; x < 150; ++x)
            if (img.pixelColor(x, y).lightness() < 100) ++dark;
    EXPECT_GT(dark, 20);
    // Without focus a focused-style border takes the background colour.
    viewer->SetBorderStyle(THTMLBorderStyle::htFocused);
    viewer->clearFocus();
    EXPECT_EQ(ColorToRGB(viewer->BorderColor()), 0xFFFFFFu);
}

TEST_F(ViewTest, BackgroundPictureTilesAndAnEmptyOneFills) {
    viewer->SetDefBackground(clWhite);
    viewer->LoadFromStrings({"x"});
    viewer->Document->ImagesOn = true;
    auto tile = std::make_shared<TPicture>();
    tile->Bitmap = QImage(4, 4, QImage::Format_RGB32);
    tile->Bitmap.fill(QColor(255, 0, 0));
    tile->Bitmap.setPixelColor(0, 0, QColor(0, 0, 255));
    viewer->Document->BackBitmap = tile;
    viewer->ScrollToY(0);
    QImage img = viewer->grab().toImage();
    // Panel at (1, 1): tile corners every 4 pixels.
    EXPECT_EQ(img.pixelColor(1 + 8, 1 + 12), QColor(0, 0, 255));
    EXPECT_EQ(img.pixelColor(1 + 9, 1 + 12), QColor(255, 0, 0));
    // A picture without pixels is filled with the colour.
    auto empty = std::make_shared<TPicture>();
    viewer->Document->BackBitmap = empty;
    img = viewer->grab().toImage();
    EXPECT_EQ(img.pixelColor(100, 150), QColor(Qt::white));
}

}  // namespace
