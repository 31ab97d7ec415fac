#include "app/rtf/Rtf.h"

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/rtf/RichFile.h"
#include "app/rtf/RtfDump.h"
#include "app/rtf/RtfQt.h"
#include "testkit/files/TempDir.h"

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
    "tens\\'e3o, \\u8364? 10.\\par\r\n"
    "\\pard\\li720\\ri360\\fi-360\\i Indented\\i0  and \\ul underlined\\ulnone .\\par\r\n"
    "\\pard{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li720 "
    "One\\par\r\n"
    "{\\pntext\\f2\\'B7\\tab}Two\\par\r\n"
    "\\pard\\cf2 Blue\\tab end\\line next\\par\r\n"
    "}\r\n";

// WordPad in Russian: Cyrillic in code page 1251 (the font's \fcharset204),
// Greek and signs in the Symbol font, a numbered list as WordPad writes one,
// tab stops, super- and subscript.
const char* const kWordPad1251 =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0\\nouicompat\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset204 Calibri;}"
    "{\\f1\\fnil\\fcharset2 Symbol;}}\r\n"
    "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
    "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang1049 \\'cf\\'f0\\'ee\\'e2\\'e5\\'f0\\'ea\\'e0: R = 10 k{\\f1\\'57}, "
    "C = 47 {\\f1\\'6d}F \\'b1 5%, 25{\\f1\\'b0}C\\par\r\n"
    "\\pard{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1\\pndec{\\pntxta.}}"
    "\\fi-360\\li720\\sa200\\sl276\\slmult1 \\'cf\\'e5\\'f0\\'e2\\'fb\\'e9\\par\r\n"
    "{\\pntext\\f0 2.\\tab}\\'c2\\'f2\\'ee\\'f0\\'ee\\'e9\\par\r\n"
    "\\pard\\sa200\\sl276\\slmult1\\tx1440\\tx2880 U\\tab I\\tab P = I{\\super 2}R, H{\\sub 2}O\\par\r\n"
    "}\r\n";

// Word in Czech: code page 1250, lists through the list table with their
// labels in \listtext, Symbol characters as \u in the font's private area,
// spacing, a right indent and tab stops.
const char* const kWord1250 =
    "{\\rtf1\\ansi\\ansicpg1250\\uc1\\deff0\\deflang1029{\\fonttbl{\\f0\\froman\\fcharset238\\fprq2 Times New Roman CE;}"
    "{\\f1\\froman\\fcharset2\\fprq2 Symbol;}{\\f2\\fswiss\\fcharset0\\fprq2 Arial;}}\r\n"
    "{\\colortbl;\\red0\\green0\\blue0;}\r\n"
    "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}"
    "{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid100}\r\n"
    "{\\list\\listtemplateid2{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 ?;}{\\levelnumbers;}\\f1\\fi-360\\li720}"
    "\\listid200}}\r\n"
    "{\\*\\listoverridetable{\\listoverride\\listid100\\listoverridecount0\\ls1}"
    "{\\listoverride\\listid200\\listoverridecount0\\ls2}}\r\n"
    "\\pard\\plain \\ql\\li0\\ri0\\sb240\\sa120\\f0\\fs24 Zkou\\'9a\\'edme odpor: \\'9e\\'e1rovka, \\'e8\\'e1st "
    "\\'f8\\'edzen\\'ed\\par\r\n"
    "\\pard\\plain \\ql\\fi-360\\li720\\ri0\\ls1\\ilvl0\\f0\\fs24 {\\listtext\\pard\\plain\\f0\\fs24 1.\\tab}"
    "M\\'ec\\'f8en\\'ed nap\\'ect\\'ed\\par\r\n"
    "\\pard\\plain \\ql\\fi-360\\li720\\ri0\\ls1\\ilvl0\\f0\\fs24 {\\listtext\\pard\\plain\\f0\\fs24 2.\\tab}"
    "P\\'f8\\'edkon {\\f1\\'a3} 5 W\\par\r\n"
    "\\pard\\plain \\ql\\fi-360\\li720\\ri0\\ls2\\ilvl0\\f2\\fs24 {\\listtext\\pard\\plain\\f1\\fs24\\'b7\\tab}"
    "Cr\\'e8me {\\f1\\u61527\\'57}\\par\r\n"
    "\\pard\\plain \\ql\\li0\\ri1440\\tx720\\tqr\\tx5760\\f2\\fs20 Cena\\tab x{\\super 2}\\tab end\\par\r\n"
    "}\r\n";

