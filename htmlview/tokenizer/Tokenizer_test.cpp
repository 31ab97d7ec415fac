#include "htmlview/tokenizer/Tokenizer.h"
#include "testkit/files/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>

using namespace htmlview;

namespace {
struct Tok {
    std::string sym, text;
    bool operator==(const Tok&) const = default;
};
std::ostream& operator<<(std::ostream& o, const Tok& t) { return o << t.sym << "[" << t.text << "]"; }

std::vector<Tok> tokens(THtmlTokenizer& t) {
    std::vector<Tok> r;
    t.ReadCharSkipComments();
    for (int guard = 0; guard < 100000; ++guard) {
        t.ReadNextToken();
        if (t.Sym == symEndOfInput) break;
        r.push_back({SymbolName(t.Sym), t.TokenText});
    }
    return r;
}

std::vector<Tok> tokens(const std::string& html) {
    THtmlTokenizer t;
    t.SetBuffer(html.data(), html.size());
    return tokens(t);
}

std::string textOf(const std::string& html) {
    std::string r;
    for (auto& t : tokens(html))
        if (t.sym == "Text") r += t.text;
    return r;
}

// The first tag of html with its attributes.
THtmlTokenizer& tagOf(THtmlTokenizer& t, const std::string& html) {
    static std::string keep;
    keep = html;
    t.SetBuffer(keep.data(), keep.size());
    t.ReadCharSkipComments();
    t.ReadNextToken();
    return t;
}
}  // namespace

TEST(Tokenizer, LoneLessThanAndText) {
    EXPECT_EQ(tokens("a < b"), (std::vector<Tok>{{"Text", "a "}, {"Text", "<"}, {"Text", " b"}}));
    EXPECT_EQ(tokens("a  \r\n\t b"), (std::vector<Tok>{{"Text", "a b"}}));
    EXPECT_EQ(tokens("x>y"), (std::vector<Tok>{{"Text", "x"}, {"Other", ">"}, {"Text", "y"}}));
    std::string longRun(250, 'q');
    auto t = tokens(longRun);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].text.size(), 100u);
    EXPECT_EQ(t[2].text.size(), 50u);
}

TEST(Tokenizer, Entities) {
    EXPECT_EQ(textOf("&amp;&lt;&gt;&quot;"), "&<>\"");
    EXPECT_EQ(textOf("&AMP;"), "&AMP;");
    EXPECT_EQ(textOf("&#65;"), "A");
    EXPECT_EQ(textOf("&#9;"), " ");
    EXPECT_EQ(textOf("&#10;"), "\n");
    EXPECT_EQ(textOf("&#7;"), "&#7;");
    EXPECT_EQ(textOf("&#300;"), "?");
    EXPECT_EQ(textOf("&#65x"), "Ax");
    EXPECT_EQ(textOf("&#1234567;"), "&#1234567;");  // beyond the last character
    EXPECT_EQ(textOf("&#0000065;"), "A");
    // Seven digits end the reader: "&#1234567", then "8;".
    EXPECT_EQ(tokens("&#12345678;").at(0).text, "&#1234567");
    EXPECT_EQ(textOf("&#;"), "&#;");
    EXPECT_EQ(textOf("&nbsp;"), "\xA0");
    EXPECT_EQ(textOf("&yuml x"), "\xFF x");
    EXPECT_EQ(textOf("&unknown;"), "&unknown;");
    auto t = tokens("&verylongname;");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].text, "&verylong");
    EXPECT_EQ(t[1].text, "name;");
    EXPECT_EQ(textOf("a & b"), "a & b");
}

TEST(Tokenizer, TagForms) {
    EXPECT_EQ(tokens("<b>")[0], (Tok{"B", ""}));
    EXPECT_EQ(tokens("<B>")[0], (Tok{"B", ""}));
    EXPECT_EQ(tokens("</b >")[0], (Tok{"/B", ""}));
    EXPECT_EQ(tokens("</br>")[0].sym, "UnknownTag");
    EXPECT_EQ(tokens("<blink>x")[0].sym, "UnknownTag");
    EXPECT_EQ(tokens("<blink>x")[1], (Tok{"Text", "x"}));
    THtmlTokenizer t;
    tagOf(t, "<h3>");
    EXPECT_EQ(t.Sym, symH);
    EXPECT_EQ(t.HeadingLevel, 3);
    tagOf(t, "</H2>");
    EXPECT_EQ(t.Sym, symEndH);
    EXPECT_EQ(t.HeadingLevel, 2);
    tagOf(t, "<h7>x");
    EXPECT_EQ(t.HeadingLevel, 0);
    t.ReadNextToken();
    EXPECT_EQ(t.TokenText, "x");
    // An unterminated tag runs to the end of input.
    EXPECT_EQ(tokens("<b class=x").size(), 1u);
}

