#include "htmlview/blocks/Spaces.h"
#include "htmlview/parser/ParserTestSupport.h"

#include <chrono>

using namespace htmlview;
using htmlview::testing::ParserTest;

namespace {
std::vector<int> widths(const ThtmlTable& t) {
    return std::vector<int>(t.Widths.begin(), t.Widths.begin() + t.NumCols);
}
std::vector<int> rowHeights(const ThtmlTable& t) {
    std::vector<int> r;
    for (int i = 0; i < t.Rows.Count(); ++i) r.push_back(t.Rows[i]->RowHeight);
    return r;
}
}  // namespace

TEST_F(ParserTest, BorderPaddingAndSpacingWidenCellsAndRows) {
    parse("<TABLE BORDER CELLPADDING=3 CELLSPACING=5><TR><TD>ab<TD>abcd</TABLE>");
    arrange(600);
    ThtmlTable& t = *table();
    EXPECT_EQ(t.CellSpacing, 7);  // a border adds 2
    // Each column: text + 2 x padding + spacing.
    EXPECT_EQ(widths(t), (std::vector<int>{16 + 13, 32 + 13}));
    EXPECT_EQ(t.TableWidth, 7 + 29 + 45);
    EXPECT_EQ(rowHeights(t), (std::vector<int>{16 + 13}));
    EXPECT_EQ(t.FlowHeight, 29 + 7);
    const TCellObj& cell = *(*t.Rows[0])[1];
    EXPECT_EQ(cell.CellWidth, 45);
    EXPECT_EQ(cell.CellHeight, 29);
    EXPECT_EQ(cell.Content->TopY, 7 + 3);
    int mn, mx;
    t.WidthLimits(*canvas, mn, mx);
    EXPECT_EQ(mn, 81);
    EXPECT_EQ(mx, 81);

    doc->Clear();
    parse("<TABLE BORDER CELLSPACING=0><TR><TD>a</TABLE><TABLE CELLSPACING=99 CELLPADDING=-3><TR><TD>a</TABLE>");
    EXPECT_EQ(table(0)->CellSpacing, 2);  // a bordered table with no spacing still has 2
    EXPECT_EQ(table(1)->CellSpacing, 40);
    EXPECT_EQ(table(1)->CellPadding, 1);
}

TEST_F(ParserTest, PercentagesShareTheWidth) {
    parse("<TABLE WIDTH=50%><TR><TD>a<TD>b</TABLE>");
    arrange(600);
    EXPECT_EQ(table()->TableWidth, 300);  // inner 300 - spacing, plus the spacing

    doc->Clear();
    parse("<TABLE WIDTH=400><TR><TD WIDTH=25%>a<TD>b</TABLE>");
    arrange(600);
    EXPECT_EQ(widths(*table()), (std::vector<int>{100, 298}));

    doc->Clear();
    parse("<TABLE><TR><TD WIDTH=50%>a<TD>bb</TABLE>");
    arrange(600);
    // The natural width: the half column is as wide as the rest.
    EXPECT_EQ(widths(*table()), (std::vector<int>{20, 20}));

    // Percentages that cannot be met at the width give way to the minimum widths.
    doc->Clear();
    parse("<TABLE><TR><TD WIDTH=10%>abcdefghij<TD WIDTH=80%>x<TD>z</TABLE>");
    arrange(200);
    // 10% of 198 is below the first column's minimum: it loses its share, and
    // the 80% column is scaled down into what is left.
    EXPECT_EQ(widths(*table()), (std::vector<int>{84, 103, 12}));

    // Shares above 100% of a table's width give back in proportion; one that
    // would fall below its minimum keeps the minimum.
    doc->Clear();
    parse("<TABLE WIDTH=200><TR><TD WIDTH=80%>aaaaaaaaaa<TD WIDTH=40%>b</TABLE>"
          "<TABLE WIDTH=200><TR><TD WIDTH=50%>aaaaaaaaaaaa<TD WIDTH=90%>b</TABLE>");
    arrange(600);
    EXPECT_EQ(widths(*table(0)), (std::vector<int>{132, 66}));
    EXPECT_EQ(widths(*table(1)), (std::vector<int>{100, 98}));

    // Totals above 100% fall back to the plain distribution.
    doc->Clear();
    parse("<TABLE><TR><TD WIDTH=90%>a<TD WIDTH=90%>b</TABLE>");
    arrange(600);
    EXPECT_EQ(widths(*table()), (std::vector<int>{12, 12}));
}

