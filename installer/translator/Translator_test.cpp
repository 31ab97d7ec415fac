// Translation by wording and by number, target resolution, the global
// translator, and translated installer exceptions.
#include <gtest/gtest.h>

#include "installer/translator/EnglishStrings.h"
#include "installer/translator/Translator.h"
#include "installer/translator/UserLanguage.h"

using namespace installer;

namespace {

// Pins the user's language for a test.
class UserLangID {
public:
    explicit UserLangID(std::uint16_t id) {
        SetUserDefaultLangIDSource([id] { return id; });
    }
    ~UserLangID() { SetUserDefaultLangIDSource({}); }
};

void FillGerman(TTranslator& t) {
    t.lgEnglish().Strings().Assign(MainTranslatorEnglishLines());
    t.lgEnglish().Strings().AddStrings({"#200", "Line one", "Line two", "#",
                                        "300;File %s not found (%d)", "301;Disk %d of %s",
                                        "302;Plain message"});
    t.lgGerman().Strings().Assign({"4;< Zur\xC3\xBC" "ck", "5;Weiter >", "25;Zielverzeichnis",
                                   "45;Bitte Diskette %d einlegen", "#200", "Zeile eins", "Zeile zwei", "#",
                                   "300;Datei %s nicht gefunden (%d)", "301;Diskette %s", "302;Einfache Meldung"});
}

}  // namespace

TEST(Translator, TranslatesByWordingAndNumber) {
    UserLangID english(0x0409);
    TTranslator t;
    FillGerman(t);
    t.SetTranslateIntoLanguage(tlGerman);

    EXPECT_EQ(t.TranslateText(tlEnglish, "next >"), "Weiter >");
    EXPECT_EQ(t.TranslateText(tlEnglish, "Destination directory"), "Zielverzeichnis");  // 25 before 30
    EXPECT_EQ(t.TranslateText(tlEnglish, "Cancel"), "Cancel");        // the target lacks 6
    EXPECT_EQ(t.TranslateText(tlEnglish, "Not in any table"), "Not in any table");
    EXPECT_EQ(t.TranslateText(tlFrench, "Next >"), "Next >");         // the source lacks it
    EXPECT_EQ(t.TranslateText(tlGerman, "Weiter >"), "Weiter >");     // German to German
    EXPECT_EQ(t.TranslateText(tlUser, "Next >"), "Weiter >");         // the user's English

    EXPECT_EQ(t.TranslateGLID(45, "x"), "Bitte Diskette %d einlegen");
    EXPECT_EQ(t.TranslateGLID(6, "Cancel"), "Cancel");

    EXPECT_EQ(t.TranslateStrings(tlEnglish, {"Line one", "Line two"}),
              (std::vector<std::string>{"Zeile eins", "Zeile zwei"}));
    EXPECT_EQ(t.TranslateStrings(tlEnglish, {"line one", "Line two"}),
              (std::vector<std::string>{"line one", "Line two"}));

    t.SetTranslateIntoLanguage(tlSpanish);  // a target without lines
    EXPECT_EQ(t.TranslateText(tlEnglish, "Next >"), "Next >");
}

TEST(Translator, TargetFollowsTheUserLanguage) {
    TTranslator t;
    FillGerman(t);
    EXPECT_EQ(t.TranslateIntoLanguage(), tlUser);
    {
        UserLangID german(0x0407);
        EXPECT_EQ(t.UserLanguage(), &t.lgGerman());
        EXPECT_EQ(t.TargetLanguage(), &t.lgGerman());
        EXPECT_EQ(t.TranslateText(tlEnglish, "Next >"), "Weiter >");
    }
    {
        UserLangID swiss_german(0x0807);
        EXPECT_EQ(t.TargetLanguage(), &t.lgGerman());
    }
    {
        SetUserDefaultLangIDSource([]() -> std::uint16_t { throw platform::Exception("no locale"); });
        EXPECT_EQ(t.UserLanguage(), nullptr);
        EXPECT_EQ(t.TranslateText(tlEnglish, "Next >"), "Next >");
        EXPECT_EQ(t.TranslateGLID(5, "dflt"), "dflt");
        SetUserDefaultLangIDSource({});
    }
    EXPECT_EQ(t.LanguageByIdent(tlUser), nullptr);
    EXPECT_EQ(t.Languages().size(), 20u);
    EXPECT_EQ(t.Languages()[19]->LanguageIdent, tlVietnamese);
    EXPECT_EQ(t.lgPortugese().LanguageKey(), "BM_LANG_PORTUGESE");
    EXPECT_EQ(t.lgPortugese().LanguageFileName(), "tmsiPortugese.txt");
    EXPECT_EQ(t.lgGreek().Font, TLanguageFont{});
    EXPECT_FALSE(t.lgGreek().FontOverride);
}