TEST(Tokenizer, AttributeForms) {
    THtmlTokenizer t;
    tagOf(t, "<TABLE BORDER>");
    ASSERT_EQ(t.Attributes.Count(), 1);
    EXPECT_EQ(t.Attributes[0]->Symbol, attrBORDER);
    EXPECT_EQ(t.Attributes[0]->NumValue, 1);
    for (const char* html : {"<TD WIDTH=50%>", "<TD WIDTH='50%'>", "<td width = \"50%\" >"}) {
        tagOf(t, html);
        ASSERT_EQ(t.Attributes.Count(), 1) << html;
        EXPECT_EQ(t.Attributes[0]->Text, "50%") << html;
        EXPECT_EQ(t.Attributes[0]->NumValue, 50) << html;
    }
    tagOf(t, "<a href=\"a&amp;b\r\nc\" target=_top name=x-1 bogus-attr=7 value=-3>");
    ASSERT_EQ(t.Attributes.Count(), 5);
    EXPECT_EQ(t.Sym, symA);  // the entity inside the value does not change the symbol
    EXPECT_EQ(t.Attributes[0]->Text, "a&bc");
    EXPECT_EQ(t.Attributes[1]->Text, "_top");
    EXPECT_EQ(t.Attributes[2]->Text, "x-1");
    EXPECT_EQ(t.Attributes[3]->Symbol, symUnknownAttr);
    EXPECT_EQ(t.Attributes[4]->NumValue, -3);
    // Numbers that do not fit 32 bits give 0; long values are kept whole.
    std::string big = "<font size=99999999999 face=\"" + std::string(400, 'f') + "\">";
    tagOf(t, big);
    EXPECT_EQ(t.Attributes[0]->NumValue, 0);
    EXPECT_EQ(t.Attributes[1]->Text.size(), 400u);
    // Tags that keep no attributes drop them; their list is left alone.
    tagOf(t, "<b align=center>");
    EXPECT_EQ(t.Attributes.Count(), 0);
    tagOf(t, "<a \"junk\" href=x>");
    EXPECT_EQ(t.Attributes.Count(), 0);
}

TEST(Tokenizer, CommentsAndDeclarations) {
    EXPECT_EQ(textOf("a<!-- a -- b -->b"), "ab");
    EXPECT_EQ(textOf("a<!---->b<!-- x --->c<!-- y -- >d"), "abcd");
    EXPECT_EQ(textOf("<!DOCTYPE html>x<!-x>y"), "xy");
    EXPECT_EQ(textOf("a<!--1--><!--2-->b"), "ab");
    for (const char* bad : {"x<!-- never closed", "x<!DOCTYPE", "x<!-- a -- b", "x<!-->y"}) {
        THtmlTokenizer t;
        std::string s = bad;
        t.SetBuffer(s.data(), s.size());
        try {
            tokens(t);
            ADD_FAILURE() << bad;
        } catch (const EParseError& e) {
            EXPECT_STREQ(e.what(), "Open Comment at End of HTML File");
        }
    }
    // The same from a file and from a list of lines.
    platform::testing::TempDir dir;
    const std::string path = dir.Write("t.htm", "ok<!-- open").string();
    auto message = [](THtmlTokenizer& t) -> std::string {
        try {
            tokens(t);
        } catch (const EParseError& e) {
            return e.what();
        }
        return "no error";
    };
    THtmlTokenizer f;
    f.SetFile(path);
    EXPECT_EQ(message(f), "Open Comment at End of HTML File");
    std::vector<std::string> lines{"ok<!--", "still open"};
    THtmlTokenizer s;
    s.SetStrings(&lines);
    EXPECT_EQ(message(s), "Open Comment at End of HTML File");
    std::vector<std::string> closed{"ok<!--", "-->", "", "x"};
    THtmlTokenizer c;
    c.SetStrings(&closed);
    EXPECT_EQ(tokens(c), (std::vector<Tok>{{"Text", "ok x "}}));  // blanks around a comment fold into one
    THtmlTokenizer missing;
    EXPECT_THROW(missing.SetFile("/nonexistent/dir/x.htm"), EInOutError);
}