// What a reader sees of a text document, to compare two readers: the
// characters without white space, compatibility forms folded (µ and μ),
// list labels before their paragraphs, ^ before superscript and _ before
// subscript characters.
std::string Shown(const QTextDocument& doc) {
    QString out;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block.textList())
            out += ListLabel(block).isEmpty() ? QString(QChar(0x2022)) : ListLabel(block);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const auto v = f.charFormat().verticalAlignment();
            for (QChar c : f.text()) {
                if (c.isSpace()) continue;
                if (v == QTextCharFormat::AlignSuperScript) out += '^';
                if (v == QTextCharFormat::AlignSubScript) out += '_';
                out += c;
            }
        }
    }
    return out.normalized(QString::NormalizationForm_KC).toStdString();
}

// The HTML that unrtf (Debian's unrtf) makes of an RTF file.
std::string Unrtf(const std::filesystem::path& file) {
    const std::string command = "unrtf --html '" + file.string() + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return "(unrtf did not start)";
    std::string html;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) html.append(buf, n);
    ::pclose(pipe);
    return html;
}

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

    EXPECT_EQ(P(d, 1).Text(), "Measure the base first: tensão, € 10.");
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
    EXPECT_EQ(P(d, 2).format.list, ListKind::None);

    EXPECT_EQ(P(d, 3).Text(), "One");  // the bullet's own text is not content
    EXPECT_EQ(P(d, 3).format.list, ListKind::Bullet);
    EXPECT_EQ(P(d, 4).Text(), "Two");
    EXPECT_EQ(P(d, 4).format.list, ListKind::Bullet);
    EXPECT_EQ(P(d, 5).Text(), "Blue\tend\u2028next");
    EXPECT_EQ(P(d, 5).format.list, ListKind::None);
    EXPECT_EQ(P(d, 5).runs[0].format.color, 0x004DBBu);
}

// Word and LibreOffice write lists through the list table, \u with \uc, and
// pictures, fields and their own destinations that are no text.
TEST(RtfRead, ListsUnicodeAndSkippedDestinations) {
    const std::string rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman{\\*\\falt Times};}}"
        "{\\*\\listtable{\\list{\\listlevel{\\leveltext \\'01\\u-3913 ?;}}}"
        "{\\list{\\listlevel\\levelnfc0{\\leveltext \\'02\\'00.;}{\\levelnumbers\\'01;}}"
        "{\\listlevel\\levelnfc23{\\leveltext \\'01\\u-3913 ?;}}\\listid7}}"
        "{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls2}}"
        "{\\info{\\title Secret title}{\\author Someone}}"
        "{\\header header text\\par}"
        "{\\*\\unknowndest hidden words}"
        "\\pard\\plain {\\listtext\\'b7\\tab}\\ls1\\ilvl0 Item\\par"
        "\\pard\\plain\\uc2 A\\u8364\\'80\\'80B{\\uc0\\u233}C\\uc1\\u-10179?\\u-8704?D\\par"
        "\\pard{\\pict\\pngblip\\picw10 89504e47}{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt shown}}"
        "\\pard\\plain x\\bin4 {}\\\\y\\par"
        "\\pard\\plain\\ls2 Step\\par"  // no label: the list table says it counts
        "}";
    const Document d = Read(rtf);
    ASSERT_EQ(d.paragraphs.size(), 4u) << d.PlainText();
    EXPECT_EQ(P(d, 0).Text(), "Item");
    EXPECT_EQ(P(d, 0).format.list, ListKind::Bullet);
    EXPECT_EQ(P(d, 0).runs[0].format.font, "Times New Roman");
    EXPECT_EQ(P(d, 1).Text(), "A€BéC\U0001F600D");
    EXPECT_EQ(P(d, 2).Text(), "shownxy");  // \bin4 swallows "{}\\" whatever they look like
    EXPECT_EQ(P(d, 2).format.list, ListKind::None);
    EXPECT_EQ(P(d, 3).Text(), "Step");
    EXPECT_EQ(P(d, 3).format.list, ListKind::Number);
}