TEST(Translator, TargetScopeAndChangeNotification) {
    TTranslator t;
    std::vector<TTmslLanguage> seen;
    t.OnChange = [&](TTranslator& tr) { seen.push_back(tr.TranslateIntoLanguage()); };
    t.SetTranslateIntoLanguage(tlFrench);
    try {
        TTranslator::TargetScope scope(t, tlGerman);
        EXPECT_EQ(t.TranslateIntoLanguage(), tlGerman);
        throw platform::Exception("boom");
    } catch (const platform::Exception&) {
        // Only the scope's unwinding matters here.
    }
    EXPECT_EQ(t.TranslateIntoLanguage(), tlFrench);
    EXPECT_EQ(seen, (std::vector<TTmslLanguage>{tlFrench, tlGerman, tlFrench}));
}

TEST(Translator, GlobalAndAutoCreatedTranslators) {
    ASSERT_EQ(GlobalTranslator(), nullptr);
    EXPECT_EQ(TranslateString("Next >"), "Next >");
    {
        auto first = std::make_unique<TTranslator>();
        TTranslator second;
        EXPECT_EQ(GlobalTranslator(), first.get());
        first.reset();
        EXPECT_EQ(GlobalTranslator(), nullptr);  // not handed on to the second
    }
    SetAutoCreatedTranslator(std::make_unique<TTranslator>());
    EXPECT_EQ(GlobalTranslator(), AutoCreatedTranslator());
    {
        TTranslator main;  // frees the auto-created one and takes its place
        EXPECT_EQ(AutoCreatedTranslator(), nullptr);
        EXPECT_EQ(GlobalTranslator(), &main);
    }
    EXPECT_EQ(GlobalTranslator(), nullptr);
}

TEST(IException, MessagesAreTranslatedBeforeFormatting) {
    UserLangID english(0x0409);
    EXPECT_EQ(IEInstall("Plain message").Message(), "Plain message");  // no translator
    EXPECT_EQ(IEInstall("File %s not found (%d)", {"a.txt", 3}).Message(), "File a.txt not found (3)");

    TTranslator t;
    FillGerman(t);
    t.SetTranslateIntoLanguage(tlGerman);
    EXPECT_EQ(IException("Plain message").Message(), "Einfache Meldung");
    EXPECT_EQ(IEfcDuplicateFile("File %s not found (%d)", {"a.txt", 3}).Message(), "Datei a.txt nicht gefunden (3)");
    // A translation that lost a placeholder is not used.
    EXPECT_EQ(IEInstall("Disk %d of %s", {2, "Setup"}).Message(), "Disk 2 of Setup");
    EXPECT_EQ(TranslateFmt("Please insert disk number %d", {4}), "Bitte Diskette 4 einlegen");

    try {
        throw IEBDEDLLMissing("The BDE DLL file %s cannot be found in the BDE DLL dir %s", {"x.dll", "C:\\BDE"});
    } catch (const IEInstallBDE& e) {
        EXPECT_EQ(e.Message(), "The BDE DLL file x.dll cannot be found in the BDE DLL dir C:\\BDE");
    }
    try {
        throw IEFileRel_NoNetLocation("Plain message");
    } catch (const platform::Exception& e) {
        EXPECT_NE(dynamic_cast<const IEFileRelated*>(&e), nullptr);
        EXPECT_EQ(e.Message(), "Einfache Meldung");
    }
}

TEST(EnglishStrings, TheSetupTableParses) {
    TTranslator t;
    t.lgEnglish().Strings().Assign(MainTranslatorEnglishLines());
    const TLanguage& en = t.lgEnglish();
    EXPECT_EQ(en.StringEntries().size(), 81u);
    EXPECT_TRUE(en.MemoEntries().empty());
    EXPECT_EQ(en.FindStringByText("Destination directory")->GLID, 25);
    EXPECT_EQ(en.FindStringByGLID(45)->Text, "Please insert disk number %d");
    EXPECT_EQ(en.FindStringByGLID(41)->Text,
              "Setup will add program icons to the Program Folder listed below. You may type a new folder name, or "
              "select from the E&xisting Folders list.");
    EXPECT_EQ(en.FindStringByGLID(87)->LineIndex, static_cast<int>(MainTranslatorEnglishLines().size()) - 1);
    EXPECT_EQ(en.FindStringByGLID(77), nullptr);
}
