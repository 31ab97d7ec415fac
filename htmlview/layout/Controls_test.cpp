#include "testkit/htmlview/LayoutTestSupport.h"

#include <QBuffer>
#include <QLineEdit>
#include <QPainter>

using namespace htmlview;
using htmlview::testing::LayoutTest;

namespace {
class BoxControl : public TFormControlObj {
public:
    BoxControl(TSectionList* doc, ThtmlForm* form, QWidget* panel, int w, int h, bool baseline)
        : TFormControlObj(doc, form, nullptr, 0) {
        TheControl = new QLineEdit(panel);
        TheControl->setFixedSize(w, h);
        OnBaseline = baseline;
    }
};
}  // namespace

TEST_F(LayoutTest, ControlsTakeRoomInTheirLineAndArePlacedByPaint) {
    QWidget panel;
    ThtmlForm* form = new ThtmlForm(doc.get(), nullptr);
    TSection* s = section("ab ");
    auto* edit = new BoxControl(doc.get(), form, &panel, 40, 30, false);
    form->AddControl(edit);
    s->AddFormControl(edit);
    s->AppendText("cd");
    auto* box = new BoxControl(doc.get(), form, &panel, 13, 13, true);
    form->AddControl(box);
    s->AddFormControl(box);
    s->AppendText("efgh");
    doc->AddBlock(s);
    EXPECT_EQ(edit->Pos, 3);
    EXPECT_EQ(box->Pos, 6);
    arrange(24 + 40 + 16 + 13);  // "ab " + edit + "cd" + box; "efgh" goes below
    ASSERT_EQ(lines(s).size(), 2u);
    EXPECT_EQ(lines(s)[0], std::string("ab \x02" "cd\x02", 7));
    EXPECT_EQ(s->Lines[0]->SpaceBefore, 30 - 16);
    EXPECT_EQ(edit->LineTop, 0);
    arrange(1000);
    EXPECT_EQ(s->Lines[0]->SpaceBefore, 14);  // the box on the baseline needs 13 + 4 - 16 = 1
    doc->SetScrollY(5);
    doc->Paint(*canvas, QRect(0, 0, 1000, 100), 10, 0, 1000);
    EXPECT_TRUE(edit->Shown);
    EXPECT_EQ(edit->TheControl->x(), 10 + 24);
    EXPECT_EQ(edit->TheControl->y(), 30 - 30 - 5);     // bottom on the line bottom
    EXPECT_EQ(box->TheControl->x(), 10 + 24 + 40 + 16);
    EXPECT_EQ(box->TheControl->y(), 30 - 13 - 4 - 5);  // bottom on the baseline
    int mn, mx;
    s->WidthLimits(*canvas, mn, mx);
    EXPECT_EQ(mx, 9 * 8 + 40 + 13);
}

TEST_F(LayoutTest, ListItemsStretchBelowFloatsInsideThem) {
    TSection* item = new TSection(1, 1, nullptr, font, state);
    auto a = attrs("<img align=left width=20 height=60>");
    item->AddImage(&a, doc.get());
    item->AppendText("short");
    doc->AddBlock(item);
    TSection* next = section("after");
    doc->AddBlock(next);
    arrange(300);
    EXPECT_EQ(item->FlowHeight, 61);  // one past the float's bottom
    EXPECT_EQ(next->TopY, 61);
    EXPECT_EQ(item->Lines[0]->LineIndent, 35 + 25);
    EXPECT_EQ(item->Images[0]->FloatX, 35);
    // The float is hit where it was painted.
    doc->Paint(*canvas, QRect(0, 0, 300, 300), 0, 0, 300);
    int ix = -1, iy = -1;
    TImageObj* hit = nullptr;
    ASSERT_TRUE(doc->ImageAtPoint(35 + 4 + 5, 4 + 7, ix, iy, hit));  // placeholder drawn 4 pixels in
    EXPECT_EQ(hit, item->Images[0]);
    EXPECT_EQ(ix, 5);
    EXPECT_EQ(iy, 7);
}

TEST_F(LayoutTest, RightFloatsAndFloatsQueuedBelowTheirLine) {
    TSection* s = section("one two ");
    auto r = attrs("<img align=right width=30 height=20>");
    s->AddImage(&r, doc.get());  // not at the line's start: placed below the line
    s->AppendText("three");
    doc->AddBlock(s);
    arrange(200);
    ASSERT_EQ(s->Lines.Count(), 1);
    TImageObj* img = s->Images[0];
    EXPECT_EQ(img->FloatY, 16);
    EXPECT_EQ(img->FloatX, 200 - 30);
    EXPECT_EQ(s->Lines[0]->DrawHt, 16 + 20);
    EXPECT_EQ(s->PaintHeight, 36);
    EXPECT_EQ(s->FlowHeight, 16);
}

TEST_F(LayoutTest, PreformattedTextIsClippedToTheCell) {
    SetScreenMetrics(nullptr);
    QtTextMetrics qt;
    TSectionList d(nullptr, nullptr);
    d.SetBackColor(clWhite);
    TMyFont f;
    f.Fixed = true;
    f.Refresh(d, clBlack);
    auto* pre = new TPreFormated(0, 1, nullptr, f, state);
    pre->AppendText(std::string(60, 'M'));
    d.AddBlock(pre);
    TCanvas measure(qt);
    int ci = 0, mw = 0;
    d.Arrange(measure, 0, 100, ci, mw);
    ASSERT_EQ(pre->Lines.Count(), 1);
    QImage img(400, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    TCanvas c(qt, &p);
    d.Paint(c, QRect(0, 0, 400, 40), 0, 0, 100);
    p.end();
    bool inkInside = false, inkOutside = false;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 400; ++x)
            if (img.pixelColor(x, y) != QColor(Qt::white)) (x < 100 ? inkInside : inkOutside) = true;
    EXPECT_TRUE(inkInside);
    EXPECT_FALSE(inkOutside);
}

TEST_F(LayoutTest, PicturesArePaintedAtTheirPlace) {
    SetScreenMetrics(nullptr);
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(QColor(0, 0, 255));
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    picture.save(&buf, "BMP");
    TMemoryStream stream{std::string(bytes.constData(), static_cast<size_t>(bytes.size()))};
    TSectionList d(nullptr, nullptr);
    d.ImagesOn = true;
    d.OnImageRequest = [&](QWidget*, const std::string&, TMemoryStream*& s) { s = &stream; };
    auto* s = new TSection(0, 1, nullptr, font, state);
    auto a = attrs("<img src=blue.bmp width=40 height=20 align=top>");
    TImageObj* img = s->AddImage(&a, &d);
    d.AddBlock(s);
    QtTextMetrics qt;
    TCanvas measure(qt);
    int ci = 0, mw = 0;
    d.Arrange(measure, 0, 300, ci, mw);
    QImage out(300, 60, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    TCanvas c(qt, &p);
    d.Paint(c, QRect(0, 0, 300, 60), 5, 0, 300);
    p.end();
    EXPECT_EQ(img->DrawX, 5);
    EXPECT_EQ(img->DrawY, 0);
    EXPECT_EQ(out.pixelColor(5 + 39, 19), QColor(0, 0, 255));  // stretched to 40 x 20
    EXPECT_EQ(out.pixelColor(5 + 40, 19), QColor(Qt::white));
}
