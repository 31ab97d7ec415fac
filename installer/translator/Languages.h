#pragma once
// The languages the installer can show, and what each one needs: the Windows
// language ids that map to it, its character set and face, and the code page
// its legacy translation files were written in.
#include <cstdint>
#include <string>

namespace installer {

enum TTmslLanguage : std::uint8_t {
    tlChineseSimplified,
    tlChineseTraditional,
    tlCzech,
    tlDanish,
    tlDutch,
    tlEnglish,
    tlFrench,
    tlGerman,
    tlGreek,
    tlHebrew,
    tlItalian,
    tlJapanese,
    tlKorean,
    tlNorwegianBokmal,
    tlNorwegianNynorsk,
    tlPolish,
    tlPortugese,
    tlRussian,
    tlSpanish,
    tlUser,  // the user's default language
    tlVietnamese,
};

constexpr int kLanguageValueCount = 21;

// The face and minimum point size the font routine applies.
struct TLanguageFace {
    std::string FaceBytes;  // the face as stored (Big5 for both Chinese languages)
    std::string Face;       // the same face as UTF-8, for the toolkit
    int MinSize = 0;
};

// The value for a Windows LANGID: primary language in bits 0-9, sublanguage
// in bits 10-15. Never tlUser; unlisted languages give tlEnglish.
TTmslLanguage LanguageFromLangID(std::uint16_t langid);

// The Windows character set of a language; "Unrecognized language" for
// tlUser and anything above tlVietnamese.
int CharsetOfLanguage(TTmslLanguage language);

// Face and minimum size; "Unrecognized language" for tlUser and out-of-range values.
TLanguageFace FaceOfLanguage(TTmslLanguage language);

// Key ("BM_LANG_GERMAN") and file name ("tmsiGerman.txt"); empty for tlUser.
std::string LanguageKeyOf(TTmslLanguage language);
std::string LanguageFileNameOf(TTmslLanguage language);

// The code page (as a decoder name) that a language's files use when they
// carry no BOM and are not UTF-8.
std::string LegacyCodePageOf(TTmslLanguage language);

// A language value read back from storage: stored when in range, else fallback.
TTmslLanguage LanguageFromOrdinal(std::int64_t value, TTmslLanguage fallback);

}  // namespace installer
