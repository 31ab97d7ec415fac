// The control with the real parser: pages as the program writes them.
#include "htmlview/control/HtmlDisplay.h"
#include "htmlview/images/ImageCache.h"
#include "htmlview/layout/ImageObj.h"
#include "htmlview/layout/Section.h"
#include "testkit/files/TempDir.h"

#include <QApplication>
#include <QBuffer>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace htmlview;

namespace {

namespace fs = std::filesystem;

class ParsedTest : public ::testing::Test {
protected:
    FakeTextMetrics fake;
    std::unique_ptr<THtmlDisplay> viewer;
    platform::testing::TempDir dir;

    void SetUp() override {
        SetScreenMetrics(&fake);
        viewer = std::make_unique<THtmlDisplay>();
        viewer->resize(400, 300);
        viewer->show();
    }
    void TearDown() override {
        viewer.reset();
        SetScreenMetrics(nullptr);
    }
    std::string write(const std::string& name, const std::string& text) {
        return dir.Write(name, text).string();
    }
    // Every text byte of the document's top-level sections.
    std::string text() const {
        std::string r;
        for (int i = 0; i < viewer->Document->Count(); ++i)
            if (auto* s = dynamic_cast<TSection*>(viewer->Document->Items(i))) r += s->Buff + "|";
        return r;
    }
};

TEST_F(ParsedTest, MetaRefreshFiresOnceFromRealMarkup) {
    std::vector<std::pair<int, std::string>> refresh;
    viewer->OnMetaRefresh = [&](QWidget*, int delay, const std::string& url) { refresh.emplace_back(delay, url); };
    viewer->LoadFromStrings({"<html><head>", "<meta http-equiv=\"refresh\" content=\"5;url=next.htm\">",
                             "<title>T</title></head><body>Body</body></html>"});
    ASSERT_EQ(refresh.size(), 1u);
    EXPECT_EQ(refresh[0], std::make_pair(5, std::string("next.htm")));
    EXPECT_EQ(viewer->DocumentTitle, "T");
    refresh.clear();
    viewer->LoadFromStrings({"<meta http-equiv=\"refresh\" content=\"5\">x"});
    EXPECT_TRUE(refresh.empty());
    // A file load reports it too, after the load.
    const std::string f = write("r.htm", "<meta http-equiv=\"Refresh\" content=\"2; URL=other.htm\">x");
    viewer->LoadFromFile(f);
    ASSERT_EQ(refresh.size(), 1u);
    EXPECT_EQ(refresh[0], std::make_pair(2, std::string("other.htm")));
}

TEST_F(ParsedTest, OpenCommentInLinesRaisesButLeavesAUsableDocument) {
    try {
        viewer->LoadFromStrings({"<p>before</p>", "<!-- never closed"});
        ADD_FAILURE() << "no error";
    } catch (const EParseError& e) {
        EXPECT_STREQ(e.what(), "Open Comment at End of HTML File");
    }
    EXPECT_FALSE(viewer->Busy());
    EXPECT_NE(text().find("before"), std::string::npos);
    EXPECT_GT(viewer->DocHeight, 0);
    viewer->grab();
    viewer->LoadFromStrings({"after"});
    EXPECT_NE(text().find("after"), std::string::npos);
    // From a file the text before the comment is kept without an error.
    viewer->LoadFromFile(write("c.htm", "<p>kept</p><!-- open"));
    EXPECT_NE(text().find("kept"), std::string::npos);
}

TEST_F(ParsedTest, Utf8FilesAndLinesBecomeWindows1252) {
    viewer->LoadFromFile(write("u.htm", "S\xC3\xADmbols n\xC3\xA3o"));
    EXPECT_NE(text().find("S\xEDmbols n\xE3o"), std::string::npos);
    viewer->LoadFromFile(write("w.htm", "Legacy \xE9t\xE9"));  // not UTF-8: taken as it is
    EXPECT_NE(text().find("Legacy \xE9t\xE9"), std::string::npos);
    viewer->LoadFromStrings({"Símbols"});
    EXPECT_NE(text().find("S\xEDmbols"), std::string::npos);
}

TEST_F(ParsedTest, AnchorsAndLinksBetweenFiles) {
    std::string body = "<a href=\"two.htm#end\">go</a>";
    for (int i = 0; i < 60; ++i) body += "<p>para " + std::to_string(i) + "</p>";
    const std::string one = write("one.htm", body);
    std::string two;
    for (int i = 0; i < 60; ++i) two += "<p>filler " + std::to_string(i) + "</p>";
    two += "<a name=\"End\">the end</a>";
    for (int i = 0; i < 30; ++i) two += "<p>after " + std::to_string(i) + "</p>";
    write("two.htm", two);
    viewer->SetHistoryMaxCount(5);
    viewer->LoadFromFile(one);
    viewer->grab();
    // Click the link: press and release without moving.
    QTest::mouseClick(viewer->PaintPanel, Qt::LeftButton, {}, QPoint(10 + 4, 5 + 4));
    EXPECT_EQ(viewer->CurrentFile, (dir / "two.htm").string());
    EXPECT_GT(viewer->VScrollPos(), 0);
    EXPECT_EQ(viewer->History().size(), 2u);
    EXPECT_EQ(viewer->History()[1], one);
}

TEST_F(ParsedTest, FormsOnAPageSubmitThroughTheViewer) {
    std::vector<std::string> got;
    viewer->SetOnFormSubmit([&](QWidget*, const std::string& action, const std::string&, const std::string&,
                                const std::string& method, std::vector<std::string> results) {
        std::string line = action + " " + method;
        for (const auto& r : results) line += " " + r;
        got.push_back(line);
    });
    viewer->SetOnImageRequest([](QWidget*, const std::string&, TMemoryStream*& stream) { stream = nullptr; });
    viewer->LoadFromStrings({"<form action=find method=post><input type=image name=go src=go.gif width=40 height=30 "
                             "border=0><input name=q value=BC><select name=s><option>a<option selected>b</select>"
                             "</form>"});
    viewer->grab();
    // A click 3 px right of and 4 px below the image's corner (document and panel agree at the top).
    TImageObj* image = nullptr;
    for (int i = 0; i < viewer->Document->Count() && !image; ++i)
        if (auto* s = dynamic_cast<TSection*>((*viewer->Document)[i]); s && s->Images.Count()) image = s->Images[0];
    ASSERT_TRUE(image);
    QTest::mouseClick(viewer->PaintPanel, Qt::LeftButton, {}, QPoint(image->DrawX + 3, image->DrawY + 4));
    QApplication::processEvents();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], "find post go.x=3 go.y=4 q=BC s=b");
    // The edit and the list were placed on the panel by the paint.
    int shown = 0;
    for (auto* c : viewer->Document->Controls)
        if (c->TheControl && c->Shown && c->TheControl->isVisibleTo(viewer->PaintPanel)) ++shown;
    EXPECT_EQ(shown, 2);
}