TEST(Tokenizer, LineEndsFold) {
    for (const char* nl : {"\r\n", "\n\r", "\n", "\r"}) {
        THtmlTokenizer t;
        std::string s = std::string("a") + nl + "b";
        t.SetBuffer(s.data(), s.size());
        t.ReadCharSkipComments();
        t.ReadCharSkipComments();
        EXPECT_EQ(t.RawChar, '\r');
        t.ReadCharSkipComments();
        EXPECT_EQ(t.RawChar, 'b');
    }
    std::vector<std::string> lines{"a", "", "b"};
    THtmlTokenizer t;
    t.SetStrings(&lines);
    std::string seen;
    for (t.ReadCharSkipComments(); t.RawChar != kEndOfInput; t.ReadCharSkipComments()) seen += t.RawChar;
    EXPECT_EQ(seen, "a\r\rb\r");
    EXPECT_EQ(t.ReadRawChar(), kEndOfInput);
    EXPECT_EQ(t.ReadRawChar(), kEndOfInput);
}

TEST(Tokenizer, Includes) {
    THtmlTokenizer t;
    std::string command;
    std::vector<std::string> params;
    static const char kInserted[] = "<b>in</b>";
    int calls = 0;
    t.OnInclude = [&](QWidget*, const std::string& c, std::vector<std::string> p, const char*& buf, int& size) {
        ++calls;
        command = c;
        params = std::move(p);
        buf = kInserted;
        size = static_cast<int>(sizeof kInserted - 1);
    };
    std::string s = "a<!--#insert file=\"x\"--> b";
    t.SetBuffer(s.data(), s.size());
    auto toks = tokens(t);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(command, "insert");
    EXPECT_EQ(params, (std::vector<std::string>{"FILE=\"x\""}));
    EXPECT_EQ(toks, (std::vector<Tok>{{"Text", "a"}, {"B", ""}, {"Text", "in"}, {"/B", ""}, {"Text", " b"}}));

    // Without a handler it is a comment; inside an include, "<!--#" is a comment too.
    std::string plain = "a<!--#insert file=x-->b";
    EXPECT_EQ(textOf(plain), "ab");
    static const char kNested[] = "[<!--#again-->]";
    calls = 0;
    t.OnInclude = [&](QWidget*, const std::string&, std::vector<std::string>, const char*& buf, int& size) {
        ++calls;
        buf = kNested;
        size = static_cast<int>(sizeof kNested - 1);
    };
    std::string outer = "<!--#one a=1 b=\"two words\"-->!";
    t.SetBuffer(outer.data(), outer.size());
    std::string text;
    for (auto& k : tokens(t)) text += k.text;
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(text, "[]!");
}

TEST(Tokenizer, TextAreaAndScriptModes) {
    THtmlTokenizer t;
    std::string s = "a&lt;b\r\n<b></TEXTAREA>";
    t.SetBuffer(s.data(), s.size());
    t.ReadCharSkipComments();
    std::vector<Tok> got;
    for (t.ReadTextAreaToken(); t.Sym != symEndOfInput && t.Sym != symEndTEXTAREA; t.ReadTextAreaToken())
        got.push_back({SymbolName(t.Sym), t.TokenText});
    EXPECT_EQ(got, (std::vector<Tok>{{"Text", "a"}, {"Text", "<"}, {"Text", "b"}, {"LineEnd", ""},
                                     {"UnknownTag", "<b"}, {"Text", ">"}}));
    EXPECT_EQ(t.Sym, symEndTEXTAREA);

    std::string js = "if (a<b) x();\n<!-- c --></Script>";
    t.SetBuffer(js.data(), js.size());
    t.RawScript = true;
    t.ReadCharSkipComments();
    got.clear();
    for (t.ReadScriptToken(); t.Sym != symEndOfInput && t.Sym != symEndSCRIPT; t.ReadScriptToken())
        got.push_back({SymbolName(t.Sym), t.TokenText});
    EXPECT_EQ(t.Sym, symEndSCRIPT);
    EXPECT_EQ(got, (std::vector<Tok>{{"Text", "if (a"}, {"UnknownTag", "<b"}, {"Text", ") x();"},
                                     {"LineEnd", ""}, {"UnknownTag", "<"}, {"Text", "!-- c -->"}}));
}

TEST(Tokenizer, ParagraphSpacePendingClears) {
    THtmlTokenizer t;
    std::string s = "<b><br>";
    t.SetBuffer(s.data(), s.size());
    t.ReadCharSkipComments();
    t.ParagraphSpacePending = true;
    t.ReadNextToken();
    EXPECT_TRUE(t.ParagraphSpacePending);
    t.ReadNextToken();
    EXPECT_FALSE(t.ParagraphSpacePending);
}

