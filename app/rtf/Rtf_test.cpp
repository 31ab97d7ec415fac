#include "app/rtf/Rtf.h"

#include <gtest/gtest.h>

#include <QTextDocument>
#include <string>

#include "app/rtf/RichFile.h"
#include "app/rtf/RtfQt.h"

using namespace rtf;

namespace {

// What a common word processor (WordPad's writer) saves for a short note:
// font and colour tables, a centred bold heading in Arial 16, a red word, an
// indented paragraph, two bullets, accented characters as \'hh and \u.
const char* const kWordPad =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1046{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}"
    "{\\f1\\fswiss\\fprq2\\fcharset0 Arial;}{\\f2\\fnil\\fcharset2 Symbol;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green77\\blue187;}\r\n"
    "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
    "\\pard\\sa200\\sl276\\slmult1\\qc\\b\\f1\\fs32 Testing a transistor\\par\r\n"
    "\\pard\\sa200\\sl276\\slmult1\\b0\\f0\\fs22 Measure the \\cf1 base\\cf0  first: "
    "tens\\'e3o, \\u8364?10.\\par\r\n"
    "\\pard\\li720\\ri360\\fi-360\\i Indented\\i0  and \\ul underlined\\ulnone .\\par\r\n"
    "\\pard{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li720 "
    "One\\par\r\n"
    "{\\pntext\\f2\\'B7\\tab}Two\\par\r\n"
    "\\pard\\cf2 Blue\\tab end\\line next\\par\r\n"
    "}\r\n";

const Paragraph& P(const Document& d, size_t i) { return d.paragraphs.at(i); }

}  // namespace

TEST(RtfRead, WordProcessorDocument) {
    const Document d = Read(kWordPad);
    ASSERT_EQ(d.paragraphs.size(), 6u);
    EXPECT_EQ(P(d, 0).Text(), "Testing a transistor");
    EXPECT_EQ(P(d, 0).format.align, Align::Center);
    EXPECT_TRUE(P(d, 0).runs[0].format.bold);
    EXPECT_EQ(P(d, 0).runs[0].format.font, "Arial");
    EXPECT_EQ(P(d, 0).runs[0].format.halfPoints, 32);

    EXPECT_EQ(P(d, 1).Text(), "Measure the base first: tensão, €10.");
    EXPECT_EQ(P(d, 1).format.align, Align::Left);
    ASSERT_EQ(P(d, 1).runs.size(), 3u);
    EXPECT_EQ(P(d, 1).runs[0].format.font, "Calibri");
    EXPECT_FALSE(P(d, 1).runs[0].format.color);
    EXPECT_EQ(P(d, 1).runs[1].text, "base");
    EXPECT_EQ(P(d, 1).runs[1].format.color, 0xFF0000u);
    EXPECT_FALSE(P(d, 1).runs[1].format.bold);

    EXPECT_EQ(P(d, 2).format.leftTwips, 720);
    EXPECT_EQ(P(d, 2).format.rightTwips, 360);
    EXPECT_EQ(P(d, 2).format.firstTwips, -360);
    EXPECT_TRUE(P(d, 2).runs[0].format.italic);
    EXPECT_FALSE(P(d, 2).runs[1].format.italic);
    EXPECT_EQ(P(d, 2).runs[2].text, "underlined");
    EXPECT_TRUE(P(d, 2).runs[2].format.underline);
    EXPECT_FALSE(P(d, 2).format.bullet);

    EXPECT_EQ(P(d, 3).Text(), "One");  // the bullet's own text is not content
    EXPECT_TRUE(P(d, 3).format.bullet);
    EXPECT_EQ(P(d, 4).Text(), "Two");
    EXPECT_TRUE(P(d, 4).format.bullet);
    EXPECT_EQ(P(d, 5).Text(), "Blue\tend\u2028next");
    EXPECT_FALSE(P(d, 5).format.bullet);
    EXPECT_EQ(P(d, 5).runs[0].format.color, 0x004DBBu);
}

