#include "htmlview/parser/IcPage.h"
#include "htmlview/parser/ParserTestSupport.h"

#include <QImage>
#include <QPainter>

using namespace htmlview;
using htmlview::testing::ParserTest;

namespace {
const char* const kVerdana = "Verdana";
}

TEST_F(ParserTest, IcResultPageShape) {
    parser.ParseHtmlStrings(*doc, &names, htmlview::testing::IcResultPage(htmlview::testing::SampleIcRows()));
    EXPECT_EQ(doc->BackColor, 0xFFFFFFu | kPaletteRelative);
    auto t = texts();
    ASSERT_GE(t.size(), 1u);
    EXPECT_EQ(t[0]->Buff, "Your search returned this result: ");
    ThtmlTable* tab = table();
    ASSERT_TRUE(tab);
    EXPECT_EQ(tab->Justify, 2);  // centred by the DIV around it
    EXPECT_FALSE(tab->Floating);
    EXPECT_TRUE(tab->Border);
    EXPECT_EQ(tab->CellSpacing, 4);
    EXPECT_EQ(tab->CellPadding, 1);
    EXPECT_EQ(tab->WantWidth, 950);
    EXPECT_TRUE(tab->WidthInTenths);
    ASSERT_EQ(tab->Rows.Count(), 4);

    const TCellList& head = *tab->Rows[0];
    EXPECT_TRUE(head.HasBackColor);
    EXPECT_EQ(head.BackColor, 0u | kPaletteRelative);
    ASSERT_EQ(head.Count(), 4);
    const int widths[] = {70, 200, 600, 130};
    const char* const captions[] = {"Item", "Identification", "Description", "Company"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(head[i]->WantWidth, widths[i]);
        EXPECT_TRUE(head[i]->WidthInTenths);
        auto cellTexts = texts(*head[i]->Content);
        ASSERT_EQ(cellTexts.size(), 1u);
        EXPECT_EQ(cellTexts[0]->Buff, captions[i]);
        EXPECT_EQ(cellTexts[0]->Align, 2);
        const TFontObj* run = cellTexts[0]->Fonts.GetRunAt(0);
        EXPECT_EQ(run->TheFont->NominalSize, 10);  // size -1 from 3
        EXPECT_EQ(run->TheFont->Color(), 0xFFFFFFu | kPaletteRelative);
        EXPECT_EQ(run->TheFont->Name(), kVerdana);
    }

    const auto rowTexts = [&](int r) {
        std::vector<std::string> v;
        for (int i = 0; i < tab->Rows[r]->Count(); ++i) {
            auto c = texts(*(*tab->Rows[r])[i]->Content);
            v.push_back(c.empty() ? "" : c[0]->Buff);
        }
        return v;
    };
    EXPECT_EQ(rowTexts(1), (std::vector<std::string>{"1", "LM741", "Operational amplifier", "National"}));
    EXPECT_EQ(rowTexts(2), (std::vector<std::string>{"2", "741", "Op amp < 1 MHz & more", "Texas"}));
    for (int r = 1; r < 4; ++r) {
        EXPECT_FALSE(tab->Rows[r]->HasBackColor);
        for (int i = 0; i < 4; ++i) {
            const TSection* s = texts(*(*tab->Rows[r])[i]->Content)[0];
            EXPECT_EQ(s->Align, 1);
            const TFontObj* run = s->Fonts.GetRunAt(0);
            EXPECT_EQ(run->TheFont->NominalSize, 8) << r << "," << i;  // size -2 from 3
            EXPECT_EQ(run->TheFont->Name(), kVerdana);
            EXPECT_EQ(run->IsLink(), i == 1);
        }
    }
    // The code is one link run, underlined in the link colour, in the cell's font.
    const TSection* code = texts(*(*tab->Rows[1])[1]->Content)[0];
    const TFontObj* link = code->Fonts[0];
    EXPECT_EQ(code->Fonts.GetRunLength(0, code->CharCount), code->CharCount);
    EXPECT_EQ(link->UrlTarget.LinkUrl, "http://www.national.com/pf/LM/LM741.html");
    EXPECT_TRUE(link->TheFont->Style() & fsUnderline);
    EXPECT_EQ(link->TheFont->Color(), doc->LinkColor);
    EXPECT_EQ(link->TheFont->NominalSize, 8);

    // Laid out at 600 pixels with 8-pixel characters.
    arrange(600);
    EXPECT_EQ(tab->TableWidth, 570);  // 95% of 600
    EXPECT_EQ(tab->Indent, 15);       // centred
    int sum = 0;
    for (int i = 0; i < 4; ++i) sum += tab->Widths[static_cast<size_t>(i)];
    EXPECT_EQ(sum, 566);
    EXPECT_GE(tab->Widths[1], 14 * 8 + 6);  // "Identification" keeps its width

    // A link in a cell answers a hit test through the table.
    TFormControlObj* formImage = nullptr;
    std::unique_ptr<TUrlTarget> target;
    QImage img(600, 400, QImage::Format_RGB32);
    QPainter p(&img);
    TCanvas paint(fake, &p);
    doc->Paint(paint, QRect(0, 0, 600, 400), 0, 0, 600);
    const LineRec& line = *code->Lines[0];
    EXPECT_TRUE(doc->LinkAtPoint(paint, line.DrawX + 2, line.DrawY + 2, formImage, target));
    ASSERT_TRUE(target);
    EXPECT_EQ(target->LinkUrl, "http://www.national.com/pf/LM/LM741.html");
}

TEST_F(ParserTest, IcResultPageWithoutMatches) {
    parser.ParseHtmlStrings(*doc, &names, htmlview::testing::IcResultPage({}));
    EXPECT_FALSE(table());
    std::string all;
    for (TSection* s : texts()) all += s->Buff + "|";
    EXPECT_EQ(all, "Your search returned this result: |0 items returned. |");
}
