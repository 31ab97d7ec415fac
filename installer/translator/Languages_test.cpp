// The language table: Windows and POSIX language ids, charsets, faces, code
// pages, and translation files in their legacy encodings.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QStringDecoder>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "installer/translator/Translator.h"
#include "installer/translator/UserLanguage.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"

using namespace installer;

namespace {

using platform::testing::TempDir;

// Restores the locale variables a test changes.
class LocaleEnvironment {
public:
    LocaleEnvironment() {
        for (int i = 0; i < 3; ++i) {
            const char* v = std::getenv(kNames[i]);
            had_[i] = v != nullptr;
            kept_[i] = v ? v : "";
        }
    }
    ~LocaleEnvironment() {
        for (int i = 0; i < 3; ++i) had_[i] ? setenv(kNames[i], kept_[i].c_str(), 1) : unsetenv(kNames[i]);
    }

private:
    static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    bool had_[3];
    std::string kept_[3];
};

std::string ExceptionText(auto&& f) {
    try {
        f();
    } catch (const platform::Exception& e) {
        return e.Message();
    }
    return "";
}

}  // namespace

TEST(Languages, WindowsLanguageIds) {
    EXPECT_EQ(LanguageFromLangID(0x0404), tlChineseTraditional);  // Chinese, sublanguage 1
    EXPECT_EQ(LanguageFromLangID(0x0804), tlChineseSimplified);
    EXPECT_EQ(LanguageFromLangID(0x0C04), tlChineseSimplified);
    EXPECT_EQ(LanguageFromLangID(0x0414), tlNorwegianBokmal);
    EXPECT_EQ(LanguageFromLangID(0x0814), tlNorwegianNynorsk);
    EXPECT_EQ(LanguageFromLangID(0x0409), tlEnglish);
    EXPECT_EQ(LanguageFromLangID(0x0809), tlEnglish);
    EXPECT_EQ(LanguageFromLangID(0x040B), tlEnglish);  // Finnish is not in the table
    EXPECT_EQ(LanguageFromLangID(0x0000), tlEnglish);
    EXPECT_EQ(LanguageFromLangID(0x0407), tlGerman);
    EXPECT_EQ(LanguageFromLangID(0x0416), tlPortugese);
    EXPECT_EQ(LanguageFromLangID(0x042A), tlVietnamese);
    EXPECT_EQ(LanguageFromLangID(0x040D), tlHebrew);
    EXPECT_EQ(LanguageFromLangID(0x0413), tlDutch);
    EXPECT_EQ(LanguageFromLangID(0x0419), tlRussian);
    for (int id = 0; id < 0x10000; id += 97) EXPECT_NE(LanguageFromLangID(static_cast<std::uint16_t>(id)), tlUser);
}

TEST(Languages, PosixLocales) {
    EXPECT_EQ(LangIDFromPosixLocale("de_DE.UTF-8"), 0x0407);
    EXPECT_EQ(LangIDFromPosixLocale("de_CH@euro"), 0x0407);
    EXPECT_EQ(LangIDFromPosixLocale("zh_TW.Big5"), 0x0404);
    EXPECT_EQ(LangIDFromPosixLocale("zh_CN.GB18030"), 0x0804);
    EXPECT_EQ(LangIDFromPosixLocale("nn_NO.UTF-8"), 0x0814);
    EXPECT_EQ(LangIDFromPosixLocale("nb_NO"), 0x0414);
    EXPECT_EQ(LangIDFromPosixLocale("pt_BR.UTF-8"), 0x0416);
    EXPECT_EQ(LangIDFromPosixLocale("C"), 0x0409);
    EXPECT_EQ(LangIDFromPosixLocale("POSIX"), 0x0409);
    EXPECT_EQ(LangIDFromPosixLocale(""), 0x0409);
    EXPECT_EQ(LangIDFromPosixLocale("fi_FI"), 0x0409);
}

