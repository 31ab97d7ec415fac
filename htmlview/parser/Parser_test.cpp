#include "htmlview/parser/ParserTestSupport.h"

#include "htmlview/blocks/HorzLine.h"
#include "htmlview/blocks/Spaces.h"
#include "htmlview/blocks/TextArea.h"
#include "testkit/files/TempDir.h"

#include <QPlainTextEdit>
#include <cstdio>
#include <fstream>

using namespace htmlview;
using htmlview::testing::ParserTest;

TEST_F(ParserTest, RepeatedParagraphsAddOneSpaceAndACellStartAddsNone) {
    parse("<P><P><P>text");
    EXPECT_EQ(blocks<TParagraphSpace>().size(), 1u);
    ASSERT_EQ(texts().size(), 1u);
    EXPECT_EQ(texts()[0]->Buff, "text");

    doc->Clear();
    parse("<TABLE><TR><TD><P>text</TABLE>");
    ThtmlTable* t = table();
    ASSERT_TRUE(t);
    TCell& cell = *(*t->Rows[0])[0]->Content;
    EXPECT_TRUE(blocks<TParagraphSpace>(cell).empty());
    EXPECT_EQ(texts(cell)[0]->Buff, "text");

    doc->Clear();
    parse("a<P ALIGN=right></P><P ALIGN=center>b");
    ASSERT_EQ(texts().size(), 2u);
    EXPECT_EQ(texts()[1]->Align, 2);  // the last of the run of P tags decides
}

TEST_F(ParserTest, FontSizesFollowBaseFontAndRelativeSizes) {
    parse("<BASEFONT SIZE=5>a<FONT SIZE=+1>b</FONT><FONT SIZE=9>c</FONT><FONT SIZE=-9>d</FONT>");
    const TSection* s = texts()[0];
    EXPECT_EQ(s->Buff, "abcd");
    // BASEFONT before any block pushes a font of its own size.
    EXPECT_EQ(s->Fonts.GetRunAt(0)->TheFont->NominalSize, 18);
    EXPECT_EQ(s->Fonts.GetRunAt(1)->TheFont->NominalSize, 24);
    EXPECT_EQ(s->Fonts.GetRunAt(2)->TheFont->NominalSize, 36);
    EXPECT_EQ(s->Fonts.GetRunAt(3)->TheFont->NominalSize, 8);

    doc->Clear();
    doc->BaseFontSize = 15;
    parse("x<FONT SIZE=2 COLOR=red FACE=' Arial , Helvetica'>y");
    const TMyFont& f = *texts()[0]->Fonts.GetRunAt(1)->TheFont;
    EXPECT_EQ(f.NominalSize, 10);
    EXPECT_EQ(f.Size(), 13);  // MulDiv(15, 10, 12)
    EXPECT_EQ(f.Color(), 0x0000FFu | kPaletteRelative);
    EXPECT_EQ(f.Name(), "Arial");
}

TEST_F(ParserTest, BigAndSmallStopAtTheTableEndsAndNeverPopTheBaseFont) {
    parse("<FONT SIZE=7><BIG>a</BIG>b</FONT>c<FONT SIZE=1><SMALL>d</SMALL>e<BIG>f</BIG>g"
          "</BIG></BIG></BIG></SMALL>h<SMALL>i");
    const TSection* s = texts()[0];
    ASSERT_EQ(s->Buff, "abcdefghi");
    const auto size = [s](int pos) { return s->Fonts.GetRunAt(pos)->TheFont->NominalSize; };
    const int expected[] = {36, 12, 12, 8, 12, 14, 12, 12, 10};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(size(i), expected[i]) << "character " << i;
}

