// Parsing of "GLID;Text" lines and memos, lookups, and re-parsing on change.
#include <gtest/gtest.h>

#include <sstream>

#include "installer/translator/Translator.h"

using namespace installer;

namespace {

std::string ParseError(TLanguage& language, const std::vector<std::string>& lines) {
    try {
        language.Strings().Assign(lines);
    } catch (const platform::Exception& e) {
        return e.Message();
    }
    return "";
}

}  // namespace

TEST(LanguageParse, StringLines) {
    TTranslator t;
    TLanguage& en = t.lgEnglish();
    en.Strings().Assign({"4;< Previous", "5; Next >", "", "  6;Cancel;ignored  ", "*7;comment", "-3;minus", "$10;hex"});
    ASSERT_EQ(en.StringEntries().size(), 5u);
    EXPECT_EQ(en.FindStringByGLID(4)->Text, "< Previous");
    EXPECT_EQ(en.FindStringByGLID(5)->Text, " Next >");  // the blank after ';' belongs to the text
    EXPECT_EQ(en.FindStringByGLID(6)->Text, "Cancel");   // ends before the second ';'
    EXPECT_EQ(en.FindStringByGLID(6)->LineIndex, 3);     // blank lines count
    EXPECT_EQ(en.FindStringByGLID(7), nullptr);
    EXPECT_EQ(en.FindStringByGLID(-3)->Text, "minus");
    EXPECT_EQ(en.FindStringByGLID(16)->Text, "hex");
    EXPECT_EQ(en.FindStringByGLID(6)->Owner, &en);

    const std::string longText(600, 'x');
    en.Strings().Assign({"1;" + longText, "1;second"});
    EXPECT_EQ(en.FindStringByGLID(1)->Text, longText);  // kept whole; first of equal numbers wins
}

TEST(LanguageParse, ErrorTextsAndNoEntriesLeft) {
    TTranslator t;
    TLanguage& en = t.lgEnglish();
    EXPECT_EQ(ParseError(en, {"1;ok", "7;"}), "The 1'th string (7;) does not have the proper format of GLID;Text");
    EXPECT_EQ(ParseError(en, {"7;   "}), "The 0'th string (7;) does not have the proper format of GLID;Text");
    EXPECT_EQ(ParseError(en, {"", ";text"}), "The 1'th string (;text) does not have the proper format of GLID;Text");
    EXPECT_EQ(ParseError(en, {"5"}), "The 0'th string (5) does not have the proper format of GLID;Text");
    EXPECT_EQ(ParseError(en, {"x4;text"}),
              "The 0'th string (x4;text) does not have the proper format of GLID;Text or .GLID;");
    EXPECT_EQ(ParseError(en, {"4 ;text"}),
              "The 0'th string (4 ;text) does not have the proper format of GLID;Text or .GLID;");
    EXPECT_EQ(ParseError(en, {"99999999999;big"}),
              "The 0'th string (99999999999;big) does not have the proper format of GLID;Text or .GLID;");
    EXPECT_EQ(ParseError(en, {"#x", "a", "#"}),
              "The 0'th string (#x) does not have the proper format of GLID;Text or .GLID;");
    EXPECT_EQ(ParseError(en, {"#;x"}), "The 0'th string (#;x) does not have the proper format of GLID;Text");
    EXPECT_EQ(ParseError(en, {"1;a", "", "  #  "}),
              "Found the end of memo marker # at line 2. Was not in a memo however");

    en.Strings().Assign({"1;fine"});
    ASSERT_EQ(en.StringEntries().size(), 1u);
    EXPECT_NE(ParseError(en, {"1;fine", "#5", "a", "#", "bad"}), "");
    EXPECT_TRUE(en.StringEntries().empty());
    EXPECT_TRUE(en.MemoEntries().empty());
    EXPECT_EQ(en.Strings().Count(), 5);  // the lines stay as given
}

TEST(LanguageParse, Memos) {
    TTranslator t;
    TLanguage& en = t.lgEnglish();
    en.Strings().Assign({"1;before", "#10;anything", "  first line  ", "", "*not a line", "#11", "#", "2;after",
                         "#12", "never closed"});
    ASSERT_EQ(en.MemoEntries().size(), 1u);
    const TLanguageMemo* memo = en.FindMemoByGLID(10);
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->LineIndex, 1);
    EXPECT_EQ(memo->Lines, (std::vector<std::string>{"first line", "#11"}));
    EXPECT_EQ(en.FindMemoByGLID(12), nullptr);  // dropped without an error
    EXPECT_EQ(en.FindStringByGLID(2)->Text, "after");
    EXPECT_EQ(en.FindStringByText("never closed"), nullptr);

    EXPECT_EQ(en.FindMemoByText({"first line", "#11"}), memo);
    EXPECT_EQ(en.FindMemoByText({"First line", "#11"}), nullptr);  // memos match case-sensitively
    EXPECT_EQ(en.FindMemoByText({"first line"}), nullptr);
}

