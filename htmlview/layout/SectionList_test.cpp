#include "htmlview/layout/Drawing.h"
#include "platform/qt/qtglue/Messenger.h"
#include "testkit/htmlview/LayoutTestSupport.h"

#include <QBuffer>
#include <QLineEdit>
#include <QPainter>
#include <QWidget>

using namespace htmlview;
using htmlview::testing::LayoutTest;

namespace {
// A block whose layout fails, as a table with too many columns does.
class FailingBlock : public TSectionBase {
public:
    int Arrange(TCanvas&, int, int& charIndex, int&, IndentManager&) override {
        charIndex += 5;
        throw EProcessError("Table has too many Columns");
    }
};

class FixedBlock : public TSectionBase {
public:
    explicit FixedBlock(int h) { FlowHeight = h; }
};

class FakeGif : public TAnimatedImage {
public:
    int restarts = 0, steps = 0;
    int Width() const override { return 10; }
    int Height() const override { return 10; }
    void Restart() override { ++restarts; }
    void StepAnimation(QWidget*) override { ++steps; }
    void Draw(QPainter*, int, int, int, int) override {}
    std::unique_ptr<TAnimatedImage> Copy() const override { return std::make_unique<FakeGif>(); }
};

class EditControl : public TFormControlObj {
public:
    EditControl(TSectionList* doc, ThtmlForm* form, QWidget* panel) : TFormControlObj(doc, form, nullptr, 0) {
        TheControl = new QLineEdit(panel);
        TheControl->resize(120, 20);
    }
};
}  // namespace

TEST_F(LayoutTest, LayoutErrorsDropTheBlockAndAreReportedAfterLayout) {
    std::vector<std::string> reported;
    int blocksAtReport = -1;
    doc->ErrorReporter = [&](const std::string& m) {
        reported.push_back(m);
        blocksAtReport = doc->Count();
    };
    doc->AddBlock(section("before"));
    doc->AddBlock(new FailingBlock);
    doc->AddBlock(section("after"));
    int ci = 0, mw = 0;
    doc->Arrange(*canvas, 0, 200, ci, mw);
    EXPECT_EQ(reported, (std::vector<std::string>{"Table has too many Columns"}));
    EXPECT_EQ(blocksAtReport, 2);
    EXPECT_EQ(ci, 11);  // the dropped block's characters do not count
    EXPECT_EQ(doc->Items(1)->FirstChar, 6);

    // Without a reporter the message goes to an error box.
    platform::ScriptedMessenger boxes;
    doc->ErrorReporter = nullptr;
    doc->AddBlock(new FailingBlock);
    doc->Arrange(*canvas, 0, 200, ci, mw);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Table has too many Columns");
    EXPECT_EQ(boxes.shown[0].icon, platform::MsgIcon::Error);
}

TEST_F(LayoutTest, BlockTopAndCellHitBands) {
    doc->AddBlock(new FixedBlock(10));
    doc->AddBlock(new FixedBlock(20));
    doc->AddBlock(new FixedBlock(30));
    // The top of block Index, so that a reading position taken with BlockAtY comes back.
    EXPECT_EQ(doc->BlockTop(0), 0);
    EXPECT_EQ(doc->BlockTop(1), 10);
    EXPECT_EQ(doc->BlockTop(2), 30);
    EXPECT_EQ(doc->BlockTop(99), 30);  // the last block's height never enters
    int top = -1, index = -1;
    EXPECT_EQ(doc->BlockAtY(15, top, index), doc->Items(1));
    EXPECT_EQ(top, 10);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(doc->BlockAtY(60, top, index), nullptr);
    EXPECT_EQ(arrange(100), 60);
}

TEST_F(LayoutTest, AnimationTimerRunsOnlyWithAnimatedImages) {
    doc->AddBlock(section("text"));
    arrange(100);
    EXPECT_FALSE(doc->AnimTimer.isActive());
    doc->Paint(*canvas, QRect(0, 0, 100, 100), 0, 0, 100);
    EXPECT_FALSE(doc->AnimTimer.isActive());
    FakeGif gif;
    doc->AnimatedGifs.push_back(&gif);
    arrange(100);
    EXPECT_TRUE(doc->AnimTimer.isActive());
    EXPECT_EQ(gif.restarts, 1);
    gif.ShowIt = true;
    doc->Paint(*canvas, QRect(0, 0, 100, 100), 0, 0, 100);
    EXPECT_FALSE(gif.ShowIt);  // not painted by this paint: it does not animate
    doc->AnimateGifs();
    EXPECT_EQ(gif.steps, 0);
    gif.ShowIt = true;
    doc->AnimateGifs();
    EXPECT_EQ(gif.steps, 1);
    doc->ForgetObject(&gif);
    EXPECT_TRUE(doc->AnimatedGifs.empty());
    doc->Clear();
    EXPECT_FALSE(doc->AnimTimer.isActive());
}

TEST_F(LayoutTest, RemovedBlocksLeaveTheDocumentLists) {
    TStringList anchors;
    doc->NameList = &anchors;
    TSection* s = section("anchor here");
    doc->AddBlock(s);
    anchors.AddObject("TOP", s);
    auto a = attrs("<img src=pending.gif>");
    TImageObj* img = s->AddImage(&a, doc.get());
    doc->ImagesOn = true;
    doc->OnImageRequest = [](QWidget*, const std::string&, TMemoryStream*& stream) { stream = NotReadyStream(); };
    arrange(300);
    ASSERT_EQ(doc->PendingImages.Count(), 1);
    EXPECT_EQ(doc->PendingImages.Items[0].Object, img);
    EXPECT_EQ(anchors.IndexOf("top"), 0);
    doc->Delete(0);
    EXPECT_EQ(anchors.Count(), 0);
    EXPECT_EQ(doc->PendingImages.Count(), 0);
    doc->NameList = nullptr;
}