TEST_F(ParserTest, PixelWidthsAreFloorsInTheSimpleDistribution) {
    parse("<TABLE><TR><TD WIDTH=100>a<TD>b</TABLE><TABLE><TR><TD WIDTH=10>abcdef<TD>b</TABLE>");
    arrange(600);
    EXPECT_TRUE(table(0)->HasPixelCells);
    EXPECT_EQ(widths(*table(0)), (std::vector<int>{104, 12}));
    EXPECT_EQ(widths(*table(1)), (std::vector<int>{52, 12}));
    arrange(80);  // narrower than the maxima: the minima grow in proportion
    EXPECT_EQ(widths(*table(0)), (std::vector<int>{104, 12}));
}

TEST_F(ParserTest, SpansExpandIntoAGrid) {
    parse("<TABLE CELLSPACING=0 CELLPADDING=0><TR><TD COLSPAN=3>abcdefgh<TD>b<TR><TD ROWSPAN=9>r<TD>s</TABLE>");
    arrange(600);
    ThtmlTable& t = *table();
    EXPECT_EQ(t.NumCols, 4);
    EXPECT_EQ(t.Rows[0]->Count(), 4);
    EXPECT_EQ((*t.Rows[1])[0]->SpanRows, 1);  // cut to the rows left
    // A span grows its columns in proportion to what they have.
    EXPECT_EQ(widths(t), (std::vector<int>{32, 32, 0, 8}));

    // Columns that have nothing share a span's width evenly.
    doc->Clear();
    parse("<TABLE CELLSPACING=0 CELLPADDING=0><TR><TD COLSPAN=3>abcdefgh<TD>b</TABLE>");
    arrange(600);
    EXPECT_EQ(widths(*table()), (std::vector<int>{22, 21, 21, 8}));

    doc->Clear();
    parse("<TABLE CELLSPACING=0 CELLPADDING=0><TR><TD ROWSPAN=2>a<BR>b<BR>c<BR>d<TD>x<TD VALIGN=bottom>q<TR><TD>y"
          "<TD VALIGN=top>z</TABLE>");
    arrange(600);
    ThtmlTable& u = *table();
    EXPECT_EQ(u.Rows[1]->Count(), 3);  // a filler under the tall cell
    EXPECT_EQ(rowHeights(u), (std::vector<int>{32, 32}));
    EXPECT_EQ((*u.Rows[0])[0]->CellHeight, 64);
    EXPECT_EQ(u.Rows[0]->SpanHeight, 64);
    EXPECT_EQ((*u.Rows[0])[1]->ContentOffset, 8);   // middle
    EXPECT_EQ((*u.Rows[0])[2]->ContentOffset, 16);  // bottom
    EXPECT_EQ((*u.Rows[1])[2]->ContentOffset, 0);   // top
    EXPECT_EQ((*u.Rows[1])[1]->Content->TopY, 32 + 8);
    EXPECT_EQ((*u.Rows[1])[2]->Content->TopY, 32);
}

