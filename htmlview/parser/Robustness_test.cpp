#include "htmlview/parser/ParserTestSupport.h"

#include <QImage>
#include <QPainter>
#include <functional>
#include <random>

using namespace htmlview;
using htmlview::testing::ParserTest;

namespace {
// The deepest container nesting in a cell's tree.
int depth(const TCell& cell) {
    int d = 0;
    for (int i = 0; i < cell.Count(); ++i) {
        if (auto* t = dynamic_cast<const ThtmlTable*>(cell[i])) {
            for (int r = 0; r < t->Rows.Count(); ++r)
                for (int c = 0; c < t->Rows[r]->Count(); ++c)
                    if ((*t->Rows[r])[c]->Content) d = std::max(d, 1 + depth(*(*t->Rows[r])[c]->Content));
        }
        if (auto* s = dynamic_cast<const TSection*>(cell[i])) d = std::max(d, s->Level);
    }
    return d;
}

std::string repeat(const std::string& s, int n) {
    std::string r;
    r.reserve(s.size() * static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

// Every block of a cell's tree, tables' cells included.
void forEachBlock(const TCell& cell, const std::function<void(const TSectionBase&)>& f) {
    for (int i = 0; i < cell.Count(); ++i) {
        f(*cell[i]);
        if (auto* t = dynamic_cast<const ThtmlTable*>(cell[i]))
            for (int r = 0; r < t->Rows.Count(); ++r)
                for (int k = 0; k < t->Rows[r]->Count(); ++k)
                    if ((*t->Rows[r])[k]->Content) forEachBlock(*(*t->Rows[r])[k]->Content, f);
    }
}

// Everything a user can do to a laid-out document. Pieces bounds the page:
// no piece of markup may make it taller than a few clamped sizes.
void exercise(TSectionList& doc, TCanvas& canvas, int width, int pieces = 1) {
    int ci = 0, mw = 0;
    const int h = doc.Arrange(canvas, 0, width, ci, mw);
    EXPECT_GE(h, 0);
    EXPECT_LE(h, 1000 + pieces * 3 * kMaxPagePixels);
    EXPECT_GE(mw, 0);
    forEachBlock(doc, [](const TSectionBase& b) {
        EXPECT_GE(b.FlowHeight, 0);
        EXPECT_GE(b.PaintHeight, 0);
    });
    if (::testing::Test::HasFailure()) return;
    QImage img(std::max(1, std::min(width, 400)), 200, QImage::Format_RGB32);
    QPainter p(&img);
    TCanvas paint(canvas.Metrics, &p);
    for (int scroll : {0, h / 2}) {
        doc.SetScrollY(scroll);
        doc.Paint(paint, QRect(0, 0, img.width(), img.height()), 0, 0, width);
    }
    doc.SetScrollY(0);
    const int stepY = std::max(7, h / 60), stepX = std::max(13, width / 40);
    for (int y = 0; y < h + 20; y += stepY)
        for (int x = 0; x < width + 10; x += stepX) {
            TFormControlObj* fi = nullptr;
            std::unique_ptr<TUrlTarget> target;
            doc.LinkAtPoint(paint, x, y, fi, target);
            int ix, iy;
            TImageObj* image = nullptr;
            doc.ImageAtPoint(x, y, ix, iy, image);
            bool inText;
            int ch, cy, cx;
            TCell* cell = nullptr;
            doc.IndexAtPoint(paint, x, y, inText, ch, cy, cx, cell);
        }
    doc.Search(0, "a", false);
    TStringSink sink;
    doc.TextSink = &sink;
    doc.SelStart = 0;
    doc.SelEnd = doc.CharCount;
    doc.CopySelected();
    doc.TextSink = nullptr;
    for (int i = 0; i <= doc.CharCount; i += std::max(3, doc.CharCount / 100)) {
        char c;
        TSectionBase* b;
        doc.CharAtIndex(i, c, b);
        int x, y;
        doc.PointOfIndex(paint, i, y, x);
    }
}
}  // namespace

TEST_F(ParserTest, DeepNestingIsCappedInParsingAndLayout) {
    const char* const openers[] = {"<TABLE><TR><TD>", "<UL><LI>", "<BLOCKQUOTE>", "<CENTER>", "<DIV ALIGN=right>",
                                   "<OL><LI><DL><DD>", "<TABLE><TR><TD><UL><LI><CENTER><DIV>"};
    for (const char* opener : openers) {
        doc->Clear();
        parse(repeat(opener, 10000) + "deep" + repeat("<B><FONT SIZE=+1><A HREF=x>", 200));
        EXPECT_LE(depth(*doc), kMaxNesting) << opener;
        exercise(*doc, *canvas, 600);
        bool found = false;
        std::function<void(const TCell&)> look = [&](const TCell& c) {
            for (int i = 0; i < c.Count(); ++i) {
                if (auto* s = dynamic_cast<const TSection*>(c[i]); s && s->Buff.find("deep") != std::string::npos)
                    found = true;
                if (auto* t = dynamic_cast<const ThtmlTable*>(c[i]))
                    for (int r = 0; r < t->Rows.Count(); ++r)
                        for (int k = 0; k < t->Rows[r]->Count(); ++k)
                            if ((*t->Rows[r])[k]->Content) look(*(*t->Rows[r])[k]->Content);
            }
        };
        look(*doc);
        EXPECT_TRUE(found) << opener;  // the text inside is kept
    }
}

TEST_F(ParserTest, RandomMarkupNeverBreaksParsingLayoutOrPainting) {
    const std::vector<std::string> pieces = {
        "<P>", "</P>", "<P ALIGN=center>", "<BR>", "<BR CLEAR=all>", "<B>", "</B>", "<I>", "</I>", "<U>", "<SUB>",
        "</SUP>", "<H1>", "</H2>", "<H9>", "<TT>", "</TT>", "<FONT SIZE=+3 COLOR=red FACE=Arial>", "</FONT>",
        "<BASEFONT SIZE=1>", "<BIG>", "</BIG>", "<SMALL>", "</SMALL>", "<ADDRESS>", "</ADDRESS>", "<PRE>", "</PRE>",
        "<IMG SRC=missing.gif ALT=\"alt text\" ALIGN=left WIDTH=20 HEIGHT=10>", "<IMG ALIGN=right>",
        "<A HREF=a.htm>", "<A NAME=n>", "</A>", "<TABLE>", "<TABLE BORDER=3 CELLPADDING=4 WIDTH=80%>",
        "<TABLE ALIGN=left>", "<TABLE ALIGN=right BORDERCOLOR=navy BGCOLOR=yellow>", "</TABLE>", "<TR>",
        "<TR BGCOLOR=silver ALIGN=right VALIGN=bottom>", "</TR>", "<TD>", "<TD COLSPAN=3>", "<TD ROWSPAN=4>",
        "<TD WIDTH=30%>", "<TD WIDTH=120 HEIGHT=50 VALIGN=top>", "</TD>", "<TH>", "</TH>", "<CAPTION>",
        "<CAPTION ALIGN=bottom>", "</CAPTION>", "<UL>", "<UL PLAIN>", "<OL START=0 TYPE=i>", "<OL TYPE=A>", "<DL>",
        "</UL>", "</OL>", "</DL>", "<LI>", "<DT>", "<DD>", "<BLOCKQUOTE>", "</BLOCKQUOTE>", "<CENTER>", "</CENTER>",
        "<DIV ALIGN=right>", "</DIV>", "<HR>", "<HR SIZE=7 WIDTH=40% COLOR=green>", "<FORM>", "</FORM>",
        "<TEXTAREA ROWS=2>", "</TEXTAREA>", "<SELECT>", "<OPTION>", "</SELECT>", "<INPUT>", "<MAP NAME=m>",
        "<AREA COORDS=1,2,3,4>", "</MAP>", "<SCRIPT>", "</SCRIPT>", "<TITLE>", "</TITLE>", "<BODY BGCOLOR=red>",
        "</BODY>", "<BASE HREF=x>", "<META NAME=a>", "&amp;", "&nbsp;", "&#65;", "&bogus", "<", ">", "< ", "\r\n",
        "\n", " ", "  ", "text", "longerwordthatneedsroom", "a b c d e f", "\x01", "\xE9t\xE9", "<UNKNOWN>", "</LI>",
        "<!-- c -->", "<OL START=2147483647><LI>a<LI>b", "<TD COLSPAN=-5 ROWSPAN=0 WIDTH=0%>",
        "<TD WIDTH=2147483647 HEIGHT=2147483647>", "<TABLE WIDTH=2147483647 CELLSPACING=2147483647 HSPACE=-2147483648>",
        "<TABLE WIDTH=-5 CELLPADDING=-1>", "<HR WIDTH=2147483647 SIZE=-3>", "<FONT SIZE=+2147483647>",
        "<FONT SIZE=-99999999999>", "<TEXTAREA ROWS=2147483647 COLS=-1>", "<TD COLSPAN=31>", "<TD ROWSPAN=1000>",
        "<IMG WIDTH=100% HEIGHT=0>", "<IMG WIDTH=5000 HEIGHT=5000 ALIGN=middle>", "<A HREF=\"\">", "<A NAME=\"\">",
        "<IMG WIDTH=2147483647 HEIGHT=2147483647>", "<IMG WIDTH=-2147483648 HEIGHT=-5 ALIGN=left>",
        "<IMG HEIGHT=99999 ALIGN=right HSPACE=2147483647>", "<IMG WIDTH=99999 ALIGN=top>",
        "<A HREF=x><IMG WIDTH=2000000000 HEIGHT=1 ALIGN=left></A>", "<IMG WIDTH=100% HEIGHT=2147483647>",
    };
    for (unsigned seed : {20261208u, 1u, 77u}) {
        std::mt19937 rng(seed);
        std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
        std::uniform_int_distribution<int> len(1, 250);
        const int widths[] = {0, 37, 300, 1000};
        for (int doc_i = 0; doc_i < 1000; ++doc_i) {
            std::string html;
            const int count = len(rng);
            for (int n = count; n > 0; --n) html += pieces[pick(rng)];
            doc->Clear();
            names.Clear();
            try {
                parse(html);
            } catch (const EParseError&) {
                // A refused page is a fine answer; what is left must still lay out.
            }
            exercise(*doc, *canvas, widths[doc_i % 4], count);
            ASSERT_FALSE(HasFailure()) << "seed " << seed << ", page " << doc_i << ": " << html;
        }
    }
}