// Each font's text in its own code page, the Symbol font as the characters
// it shows, lists, spacing, tab stops and super- and subscript as WordPad
// and Word write them; all of it survives our writer.
TEST(RtfRead, CodePagesSymbolsListsSpacingAndTabStops) {
    const Document ru = Read(kWordPad1251);
    ASSERT_EQ(ru.paragraphs.size(), 4u) << ru.PlainText();
    EXPECT_EQ(P(ru, 0).Text(), "Проверка: R = 10 kΩ, C = 47 µF ± 5%, 25°C");
    ASSERT_EQ(P(ru, 0).runs.size(), 1u);  // Symbol text shows in the document's font
    EXPECT_EQ(P(ru, 0).runs[0].format.font, "Calibri");
    EXPECT_EQ(P(ru, 0).format.spaceAfterTwips, 200);
    EXPECT_EQ(P(ru, 1).Text(), "Первый");
    EXPECT_EQ(P(ru, 1).format.list, ListKind::Number);
    EXPECT_EQ(P(ru, 1).format.leftTwips, 720);
    EXPECT_EQ(P(ru, 2).Text(), "Второй");
    EXPECT_EQ(P(ru, 2).format.list, ListKind::Number);
    EXPECT_EQ(P(ru, 3).format.list, ListKind::None);
    EXPECT_EQ(P(ru, 3).format.tabStops, (std::vector<TabStop>{{1440}, {2880}}));
    EXPECT_EQ(P(ru, 3).Text(), "U\tI\tP = I2R, H2O");
    ASSERT_EQ(P(ru, 3).runs.size(), 5u);
    EXPECT_EQ(P(ru, 3).runs[1].text, "2");
    EXPECT_EQ(P(ru, 3).runs[1].format.script, Script::Super);
    EXPECT_EQ(P(ru, 3).runs[2].format.script, Script::Normal);
    EXPECT_EQ(P(ru, 3).runs[3].format.script, Script::Sub);

    const Document cz = Read(kWord1250);
    ASSERT_EQ(cz.paragraphs.size(), 5u) << cz.PlainText();
    EXPECT_EQ(P(cz, 0).Text(), "Zkoušíme odpor: žárovka, část řízení");
    EXPECT_EQ(P(cz, 0).runs[0].format.font, "Times New Roman CE");
    EXPECT_EQ(P(cz, 0).format.spaceBeforeTwips, 240);
    EXPECT_EQ(P(cz, 0).format.spaceAfterTwips, 120);
    EXPECT_EQ(P(cz, 0).format.list, ListKind::None);
    EXPECT_EQ(P(cz, 1).Text(), "Měření napětí");
    EXPECT_EQ(P(cz, 1).format.list, ListKind::Number);
    EXPECT_EQ(P(cz, 2).Text(), "Příkon ≤ 5 W");
    EXPECT_EQ(P(cz, 2).format.list, ListKind::Number);
    EXPECT_EQ(P(cz, 3).Text(), "Crème Ω");  // the font's \fcharset0 is Western whatever \ansicpg says
    EXPECT_EQ(P(cz, 3).format.list, ListKind::Bullet);
    EXPECT_EQ(P(cz, 4).format.rightTwips, 1440);
    EXPECT_EQ(P(cz, 4).format.tabStops, (std::vector<TabStop>{{720}, {5760, TabKind::Right}}));
    EXPECT_EQ(P(cz, 4).runs[0].format.halfPoints, 20);

    // Written back: 7-bit RTF that declares what it writes; read again, the same.
    for (const Document* d : {&ru, &cz}) {
        const std::string text = Write(*d);
        for (unsigned char ch : text) ASSERT_LT(ch, 0x80);
        EXPECT_NE(text.find("\\ansicpg1252"), std::string::npos);
        EXPECT_EQ(Dump(Read(text)), Dump(*d));
    }
}