TEST_F(ParserTest, OrderedListsNumberFromStartInTheirStyle) {
    parse("<OL START=3 TYPE=a><LI>x<LI>y</OL><OL START=-4><LI>z</OL><OL START=0 TYPE=I><LI>r</OL>"
          "<OL START=0 TYPE=A><LI>s</OL>");
    auto items = blocks<TOListItem>();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0]->Number(), 3);
    EXPECT_EQ(items[0]->NumberStyle, 'a');
    EXPECT_EQ(items[0]->NumberMarker(), "c.");
    EXPECT_EQ(items[1]->NumberMarker(), "d.");
    EXPECT_EQ(items[2]->Number(), 1);  // a negative START counts from 1
    EXPECT_EQ(items[2]->NumberMarker(), "1.");
    // START=0 with letters or numerals stays inside their tables.
    EXPECT_EQ(items[3]->Number(), 0);
    EXPECT_EQ(items[3]->NumberMarker(), "I.");
    EXPECT_EQ(items[4]->NumberMarker(), "A.");
    EXPECT_EQ(items[0]->Level, 1);
    EXPECT_EQ(items[0]->ListType, 1);
}

TEST_F(ParserTest, ListsNestCloseByAnyListEndAndMarkPlainBullets) {
    parse("<UL><LI>a</OL>b<UL PLAIN><LI>c<OL><LI>d</UL>e</UL>f<DL><DT>t<DD>u</DL>");
    auto items = blocks<TUListItem>();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0]->Buff, "a");
    EXPECT_EQ(items[0]->ListType, 2);
    EXPECT_FALSE(items[0]->Plain);
    EXPECT_EQ(items[1]->Buff, "c");
    EXPECT_TRUE(items[1]->Plain);
    EXPECT_EQ(items[2]->Buff, "d");
    EXPECT_EQ(items[2]->Level, 2);
    EXPECT_EQ(items[2]->ListType, 1);
    // "e" continues the outer list's item level after the inner list ended at </UL>.
    EXPECT_EQ(items[3]->Buff, "t");
    EXPECT_EQ(items[3]->Level, 0);
    EXPECT_EQ(items[3]->ListType, 3);
    EXPECT_EQ(items[4]->Buff, "u");
    EXPECT_EQ(items[4]->Level, 1);
    std::vector<std::string> plain;
    for (TSection* s : texts())
        if (!dynamic_cast<TUListItem*>(s)) plain.push_back(s->Buff + "@" + std::to_string(s->Level));
    EXPECT_EQ(plain, (std::vector<std::string>{"b@0", "e@1", "f@0"}));
}

TEST_F(ParserTest, ItemsAfterACentredPartKeepTheirMarkers) {
    parse("<UL><LI>a<CENTER>b</CENTER><LI>c</UL>");
    auto items = blocks<TUListItem>();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1]->Buff, "c");
    bool centred = false;
    for (TSection* s : texts())
        if (s->Buff == "b") centred = s->Align == 2 && s->Level == 1;
    EXPECT_TRUE(centred);
}

TEST_F(ParserTest, TablesTakeRowsCellsAndTextBeforeThem) {
    parse("<TABLE><TR><TD>a<TD>b</TABLE>");
    ASSERT_TRUE(table());
    ASSERT_EQ(table()->Rows.Count(), 1);
    EXPECT_EQ(table()->Rows[0]->Count(), 2);

    doc->Clear();
    parse("<TABLE>x<TR><TD>a</TABLE>y");
    ASSERT_EQ(doc->Count(), 4);  // the first section, "x", the table, "y"
    EXPECT_EQ(static_cast<TSection*>((*doc)[1])->Buff, "x");
    EXPECT_TRUE(dynamic_cast<ThtmlTable*>((*doc)[2]));
    EXPECT_EQ(static_cast<TSection*>((*doc)[3])->Buff, "y");

    // A list that a cell tag ends leaves the cell tag to the table.
    doc->Clear();
    parse("<TABLE><TR><TD><UL><LI>a<TD>b</TABLE>");
    ASSERT_TRUE(table());
    ASSERT_EQ(table()->Rows[0]->Count(), 2);
    EXPECT_EQ(texts(*(*table()->Rows[0])[1]->Content)[0]->Buff, "b");

    // So does a list that the table's end ends.
    doc->Clear();
    parse("<TABLE><TR><TD><OL><LI>a</TABLE>b");
    ASSERT_TRUE(table());
    EXPECT_EQ(blocks<TOListItem>(*(*table()->Rows[0])[0]->Content).size(), 1u);
    EXPECT_EQ(texts().back()->Buff, "b");
    EXPECT_EQ(doc->Count(), 3);
}

