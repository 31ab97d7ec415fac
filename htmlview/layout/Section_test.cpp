#include "htmlview/layout/Drawing.h"
#include "testkit/htmlview/LayoutTestSupport.h"

#include <QPainter>
#include <random>

using namespace htmlview;
using htmlview::testing::LayoutTest;
using Lines = std::vector<std::string>;

TEST_F(LayoutTest, LineBreaksAtGivenWidths) {
    TSection* s = section("aaaa bbbb cccc");
    doc->AddBlock(s);
    arrange(80);
    EXPECT_EQ(lines(s), (Lines{"aaaa bbbb ", "cccc"}));
    arrange(75);
    EXPECT_EQ(lines(s), (Lines{"aaaa ", "bbbb cccc"}));
    arrange(1000);
    EXPECT_EQ(lines(s), (Lines{"aaaa bbbb cccc"}));
    EXPECT_EQ(s->FlowHeight, 16);
    arrange(75);
    EXPECT_EQ(s->FlowHeight, 32);
    EXPECT_EQ(s->CharCount, 14);
}

TEST_F(LayoutTest, LinesOfAnEarlierLayoutLeaveNothingBehind) {
    TSection* s = section("aaaa bbbb ");
    auto img = attrs("<img align=top width=8 height=40>");
    s->AddImage(&img, doc.get());
    s->AppendText("cc");
    doc->AddBlock(s);
    const auto spaceAfter = [s] {
        std::vector<int> r;
        for (int i = 0; i < s->Lines.Count(); ++i) r.push_back(s->Lines[i]->SpaceAfter);
        return r;
    };
    arrange(1000);
    EXPECT_EQ(spaceAfter(), (std::vector<int>{24}));
    arrange(48);
    EXPECT_EQ(lines(s), (Lines{"aaaa ", std::string("bbbb \x04", 6), "cc"}));
    EXPECT_EQ(spaceAfter(), (std::vector<int>{0, 24, 0}));  // the image's line only
    EXPECT_EQ(s->FlowHeight, 16 + 40 + 16);
    arrange(40);  // the image starts the last line: the line before ends just ahead of it
    EXPECT_EQ(lines(s), (Lines{"aaaa ", "bbbb ", std::string("\x04" "cc", 3)}));
    EXPECT_EQ(spaceAfter(), (std::vector<int>{0, 0, 24}));
    arrange(1000);
    EXPECT_EQ(spaceAfter(), (std::vector<int>{24}));
    EXPECT_EQ(s->FlowHeight, 40);
}

TEST_F(LayoutTest, AWordWiderThanTheLineStaysWhole) {
    TSection* s = section("abcdefghijkl xy zz");
    doc->AddBlock(s);
    arrange(40);
    EXPECT_EQ(lines(s), (Lines{"abcdefghijkl ", "xy zz"}));
    arrange(3);  // nothing fits: every line still takes its word
    EXPECT_EQ(lines(s), (Lines{"abcdefghijkl ", "xy ", "zz"}));
}

TEST_F(LayoutTest, BreaksFallAfterImagesAndControls) {
    TSection* s = section("aa");
    auto img = attrs("<img width=16 height=10>");
    s->AddImage(&img, doc.get());
    s->AppendText("bbbb");
    doc->AddBlock(s);
    arrange(40);  // "aa" 16 + image 16 = 32; "b" would make 40... 4 b's do not fit
    EXPECT_EQ(lines(s), (Lines{std::string("aa\x04", 3), "bbbb"}));
}

TEST_F(LayoutTest, CentredAndRightLines) {
    TSection* c = section("abc ", 2);
    TSection* r = section("abc ", 3);
    TSection* wide = section("abcdefghijklmnopqrstuvwxyz", 2);
    doc->AddBlock(c);
    doc->AddBlock(r);
    doc->AddBlock(wide);
    arrange(200);
    EXPECT_EQ(c->Lines[0]->LineIndent, 88);   // (0 + 200 - 24) / 2, trailing space not counted
    EXPECT_EQ(r->Lines[0]->LineIndent, 175);  // one pixel left of the right edge
    arrange(100);
    EXPECT_EQ(wide->Lines[0]->LineIndent, 0);  // never left of the left edge
}

