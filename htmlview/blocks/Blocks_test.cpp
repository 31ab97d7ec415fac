#include "htmlview/blocks/HorzLine.h"
#include "htmlview/blocks/Spaces.h"
#include "htmlview/parser/ParserTestSupport.h"

#include <QImage>
#include <QPainter>

using namespace htmlview;
using htmlview::testing::ParserTest;

namespace {
// Paints the document onto a white image of W x H.
QImage painted(TSectionList& doc, TextMetrics& metrics, int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    TCanvas canvas(metrics, &p);
    doc.Paint(canvas, QRect(0, 0, w, h), 0, 0, w);
    return img;
}
QRgb rgb(TColor c) {
    const TColor v = ColorToRGB(c);
    return qRgb(RedOf(v), GreenOf(v), BlueOf(v));
}
}  // namespace

TEST_F(ParserTest, FixedBlocksHaveScaledHeightsAndCopyAsEmptyLines) {
    parse("a<P>b<H1>c</H1><H3>d</H3><H4>e</H4><HR><HR SIZE=5><HR SIZE=30 WIDTH=150%>");
    auto p = blocks<TParagraphSpace>();
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0]->FlowHeight, 14);
    std::vector<int> heading;
    for (THeadingSpace* h : blocks<THeadingSpace>()) heading.push_back(h->FlowHeight);
    EXPECT_EQ(heading, (std::vector<int>{16, 16, 10, 10, 8, 8}));
    auto rules = blocks<THorzLine>();
    ASSERT_EQ(rules.size(), 3u);
    EXPECT_EQ(rules[0]->FlowHeight, 20);
    EXPECT_EQ(rules[1]->FlowHeight, 23);
    EXPECT_EQ(rules[2]->Thickness, 2);  // sizes above 20 are ignored
    EXPECT_EQ(rules[2]->RuleWidth, -1);  // so are percentages above 100
    EXPECT_TRUE(rules[2]->WidthInPercent);

    // A larger base size scales them.
    doc->SetDefaults("Times New Roman", "Courier New", 15, clBlack, clBlue, clWhite);
    EXPECT_EQ(p[0]->FlowHeight, 18);
    EXPECT_EQ(rules[1]->FlowHeight, 25 + 3);

    TStringSink sink;
    doc->TextSink = &sink;
    arrange(400);
    doc->SelStart = 0;
    doc->SelEnd = 2;
    doc->CopySelected();
    EXPECT_EQ(sink.Text, "a\r\n\r\nb\r\n");
}

TEST_F(ParserTest, RulesPaintGroovesBarsAndWidths) {
    doc->SetBackColor(clWhite);
    parse("<HR WIDTH=50%><HR NOSHADE ALIGN=left WIDTH=30><HR COLOR=red SIZE=4 ALIGN=right WIDTH=40><HR WIDTH=150%>");
    arrange(400);
    QImage img = painted(*doc, fake, 400, 100);
    // 200 pixels, centred; grey above, silver below on a white page.
    EXPECT_EQ(img.pixel(100, 9), rgb(clBtnShadow));
    EXPECT_EQ(img.pixel(298, 9), rgb(clBtnShadow));
    EXPECT_EQ(img.pixel(299, 9), rgb(clSilver));  // the right edge is a lower edge
    EXPECT_EQ(img.pixel(150, 10), rgb(clSilver));
    EXPECT_EQ(img.pixel(99, 9), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(300, 9), qRgb(255, 255, 255));
    // Without shade both edges are black.
    EXPECT_EQ(img.pixel(0, 20 + 9), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(29, 20 + 10), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(30, 20 + 10), qRgb(255, 255, 255));
    // A colour gives a solid bar, here 4 high at the right.
    for (int y = 40 + 9; y < 40 + 13; ++y) EXPECT_EQ(img.pixel(380, y), qRgb(255, 0, 0)) << y;
    EXPECT_EQ(img.pixel(359, 40 + 10), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(360, 40 + 10), qRgb(255, 0, 0));
    // Without a usable width: from 10 to the right edge less 10.
    const int top = 40 + 22 + 9;
    EXPECT_EQ(img.pixel(10, top), rgb(clBtnShadow));
    EXPECT_EQ(img.pixel(9, top), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(388, top), rgb(clBtnShadow));
    EXPECT_EQ(img.pixel(389, top), rgb(clSilver));
    EXPECT_EQ(img.pixel(390, top), qRgb(255, 255, 255));
}