TEST_F(ParsedTest, AnimatedGifsGetTheirOwnCopyAndStillOnesNone) {
    // Two frames (a loop count of 2), and the same picture with one frame.
    static const char kAnim[] =
        "GIF89a\x02\x00\x01\x00\x81\x00\x00\x00\x00\x00\xff\x00\x00\x00\xff\x00\x00\x00\xff"
        "!\xff\x0bNETSCAPE2.0\x03\x01\x02\x00\x00!\xf9\x04\x0d\x05\x00\x00\x00"
        ",\x00\x00\x00\x00\x02\x00\x01\x00\x00\x02\x03\x0c\x10\x05\x00"
        ",\x01\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";
    const std::string anim(kAnim, sizeof kAnim - 1);
    const std::string still = anim.substr(0, anim.find(",\x01\x00", 60)) + ";";
    viewer->SetOnImageRequest([&](QWidget*, const std::string& src, TMemoryStream*& stream) {
        static TMemoryStream a, s;
        a.Data = anim;
        s.Data = still;
        stream = src == "a.gif" ? &a : &s;
    });
    viewer->SetViewImages(true);
    viewer->LoadFromStrings({"<img src=a.gif width=20 height=10><img src=a.gif width=20 height=10>"
                             "<img src=s.gif width=20 height=10>"});
    viewer->grab();
    auto& gifs = viewer->Document->AnimatedGifs;
    ASSERT_EQ(gifs.size(), 2u);
    EXPECT_NE(gifs[0], gifs[1]);
    for (TAnimatedImage* g : gifs) {
        EXPECT_TRUE(g->ShowIt);  // painted, so it animates
        EXPECT_EQ(g->Width(), 2);
    }
    EXPECT_TRUE(viewer->Document->AnimTimer.isActive());
}

TEST_F(ParsedTest, ImageEventsAndRightClicks) {
    std::vector<std::string> requested;
    viewer->SetOnImageRequest([&](QWidget*, const std::string& src, TMemoryStream*& stream) {
        requested.push_back(src);
        stream = nullptr;  // no picture: the placeholder keeps the given size
    });
    viewer->LoadFromStrings({"<a href=\"big.htm\"><img src=\"pic.png\" width=40 height=30 border=0></a> after"});
    viewer->grab();
    std::vector<std::string> events;
    viewer->OnImageOver = [&](QWidget*, TImageObj* obj, Qt::KeyboardModifiers, int x, int y) {
        events.push_back("over " + std::to_string(obj != nullptr) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    viewer->OnImageClick = [&](QWidget*, TImageObj*, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
        events.push_back("click " + std::to_string(button == Qt::RightButton) + " " + std::to_string(x) + "," +
                         std::to_string(y));
    };
    TRightClickParameters right;
    viewer->OnRightClick = [&](QWidget*, const TRightClickParameters& p) { right = p; };
    // Find the image on the panel.
    QPoint at(-1, -1);
    for (int y = 0; y < 60 && at.x() < 0; ++y)
        for (int x = 0; x < 80 && at.x() < 0; ++x) {
            int ix = 0, iy = 0;
            TImageObj* img = nullptr;
            if (viewer->Document->ImageAtPoint(x, y + viewer->Document->ScrollY - viewer->MarginHeight(), ix, iy, img))
                at = QPoint(x, y);
        }
    ASSERT_GE(at.x(), 0);
    const QPoint p = at + QPoint(5, 7);
    viewer->PanelMouseMove(Qt::NoButton, {}, p.x(), p.y());
    EXPECT_EQ(viewer->HotSpotUrl, "big.htm");  // a linked image is a link first
    viewer->PanelMouseUp(Qt::RightButton, {}, p.x(), p.y());
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], "click 1 5,7");
    EXPECT_EQ(right.URL, "big.htm");
    EXPECT_NE(right.Image, nullptr);
    EXPECT_EQ(right.ImageX, 5);
    EXPECT_EQ(right.ImageY, 7);
    EXPECT_EQ(requested, (std::vector<std::string>{}));  // images are off: nothing fetched
}