TEST_F(LayoutTest, ImageSpacingTopMiddleBottom) {
    struct Case {
        const char* tag;
        int before, after;
    } cases[] = {
        {"<img align=top width=10 height=40>", 0, 24},
        {"<img align=middle width=10 height=40>", 12, 12},
        {"<img width=10 height=40>", 28, 0},  // bottom: 40 + descent 4 - 16
        {"<img align=middle width=10 height=41>", 13, 12},
    };
    for (const Case& k : cases) {
        doc->Clear();
        TSection* s = section("text ");
        auto a = attrs(k.tag);
        s->AddImage(&a, doc.get());
        doc->AddBlock(s);
        arrange(400);
        ASSERT_EQ(s->Lines.Count(), 1) << k.tag;
        EXPECT_EQ(s->Lines[0]->SpaceBefore, k.before) << k.tag;
        EXPECT_EQ(s->Lines[0]->SpaceAfter, k.after) << k.tag;
        EXPECT_EQ(s->FlowHeight, 16 + k.before + k.after) << k.tag;
    }
}

TEST_F(LayoutTest, FloatingImagesIndentTheLinesBesideThem) {
    TSection* s = new TSection(0, 1, nullptr, font, state);
    auto a = attrs("<img align=left width=50 height=40>");
    s->AddImage(&a, doc.get());
    s->AppendText(" one two three four five");  // the space after a lone float goes
    doc->AddBlock(s);
    EXPECT_EQ(s->Buff[1], 'o');
    arrange(150);
    // 150 - 55 = 95 pixels beside the image: 11 characters.
    ASSERT_GE(s->Lines.Count(), 3);
    EXPECT_EQ(s->Lines[0]->LineIndent, 55);
    EXPECT_EQ(lines(s)[0], std::string("\x04one two ", 9));
    EXPECT_EQ(s->Lines[2]->LineIndent, 55);  // y 32 is still beside the image
    EXPECT_EQ(s->Images[0]->FloatX, 0);
    EXPECT_GE(s->PaintHeight, 40);

    // CLEAR on a later section moves it below the float.
    TSection* after = section("below");
    auto br = attrs("<br clear=left>");
    after->SetClear(br);
    doc->AddBlock(after);
    arrange(1000);
    EXPECT_EQ(after->TopY, 16);
    EXPECT_EQ(after->Lines[0]->SpaceBefore, 24);  // down to y 40
    TSection* plain = section("x");
    auto none = attrs("<br>");
    plain->SetClear(none);
    EXPECT_EQ(plain->ClearAttr, 0);  // no CLEAR given: nothing changes
    delete plain;
}

TEST_F(LayoutTest, AppendTextCollapsesAndLimits) {
    std::unique_ptr<TSection> s(section(" a "));
    s->AppendText(" b");
    EXPECT_EQ(s->Buff, "a b");
    s->AppendText(std::string("\x02\x04", 2));  // placeholder codes never come from text
    EXPECT_EQ(s->Buff, "a b  ");
    EXPECT_EQ(s->Images.Count(), 0);
    // A space after floats alone goes; one after an inline picture stays.
    auto left = attrs("<img align=left width=5 height=5>"), right = attrs("<img align=right width=5 height=5>");
    auto inlined = attrs("<img width=5 height=5>");
    std::unique_ptr<TSection> floats(section(""));
    floats->AddImage(&left, doc.get());
    floats->AddImage(&right, doc.get());
    floats->AppendText(" a");
    EXPECT_EQ(floats->Buff, "\x04\x04"
                            "a");
    std::unique_ptr<TSection> pictured(section(""));
    pictured->AddImage(&left, doc.get());
    pictured->AddImage(&inlined, doc.get());
    pictured->AppendText(" a");
    EXPECT_EQ(pictured->Buff, "\x04\x04 a");
    std::unique_ptr<TSection> big(section(std::string(20001, 'x')));
    big->AppendText("more");
    EXPECT_EQ(big->CharCount, 20001);
    std::unique_ptr<TSection> e(section(""));
    EXPECT_EQ(e->EnsureText(), 1);
    EXPECT_EQ(e->Buff, " ");
    TPreFormated* pre = new TPreFormated(0, 1, nullptr, font, state);
    doc->AddBlock(pre);
    EXPECT_EQ(pre->Buff, " ");  // an empty preformatted block holds one space
    pre->AppendText("  keep   spaces");
    EXPECT_EQ(pre->Buff, "   keep   spaces");
}

TEST_F(LayoutTest, PreformattedLinesAreNeverBroken) {
    TPreFormated* pre = new TPreFormated(0, 1, nullptr, font, state);
    pre->AppendText(std::string(100, 'x') + " " + std::string(100, 'y'));
    doc->AddBlock(pre);
    int ci = 0, mw = 0;
    doc->Arrange(*canvas, 0, 100, ci, mw);
    EXPECT_EQ(pre->Lines.Count(), 1);
    EXPECT_EQ(mw, 201 * 8);
    int mn, mx;
    pre->WidthLimits(*canvas, mn, mx);
    EXPECT_EQ(mn, 500);
}