TEST_F(ParserTest, RowsWithoutSpansLandAsWithSpans) {
    // The same rows laid out one by one and, with a row span further down,
    // in passes: every cell ends up in the same place with the same index.
    const std::string rows =
        "<TR><TD>a<BR>b<TD VALIGN=middle>c<TD VALIGN=bottom>d"
        "<TR><TD HEIGHT=50 VALIGN=bottom>e<TD>ff ff<TD VALIGN=middle>g<BR>h<BR>i";
    parse("<TABLE CELLSPACING=2 CELLPADDING=1><CAPTION>cap</CAPTION>" + rows + "</TABLE>"
          "<TABLE CELLSPACING=2 CELLPADDING=1><CAPTION>cap</CAPTION>" + rows +
          "<TR><TD ROWSPAN=2>j<TD>k<TD>l<TR><TD>m<TD>n</TABLE>");
    arrange(600);
    ThtmlTable& plain = *table(0);
    ThtmlTable& spanned = *table(1);
    ASSERT_EQ(spanned.Rows.Count(), 4);
    EXPECT_EQ(rowHeights(plain), (std::vector<int>{32 + 4, 50 + 2}));
    const int dy = spanned.TopY - plain.TopY, dChars = spanned.FirstChar - plain.FirstChar;
    EXPECT_EQ(texts(*plain.Caption->Content)[0]->FirstChar, plain.FirstChar);  // the caption comes first
    for (int r = 0; r < 2; ++r)
        for (int i = 0; i < 3; ++i) {
            const TCellObj& a = *(*plain.Rows[r])[i];
            const TCellObj& b = *(*spanned.Rows[r])[i];
            EXPECT_EQ(a.CellHeight, b.CellHeight) << r << i;
            EXPECT_EQ(a.ContentOffset, b.ContentOffset) << r << i;
            EXPECT_EQ(a.Content->TopY + dy, b.Content->TopY) << r << i;
            EXPECT_EQ(a.Content->FirstChar + dChars, b.Content->FirstChar) << r << i;
            EXPECT_EQ(texts(*a.Content)[0]->TopY + dy, texts(*b.Content)[0]->TopY) << r << i;
        }
    EXPECT_EQ((*plain.Rows[0])[1]->ContentOffset, 8);    // (36 - 16 - 2 - 2) / 2
    EXPECT_EQ((*plain.Rows[1])[0]->ContentOffset, 32);   // 52 - 16 - 4
    EXPECT_EQ((*plain.Rows[1])[2]->Content->TopY, plain.TopY + 16 + 36 + 3);  // caption, row 0, spacing and padding
    EXPECT_EQ(plain.CharCount, 3 + 2 + 1 + 1 + 1 + 5 + 3);
}

TEST_F(ParserTest, CaptionsWidenTheTableAndCentreTheBody) {
    parse("<TABLE CELLSPACING=0 CELLPADDING=0><CAPTION>a long caption</CAPTION><TR><TD>ab</TABLE>");
    arrange(600);
    ThtmlTable& t = *table();
    EXPECT_EQ(t.TableWidth, 16);
    EXPECT_EQ(t.TotalWidth, 7 * 8);  // the caption's longest word
    EXPECT_EQ(t.BodyIndent, (7 * 8 - 16) / 2);
    EXPECT_EQ(t.CaptionHeight, 32);  // "a long " and "caption"
    EXPECT_EQ(t.FlowHeight, 48);
    EXPECT_EQ((*t.Rows[0])[0]->Content->TopY, 32);
    // Characters run through the caption first.
    EXPECT_EQ(t.Caption->Content->FirstChar, 0);
    EXPECT_EQ((*t.Rows[0])[0]->Content->FirstChar, 14);
    EXPECT_EQ(t.Search(0, "ab", true), 14);
}