TEST(ParseColor, NamesAndHex) {
    TColor c = 0;
    for (const char* s : {"#00ff00", "00FF00", "lime", "LiMe"}) {
        ASSERT_TRUE(ParseColor(s, c)) << s;
        EXPECT_EQ(c, 0x00FF00u) << s;
    }
    ASSERT_TRUE(ParseColor("#FF0000", c));
    EXPECT_EQ(c, 0x0000FFu);
    ASSERT_TRUE(ParseColor("red", c));
    EXPECT_EQ(c, 0x0000FFu);
    ASSERT_TRUE(ParseColor("#123456", c));
    EXPECT_EQ(c, 0x563412u);
    EXPECT_FALSE(ParseColor("#GG0000", c));
    EXPECT_FALSE(ParseColor("", c));
    EXPECT_FALSE(ParseColor("#", c));
    ASSERT_TRUE(ParseColor("FFFFFFFFFF", c));  // wider than a colour: masked to 24 bits
    EXPECT_EQ(c, 0xFFFFFFu);
    EXPECT_EQ(c & ~0xFFFFFFu, 0u);
}

TEST(Tokenizer, HostileInputRunsClean) {
    std::mt19937 rng(12345);
    const std::string alphabet = "<>&#;!-/='\" \r\n\tabHTMLimgfont0123456789\x1a\x00\xff";
    for (int round = 0; round < 300; ++round) {
        std::string s;
        size_t len = rng() % 400;
        for (size_t i = 0; i < len; ++i) s += alphabet[rng() % alphabet.size()];
        if (round % 7 == 0)
            for (size_t i = 0; i < len; ++i) s[i] = static_cast<char>(rng());
        THtmlTokenizer t;
        t.OnInclude = [](QWidget*, const std::string&, std::vector<std::string>, const char*& b, int& n) {
            b = "<!--#x--><b>";
            n = 12;
        };
        t.SetBuffer(s.data(), s.size());
        try {
            t.ReadCharSkipComments();
            int n = 0;
            for (t.ReadNextToken(); t.Sym != symEndOfInput; t.ReadNextToken()) {
                ASSERT_LE(t.TokenText.size(), THtmlTokenizer::kMaxTokenText);
                ASSERT_LT(++n, 10000);
            }
        } catch (const EParseError&) {
            // Refusing the input is allowed; looping or overlong tokens are not.
        }
    }
    // Deep nesting of tags and long runs.
    std::string deep;
    for (int i = 0; i < 20000; ++i) deep += "<b><!--#a b=<!--#c-->";
    deep += std::string(100000, 'x');
    THtmlTokenizer t;
    t.SetBuffer(deep.data(), deep.size());
    EXPECT_NO_THROW(tokens(t));
}

TEST(Tokenizer, ReferencesBeyondLatin1BecomeWindows1252) {
    // Numeric and named references to characters of the code page's
    // 0x80-0x9F range become those bytes.
    EXPECT_EQ(textOf("&#8217;"), "\x92");
    EXPECT_EQ(textOf("&rsquo;"), "\x92");
    EXPECT_EQ(textOf("&#x2019;"), "\x92");
    EXPECT_EQ(textOf("&#X201c;"), "\x93");
    EXPECT_EQ(textOf("&hellip;"), "\x85");
    EXPECT_EQ(textOf("&bull;"), "\x95");
    EXPECT_EQ(textOf("&euro;"), "\x80");
    EXPECT_EQ(textOf("&ndash;&mdash;&trade;&Scaron;&Yuml;&fnof;"), "\x96\x97\x99\x8A\x9F\x83");
    // The longest names are read whole.
    EXPECT_EQ(textOf("&thetasym;&alefsym;&epsilon;"), "???");
    // Printable characters the code page lacks become '?'; spaces a space;
    // characters without a visible form nothing.
    EXPECT_EQ(textOf("&alpha;&#945;&#x4E2D;&#128512;"), "????");
    EXPECT_EQ(textOf("a&ensp;b&thinsp;c&#12288;d"), "a b c d");
    EXPECT_EQ(textOf("a&zwj;b&#xFEFF;c"), "abc");
    // Carriage return is white space; other controls and non-characters stay as written.
    EXPECT_EQ(textOf("a&#13;b"), "a b");
    EXPECT_EQ(textOf("&#1;&#x1F;&#xD800;&#x110000;"), "&#1;&#x1F;&#xD800;&#x110000;");
    EXPECT_EQ(textOf("&#x;&#xg"), "&#x;&#xg");
    // Case counts in names, as for the Latin-1 ones.
    EXPECT_EQ(textOf("&RSQUO;"), "&RSQUO;");
    EXPECT_EQ(textOf("&Alpha;&Prime;"), "??");
    // In attribute values too.
    THtmlTokenizer t;
    tagOf(t, "<img alt=\"it&rsquo;s&hellip;\">");
    ASSERT_EQ(t.Attributes.Count(), 1);
    EXPECT_EQ(t.Attributes[0]->Text, "it\x92s\x85");
}