// Word and LibreOffice write lists through the list table, \u with \uc, and
// pictures, fields and their own destinations that are no text.
TEST(RtfRead, ListsUnicodeAndSkippedDestinations) {
    const std::string rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman{\\*\\falt Times};}}"
        "{\\*\\listtable{\\list{\\listlevel{\\leveltext \\'01\\u-3913 ?;}}}}"
        "{\\info{\\title Secret title}{\\author Someone}}"
        "{\\header header text\\par}"
        "{\\*\\unknowndest hidden words}"
        "\\pard\\plain {\\listtext\\'b7\\tab}\\ls1\\ilvl0 Item\\par"
        "\\pard\\plain\\uc2 A\\u8364\\'80\\'80B{\\uc0\\u233}C\\uc1\\u-10179?\\u-8704?D\\par"
        "\\pard{\\pict\\pngblip\\picw10 89504e47}{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt shown}}"
        "\\pard\\plain x\\bin4 {}\\\\y\\par"
        "}";
    const Document d = Read(rtf);
    ASSERT_EQ(d.paragraphs.size(), 3u) << d.PlainText();
    EXPECT_EQ(P(d, 0).Text(), "Item");
    EXPECT_TRUE(P(d, 0).format.bullet);
    EXPECT_EQ(P(d, 0).runs[0].format.font, "Times New Roman");
    EXPECT_EQ(P(d, 1).Text(), "A€BéC\U0001F600D");
    EXPECT_EQ(P(d, 2).Text(), "shownxy");  // \bin4 swallows "{}\\" whatever they look like
    EXPECT_FALSE(P(d, 2).format.bullet);
}

TEST(RtfRead, TablesBecomeTabSeparatedLines) {
    const Document d = Read(
        "{\\rtf1\\trowd\\cellx1000\\cellx2000\\intbl BC547\\cell NPN\\cell\\row"
        "\\intbl BC557\\cell PNP\\cell\\row\\pard After\\par}");
    EXPECT_EQ(d.PlainText(), "BC547\tNPN\t\nBC557\tPNP\t\nAfter");
}

// Untrusted input: every limit gives a document or a clean error.
TEST(RtfRead, MalformedInputIsBoundedAndNeverReadsPastTheEnd) {
    EXPECT_THROW(Read("plain text"), RtfError);
    EXPECT_THROW(Read(""), RtfError);
    EXPECT_TRUE(IsRtf("  \r\n{\\rtf1}"));

    std::string deep = "{\\rtf1 ";
    for (int i = 0; i < kMaxDepth - 1; ++i) deep += "{";
    deep += "x";
    EXPECT_EQ(Read(deep).PlainText(), "x");  // unclosed groups end with the input
    deep += "{";
    EXPECT_THROW(Read(deep), RtfError);

    // \bin longer than the rest of the input, negative or missing.
    EXPECT_EQ(Read("{\\rtf1 a\\bin999999999 bcd").PlainText(), "a");
    EXPECT_EQ(Read("{\\rtf1 a\\bin-5 b\\bin c}").PlainText(), "abc");
    // \'h cut at the end, a lone backslash, extra closing braces.
    EXPECT_EQ(Read("{\\rtf1 a\\'4").PlainText(), "a");
    EXPECT_EQ(Read("{\\rtf1 a\\'").PlainText(), "a");
    EXPECT_EQ(Read("{\\rtf1 a\\").PlainText(), "a");
    EXPECT_EQ(Read("{\\rtf1 a}}}b").PlainText(), "a");  // nothing after the document's end
    // Huge parameters are clamped, never overflow.
    const Document big = Read("{\\rtf1\\fs99999999999999999999\\li-99999999999999 x\\u99999999999 y\\uc99999999 z}");
    EXPECT_EQ(big.paragraphs[0].runs[0].format.halfPoints, 3276);
    EXPECT_EQ(big.paragraphs[0].format.leftTwips, -31680);

    // Font and colour tables stop growing at their limits.
    std::string fonts = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < kMaxFonts + 10; ++i) fonts += "{\\f" + std::to_string(i) + " F" + std::to_string(i) + ";}";
    fonts += "}\\f5 a\\f" + std::to_string(kMaxFonts + 5) + " b}";
    const Document f = Read(fonts);
    EXPECT_EQ(f.paragraphs[0].runs[0].format.font, "F5");
    EXPECT_EQ(f.paragraphs[0].runs[1].format.font, "F0");  // unknown: the default font
    std::string colors = "{\\rtf1{\\colortbl;";
    for (int i = 0; i < kMaxColors + 10; ++i) colors += "\\red1\\green2\\blue3;";
    colors += "}\\cf2 a\\cf" + std::to_string(kMaxColors + 5) + " b}";
    const Document c = Read(colors);
    EXPECT_EQ(c.paragraphs[0].runs[0].format.color, 0x010203u);
    EXPECT_FALSE(c.paragraphs[0].runs[1].format.color);
}