TEST_F(ParsedTest, AFocusedControlOutsideTheViewIsBroughtToTheMiddle) {
    std::vector<std::string> lines;
    for (int i = 0; i < 60; ++i) lines.push_back("<p>line " + std::to_string(i) + "</p>");
    lines.push_back("<form><textarea name=t>text</textarea></form>");
    viewer->LoadFromStrings(lines);
    ASSERT_EQ(viewer->Document->Controls.size(), 1u);
    TFormControlObj* control = viewer->Document->Controls[0];
    ASSERT_TRUE(control->TheControl);
    viewer->grab();
    ASSERT_GT(control->LineTop, viewer->PaintPanel->height());
    viewer->Document->ControlEnterHook(control);
    const int expected = std::min(control->LineTop - viewer->PaintPanel->height() / 2,
                                  viewer->DocHeight - viewer->PaintPanel->height());
    EXPECT_EQ(viewer->VScrollPos(), expected);
    // Inside the band nothing moves.
    viewer->grab();
    const int pos = viewer->VScrollPos();
    viewer->Document->ControlEnterHook(control);
    EXPECT_EQ(viewer->VScrollPos(), pos);
}

TEST_F(ParsedTest, LineStepsKeepFormControlsShown) {
    std::vector<std::string> lines = {"<p>one</p>", "<form><textarea name=t>text</textarea></form>"};
    for (int i = 0; i < 60; ++i) lines.push_back("<p>line " + std::to_string(i) + "</p>");
    viewer->LoadFromStrings(lines);
    viewer->activateWindow();
    QApplication::processEvents();
    TFormControlObj* control = viewer->Document->Controls.at(0);
    ASSERT_TRUE(control->TheControl->isVisible());
    viewer->HandleKeyDown(Qt::Key_Down);
    QApplication::processEvents();  // the real, partial paint
    EXPECT_TRUE(control->TheControl->isVisible());
    EXPECT_EQ(viewer->VScrollPos(), 16);
}

TEST_F(ParsedTest, ScriptsGoToTheHostsHandler) {
    std::vector<std::string> scripts;
    viewer->SetOnScript([&](QWidget* sender, const std::string& language, std::string script) {
        EXPECT_EQ(sender, viewer.get());
        scripts.push_back(language + ":" + script);
    });
    viewer->LoadFromStrings({"<script language=\"JavaScript\">x=1;</script>text"});
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_EQ(scripts[0].substr(0, 11), "JavaScript:");
    EXPECT_NE(scripts[0].find("x=1;"), std::string::npos);
}

}  // namespace

TEST_F(ParsedTest, PicturesTheHostDeliversLaterAndTheCacheLimit) {
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray bmp;
    QBuffer buf(&bmp);
    buf.open(QIODevice::WriteOnly);
    picture.save(&buf, "BMP");
    viewer->SetOnImageRequest([](QWidget*, const std::string&, TMemoryStream*& s) { s = NotReadyStream(); });
    viewer->SetViewImages(true);
    viewer->LoadFromStrings({"<p>before</p>", "<img src=\"later.bmp\">", "<p>after</p>"});
    EXPECT_FALSE(viewer->InsertImage("other.bmp", std::string(bmp.constData(), static_cast<size_t>(bmp.size()))));
    EXPECT_TRUE(viewer->InsertImage("later.bmp", std::string(bmp.constData(), static_cast<size_t>(bmp.size()))));
    TImageObj* img = nullptr;
    for (int i = 0; i < viewer->Document->Count() && !img; ++i)
        if (auto* s = dynamic_cast<TSection*>(viewer->Document->Items(i)); s && s->Images.Count()) img = s->Images[0];
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->ImageWidth, 30);
    EXPECT_EQ(img->ImageHeight, 20);

    // The cache count reaches the shared cache, clamped; every load ages it.
    viewer->SetImageCacheCount(30);
    EXPECT_EQ(viewer->ImageCacheCount(), 20);
    EXPECT_EQ(ImageCache().AgeLimit, 20);
    viewer->SetImageCacheCount(0);
    viewer->LoadFromStrings({"x"});  // the picture's user is gone; this load ages it to 1
    EXPECT_EQ(ImageCache().IndexOf("LATER.BMP"), -1);
    viewer->SetImageCacheCount(5);
}