TEST(LanguageLookup, ByWordingIgnoresCaseOnly) {
    TTranslator t;
    TLanguage& en = t.lgEnglish();
    en.Strings().Assign({"25;Destination directory", "30;Destination directory", "40;\xC3\x9C" "ber uns"});
    EXPECT_EQ(en.FindStringByText("destination DIRECTORY")->GLID, 25);
    EXPECT_EQ(en.FindStringByText(" Destination directory"), nullptr);
    EXPECT_EQ(en.FindStringByText("Destination directory "), nullptr);
    EXPECT_EQ(en.FindStringByText("\xC3\xBC" "BER UNS")->GLID, 40);  // "über UNS" matches "Über uns"
    EXPECT_EQ(en.FindStringByText(""), nullptr);
}

TEST(LangFormatStrings, EveryChangeReparses) {
    TTranslator t;
    TLanguage& en = t.lgEnglish();
    TLangFormatStrings& s = en.Strings();
    EXPECT_EQ(s.Add("1;one"), 0);
    s.AddStrings({"#5", "memo line", "#", "2;two", "3;three"});
    ASSERT_NE(en.FindStringByGLID(3), nullptr);
    EXPECT_EQ(en.FindStringByGLID(3)->LineIndex, 5);
    EXPECT_EQ(en.FindMemoByGLID(5)->LineIndex, 1);

    s.Delete(0);  // the entries after it move up, memos too
    EXPECT_EQ(en.FindStringByGLID(1), nullptr);
    EXPECT_EQ(en.FindStringByGLID(2)->LineIndex, 3);
    EXPECT_EQ(en.FindStringByGLID(3)->LineIndex, 4);
    EXPECT_EQ(en.FindMemoByGLID(5)->LineIndex, 0);

    s.Insert(0, "9;nine");
    EXPECT_EQ(en.FindStringByGLID(9)->LineIndex, 0);
    EXPECT_EQ(en.FindStringByGLID(3)->LineIndex, 5);

    s.Move(5, 0);
    EXPECT_EQ(s[0], "3;three");
    EXPECT_EQ(en.FindStringByGLID(3)->LineIndex, 0);

    EXPECT_EQ(s.Text(), "3;three\r\n9;nine\r\n#5\r\nmemo line\r\n#\r\n2;two\r\n");

    EXPECT_THROW(s.Insert(0, "#"), platform::Exception);  // the line stays, the entries go
    EXPECT_EQ(s.Count(), 7);
    EXPECT_TRUE(en.StringEntries().empty());
    s.Delete(0);
    EXPECT_EQ(en.StringEntries().size(), 3u);

    // Deleting the line that opens a memo leaves its lines to read as
    // strings, which they are not: the entries stay, moved up, and the
    // memo is gone.
    ASSERT_EQ(s[2], "#5");
    ASSERT_EQ(s[3], "memo line");
    s.Delete(2);
    EXPECT_EQ(s.Count(), 5);
    EXPECT_EQ(en.FindMemoByGLID(5), nullptr);
    ASSERT_NE(en.FindStringByGLID(2), nullptr);
    EXPECT_EQ(en.FindStringByGLID(2)->LineIndex, 4);
    EXPECT_EQ(en.FindStringByGLID(2)->Text, "two");
    EXPECT_EQ(en.FindStringByGLID(9)->LineIndex, 1);
    EXPECT_EQ(en.StringEntries().size(), 3u);
    s.Insert(2, "#5");  // put back, the memo parses again
    ASSERT_NE(en.FindMemoByGLID(5), nullptr);
    EXPECT_EQ(en.FindMemoByGLID(5)->Lines, std::vector<std::string>{"memo line"});

    try {
        s.Delete(6);
        FAIL();
    } catch (const platform::Exception& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (6)");
    }

    en.ParseEnabled = false;
    s.Add("4;four");
    EXPECT_EQ(en.FindStringByGLID(4), nullptr);
    en.ParseEnabled = true;
    en.ParseStrings();
    EXPECT_EQ(en.FindStringByGLID(4)->Text, "four");

    s.Clear();
    EXPECT_TRUE(en.StringEntries().empty());
    EXPECT_TRUE(en.MemoEntries().empty());

    TTranslator other;
    other.lgGerman().Strings().Assign({"1;eins"});
    en.SetStrings(other.lgGerman().Strings());
    EXPECT_EQ(en.FindStringByGLID(1)->Text, "eins");
    EXPECT_EQ(en.FindStringByGLID(1)->Owner, &en);

    std::istringstream stream("1;a\r\n2;b\r3;c\n\n4;d");
    s.LoadFromStream(stream);
    EXPECT_EQ(s.Count(), 5);
    EXPECT_EQ(en.FindStringByGLID(4)->LineIndex, 4);
}