TEST_F(ParserTest, CellsTakeAlignmentBoldAndColoursFromRowsAndHeaders) {
    parse("<TABLE BORDER=2 CELLSPACING=0 CELLPADDING=99 ALIGN=right BGCOLOR=silver>"
          "<CAPTION ALIGN=bottom>cap</CAPTION>"
          "<TR ALIGN=right VALIGN=bottom BGCOLOR=#FF0000><TH>h<TD ALIGN=center VALIGN=top BGCOLOR=lime>d"
          "<TR><TH>i<TD COLSPAN=2 ROWSPAN=3 WIDTH=50% HEIGHT=40>j</TABLE>");
    ThtmlTable* t = table();
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->Border);
    EXPECT_EQ(t->CellSpacing, 2);  // a border adds 2 to a spacing of 0
    EXPECT_EQ(t->CellPadding, 50);
    EXPECT_EQ(t->Justify, 3);
    EXPECT_TRUE(t->Floating);
    EXPECT_FALSE(t->CaptionOnTop);
    EXPECT_EQ(texts(*t->Caption->Content)[0]->Buff, "cap");
    EXPECT_EQ(texts(*t->Caption->Content)[0]->Align, 2);
    TCellList& r0 = *t->Rows[0];
    EXPECT_TRUE(r0.HasBackColor);
    EXPECT_EQ(r0.BackColor, 0xFFu | kPaletteRelative);
    const TSection* h = texts(*r0[0]->Content)[0];
    EXPECT_EQ(h->Align, 3);
    EXPECT_EQ(r0[0]->VertAlign, 2);
    EXPECT_TRUE(h->Fonts[0]->TheFont->Style() & fsBold);
    const TSection* d = texts(*r0[1]->Content)[0];
    EXPECT_EQ(d->Align, 2);
    EXPECT_EQ(r0[1]->VertAlign, 0);
    EXPECT_FALSE(d->Fonts[0]->TheFont->Style() & fsBold);
    EXPECT_EQ(r0[1]->Content->BackColor, 0xFF00u | kPaletteRelative);
    const TCellObj& j = *(*t->Rows[1])[1];
    EXPECT_EQ(j.SpanCols, 2);
    EXPECT_EQ(j.SpanRows, 3);
    EXPECT_EQ(j.WantWidth, 500);
    EXPECT_TRUE(j.WidthInTenths);
    EXPECT_EQ(j.WantHeight, 40);
    EXPECT_EQ(texts(*(*t->Rows[1])[0]->Content)[0]->Align, 2);  // TH centres by default

    arrange(600);
    // Spans expand; the row span is cut to the rows there are; colours come down.
    EXPECT_EQ(t->NumCols, 3);
    EXPECT_EQ(j.SpanRows, 1);
    EXPECT_EQ(r0[0]->Content->BackColor, 0xFFu | kPaletteRelative);
    EXPECT_EQ((*t->Rows[1])[0]->Content->BackColor, 0xC0C0C0u | kPaletteRelative);
}