TEST_F(LayoutTest, IsmapLinkGivesTheClickOffsets) {
    TUrlTarget link;
    link.Assign("map.htm", "");
    TSection* s = new TSection(0, 1, &link, font, state);
    auto a = attrs("<img ismap width=40 height=40>");
    TImageObj* img = s->AddImage(&a, doc.get());
    doc->AddBlock(s);
    arrange(400);
    doc->Paint(*canvas, QRect(0, 0, 400, 400), 0, 0, 400);
    EXPECT_TRUE(img->Bordered);
    std::unique_ptr<TUrlTarget> t;
    TFormControlObj* formImage = nullptr;
    ASSERT_TRUE(s->LinkAtPoint(*canvas, img->DrawX + 10, img->DrawY + 7 - s->TopY, formImage, t));
    EXPECT_EQ(t->LinkUrl, "map.htm?10,7");
    EXPECT_EQ(formImage, nullptr);

    // A USEMAP image asks the document's map of that name.
    doc->Clear();
    TSection* m = new TSection(0, 1, nullptr, font, state);
    auto u = attrs("<img usemap=#nav width=40 height=40>");
    TImageObj* mapped = m->AddImage(&u, doc.get());
    auto* map = new TMapItem;
    map->Name = "NAV";
    map->AppendArea(attrs("<area coords=0,0,9,9 href=top.htm>"));
    doc->Maps.Add(map);
    doc->AddBlock(m);
    arrange(400);
    doc->Paint(*canvas, QRect(0, 0, 400, 400), 0, 0, 400);
    ASSERT_TRUE(m->LinkAtPoint(*canvas, mapped->DrawX + 3, mapped->DrawY + 3, formImage, t));
    EXPECT_EQ(t->LinkUrl, "top.htm");
    EXPECT_FALSE(m->LinkAtPoint(*canvas, mapped->DrawX + 20, mapped->DrawY + 20, formImage, t));
}

TEST_F(LayoutTest, TextLinksUnderThePoint) {
    TSection* s = section("go ");
    TUrlTarget link;
    link.Assign("next.htm", "");
    s->ChangeFontAndLink(true, *doc, font, &link, state);
    s->AppendText("here");
    s->ChangeFontAndLink(false, *doc, font, nullptr, state);
    s->AppendText(" now");
    doc->AddBlock(s);
    arrange(400);
    doc->Paint(*canvas, QRect(0, 0, 400, 400), 10, 0, 400);
    std::unique_ptr<TUrlTarget> t;
    TFormControlObj* fi = nullptr;
    EXPECT_FALSE(doc->LinkAtPoint(*canvas, 10 + 8, 5, fi, t));
    ASSERT_TRUE(doc->LinkAtPoint(*canvas, 10 + 3 * 8 + 1, 5, fi, t));
    EXPECT_EQ(t->LinkUrl, "next.htm");
    EXPECT_FALSE(doc->LinkAtPoint(*canvas, 10 + 8 * 8, 5, fi, t));
    EXPECT_FALSE(doc->LinkAtPoint(*canvas, 5, 5, fi, t));
}

TEST_F(LayoutTest, SearchWithAndWithoutCase) {
    doc->AddBlock(section("first block "));
    TSection* s = section("Hello World \xC7" "a va");
    doc->AddBlock(s);
    arrange(1000);
    EXPECT_EQ(s->FirstChar, 12);
    EXPECT_EQ(doc->Search(0, "world", false), 12 + 6);
    EXPECT_EQ(doc->Search(0, "world", true), -1);
    EXPECT_EQ(doc->Search(0, "World", true), 12 + 6);
    EXPECT_EQ(doc->Search(19, "world", false), -1);
    EXPECT_EQ(doc->Search(0, "\xE7" "a", false), 12 + 12);  // accented letters fold too
    EXPECT_EQ(doc->Search(0, "worlds", false), -1);         // the whole pattern must match
    std::string longText(300, 'q');
    TSection* l = section(longText + "r");
    doc->AddBlock(l);
    arrange(100000);
    EXPECT_EQ(doc->Search(0, std::string(300, 'Q') + "R", false), l->FirstChar);
    EXPECT_EQ(doc->Search(0, std::string(300, 'Q') + "S", false), -1);
}