TEST(Languages, UserLanguageFromRegistryElseEnvironment) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root(dir.Path());
    LocaleEnvironment env;
    setenv("LC_ALL", "", 1);
    setenv("LC_MESSAGES", "ja_JP.UTF-8", 1);
    setenv("LANG", "ru_RU.UTF-8", 1);
    EXPECT_EQ(LanguageFromLangID(GetUserDefaultLangID()), tlJapanese);
    setenv("LC_ALL", "fr_FR", 1);
    EXPECT_EQ(LanguageFromLangID(GetUserDefaultLangID()), tlFrench);

    auto& registry = platform::Registry();
    ASSERT_TRUE(registry.CreateKey(platform::RegRoot::CurrentUser, "Control Panel\\International"));
    ASSERT_TRUE(registry.WriteString(platform::RegRoot::CurrentUser, "Control Panel\\International", "Locale",
                                     "00000404"));
    EXPECT_EQ(LanguageFromLangID(GetUserDefaultLangID()), tlChineseTraditional);
    registry.WriteString(platform::RegRoot::CurrentUser, "Control Panel\\International", "Locale", "German");
    EXPECT_EQ(LanguageFromLangID(GetUserDefaultLangID()), tlFrench);
}

TEST(Languages, CharsetsFacesAndStoredValues) {
    EXPECT_EQ(CharsetOfLanguage(tlChineseSimplified), 134);
    EXPECT_EQ(CharsetOfLanguage(tlPortugese), 238);
    EXPECT_EQ(CharsetOfLanguage(tlGreek), 0);
    EXPECT_EQ(CharsetOfLanguage(tlHebrew), 177);
    EXPECT_EQ(CharsetOfLanguage(tlVietnamese), 163);
    EXPECT_EQ(ExceptionText([] { CharsetOfLanguage(tlUser); }), "Unrecognized language");
    EXPECT_EQ(ExceptionText([] { CharsetOfLanguage(static_cast<TTmslLanguage>(21)); }), "Unrecognized language");
    EXPECT_EQ(ExceptionText([] { FaceOfLanguage(tlUser); }), "Unrecognized language");

    EXPECT_EQ(FaceOfLanguage(tlGerman).Face, "MS Sans Serif");
    EXPECT_EQ(FaceOfLanguage(tlGreek).Face, "SGreek");
    EXPECT_EQ(FaceOfLanguage(tlHebrew).Face, "Arial");
    EXPECT_EQ(FaceOfLanguage(tlHebrew).MinSize, 8);
    EXPECT_EQ(FaceOfLanguage(tlKorean).MinSize, 9);
    EXPECT_EQ(FaceOfLanguage(tlChineseTraditional).FaceBytes.size(), 7u);
    EXPECT_EQ(FaceOfLanguage(tlJapanese).FaceBytes.size(), 15u);

    // The stored faces read the same through the toolkit's decoders; the
    // Chinese face's lone lead byte is left out.
    for (TTmslLanguage l : {tlChineseSimplified, tlChineseTraditional, tlJapanese, tlKorean}) {
        const TLanguageFace face = FaceOfLanguage(l);
        // Both Chinese faces are Big5 bytes, whatever the language's files use.
        const std::string codePage = l == tlChineseSimplified ? "Big5" : LegacyCodePageOf(l);
        QStringDecoder decoder(codePage.c_str());
        ASSERT_TRUE(decoder.isValid()) << codePage;
        const QString text = decoder.decode(QByteArray::fromStdString(face.FaceBytes));
        EXPECT_EQ(text.toStdString(), face.Face) << l;
    }
    EXPECT_EQ(FaceOfLanguage(tlJapanese).Face, "\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF");

    EXPECT_EQ(LanguageFromOrdinal(7, tlUser), tlGerman);
    EXPECT_EQ(LanguageFromOrdinal(19, tlEnglish), tlUser);
    EXPECT_EQ(LanguageFromOrdinal(21, tlEnglish), tlEnglish);
    EXPECT_EQ(LanguageFromOrdinal(-1, tlFrench), tlFrench);
    EXPECT_EQ(LanguageFromOrdinal(255, tlUser), tlUser);
}