TEST_F(ParserTest, TextAreaLinesAndSubmissions) {
    parse("<FORM><TEXTAREA NAME=t ROWS=3 COLS=9 WRAP=virtual>\nabc\n&amp;<x y</TEXTAREA  >after</FORM>");
    ASSERT_EQ(doc->Forms.Count(), 1);
    ASSERT_EQ(doc->Forms[0]->Controls.Count(), 1);
    auto* area = dynamic_cast<TTextAreaFormControlObj*>(doc->Forms[0]->Controls[0]);
    ASSERT_TRUE(area);
    EXPECT_EQ(area->InitialLines, (std::vector<std::string>{"", "abc", "&<x y"}));
    EXPECT_EQ(area->Rows, 3);
    EXPECT_EQ(area->Cols, 9);
    EXPECT_EQ(area->Memo()->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(area->Memo()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    std::vector<std::string> pairs;
    std::string line;
    for (int i = 0; area->GetSubmission(i, line); ++i) pairs.push_back(line);
    EXPECT_EQ(pairs, (std::vector<std::string>{"t=", "t=abc", "t=&<x y"}));
    ASSERT_EQ(texts().size(), 1u);
    EXPECT_EQ(texts()[0]->Buff, std::string("\x02") + "after");

    // Sized from "A" in the fixed-pitch font at 10 points.
    area->SetSize(*canvas);
    const int frame = 2 * area->Memo()->frameWidth();
    EXPECT_EQ(area->Memo()->width(), 8 * 9 + 5 + frame);
    EXPECT_EQ(area->Memo()->height(), 16 * 3 + 5 + frame);

    doc->Clear();
    parse("<TEXTAREA WRAP=SOFT>x");  // no end tag: the input ends the content
    area = dynamic_cast<TTextAreaFormControlObj*>(doc->Forms[0]->Controls[0]);
    ASSERT_TRUE(area);
    EXPECT_EQ(area->InitialLines, (std::vector<std::string>{"x"}));
    EXPECT_EQ(area->Memo()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
}

TEST_F(ParserTest, AnchorsNameTheirSectionsAlsoBeforeBody) {
    parse("<A NAME=early></A><BODY BGCOLOR=white TEXT=#0000FF LINK=red><A NAME=top></A>text<H2 ALIGN=center>"
          "<A NAME=Head>h</A></H2>");
    ASSERT_EQ(names.Count(), 3);
    EXPECT_EQ(names.Items[0].Name, "EARLY");
    EXPECT_EQ(names.Items[1].Name, "TOP");
    EXPECT_EQ(names.Items[2].Name, "HEAD");
    // The section open before BODY was dropped; its anchor names the one BODY opened.
    ASSERT_GE(doc->Count(), 1);
    EXPECT_EQ(names.Items[0].Object, (*doc)[0]);
    EXPECT_EQ(names.Items[1].Object, (*doc)[0]);
    EXPECT_EQ(static_cast<TSection*>((*doc)[0])->Buff, "text");
    auto* head = static_cast<TSection*>(names.Items[2].Object);
    EXPECT_EQ(head->Buff, "h");
    EXPECT_EQ(head->Align, 2);
    EXPECT_EQ(doc->BackColor, 0xFFFFFFu | kPaletteRelative);
    EXPECT_EQ(doc->TextColor, 0xFF0000u | kPaletteRelative);
    EXPECT_EQ(doc->LinkColor, 0x0000FFu | kPaletteRelative);
    // Clearing the document leaves no anchor behind.
    doc->Clear();
    EXPECT_EQ(names.Count(), 0);
}

TEST_F(ParserTest, HeadingsPushBoldSizesBetweenHeadingSpaces) {
    parse("a<H1>one</H1>b<H5>five</H5><H7>x</H7>");
    auto spaces = blocks<THeadingSpace>();
    ASSERT_EQ(spaces.size(), 6u);
    EXPECT_EQ(spaces[0]->HeadingLevel, 1);
    EXPECT_EQ(spaces[0]->FlowHeight, 16);
    EXPECT_EQ(spaces[2]->FlowHeight, 6);
    EXPECT_EQ(spaces[4]->FlowHeight, 8);
    auto t = texts();
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[1]->Buff, "one");
    EXPECT_EQ(t[1]->Fonts[0]->TheFont->NominalSize, 24);
    EXPECT_TRUE(t[1]->Fonts[0]->TheFont->Style() & fsBold);
    EXPECT_EQ(t[2]->Fonts[0]->TheFont->NominalSize, 12);
    EXPECT_EQ(t[3]->Fonts[0]->TheFont->NominalSize, 10);
    EXPECT_EQ(t[4]->Fonts[0]->TheFont->NominalSize, 12);  // level 0: normal size, not bold
    EXPECT_FALSE(t[4]->Fonts[0]->TheFont->Style() & fsBold);
}

TEST_F(ParserTest, LinksStyleRunsAndCarryTheirTarget) {
    doc->LinkColor = 0x123456;
    parse("x <A HREF=\"a.htm\" TARGET=_top>one <I>two</I></A> three <A HREF=\"\">four</A>");
    const TSection* s = texts()[0];
    EXPECT_EQ(s->Buff, "x one two three four");
    const TFontObj* one = s->Fonts.GetRunAt(2);
    EXPECT_EQ(one->UrlTarget.LinkUrl, "a.htm");
    EXPECT_EQ(one->UrlTarget.LinkTarget, "_top");
    EXPECT_TRUE(one->TheFont->Style() & fsUnderline);
    EXPECT_EQ(one->TheFont->Color(), 0x123456u);
    const TFontObj* two = s->Fonts.GetRunAt(6);
    EXPECT_EQ(two->UrlTarget.LinkUrl, "a.htm");
    EXPECT_EQ(two->TheFont->Style() & (fsUnderline | fsItalic), fsUnderline | fsItalic);
    EXPECT_FALSE(s->Fonts.GetRunAt(10)->IsLink());
    EXPECT_FALSE(s->Fonts.GetRunAt(17)->IsLink());  // an empty HREF makes no link
}

TEST_F(ParserTest, BreaksRulesPreAndStylesBuildTheirBlocks) {
    parse("a<BR>b<BR CLEAR=left><BR><HR SIZE=5 WIDTH=50% NOSHADE COLOR=red><B>c<SUB>d</SUB>e</B>"
          "<PRE>x < y &amp; z\n<B>q</B><BR>\nr\n</PRE><TT>t</TT>");
    auto t = texts();
    ASSERT_GE(t.size(), 4u);
    EXPECT_EQ(t[0]->Buff, "a");
    EXPECT_EQ(t[1]->Buff, "b");
    EXPECT_EQ(t[2]->Buff, " ");  // an empty break takes a line
    EXPECT_EQ(t[2]->ClearAttr, 1);
    auto rules = blocks<THorzLine>();
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0]->Thickness, 5);
    EXPECT_EQ(rules[0]->RuleWidth, 50);
    EXPECT_TRUE(rules[0]->WidthInPercent);
    EXPECT_TRUE(rules[0]->NoShade);
    EXPECT_TRUE(rules[0]->HasColor);
    EXPECT_EQ(rules[0]->Color, 0xFFu);
    const TSection* cde = t[3];
    EXPECT_EQ(cde->Buff, "cde");
    EXPECT_TRUE(cde->Fonts.GetRunAt(0)->TheFont->Style() & fsBold);
    EXPECT_EQ(cde->Fonts.GetRunAt(1)->SubSup, 1);
    EXPECT_EQ(cde->Fonts.GetRunAt(1)->TheFont->NominalSize, 9);
    EXPECT_EQ(cde->Fonts.GetRunAt(2)->SubSup, 0);
    auto pre = blocks<TPreFormated>();
    ASSERT_EQ(pre.size(), 4u);
    EXPECT_EQ(pre[0]->Buff, "x < y & z");  // a lone '<' stays text
    EXPECT_EQ(pre[1]->Buff, "q");
    EXPECT_TRUE(pre[1]->Fonts.GetRunAt(0)->TheFont->Style() & fsBold);
    EXPECT_EQ(pre[2]->Buff, "r");  // the line end right after BR belongs to it
    EXPECT_EQ(pre[3]->Buff, " ");
    EXPECT_TRUE(pre[0]->Fonts[0]->TheFont->Fixed);
    EXPECT_EQ(pre[0]->Fonts[0]->TheFont->NominalSize, 10);
    EXPECT_EQ(t.back()->Buff, "t");
    EXPECT_EQ(t.back()->Fonts.GetRunAt(0)->TheFont->Name(), doc->FixedFontName);
}

