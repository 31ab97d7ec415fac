// Column widths where spanning cells meet percentage columns, and grids the
// spans shape. Figures follow the width rules by hand: the fake measurer
// gives 8 pixels a character; each cell adds 2 x padding (1) + spacing (2).
#include "htmlview/parser/ParserTestSupport.h"

using namespace htmlview;
using htmlview::testing::ParserTest;

namespace {
std::vector<int> widths(const ThtmlTable& t) {
    return std::vector<int>(t.Widths.begin(), t.Widths.begin() + t.NumCols);
}
}  // namespace

TEST_F(ParserTest, SpanOverAPercentageColumnWidensTheFreeColumn) {
    // Columns alone: "x" and "y" give min = max = 12 each; the first is 30%.
    // The title spans both: min 4 x 8 + 4 = 36, max 14 x 8 + 4 = 116.
    // P = 300, z = 1: the free column takes both shortfalls, min 12 + 12 = 24
    // and max 12 + 92 = 104; the percentage column keeps 12.
    parse("<TABLE><TR><TH COLSPAN=2>aaaa bbbb cccc<TR><TD WIDTH=30%>x<TD>y</TABLE>");
    arrange(600);
    ThtmlTable& t = *table();
    // Natural width: S = 12 x 1000 / 300 = 40; U = 116 - 12 = 104;
    // D = 104 x 1000 / 700 = 149 (rounded); E = 149, below N = 598:
    // the 30% column gets 149 x 300 / 1000 = 45, the free column 104.
    EXPECT_EQ(widths(t), (std::vector<int>{45, 104}));
    // The title fits on one line.
    const TCellObj& title = *(*t.Rows[0])[0];
    EXPECT_EQ(title.CellWidth, 45 + 104);
    EXPECT_EQ(texts(*title.Content).at(0)->Lines.Count(), 1);

    // A percentage column after the free one: the free column still grows.
    doc->Clear();
    parse("<TABLE><TR><TD COLSPAN=2>aaaa bbbb cccc<TR><TD>y<TD WIDTH=30%>x</TABLE>");
    arrange(600);
    EXPECT_EQ(widths(*table()), (std::vector<int>{104, 45}));
}

TEST_F(ParserTest, SpanOverTwoFreeAndOnePercentageColumnSharesByMaximum) {
    // Free columns "yy" (20) and "y" (12), one 20% column "x" (12). The
    // span of all three: min 9 x 8 + 4 = 76, max 9 x 8 + 4 = 76 (one word).
    // Min shortfall 76 - 44 = 32 goes to the free columns by their maxima:
    // 32 x 20 / 32 = 20 and 32 x 12 / 32 = 12; max shortfall 32 / 2 = 16 each.
    parse("<TABLE><TR><TD COLSPAN=3>aaaaaaaaa<TR><TD>yy<TD>y<TD WIDTH=20%>x</TABLE>");
    int mn = 0, mx = 0;
    table()->WidthLimits(*canvas, mn, mx);
    // Min: 40 + 24 + 12 + spacing 2; max: 36 + 28 + 12 + 2.
    EXPECT_EQ(mn, 78);
    EXPECT_EQ(mx, 78);
}

TEST_F(ParserTest, FullWidthTableFillsTheWidth) {
    parse("<TABLE WIDTH=100%><TR><TD>a<TD>b</TABLE>");
    arrange(600);
    EXPECT_EQ(table()->TableWidth, 600);
}

TEST_F(ParserTest, RowSpanAtTheRowEndKeepsTheColumnCount) {
    parse("<TABLE><TR><TD>a<TD>c<TD ROWSPAN=2>b<TR><TD>x</TABLE>");
    arrange(600);
    EXPECT_EQ(table()->NumCols, 3);
}