// An independent reader shows the same characters, lists, super- and
// subscript as we do, for the files word processors write and for ours.
TEST(RtfRead, AnIndependentReaderAgrees) {
    if (std::system("command -v unrtf >/dev/null 2>&1") != 0)
        FAIL() << "unrtf is missing: scripts/install-deps.sh installs it";
    platform::testing::TempDir dir;
    const std::pair<const char*, const char*> corpus[] = {
        {"wordpad1252.rtf", kWordPad}, {"wordpad1251.rtf", kWordPad1251}, {"word1250.rtf", kWord1250}};
    for (const auto& [name, bytes] : corpus) {
        const Document d = Read(bytes);
        for (const std::string& file : {std::string(bytes), Write(d)}) {
            QTextDocument theirs, ours;
            theirs.setHtml(QString::fromStdString(Unrtf(dir.Write(name, file))));
            ToTextDocument(d, ours);
            EXPECT_EQ(Shown(ours), Shown(theirs)) << name << (file == bytes ? "" : " as we write it");
        }
    }
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
    // A bare \fs is the default 12 points.
    const Document bare = Read("{\\rtf1\\fs40 big\\fs plain}");
    EXPECT_EQ(bare.paragraphs[0].runs.at(1).format.halfPoints, 24);

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

    // List label texts: a level text longer or shorter than its length
    // byte says, numbers placed outside it or on text, a \pn text past its
    // bound, a lone surrogate half.
    auto label = [](const std::string& levelText) {
        const Document d = Read("{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0" + levelText +
                                "}\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\pard\\ls1 x\\par}");
        return NumberLabel(d.paragraphs.at(0).format, d.paragraphs[0].format.listStart);
    };
    EXPECT_EQ(label("{\\leveltext\\'c8(\\'00);}{\\levelnumbers\\'02;}"), "(1)");
    EXPECT_EQ(label("{\\leveltext\\'01\\'00.;}{\\levelnumbers\\'01;}"), "1");
    EXPECT_EQ(label("{\\leveltext\\'03(\\'00);}{\\levelnumbers\\'63\\'01;}"), "1.");
    const Document pn = Read("{\\rtf1\\pard{\\*\\pn\\pnlvlbody\\pndec{\\pntxtb\\u-10240?}{\\pntxta " +
                             std::string(100, ')') + "}}x\\par}");
    EXPECT_EQ(NumberLabel(pn.paragraphs.at(0).format, 1), "1" + std::string(32, ')'));
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
    CharFormat power = plain;
    power.script = Script::Super;
    CharFormat index = plain;
    index.script = Script::Sub;
    auto para = [](Align a, int first, int left, int right, ListKind list, int before, int after,
                   std::vector<TabStop> tabs, int listId = 0) {
        ParaFormat f;
        f.align = a;
        f.firstTwips = first;
        f.leftTwips = left;
        f.rightTwips = right;
        f.list = list;
        f.spaceBeforeTwips = before;
        f.spaceAfterTwips = after;
        f.tabStops = std::move(tabs);
        f.listId = listId;
        return f;
    };
    // Lists labelled "(c);", "§ 7" and "iii": text around the number that the
    // list table's label text must escape or count.
    auto labelled = [&](NumberStyle style, int start, const char* before, const char* after, int listId) {
        ParaFormat f = para(Align::Left, -360, 720, 0, ListKind::Number, 0, 0, {}, listId);
        f.numbering = style;
        f.listStart = start;
        f.numberPrefix = before;
        f.numberSuffix = after;
        return f;
    };
    d.paragraphs.push_back({para(Align::Center, 0, 0, 0, ListKind::None, 0, 0, {}), {{"Title {with} \\braces\\", red}}});
    d.paragraphs.push_back({para(Align::Left, -240, 1200, 600, ListKind::None, 120, 60,
                                 {{720}, {2880, TabKind::Decimal, TabLeader::Dots}}),
                            {{"tensão € 5\t10\u2028next ", plain}, {"日本 \U0001F600", odd}}});
    d.paragraphs.push_back({para(Align::Right, 0, 0, 0, ListKind::Bullet, 0, 0, {}, 1), {{"bullet", plain}}});
    d.paragraphs.push_back({para(Align::Left, -360, 720, 0, ListKind::Number, 0, 0, {}, 2), {{"first", plain}}});
    d.paragraphs.push_back({para(Align::Left, -360, 720, 0, ListKind::Number, 0, 0, {}, 2),
                            {{"P = I", plain}, {"2", power}, {"R", plain}, {"1", index}}});
    d.paragraphs.push_back({labelled(NumberStyle::LowerLetter, 3, "(", ");", 3), {{"c", plain}}});
    d.paragraphs.push_back({labelled(NumberStyle::Decimal, 7, "\u00a7 ", "", 4), {{"seven", plain}}});
    d.paragraphs.push_back({labelled(NumberStyle::LowerRoman, 3, "", "", 5), {{"three", plain}}});
    d.paragraphs.push_back({para(Align::Justify, 0, 0, 0, ListKind::None, 0, 0, {}), {}});
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
    // A reader without list tables reads the same lists from the \pn groups.
    std::string older = text;
    older.erase(older.find("{\\*\\listtable"), older.find("\\viewkind") - older.find("{\\*\\listtable"));
    for (size_t at = older.find("\\ls"); at != std::string::npos; at = older.find("\\ls", at))
        older.erase(at, older.find("\\ilvl0", at) + 6 - at);
    const Document fromPn = Read(older);
    ASSERT_EQ(fromPn.paragraphs.size(), d.paragraphs.size()) << older;
    for (size_t i = 0; i < d.paragraphs.size(); ++i) EXPECT_EQ(fromPn.paragraphs[i].format, d.paragraphs[i].format) << i;
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

// Each font is written with its character set and its name in that set's
// code page, as Word reads font tables; the symbol faces with set 2
// whatever the file they came from said.
TEST(RtfWrite, FontsKeepTheirCharacterSetsAndNamesInTheirCodePages) {
    auto run = [](const char* text, const char* font, int charset) {
        CharFormat f;
        f.font = font;
        f.charset = charset;
        return rtf::Run{text, f};
    };
    Document d;
    const char* const gothic = "ＭＳ Ｐゴシック";
    d.paragraphs.push_back({ParaFormat{},
                            {run("x", gothic, 128), run("お", gothic, 128), run("W", "Symbol", 0),
                             run("J", "Wingdings", -1), run("y", "МС", -1), run("Пé", "Calibri", 204),
                             run("a;b", "Odd;Name", 0)}});
    const std::string text = Write(d);
    for (const char* written : {"\\fcharset128 \\'82\\'6c\\'82\\'72 \\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62"
                                "\\'83\\'4e;}",
                                "\\fcharset2 Symbol;}", "\\fcharset2 Wingdings;}", "\\fcharset204 \\'cc\\'d1;}",
                                "\\fcharset204 Calibri;}", "\\fcharset0 Odd\\'3bName;}",
                                // Text outside 1252 as \u, its fallback the byte of the font's code page.
                                "\\u12362\\'3f", "\\u1055\\'cf\\u233\\'3f"})
        EXPECT_NE(text.find(written), std::string::npos) << written << "\n" << text;
    const Document back = Read(text);
    ASSERT_EQ(back.paragraphs.size(), 1u);
    EXPECT_EQ(back.PlainText(), "xおΩJyПéa;b");
    EXPECT_EQ(back.paragraphs[0].runs[0].format.font, "ＭＳ Ｐゴシック");
    EXPECT_EQ(back.paragraphs[0].runs[0].format.charset, 128);
    EXPECT_EQ(back.paragraphs[0].runs.back().format.font, "Odd;Name");
}