TEST_F(ParserTest, TitleBaseMetaSoundScriptsAndMaps) {
    std::vector<std::string> seen;
    parser.OnMeta = [&](QWidget*, const std::string& eq, const std::string& name, const std::string& content) {
        seen.push_back("meta " + eq + "|" + name + "|" + content);
    };
    parser.OnSoundRequest = [&](QWidget*, const std::string& src, int loop, bool terminate) {
        seen.push_back("sound " + src + " " + std::to_string(loop) + (terminate ? " t" : ""));
    };
    doc->OnScript = [&](QWidget*, const std::string& language, std::string script) {
        seen.push_back("script " + language + ":" + script);
    };
    parse("<HTML><HEAD><TITLE>My &amp; page</TITLE><BASE HREF=http://x/ TARGET=main>"
          "<META HTTP-EQUIV=refresh CONTENT=\"5; url=a.htm\"><BGSOUND SRC=s.wav></HEAD>"
          "<SCRIPT LANGUAGE=js>if (a<b) x();\n<!-- y -->\n</SCRIPT>"
          "<MAP NAME=nav><AREA SHAPE=rect COORDS=0,0,9,9 HREF=r.htm></MAP><MAP NAME=lost><AREA COORDS=1,1,2,2>");
    EXPECT_EQ(parser.Title, "My & page");
    EXPECT_EQ(parser.BaseHref, "http://x/");
    EXPECT_EQ(parser.BaseTarget, "main");
    EXPECT_EQ(seen, (std::vector<std::string>{"meta refresh||5; url=a.htm", "sound s.wav 1",
                                              "script js:if (a<b) x();\r\n<!-- y -->\r\n"}));
    ASSERT_EQ(doc->Maps.Count(), 1);  // a MAP without its end is dropped
    EXPECT_EQ(doc->Maps[0]->Name, "NAV");
    EXPECT_EQ(doc->Maps[0]->Areas.size(), 1u);

    // Without a handler the script is skipped.
    doc->Clear();
    doc->OnScript = nullptr;
    parse("a<SCRIPT>b<c</SCRIPT>d");
    EXPECT_EQ(texts()[0]->Buff, "ad");
}