TEST_F(ParserTest, BulletsTakeTheirLevelsColourOnLightPagesAndAreHollowOnDark) {
    doc->SetBackColor(clWhite);
    parse("<UL><LI>a<UL><LI>b<UL><LI>c</UL></UL></UL>");
    arrange(300);
    QImage img = painted(*doc, fake, 300, 100);
    // Discs from (b - 10, m - 2) to (b - 5, m + 3): b = 35 x level, m the middle of the line.
    EXPECT_EQ(img.pixel(35 - 8, 8), qRgb(0, 0, 128));       // navy
    EXPECT_EQ(img.pixel(70 - 8, 16 + 8), qRgb(128, 0, 0));  // maroon
    EXPECT_EQ(img.pixel(105 - 8, 32 + 8), qRgb(255, 0, 0)); // red

    doc->Clear();
    doc->SetBackColor(0x00800000 | kPaletteRelative);  // navy page
    doc->TextColor = 0x00FFFF;
    parse("<UL><LI>a</UL><UL PLAIN><LI>b</UL>");
    arrange(300);
    QImage dark(300, 100, QImage::Format_RGB32);
    dark.fill(qRgb(0, 0, 128));
    {
        QPainter p(&dark);
        TCanvas canvas(fake, &p);
        doc->Paint(canvas, QRect(0, 0, 300, 100), 0, 0, 300);
    }
    EXPECT_EQ(dark.pixel(35 - 8, 8), qRgb(0, 0, 128));  // hollow
    bool outline = false;
    for (int x = 25; x < 30; ++x)
        for (int y = 5; y < 12; ++y) outline = outline || dark.pixel(x, y) == qRgb(255, 255, 0);
    EXPECT_TRUE(outline);
    for (int x = 20; x < 35; ++x)
        for (int y = 16; y < 32; ++y) EXPECT_EQ(dark.pixel(x, y), qRgb(0, 0, 128)) << "plain item at " << x;
}

TEST_F(ParserTest, NumberedMarkersAreDrawnBeforeTheIndent) {
    parse("<OL START=27 TYPE=A><LI>a</OL><OL START=21 TYPE=i><LI>b</OL><OL START=30 TYPE=I><LI>c</OL>"
          "<OL START=12><LI>d</OL>");
    arrange(300);
    std::vector<TCanvas::TextRecord> log;
    canvas->Log = &log;
    doc->Paint(*canvas, QRect(0, 0, 300, 200), 0, 0, 300);
    std::vector<std::string> markers;
    for (const auto& r : log)
        if (r.Text.back() == '.') {
            markers.push_back(r.Text);
            EXPECT_EQ(r.X + static_cast<int>(r.Text.size()) * 8, 35 - 5) << r.Text;  // right end 5 before the indent
            EXPECT_FALSE(r.Opaque);
        }
    EXPECT_EQ(markers, (std::vector<std::string>{"Z.", "xx.", "XX.", "12."}));
}

TEST_F(ParserTest, PreformattedTextKeepsItsLinesAndLimits) {
    parse("<PRE>" + std::string(25000, 'x') + "\n  two  spaces</PRE>");
    auto pre = blocks<TPreFormated>();
    ASSERT_EQ(pre.size(), 2u);
    EXPECT_GT(pre[0]->CharCount, 20000);
    EXPECT_LE(pre[0]->CharCount, 20000 + 201);
    EXPECT_EQ(pre[1]->Buff, "  two  spaces");
    arrange(300);
    EXPECT_EQ(pre[0]->Lines.Count(), 1);  // never broken for width
    int mn = 0, mx = 0;
    pre[0]->WidthLimits(*canvas, mn, mx);
    EXPECT_EQ(mn, 500);
    EXPECT_EQ(mx, pre[0]->CharCount * 8);
    pre[1]->WidthLimits(*canvas, mn, mx);
    EXPECT_EQ(mn, 13 * 8);
}

