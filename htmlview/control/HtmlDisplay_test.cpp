// The control's loading, properties, links, history and reading position,
// with documents from a stand-in parser and the fixed-width measurer.
#include "htmlview/control/HtmlDisplay.h"
#include "platform/qt/qtglue/Messenger.h"
#include "testkit/files/TempDir.h"
#include "testkit/htmlview/TestParser.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace htmlview;
using htmlview::testing::TestParser;

namespace {

namespace fs = std::filesystem;
using platform::testing::TempDir;

class ViewerTest : public ::testing::Test {
protected:
    FakeTextMetrics fake;
    TestParser* parser = nullptr;
    std::unique_ptr<THtmlDisplay> viewer;
    TempDir dir;

    void SetUp() override {
        SetScreenMetrics(&fake);
        viewer = std::make_unique<THtmlDisplay>();
        auto p = std::make_unique<TestParser>();
        parser = p.get();
        viewer->SetParser(std::move(p));
        viewer->resize(300, 200);
    }
    void TearDown() override {
        viewer.reset();
        SetScreenMetrics(nullptr);
    }
    static std::vector<std::string> lines(int n, const std::string& prefix = "line") {
        std::vector<std::string> r;
        for (int i = 0; i < n; ++i) r.push_back(prefix + std::to_string(i));
        return r;
    }
    std::string textOf(int block) const {
        return static_cast<TSection*>(viewer->Document->Items(block))->Buff.substr(0, 100);
    }
};

TEST_F(ViewerTest, PropertiesKeepTheirLimits) {
    EXPECT_EQ(viewer->width(), 300);
    THtmlDisplay fresh;
    EXPECT_EQ(fresh.width(), 150);
    EXPECT_EQ(fresh.height(), 150);
    EXPECT_EQ(fresh.MarginWidth(), 10);
    EXPECT_EQ(fresh.MarginHeight(), 5);
    EXPECT_EQ(fresh.DefFontName(), "Times New Roman");
    EXPECT_EQ(fresh.DefPreFontName(), "Courier New");
    EXPECT_EQ(fresh.DefBackground(), clBtnFace);
    EXPECT_EQ(fresh.ImageCacheCount(), 5);
    EXPECT_EQ(fresh.CharSet(), 1);
    EXPECT_FALSE(fresh.ViewImages());

    viewer->SetMarginWidth(51);
    viewer->SetMarginWidth(-1);
    EXPECT_EQ(viewer->MarginWidth(), 10);
    viewer->SetMarginWidth(50);
    EXPECT_EQ(viewer->MarginWidth(), 50);
    viewer->SetMarginHeight(51);
    EXPECT_EQ(viewer->MarginHeight(), 5);
    viewer->SetImageCacheCount(30);
    EXPECT_EQ(viewer->ImageCacheCount(), 20);
    viewer->SetImageCacheCount(-4);
    EXPECT_EQ(viewer->ImageCacheCount(), 0);
    viewer->SetDefFontSize(4);
    EXPECT_EQ(viewer->DefFontSize(), 6);
    EXPECT_EQ(viewer->Document->BaseFontSize, 6);
    viewer->SetHistoryMaxCount(-1);
    EXPECT_EQ(viewer->HistoryMaxCount(), 0);
    viewer->SetServerRoot("  C:\\www\\\\ ");
    EXPECT_EQ(viewer->ServerRoot(), "C:\\www\\");
    viewer->SetDefFontName("Arial Narrow Extra Condensed Font With A Very Long Name");
    EXPECT_EQ(viewer->Document->BodyFontName.size(), 33u);
    viewer->SetDefBackground(clWhite);
    EXPECT_EQ(viewer->Document->BackColor, clWhite);
    EXPECT_EQ(viewer->PaintPanel->Color, clWhite | kPaletteRelative);
}

TEST_F(ViewerTest, LoadFromStringsConvertsAndLaysOut) {
    std::vector<bool> processing;
    viewer->OnProcessing = [&](QWidget*, bool on) { processing.push_back(on); };
    viewer->LoadFromStrings({"!title Página", "Ação 741", "second"});
    EXPECT_EQ(processing, (std::vector<bool>{true, false}));
    ASSERT_EQ(viewer->Document->Count(), 2);
    EXPECT_EQ(textOf(0), "A\xE7\xE3o 741");  // Windows-1252 inside the viewer
    EXPECT_EQ(viewer->DocumentTitle, "P\xE1gina");
    EXPECT_TRUE(viewer->CurrentFile.empty());
    EXPECT_FALSE(viewer->Busy());
    EXPECT_EQ(viewer->DocHeight, 2 * 16 + 2 * 5);
    // Laid out at the control's width less bar, border and margins.
    EXPECT_EQ(viewer->DocWidth, 300 - viewer->ScrollBarWidth - 3 - 2 * 10);
    EXPECT_TRUE(viewer->History().empty());
    // A load replaces the document.
    viewer->LoadFromStrings({"only"});
    EXPECT_EQ(viewer->Document->Count(), 1);
}

TEST_F(ViewerTest, MetaRefreshIsReportedOnceAfterTheLoad) {
    std::vector<std::pair<int, std::string>> refresh;
    std::vector<std::string> metas;
    viewer->OnMetaRefresh = [&](QWidget*, int delay, const std::string& url) {
        EXPECT_FALSE(viewer->Busy());
        refresh.emplace_back(delay, url);
    };
    viewer->OnMeta = [&](QWidget*, const std::string& h, const std::string& n, const std::string& c) {
        metas.push_back(h + "/" + n + "/" + c);
    };
    viewer->LoadFromStrings({"!meta Refresh||5;URL=Next.htm", "text"});
    ASSERT_EQ(refresh.size(), 1u);
    EXPECT_EQ(refresh[0], std::make_pair(5, std::string("Next.htm")));
    EXPECT_EQ(metas, (std::vector<std::string>{"Refresh//5;URL=Next.htm"}));
    for (const char* content : {"5", "x;url=a.htm", "0;url=a.htm", "5;next.htm"}) {
        refresh.clear();
        viewer->LoadFromStrings({std::string("!meta refresh||") + content});
        EXPECT_TRUE(refresh.empty()) << content;
    }
    // Without a refresh handler nothing is noted.
    viewer->OnMetaRefresh = nullptr;
    viewer->LoadFromStrings({"!meta refresh||5;url=a.htm"});
    EXPECT_EQ(viewer->RefreshDelay, 0);
}

TEST_F(ViewerTest, MissingFileLeavesTheDocumentAndTheNextLoadWorks) {
    viewer->LoadFromStrings({"kept"});
    std::vector<bool> processing;
    viewer->OnProcessing = [&](QWidget*, bool on) { processing.push_back(on); };
    try {
        viewer->LoadFromFile((dir.Path() / "nope.htm").string());
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "Can't locate file: " + (dir.Path() / "nope.htm").string());
    }
    EXPECT_EQ(textOf(0), "kept");
    EXPECT_FALSE(viewer->Busy());
    EXPECT_EQ(processing, (std::vector<bool>{true, false}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    const std::string page = dir.Write("page.htm", "!title Page\nhello\n");
    viewer->LoadFromFile(page);
    EXPECT_EQ(textOf(0), "hello");
    EXPECT_EQ(viewer->CurrentFile, page);
    EXPECT_EQ(viewer->DocumentTitle, "Page");
    EXPECT_EQ(viewer->FileType, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ViewerTest, FileNamesIgnoreCaseAndAnchorsScroll) {
    std::string text;
    for (int i = 0; i < 40; ++i) text += "line" + std::to_string(i) + "\n";
    text += "#top the anchor\n";
    for (int i = 0; i < 40; ++i) text += "more" + std::to_string(i) + "\n";
    const std::string page = dir.Write("Page.htm", text);
    viewer->LoadFromFile((dir.Path() / "PAGE.HTM").string() + "#Top");
    EXPECT_EQ(viewer->CurrentFile, page);
    EXPECT_EQ(viewer->VScrollPos(), 5 + 40 * 16);  // the anchor's block at the top of the view
    EXPECT_EQ(viewer->Document->ScrollY, viewer->VScrollPos());
    EXPECT_TRUE(viewer->JumpToAnchor("#top"));
    EXPECT_FALSE(viewer->JumpToAnchor(""));
    EXPECT_FALSE(viewer->JumpToAnchor("#missing"));
    viewer->ScrollToY(100000);
    EXPECT_EQ(viewer->VScrollPos(), viewer->DocHeight - viewer->PaintPanel->height());
    viewer->ScrollToY(-5);
    EXPECT_EQ(viewer->VScrollPos(), 0);
}

TEST_F(ViewerTest, HistoryFollowsLinksUpToItsMaximum) {
    const std::string a = dir.Write("a.htm", "!title A\n@b.htm to b\n@#x to x\n");
    const std::string b = dir.Write("b.htm", "!title B\n@c.htm to c\n");
    const std::string c = dir.Write("c.htm", "!title C\n@a.htm to a\n");
    int changes = 0;
    viewer->OnHistoryChange = [&](QWidget*) { ++changes; };
    viewer->LoadFromFile(a);
    viewer->HotSpotUrl = "b.htm";
    viewer->FollowLink();
    EXPECT_EQ(viewer->CurrentFile, b);
    EXPECT_TRUE(viewer->History().empty());  // no maximum: nothing recorded
    EXPECT_EQ(changes, 0);

    viewer->SetHistoryMaxCount(2);
    viewer->LoadFromFile(a);
    viewer->HotSpotUrl = "b.htm";
    viewer->FollowLink();
    viewer->HotSpotUrl = "c.htm";
    viewer->FollowLink();
    EXPECT_EQ(viewer->History(), (std::vector<std::string>{c, b}));
    EXPECT_EQ(viewer->TitleHistory(), (std::vector<std::string>{"C", "B"}));
    EXPECT_EQ(viewer->PositionHistory().Count(), 2);
    EXPECT_GT(changes, 0);

    // A link to a missing anchor does nothing and records nothing.
    const int before = changes;
    viewer->HotSpotUrl = "#sec";
    viewer->FollowLink();
    EXPECT_EQ(viewer->CurrentFile, c);
    EXPECT_EQ(changes, before);
    // Other file types are left alone.
    viewer->HotSpotUrl = "notes.txt";
    viewer->FollowLink();
    EXPECT_EQ(viewer->CurrentFile, c);

    // A smaller maximum first clears the history.
    viewer->SetHistoryMaxCount(1);
    EXPECT_TRUE(viewer->History().empty());
}

TEST_F(ViewerTest, HotSpotHandlerDecides) {
    const std::string a = dir.Write("a.htm", "a\n");
    dir.Write("b.htm", "b\n");
    viewer->LoadFromFile(a);
    std::vector<std::string> clicked;
    bool handle = true;
    viewer->OnHotSpotClick = [&](QWidget* sender, const std::string& src, bool& handled) {
        EXPECT_EQ(sender, viewer.get());
        clicked.push_back(src);
        handled = handle;
    };
    viewer->HotSpotUrl = "b.htm";
    viewer->FollowLink();
    EXPECT_EQ(clicked, (std::vector<std::string>{"b.htm"}));
    EXPECT_EQ(viewer->CurrentFile, a);  // handled: the viewer does nothing further
    handle = false;
    viewer->FollowLink();
    EXPECT_EQ(viewer->CurrentFile, (dir.Path() / "b.htm").string());
}

TEST_F(ViewerTest, ImageLinksShowTheImageAsADocument) {
    const std::string a = dir.Write("a.htm", "a\n");
    const std::string longName = std::string(120, 'd') + "/" + std::string(120, 'e') + "/" + std::string(40, 'p');
    fs::create_directories(dir.Path() / std::string(120, 'd') / std::string(120, 'e'));
    dir.Write("pic.gif", "GIF89a");
    dir.Write(longName + ".gif", "GIF89a");
    viewer->LoadFromFile(a);
    viewer->HotSpotUrl = "pic.gif";
    viewer->FollowLink();
    EXPECT_EQ(viewer->FileType, 2);
    EXPECT_EQ(viewer->CurrentFile, (dir.Path() / "pic.gif").string());
    ASSERT_EQ(parser->Buffers.size(), 1u);
    EXPECT_EQ(parser->Buffers[0], "<img src=\"" + (dir.Path() / "pic.gif").string() + "\">");
    // A long name is not cut.
    viewer->LoadImageFile((dir.Path() / (longName + ".gif")).string());
    EXPECT_EQ(parser->Buffers.back(), "<img src=\"" + (dir.Path() / (longName + ".gif")).string() + "\">");
}

TEST_F(ViewerTest, LinkFileNames) {
    const std::string a = dir.Write("a.htm", "a\n");
    viewer->LoadFromFile(a);
    EXPECT_EQ(viewer->LinkToFileName(" sub/b.htm "), (dir.Path() / "sub/b.htm").string());
    EXPECT_EQ(viewer->LinkToFileName("/x/y.htm"), "/x/y.htm");
    EXPECT_EQ(viewer->LinkToFileName("C:\\w\\y.htm"), "C:\\w\\y.htm");
}

TEST_F(ViewerTest, UnterminatedCommentLeavesAUsableDocument) {
    EXPECT_THROW(viewer->LoadFromStrings({"first", "!open-comment", "never"}), EParseError);
    EXPECT_FALSE(viewer->Busy());
    EXPECT_FALSE(viewer->LayoutRunning());
    ASSERT_EQ(viewer->Document->Count(), 1);
    EXPECT_EQ(viewer->DocHeight, 16 + 10);
    viewer->LoadFromStrings({"next"});
    EXPECT_EQ(textOf(0), "next");
    // A file keeps what was read and loads normally.
    const std::string f = dir.Write("c.htm", "one\n!open-comment\n");
    viewer->LoadFromFile(f);
    EXPECT_EQ(textOf(0), "one");
}

TEST_F(ViewerTest, ClearKeepsFileAndHistory) {
    const std::string a = dir.Write("a.htm", "!title A\na\n");
    viewer->LoadFromFile(a);
    viewer->Clear();
    EXPECT_EQ(viewer->Document->Count(), 0);
    EXPECT_TRUE(viewer->DocumentTitle.empty());
    EXPECT_EQ(viewer->CurrentFile, a);
    EXPECT_FALSE(viewer->VScrollBar->isVisibleTo(viewer.get()));
}

TEST_F(ViewerTest, ReadingPositionSurvivesResizeBeyondSixteenBits) {
    viewer->LoadFromStrings({"top", "!tall 200000", "end"});
    viewer->show();
    viewer->ScrollToY(16 + 100000);  // block tops count from the document's first block
    const TReadingPosition pos = viewer->ReadingPosition();
    EXPECT_EQ(pos.Block, 1);
    EXPECT_EQ(pos.Offset, 100000);
    EXPECT_EQ(viewer->GetPosition(), (1u << 16) | (100000u & 0xFFFF));
    viewer->resize(400, 200);
    QApplication::processEvents();
    EXPECT_EQ(viewer->VScrollPos(), 16 + 100000);
    // The packed form sets what it can say.
    viewer->SetPosition((1 << 16) | 3);
    EXPECT_EQ(viewer->ReadingPosition(), (TReadingPosition{1, 3}));
    viewer->SetPosition(-1);
    viewer->SetPosition(9 << 16);  // no such block
    EXPECT_EQ(viewer->ReadingPosition(), (TReadingPosition{1, 3}));
}

TEST_F(ViewerTest, QueuedSubmitsCarryTheirOwnData) {
    EXPECT_FALSE(viewer->Document->SubmitHook);
    std::vector<std::string> got;
    viewer->SetOnFormSubmit([&](QWidget*, const std::string& action, const std::string& target,
                                const std::string& enc, const std::string& method, std::vector<std::string> results) {
        got.push_back(action + "|" + target + "|" + enc + "|" + method + "|" + results.at(0));
    });
    ASSERT_TRUE(viewer->Document->SubmitHook);
    viewer->Document->SubmitHook(viewer.get(), "one.cgi", "t1", "e1", "get", {"a=1"});
    viewer->Document->SubmitHook(viewer.get(), "two.cgi", "t2", "e2", "post", {"b=2"});
    EXPECT_TRUE(got.empty());  // delivered after the current event
    QApplication::processEvents();
    EXPECT_EQ(got, (std::vector<std::string>{"one.cgi|t1|e1|get|a=1", "two.cgi|t2|e2|post|b=2"}));
    viewer->SetOnFormSubmit(nullptr);
    EXPECT_FALSE(viewer->Document->SubmitHook);
}

}  // namespace