namespace {
class OptionControl : public TFormControlObj, public TOptionTaker {
public:
    using TFormControlObj::TFormControlObj;
    std::vector<std::string> Options;
    int Resets = 0;
    void AddOption(const std::string& text, const std::string& value, bool selected) override {
        Options.push_back(text + "=" + value + (selected ? "*" : ""));
    }
    void ResetToDefault() override { ++Resets; }
};
}  // namespace

TEST_F(ParserTest, ControlsComeFromTheFormHookAndSelectTakesItsOptions) {
    std::vector<OptionControl*> made;
    parser.MakeFormControl = [&](THtmlSymbol tag, TSectionList* document, ThtmlForm*& form, TSection* section,
                                 TCell*, const TAttributeList& attrs) -> TFormControlObj* {
        if (tag != symSELECT) return nullptr;
        if (!form) form = new ThtmlForm(document, nullptr);
        auto* c = new OptionControl(document, form, &attrs, section->CharCount);
        form->AddControl(c);
        section->AddFormControl(c);
        made.push_back(c);
        return c;
    };
    parse("<SELECT NAME=s><OPTION VALUE=1>  one <OPTION SELECTED>two</OPTION>junk<OPTION>   <OPTION>"
          + std::string(100, 'x') + "</SELECT>after<FORM METHOD=post><SELECT><OPTION>last");
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(made[0]->Options, (std::vector<std::string>{"one=1", "two=*", std::string(80, 'x') + "="}));
    EXPECT_EQ(made[0]->Resets, 1);
    EXPECT_EQ(made[1]->Options, (std::vector<std::string>{"last="}));
    // Controls outside any form share one form; FORM starts a new one.
    ASSERT_EQ(doc->Forms.Count(), 2);
    EXPECT_EQ(made[0]->Form, doc->Forms[0]);
    EXPECT_EQ(made[1]->Form, doc->Forms[1]);
    EXPECT_EQ(doc->Forms[1]->Method, "post");
    EXPECT_EQ(texts()[0]->Buff, std::string("\x02") + "after\x02");
}

