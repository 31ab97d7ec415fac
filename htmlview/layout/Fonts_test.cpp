#include "testkit/htmlview/LayoutTestSupport.h"

#include <QFont>
#include <QFontInfo>

using namespace htmlview;
using htmlview::testing::LayoutTest;

TEST_F(LayoutTest, FontSizesFollowTheDocumentBaseSize) {
    TMyFont f;
    f.SetNominalSize(*doc, 10);
    EXPECT_EQ(f.Size(), 10);
    doc->BaseFontSize = 15;
    f.SetNominalSize(*doc, 10);
    EXPECT_EQ(f.Size(), 13);  // MulDiv(15, 10, 12)
    f.Fixed = true;
    f.Refresh(*doc, 0x123456);
    EXPECT_EQ(f.Name(), "Courier New");
    EXPECT_EQ(f.Color(), 0x2123456u);
    TMyFont g;
    g.Assign(f);
    EXPECT_TRUE(g.Fixed);
    EXPECT_EQ(g.NominalSize, 10);
}

TEST_F(LayoutTest, FontRunsAndLinks) {
    std::unique_ptr<TSection> s(section("ab"));
    TMyFont bold = font;
    bold.SetStyle(fsBold);
    TMyFont italic = font;
    italic.SetStyle(fsItalic);
    s->ChangeFont(*doc, bold, state);
    s->ChangeFont(*doc, italic, state);  // no text between: one run, the second font
    ASSERT_EQ(s->Fonts.Count(), 2);
    EXPECT_EQ(s->Fonts[1]->TheFont->Style(), fsItalic);
    EXPECT_EQ(s->Fonts[1]->Pos, 2);

    TUrlTarget link;
    link.Assign("a.htm", "main");
    s->ChangeFontAndLink(true, *doc, font, &link, state);
    s->AppendText("link");
    s->ChangeFont(*doc, bold, state);  // inside the link: the URL carries on
    s->AppendText("more");
    EXPECT_EQ(s->Fonts.Last()->UrlTarget.LinkUrl, "a.htm");
    s->ChangeFontAndLink(false, *doc, font, nullptr, state);
    s->AppendText("after");
    EXPECT_TRUE(s->Fonts.Last()->UrlTarget.LinkUrl.empty());
    EXPECT_EQ(s->Fonts.GetRunAt(3)->UrlTarget.LinkTarget, "main");

    TInlineState sub;
    sub.SubSupMode = 1;
    s->ChangeFont(*doc, font, sub);
    EXPECT_EQ(s->Fonts.Last()->TheFont->NominalSize, 9);
    EXPECT_EQ(s->Fonts.Last()->TheFont->Size(), 9);
    EXPECT_EQ(s->Fonts.Last()->SubSup, 1);
    s->AppendText("x");
    int index;
    s->Fonts.GetRunAt(s->CharCount - 1, index);
    EXPECT_EQ(index, s->Fonts.Count() - 1);
    EXPECT_EQ(s->Fonts.GetRunLength(s->CharCount - 1, s->CharCount), 1);  // the last run counts to the end
    EXPECT_EQ(s->Fonts.GetRunLength(0, s->CharCount), 2);
}

TEST_F(LayoutTest, RunMetricsFollowFontChanges) {
    TFontObj run(font, 0);
    EXPECT_EQ(run.FontHeight, 16);
    fake.Height = 30;
    run.TheFont->SetSize(40);  // any change refreshes the metrics
    EXPECT_EQ(run.FontHeight, 30);
}

TEST(QtTextMetrics, WidthsAddUpAndSizesArePixelsAt96Dpi) {
    QtTextMetrics m;
    TFont f;
    f.SetName("Arial");
    f.SetSize(12);
    EXPECT_EQ(QtTextMetrics::ToQFont(f).pixelSize(), 16);
    const std::string a = "Wave ", b = "form \xE9t\xE9";
    EXPECT_EQ(m.TextWidth(f, a + b), m.TextWidth(f, a) + m.TextWidth(f, b));
    EXPECT_GT(m.TextWidth(f, "W"), m.TextWidth(f, "i"));
    TTextMetric tm = m.Metrics(f);
    EXPECT_EQ(tm.Height, tm.Ascent + tm.Descent);
    EXPECT_GT(tm.Height, 10);
}

TEST(QtTextMetrics, OneFontObjectChangedBetweenLookUpsIsMeasuredAsItIsNow) {
    QtTextMetrics m;
    TFont f;
    f.SetName("Verdana, Arial, Helvetica, sans-serif");
    f.SetSize(10);
    const int small = m.TextWidth(f, "Wide text");
    f.SetSize(20);
    const int large = m.TextWidth(f, "Wide text");
    EXPECT_GT(large, small);
    f.SetStyle(fsBold);
    EXPECT_GE(m.TextWidth(f, "Wide text"), large);
    EXPECT_GT(m.Metrics(f).Height, 0);
    f.SetStyle(0);
    EXPECT_EQ(m.TextWidth(f, "Wide text"), large);
    f.SetSize(10);
    EXPECT_EQ(m.TextWidth(f, "Wide text"), small);
    // A name in other letters is the same font.
    TFont upper(f);
    upper.SetName("VERDANA, ARIAL, HELVETICA, SANS-SERIF");
    EXPECT_EQ(m.TextWidth(upper, "Wide text"), small);
    EXPECT_EQ(m.Metrics(upper).Height, m.Metrics(f).Height);
}

TEST(QtTextMetrics, TheProgramsMeasureWindowsFacesWithLiberation) {
    TFont times;
    times.SetName("Times New Roman");
    times.SetSize(12);
    TFont arial = times, courier = times, verdana = times;
    arial.SetName("Arial");
    courier.SetName("Courier New");
    verdana.SetName("Verdana");
    const std::string text = "Pages wrap where their authors saw them wrap";
    ASSERT_EQ(WindowsFaces(), TWindowsFaces::DejaVu);  // what tests measure with
    EXPECT_EQ(QtTextMetrics::ToQFont(times).family(), "DejaVu Serif");
    const int dejaVu = QtTextMetrics().TextWidth(times, text);

    SetWindowsFaces(TWindowsFaces::Liberation);
    EXPECT_EQ(QFontInfo(QtTextMetrics::ToQFont(times)).family(), "Liberation Serif");  // installed, not a fallback
    EXPECT_EQ(QFontInfo(QtTextMetrics::ToQFont(arial)).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(QtTextMetrics::ToQFont(courier)).family(), "Liberation Mono");
    EXPECT_EQ(QtTextMetrics::ToQFont(verdana).family(), "DejaVu Sans");  // only the three faces
    const int liberation = QtTextMetrics().TextWidth(times, text);
    SetWindowsFaces(TWindowsFaces::DejaVu);
    // DejaVu Serif runs about a quarter wider than Times.
    EXPECT_LT(liberation * 110 / 100, dejaVu);
}