TEST_F(ParserTest, FloatingTablesLetTextFlowBeside) {
    parse("<TABLE ALIGN=right CELLSPACING=0 CELLPADDING=0><TR><TD>abcdefghij<BR>k<BR>l</TABLE>"
          "one two three four five six");
    arrange(200);
    ThtmlTable& t = *table();
    EXPECT_EQ(t.FlowHeight, 0);
    EXPECT_EQ(t.PaintHeight, 48);
    EXPECT_EQ(t.Indent, 200 - 80);
    TSection* text = texts().back();
    EXPECT_EQ(text->TopY, t.TopY);
    // Lines beside the table end before it: 200 - (80 + 5 + 1) pixels.
    for (int i = 0; i < text->Lines.Count(); ++i) {
        if (text->TopY + i * 16 >= 48) break;
        EXPECT_LE(text->TextWidth(*canvas, text->Lines[i]->Start, text->Lines[i]->Ln, true), 114);
    }
    // It still answers hit tests.
    doc->Paint(*canvas, QRect(0, 0, 200, 200), 0, 0, 200);
    bool inText = false;
    int h = 0, cy = 0, cx = 0;
    TCell* cell = nullptr;
    EXPECT_EQ(t.IndexAtPoint(*canvas, 200 - 80 + 1, 17, inText, h, cy, cx, cell), t.FirstChar + 10);  // "k"
    EXPECT_EQ(cell, (*t.Rows[0])[0]->Content.get());
    EXPECT_EQ(cy, 16);
}

TEST_F(ParserTest, TooWideTablesAreDroppedWithTheirMessageAlone) {
    std::string row;
    for (int i = 0; i < 31; ++i) row += "<TD>c";
    parse("a<TABLE><TR>" + row + "</TABLE>b");
    arrange(600);
    EXPECT_EQ(errors, (std::vector<std::string>{"Table has too many Columns"}));
    EXPECT_FALSE(table());
    EXPECT_EQ(texts().back()->Buff, "b");

    // A huge span ends at once.
    errors.clear();
    doc->Clear();
    const auto start = std::chrono::steady_clock::now();
    parse("<TABLE><TR><TD COLSPAN=2000000000>a<TR><TD ROWSPAN=2000000000 COLSPAN=30>b</TABLE>");
    arrange(600);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(errors.size(), 1u);

    // A too-wide table inside a cell goes alone; its parent stays.
    errors.clear();
    doc->Clear();
    parse("<TABLE><TR><TD>keep<TABLE><TR>" + row + "</TABLE><TD>also</TABLE>");
    arrange(600);
    EXPECT_EQ(errors.size(), 1u);
    ASSERT_TRUE(table());
    EXPECT_EQ(table()->NumCols, 2);
    EXPECT_TRUE(blocks<ThtmlTable>(*(*table()->Rows[0])[0]->Content).empty());
}

TEST_F(ParserTest, CellColoursComeFromCellRowTableAndOuterCell) {
    parse("<TABLE><TR><TD BGCOLOR=red><TABLE><TR><TD>a<TD BGCOLOR=blue>b<TR BGCOLOR=lime><TD>c</TABLE>"
          "</TABLE>");
    arrange(600);
    ThtmlTable& inner = *blocks<ThtmlTable>(*(*table()->Rows[0])[0]->Content)[0];
    const auto colour = [&](int r, int c) { return (*inner.Rows[r])[c]->Content->BackColor & 0xFFFFFF; };
    EXPECT_EQ(colour(0, 0), 0x0000FFu);
    EXPECT_EQ(colour(0, 1), 0xFF0000u);
    EXPECT_EQ(colour(1, 0), 0x00FF00u);
}