TEST_F(ParserTest, AnEmptyDocumentIsOneEmptySection) {
    parse("");
    ASSERT_EQ(doc->Count(), 1);
    auto* s = dynamic_cast<TSection*>((*doc)[0]);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->CharCount, 0);
    EXPECT_EQ(arrange(300), 0);
}

TEST_F(ParserTest, AnOpenCommentEndsAFileQuietlyAndABufferWithAnError) {
    platform::testing::TempDir dir;
    const std::string html = "<B>kept</B><TABLE><TR><TD>cell<!-- never closed";
    parser.ParseHtmlFile(*doc, &names, dir.Write("page.htm", html).string());
    ASSERT_EQ(texts().size(), 1u);
    EXPECT_EQ(texts()[0]->Buff, "kept");
    ASSERT_TRUE(table());
    // The text right before the comment is shown too.
    EXPECT_EQ(texts(*(*table()->Rows[0])[0]->Content)[0]->Buff, "cell");

    doc->Clear();
    try {
        parse(html);
        ADD_FAILURE() << "no error";
    } catch (const EParseError& e) {
        EXPECT_STREQ(e.what(), "Open Comment at End of HTML File");
    }
    ASSERT_TRUE(table());  // what was built before the error is in the document
    EXPECT_EQ(texts(*(*table()->Rows[0])[0]->Content)[0]->Buff, "cell");
    EXPECT_GT(arrange(400), 0);

    doc->Clear();
    EXPECT_THROW(parser.ParseHtmlStrings(*doc, &names, {"<PRE>pre", "text<!-- open"}), EParseError);
    auto pre = blocks<TPreFormated>();
    ASSERT_EQ(pre.size(), 2u);
    EXPECT_EQ(pre[1]->Buff, "text");
    EXPECT_THROW(parser.ParseHtmlFile(*doc, &names, "/nonexistent/page.htm"), EInOutError);
}

TEST_F(ParserTest, FilesInUtf8EnterAsWindows1252) {
    platform::testing::TempDir dir;
    const std::string path = (dir / "page.htm").string();
    const auto load = [&](const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
        doc->Clear();
        parser.ParseHtmlFile(*doc, &names, path);
        return texts()[0]->Buff;
    };
    EXPECT_EQ(load("S\xC3\xADmbols n\xC3\xA3o"), "S\xEDmbols n\xE3o");
    EXPECT_EQ(load("Legacy \xE9t\xE9"), "Legacy \xE9t\xE9");  // not UTF-8: taken as it is
}

TEST_F(ParserTest, CentreAndDivisionAlignUntilEitherEnd) {
    parse("a<CENTER>b<DIV ALIGN=right>c</CENTER>d</DIV>e<DIV ALIGN=bogus>f</DIV>");
    std::string got;
    for (TSection* s : texts()) got += s->Buff + std::to_string(s->Align) + " ";
    EXPECT_EQ(got, "a1 b2 c3 d2 e1 f1 ");
}