TEST_F(LayoutTest, CopyWithIndentAndLineEnds) {
    TSection* s = section("one two", 1, 1);
    doc->AddBlock(s);
    doc->AddBlock(section("next"));
    arrange(35 + 40);  // "one " fits the 40 pixels beside the list indent
    ASSERT_EQ(lines(s), (Lines{"one ", "two"}));
    TStringSink sink;
    doc->TextSink = &sink;
    doc->SelStart = 0;
    doc->SelEnd = 9;  // into "next"
    doc->CopySelected();
    EXPECT_EQ(sink.Text, "   one \r\n   two\r\nne");
    sink.Text.clear();
    doc->SelStart = 1;
    doc->SelEnd = 5;
    doc->CopySelected();
    EXPECT_EQ(sink.Text, "ne \r\n   t");
}

TEST_F(LayoutTest, HitTestsAndPositions) {
    TSection* s = section("abcd efgh");
    doc->AddBlock(s);
    arrange(40);
    doc->Paint(*canvas, QRect(0, 0, 400, 400), 0, 0, 400);
    bool inText = false;
    int h = 0, cy = 0, cx = 0;
    TCell* cell = nullptr;
    EXPECT_EQ(doc->IndexAtPoint(*canvas, 17, 20, inText, h, cy, cx, cell), 7);  // before half of "g"
    EXPECT_TRUE(inText);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(doc->IndexAtPoint(*canvas, 21, 20, inText, h, cy, cx, cell), 8);  // past half of "g"
    EXPECT_EQ(cx, 24);
    EXPECT_EQ(cy, 16);
    EXPECT_EQ(cell, doc.get());
    EXPECT_EQ(doc->IndexAtPoint(*canvas, 300, 5, inText, h, cy, cx, cell), 5);
    EXPECT_FALSE(inText);
    EXPECT_EQ(doc->IndexAtPoint(*canvas, 3, 500, inText, h, cy, cx, cell), -1);
    int y = 0, x = 0;
    ASSERT_TRUE(doc->PointOfIndex(*canvas, 6, y, x));
    EXPECT_EQ(y, 16);
    EXPECT_EQ(x, 8);
    EXPECT_FALSE(doc->PointOfIndex(*canvas, 50, y, x));
    char ch = 0;
    TSectionBase* block = nullptr;
    ASSERT_TRUE(doc->CharAtIndex(5, ch, block));
    EXPECT_EQ(ch, 'e');
    EXPECT_EQ(block, s);
    EXPECT_FALSE(doc->CharAtIndex(9, ch, block));
}

TEST_F(LayoutTest, PaintDrawsSelectionReversedAndSubSuperscript) {
    doc->SetBackColor(clWhite);
    doc->TextColor = 0x000080;
    TMyFont red = font;
    red.SetColor(0x0000FF);
    TSection* s = new TSection(0, 1, nullptr, red, state);
    s->AppendText("abcdef");
    TInlineState sup;
    sup.SubSupMode = 2;
    s->ChangeFont(*doc, red, sup);
    s->AppendText("up");
    doc->AddBlock(s);
    arrange(400);
    doc->SelStart = 2;
    doc->SelEnd = 4;  // ends inside the run
    std::vector<TCanvas::TextRecord> log;
    canvas->Log = &log;
    doc->Paint(*canvas, QRect(0, 0, 400, 400), 0, 0, 400);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].Text, "ab");
    EXPECT_FALSE(log[0].Opaque);
    EXPECT_EQ(log[1].Text, "cd");
    EXPECT_TRUE(log[1].Opaque);
    EXPECT_EQ(log[1].Back, 0x0000FFu);
    EXPECT_EQ(log[1].Color, clWhite);
    EXPECT_EQ(log[2].Text, "ef");
    EXPECT_EQ(log[2].X, 32);
    EXPECT_EQ(log[2].Y, 16 - 4);  // baseline
    EXPECT_EQ(log[3].Text, "up");
    EXPECT_EQ(log[3].Y, 12 - 16 / 3);
    // Scrolled out of the clip: nothing drawn.
    log.clear();
    doc->SetScrollY(100);
    doc->Paint(*canvas, QRect(0, 0, 400, 50), 0, 0, 400);
    EXPECT_TRUE(log.empty());
}