TEST_F(LayoutTest, ImagesFromTheImageRequest) {
    doc->ImagesOn = true;
    QImage picture(100, 200, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray bmp;
    {
        QBuffer buf(&bmp);
        buf.open(QIODevice::WriteOnly);
        picture.save(&buf, "BMP");
    }
    TMemoryStream stream{std::string(bmp.constData(), static_cast<size_t>(bmp.size()))};
    int requests = 0;
    doc->OnImageRequest = [&](QWidget*, const std::string& src, TMemoryStream*& s) {
        ++requests;
        s = src == "pic.bmp" ? &stream : nullptr;
    };
    TSection* s = section("x");
    auto a = attrs("<img src=pic.bmp height=50>");
    TImageObj* img = s->AddImage(&a, doc.get());
    auto b = attrs("<img src=missing.png alt=\"no picture here\">");
    TImageObj* missing = s->AddImage(&b, doc.get());
    doc->AddBlock(s);
    arrange(400);
    EXPECT_EQ(img->ImageWidth, 25);  // 50 high keeps the 100 x 200 proportions
    EXPECT_EQ(img->ImageHeight, 50);
    EXPECT_TRUE(missing->ShowingPlaceholder());
    EXPECT_EQ(missing->ImageWidth, 15 * 8 + 2 + 24);  // wide enough for the ALT text
    EXPECT_EQ(missing->ImageHeight, 24);
    arrange(400);
    EXPECT_EQ(requests, 2);  // each picture is fetched once
}

TEST_F(LayoutTest, DefaultsScrollAndBackground) {
    TSection* s = section("x");
    doc->AddBlock(s);
    int hooks = 0;
    doc->BackChangeHook = [&](TSectionList*) { ++hooks; };
    doc->SetDefaults(std::string(40, 'F'), "Mono", 15, 0x000080, 0xFF0000, clWhite);
    EXPECT_EQ(doc->BodyFontName.size(), 33u);
    EXPECT_EQ(hooks, 1);
    EXPECT_EQ(s->Fonts[0]->TheFont->Size(), 15);  // fonts refreshed from the new defaults
    EXPECT_EQ(s->Fonts[0]->TheFont->Color(), 0x2000080u);
    EXPECT_TRUE(doc->BackgroundIsWhite());
    doc->SetBackColor(clWindow);
    EXPECT_TRUE(doc->BackgroundIsWhite());
    doc->SetBackColor(clBtnFace);
    EXPECT_FALSE(doc->BackgroundIsWhite());

    ThtmlForm* form = new ThtmlForm(doc.get(), nullptr);
    QWidget panel;
    auto* edit = new EditControl(doc.get(), form, &panel);
    form->AddControl(edit);
    edit->Shown = true;
    doc->SetScrollY(0);
    EXPECT_TRUE(edit->Shown);
    doc->SetScrollY(40);
    EXPECT_FALSE(edit->Shown);
    EXPECT_TRUE(doc->ScrollMoved);
    EXPECT_EQ(doc->Controls.size(), 1u);
    doc->Clear();
    EXPECT_TRUE(doc->Controls.empty());
    EXPECT_EQ(doc->Forms.Count(), 0);
}

TEST_F(LayoutTest, CellObjAttributes) {
    auto a = attrs("<td bgcolor=red colspan=3 rowspan=1 width=50% height=40>");
    TCellObj c(doc.get(), &a, 1);
    EXPECT_TRUE(c.Content->HasBackColor);
    EXPECT_EQ(c.Content->BackColor, 0x20000FFu);
    EXPECT_EQ(c.SpanCols, 3);
    EXPECT_EQ(c.SpanRows, 1);
    EXPECT_EQ(c.WantWidth, 500);
    EXPECT_TRUE(c.WidthInTenths);
    EXPECT_EQ(c.WantHeight, 40);
    EXPECT_EQ(c.VertAlign, 1);
    auto b = attrs("<td width=150% colspan=0>");
    TCellObj d(doc.get(), &b, 0);
    EXPECT_EQ(d.WantWidth, 0);
    EXPECT_EQ(d.SpanCols, 1);
    auto p = attrs("<td width=120>");
    TCellObj e(doc.get(), &p, 0);
    EXPECT_EQ(e.WantWidth, 120);
    EXPECT_FALSE(e.WidthInTenths);
}

TEST_F(LayoutTest, ThreeDBorderColours) {
    QImage img(20, 20, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    TCanvas c(fake, &p);
    doc->SetBackColor(clWhite);
    Draw3DBorder(doc.get(), c, 2, 2, 10, 10, true);
    doc->SetBackColor(clBtnFace);
    Draw3DBorder(doc.get(), c, 12, 2, 18, 10, false);
    p.end();
    EXPECT_EQ(img.pixelColor(2, 5), QColor(192, 192, 192));   // raised on white: silver first
    EXPECT_EQ(img.pixelColor(10, 5), QColor(128, 128, 128));  // then the shadow
    EXPECT_EQ(img.pixelColor(12, 5), QColor(128, 128, 128));  // sunken: shadow first
    EXPECT_EQ(img.pixelColor(18, 5), QColor(255, 255, 255));  // then the highlight
}