TEST(LanguageFiles, ShiftJisAndUtf8WithBomGiveTheSameEntries) {
    // "5;次へ >" and a memo, in Shift-JIS and in UTF-8 with a BOM.
    const std::string sjis = "5;\x8E\x9F\x82\xD6 >\r\n#7\r\n\x83\x65\x83\x58\x83\x67\r\n#\r\n";
    const std::string utf8 = "\xEF\xBB\xBF" "5;\xE6\xAC\xA1\xE3\x81\xB8 >\r\n#7\r\n\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88\r\n#\r\n";
    TempDir dir;
    TTranslator a, b;
    a.lgJapanese().Strings().LoadFromFile(dir.Write("tmsiJapanese.txt", sjis));
    b.lgJapanese().Strings().LoadFromFile(dir.Write("utf8.txt", utf8));
    EXPECT_EQ(a.lgJapanese().Strings().Lines(), b.lgJapanese().Strings().Lines());
    ASSERT_EQ(a.lgJapanese().StringEntries().size(), 1u);
    EXPECT_EQ(a.lgJapanese().FindStringByGLID(5)->Text, b.lgJapanese().FindStringByGLID(5)->Text);
    EXPECT_EQ(a.lgJapanese().FindStringByGLID(5)->Text, "\xE6\xAC\xA1\xE3\x81\xB8 >");
    EXPECT_EQ(a.lgJapanese().FindMemoByGLID(7)->Lines, b.lgJapanese().FindMemoByGLID(7)->Lines);
    EXPECT_EQ(a.lgJapanese().FindMemoByGLID(7)->Lines, std::vector<std::string>{"\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88"});
}

TEST(LanguageFiles, LegacyCodePagesAndLineEnds) {
    TempDir dir;
    TTranslator t;
    // Windows-1252: "ü" is FC, not valid UTF-8.
    t.lgGerman().Strings().LoadFromFile(dir.Write("de.txt", "5;Zur\xFC" "ck\n6;Abbrechen\r7;Ende"));
    EXPECT_EQ(t.lgGerman().FindStringByGLID(5)->Text, "Zur\xC3\xBC" "ck");
    EXPECT_EQ(t.lgGerman().FindStringByGLID(7)->LineIndex, 2);
    // Portuguese files are Windows-1252 ("não"), Greek ones Windows-1253 ("Άκυρο").
    t.lgPortugese().Strings().LoadFromFile(dir.Write("pt.txt", "6;n\xE3o"));
    EXPECT_EQ(t.lgPortugese().FindStringByGLID(6)->Text, "n\xC3\xA3o");
    t.lgGreek().Strings().LoadFromFile(dir.Write("el.txt", "6;\xA2\xEA\xF5\xF1\xEF"));
    EXPECT_EQ(t.lgGreek().FindStringByGLID(6)->Text, "\xCE\x86\xCE\xBA\xCF\x85\xCF\x81\xCE\xBF");
    // UTF-16 with a BOM.
    t.lgRussian().Strings().LoadFromFile(dir.Write("ru.txt", std::string("\xFF\xFE" "6\0;\0\x1E\x04\r\0\n\0", 12)));
    EXPECT_EQ(t.lgRussian().FindStringByGLID(6)->Text, "\xD0\x9E");
    // UTF-8 without a BOM stays UTF-8 whatever the language.
    t.lgPolish().Strings().LoadFromFile(dir.Write("pl.txt", "6;Anuluj \xC5\x82"));
    EXPECT_EQ(t.lgPolish().FindStringByGLID(6)->Text, "Anuluj \xC5\x82");

    // A file that cannot be read changes nothing.
    const std::string message = ExceptionText([&] { t.lgGerman().Strings().LoadFromFile(dir.Write("x", "") / "missing"); });
    EXPECT_NE(message.find("Cannot open file"), std::string::npos);
    EXPECT_EQ(t.lgGerman().Strings().Count(), 3);
    EXPECT_EQ(t.lgGerman().StringEntries().size(), 3u);
}