TEST(RtfWrite, WrittenDocumentsReadBackTheSame) {
    Document d;
    CharFormat plain;
    plain.font = "Arial";
    plain.halfPoints = 20;
    CharFormat red = plain;
    red.color = 0xC00000;
    red.bold = true;
    CharFormat odd = plain;
    odd.font = "Times New Roman";
    odd.italic = odd.underline = true;
    odd.halfPoints = 31;
    d.paragraphs.push_back({{Align::Center, 0, 0, 0, false}, {{"Title {with} \\braces\\", red}}});
    d.paragraphs.push_back({{Align::Left, -240, 1200, 600, false},
                            {{"tensão € 5\t10\u2028next ", plain}, {"日本 \U0001F600", odd}}});
    d.paragraphs.push_back({{Align::Right, 0, 0, 0, true}, {{"bullet", plain}}});
    d.paragraphs.push_back({{Align::Justify, 0, 0, 0, false}, {}});
    const std::string text = Write(d);
    for (unsigned char ch : text) ASSERT_LT(ch, 0x80) << "RTF is 7-bit text";
    const Document back = Read(text);
    ASSERT_EQ(back.paragraphs.size(), d.paragraphs.size()) << text;
    for (size_t i = 0; i < d.paragraphs.size(); ++i) {
        EXPECT_EQ(back.paragraphs[i].format, d.paragraphs[i].format) << i;
        ASSERT_EQ(back.paragraphs[i].runs.size(), d.paragraphs[i].runs.size()) << i;
        for (size_t r = 0; r < d.paragraphs[i].runs.size(); ++r) {
            EXPECT_EQ(back.paragraphs[i].runs[r].text, d.paragraphs[i].runs[r].text);
            EXPECT_EQ(back.paragraphs[i].runs[r].format, d.paragraphs[i].runs[r].format) << i << " " << r;
        }
    }
}

TEST(RtfQt, FormatsSurviveTheTextDocument) {
    const Document d = Read(kWordPad);
    QTextDocument doc;
    ToTextDocument(d, doc);
    EXPECT_EQ(doc.blockCount(), 6);
    EXPECT_EQ(doc.toPlainText().toStdString().substr(0, 20), "Testing a transistor");
    const Document back = FromTextDocument(doc);
    ASSERT_EQ(back.paragraphs.size(), d.paragraphs.size());
    for (size_t i = 0; i < d.paragraphs.size(); ++i) {
        EXPECT_EQ(back.paragraphs[i].format, d.paragraphs[i].format) << i;
        EXPECT_EQ(back.paragraphs[i].Text(), d.paragraphs[i].Text()) << i;
        ASSERT_EQ(back.paragraphs[i].runs.size(), d.paragraphs[i].runs.size()) << i;
        for (size_t r = 0; r < d.paragraphs[i].runs.size(); ++r)
            EXPECT_EQ(back.paragraphs[i].runs[r].format, d.paragraphs[i].runs[r].format) << i << " " << r;
    }
    // And once more through RTF text.
    QTextDocument again;
    ToTextDocument(Read(Write(back)), again);
    EXPECT_EQ(again.toPlainText(), doc.toPlainText());
}

TEST(RichFile, PlainTextByItsEncodingAndLineEnds) {
    EXPECT_EQ(ReadRichOrPlain("one\r\ntwo\rthree\nfour").PlainText(), "one\ntwo\nthree\nfour");
    EXPECT_EQ(ReadRichOrPlain("a\n").paragraphs.size(), 1u);
    EXPECT_EQ(ReadRichOrPlain("").paragraphs.size(), 1u);
    EXPECT_EQ(ReadRichOrPlain("\xEF\xBB\xBFtens\xC3\xA3o").PlainText(), "tensão");
    EXPECT_EQ(ReadRichOrPlain("tens\xE3o \x80").PlainText(), "tensão €");
    EXPECT_EQ(ReadRichOrPlain(std::string("\xFF\xFEt\0\xE3\0o\0", 8)).PlainText(), "tão");
    EXPECT_EQ(ReadRichOrPlain(std::string("\xFE\xFF\0t\0\xE3\0o", 8)).PlainText(), "tão");
    EXPECT_EQ(ReadRichOrPlain("{\\rtf1 rich\\par}").PlainText(), "rich");
    EXPECT_THROW(ReadRichOrPlain(std::string("{\\rtf1 ") + std::string(300, '{')), RtfError);
}