TEST_F(ParserTest, CellFillsBorderColourAndSelectionPaint) {
    doc->SetBackColor(clWhite);
    parse("<TABLE BORDER=0 CELLSPACING=4 CELLPADDING=2 BORDERCOLOR=blue><TR><TD BGCOLOR=red>ab<TD>cd</TABLE>"
          "<TABLE BORDER CELLSPACING=2><TR><TD BGCOLOR=lime>e</TABLE>xyz");
    arrange(300);
    doc->SelStart = texts().back()->FirstChar + 1;  // "yz"
    doc->SelEnd = doc->SelStart + 2;
    QImage img = painted(*doc, fake, 300, 100);
    ThtmlTable& t = *table(0);
    // The red cell from (spacing, spacing) to its width and height.
    EXPECT_EQ(img.pixel(t.DrawX + 4, 4), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(t.DrawX + 4 + 15, 4 + 15), qRgb(255, 0, 0));
    // Between and around the cells: the border colour.
    EXPECT_EQ(img.pixel(t.DrawX + 1, 1), qRgb(0, 0, 255));
    const int secondX = t.DrawX + t.Widths[0];
    EXPECT_EQ(img.pixel(secondX + 1, 10), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(secondX + 5, 10), qRgb(255, 255, 255));  // an uncoloured cell stays as it was
    // The bordered table: a sunken frame one pixel outside the lime fill, raised outside.
    ThtmlTable& b = *table(1);
    const int top = b.TopY;
    EXPECT_EQ(img.pixel(b.DrawX + 4, top + 4), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(b.DrawX + 3, top + 10), rgb(clBtnShadow));   // cell's left edge, sunken
    EXPECT_EQ(img.pixel(b.DrawX, top + 10), rgb(clSilver));          // table's left edge, raised on white
    // Selected text is drawn on its text colour.
    const TSection& s = *texts().back();
    const int y = s.Lines[0]->DrawY;
    EXPECT_EQ(img.pixel(s.Lines[0]->DrawX + 8 + 1, y + 1), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(s.Lines[0]->DrawX + 1, y + 1), qRgb(255, 255, 255));
}

TEST_F(ParserTest, ControlListsFindControlsByPosition) {
    parse("ab<TEXTAREA ROWS=2 COLS=3></TEXTAREA>cd<TEXTAREA></TEXTAREA>");
    TSection* s = texts()[0];
    ASSERT_EQ(s->FormControls.size(), 2u);
    for (int i = 0; i < doc->Forms[0]->Controls.Count(); ++i) doc->Forms[0]->Controls[i]->SetSize(*canvas);
    TFormControlObj* first = s->FormControls[0];
    EXPECT_EQ(first->Pos, 2);
    EXPECT_EQ(s->FormControls.FindControl(2), first);
    EXPECT_EQ(s->FormControls.FindControl(3), nullptr);
    bool onBaseline = true;
    EXPECT_EQ(s->FormControls.ControlHeight(2, onBaseline), first->Height());
    EXPECT_FALSE(onBaseline);
    EXPECT_EQ(s->FormControls.ControlHeight(0, onBaseline), -1);
    EXPECT_EQ(s->FormControls.ControlWidth(5), s->FormControls[1]->Width());
    EXPECT_EQ(s->FormControls.ControlWidth(4), -1);
    EXPECT_EQ(s->FormControls.DistanceToControl(0), 2);
    EXPECT_EQ(s->FormControls.DistanceToControl(3), 2);
    EXPECT_EQ(s->FormControls.DistanceToControl(6), 9999);
    EXPECT_EQ(TFormControlList().DistanceToControl(0), 9999);
}