TEST_F(LayoutTest, ListMarkers) {
    TSection* s = section("item", 1, 1);
    s->ListType = 1;
    s->ListNumber = 30;
    s->NumberStyle = 'I';
    EXPECT_EQ(s->NumberMarker(), "XX.");
    s->NumberStyle = 'A';
    EXPECT_EQ(s->NumberMarker(), "Z.");
    s->ListNumber = 3;
    s->NumberStyle = 'i';
    EXPECT_EQ(s->NumberMarker(), "iii.");
    s->NumberStyle = '1';
    EXPECT_EQ(s->NumberMarker(), "3.");
    s->ListNumber = 0;
    s->NumberStyle = 'a';
    EXPECT_EQ(s->NumberMarker(), "a.");
    doc->AddBlock(s);
    arrange(400);
    std::vector<TCanvas::TextRecord> log;
    canvas->Log = &log;
    doc->Paint(*canvas, QRect(0, 0, 400, 400), 10, 0, 400);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0].Text, "a.");
    EXPECT_EQ(log[0].X, 10 + 35 - 5 - 16);  // right end 5 pixels before the indent
    EXPECT_EQ(log[1].X, 10 + 35);
}

TEST_F(LayoutTest, WidthLimitsOfText) {
    TSection* s = section("ab abcdef abc", 1, 1);
    doc->AddBlock(s);
    int mn, mx;
    s->WidthLimits(*canvas, mn, mx);
    EXPECT_EQ(mn, 6 * 8 + 35);
    EXPECT_EQ(mx, 13 * 8 + 35);
}

TEST_F(LayoutTest, WrapTextInRect) {
    std::vector<TCanvas::TextRecord> log;
    canvas->Log = &log;
    EXPECT_EQ(TextWidthOf(*canvas, "abcdef", 4), 32);
    EXPECT_EQ(TextWidthOf(*canvas, "ab", 10), 16);
    WrapTextInRect(*canvas, 0, 0, 100, 15, "too low");
    EXPECT_TRUE(log.empty());
    WrapTextInRect(*canvas, 0, 0, 80, 100, "one two three averyveryverylongword x");
    std::vector<std::string> texts;
    for (auto& r : log) texts.push_back(r.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"one two ", "three ", "averyveryverylongword ", "x "}));
    EXPECT_EQ(log[1].Y, 16);
}

TEST_F(LayoutTest, RandomTextLaysOutClean) {
    std::mt19937 rng(7);
    for (int round = 0; round < 60; ++round) {
        doc->Clear();
        for (int b = 0; b < 5; ++b) {
            TSection* s = rng() % 4 ? new TSection(static_cast<int>(rng() % 4), 1 + static_cast<int>(rng() % 3),
                                                   nullptr, font, state)
                                    : new TPreFormated(0, 1, nullptr, font, state);
            for (int k = 0; k < 20; ++k) {
                switch (rng() % 5) {
                    case 0: {
                        static const char* tags[] = {"<img align=left width=30 height=50>",
                                                     "<img align=right width=300 height=5>",
                                                     "<img width=50% height=20>", "<img align=middle>"};
                        auto a = attrs(tags[rng() % 4]);
                        s->AddImage(&a, doc.get());
                        break;
                    }
                    case 1: s->ChangeFont(*doc, font, state); break;
                    default: {
                        std::string t;
                        for (size_t n = rng() % 40; n; --n) t += static_cast<char>(rng() % 3 ? 'a' + rng() % 26 : ' ');
                        s->AppendText(t);
                    }
                }
            }
            if (rng() % 3 == 0) s->ClearAttr = static_cast<std::uint8_t>(rng() % 4);
            doc->AddBlock(s);
        }
        int width = static_cast<int>(rng() % 300);
        int ci = 0, mw = 0;
        int h = doc->Arrange(*canvas, 0, width, ci, mw);
        EXPECT_GE(h, 0);
        int total = 0;
        for (int i = 0; i < doc->Count(); ++i) total += doc->Items(i)->CharCount;
        EXPECT_EQ(ci, total);
        doc->SelStart = static_cast<int>(rng() % (total + 1));
        doc->SelEnd = static_cast<int>(rng() % (total + 1));
        if (round % 10 == 0) {
            QImage img(400, 300, QImage::Format_RGB32);
            QPainter p(&img);
            TCanvas real(fake, &p);
            doc->Paint(real, QRect(0, 0, 400, 300), 0, 0, 400);
        } else {
            doc->Paint(*canvas, QRect(0, 0, 400, 10000), 0, 0, 400);
        }
        TStringSink sink;
        doc->TextSink = &sink;
        doc->CopySelected();
        bool inText;
        int ch, cy, cx;
        TCell* cell;
        for (int p = 0; p < 20; ++p)
            doc->IndexAtPoint(*canvas, static_cast<int>(rng() % 400), static_cast<int>(rng() % 500), inText, ch, cy, cx, cell);
        doc->TextSink = nullptr;
    }
}