TEST_F(ParserTest, HitTestsAndVisitsReachTheCells) {
    parse("<TABLE CELLSPACING=0 CELLPADDING=0><TR><TD>ab<TD><A HREF=x.htm>cd</A><TR><TD>ef<TD>gh</TABLE>");
    arrange(600);
    doc->Paint(*canvas, QRect(0, 0, 600, 400), 0, 0, 600);
    ThtmlTable& t = *table();
    EXPECT_EQ(t.FirstChar, 0);
    EXPECT_EQ(t.CharCount, 8);
    TFormControlObj* fi = nullptr;
    std::unique_ptr<TUrlTarget> target;
    EXPECT_TRUE(doc->LinkAtPoint(*canvas, 17, 3, fi, target));
    ASSERT_TRUE(target);
    EXPECT_EQ(target->LinkUrl, "x.htm");
    EXPECT_FALSE(doc->LinkAtPoint(*canvas, 17, 20, fi, target));
    EXPECT_FALSE(doc->LinkAtPoint(*canvas, 40, 3, fi, target));  // right of the table
    char ch = 0;
    TSectionBase* block = nullptr;
    EXPECT_TRUE(doc->CharAtIndex(5, ch, block));
    EXPECT_EQ(ch, 'f');
    EXPECT_EQ(doc->Search(0, "GH", false), 6);
    int x = 0, y = 0;
    EXPECT_TRUE(doc->PointOfIndex(*canvas, 6, y, x));
    EXPECT_EQ(y, 16);
    TStringSink sink;
    doc->TextSink = &sink;
    doc->SelStart = 1;
    doc->SelEnd = 7;
    doc->CopySelected();
    EXPECT_EQ(sink.Text, "b\r\ncd\r\nef\r\ng");
}

TEST_F(ParserTest, NestedContentLandsWhereItsRowPutsIt) {
    parse("top<P><TABLE CELLSPACING=2 CELLPADDING=3><TR><TD><IMG ALIGN=left WIDTH=4 HEIGHT=4>ab"
          "<TD><TABLE CELLSPACING=0 CELLPADDING=0><TR><TD>x<BR>y</TABLE></TABLE>");
    arrange(600);
    ThtmlTable& outer = *table();
    EXPECT_EQ(outer.TopY, 16 + 14);
    EXPECT_EQ(rowHeights(outer), (std::vector<int>{32 + 8}));
    const TCellObj& first = *(*outer.Rows[0])[0];
    EXPECT_EQ(first.ContentOffset, (40 - 16 - 2 - 6) / 2);
    const TSection& ab = *texts(*first.Content)[0];
    EXPECT_EQ(ab.TopY, 30 + 5 + 8);
    EXPECT_EQ(ab.FirstChar, 3);
    EXPECT_EQ(ab.Images[0]->FloatY, 30 + 5 + 8);
    ThtmlTable& inner = *blocks<ThtmlTable>(*(*outer.Rows[0])[1]->Content)[0];
    EXPECT_EQ(inner.TopY, 30 + 5);
    const TCell& innerCell = *(*inner.Rows[0])[0]->Content;
    auto xy = texts(innerCell);
    ASSERT_EQ(xy.size(), 2u);
    EXPECT_EQ(xy[0]->TopY, 35);
    EXPECT_EQ(xy[1]->TopY, 51);
    EXPECT_EQ(xy[0]->FirstChar, 3 + 3);  // "top", "ab" and the image
    EXPECT_EQ(xy[1]->FirstChar, 7);
    EXPECT_EQ(outer.CharCount, 5);
    // Laid out again somewhere else, everything follows.
    int ci = 100, mw = 0;
    doc->TCell::Arrange(*canvas, 1000, 600, ci, mw);
    EXPECT_EQ(xy[1]->TopY, 1051);
    EXPECT_EQ(xy[1]->FirstChar, 107);
}

TEST_F(ParserTest, NewDefaultsReachCellsAndCaptions) {
    parse("<TABLE><CAPTION>c</CAPTION><TR><TD>a<BR>b<P>c</TABLE>");
    doc->SetDefaults("Arial", "Courier New", 24, clBlack, clBlue, clWhite);
    ThtmlTable& t = *table();
    const TCell& cell = *(*t.Rows[0])[0]->Content;
    EXPECT_EQ(texts(cell)[0]->Fonts[0]->TheFont->Size(), 24);
    EXPECT_EQ(texts(cell)[0]->Fonts[0]->TheFont->Name(), "Arial");
    auto spaces = blocks<TParagraphSpace>(cell);
    ASSERT_EQ(spaces.size(), 1u);
    EXPECT_EQ(spaces[0]->FlowHeight, 28);
    EXPECT_EQ(texts(*t.Caption->Content)[0]->Fonts[0]->TheFont->Size(), 24);
}
