#include "installer/translator/Languages.h"

#include "platform/core/runtime/Exception.h"

namespace installer {

namespace {

struct LanguageRow {
    int charset;
    const char* faceBytes;
    const char* face;
    int minSize;
    const char* key;
    const char* fileName;
    const char* codePage;
};

// Indexed by TTmslLanguage; the tlUser row is empty.
// The Chinese face is seven bytes: three Big5 characters and a lone lead
// byte; the toolkit gets the three whole characters.
// Hebrew has no face of its own in the original table; it takes Arial 8 so
// the font routine never fails for it. Portuguese files are Windows-1252 and
// Greek ones Windows-1253 whatever the charset column says.
const LanguageRow kRows[kLanguageValueCount] = {
    {134, "\xB7\x73\xB2\xD3\xA9\xFA\xC5", "\xE6\x96\xB0\xE7\xB4\xB0\xE6\x98\x8E", 9, "BM_LANG_SIMPCHINESE",
     "tmsiChineseSimplified.txt", "GBK"},
    {136, "\xB7\x73\xB2\xD3\xA9\xFA\xC5", "\xE6\x96\xB0\xE7\xB4\xB0\xE6\x98\x8E", 9, "BM_LANG_CHINESE_TRADITIONAL",
     "tmsiChineseTraditional.txt", "Big5"},
    {238, "Arial", "Arial", 8, "BM_LANG_CZECH", "tmsiCzech.txt", "windows-1250"},
    {0, "Arial", "Arial", 8, "BM_LANG_DANISH", "tmsiDanish.txt", "windows-1252"},
    {0, "Arial", "Arial", 8, "BM_LANG_DUTCH", "tmsiDutch.txt", "windows-1252"},
    {0, "Arial", "Arial", 8, "BM_LANG_ENGLISH", "tmsiEnglish.txt", "windows-1252"},
    {0, "Arial", "Arial", 8, "BM_LANG_FRENCH", "tmsiFrench.txt", "windows-1252"},
    {0, "MS Sans Serif", "MS Sans Serif", 8, "BM_LANG_GERMAN", "tmsiGerman.txt", "windows-1252"},
    {0, "SGreek", "SGreek", 8, "BM_LANG_GREEK", "tmsiGreek.txt", "windows-1253"},
    {177, "Arial", "Arial", 8, "BM_LANG_HEBREW", "tmsiHebrew.txt", "windows-1255"},
    {0, "Arial", "Arial", 8, "BM_LANG_ITALIAN", "tmsiItalian.txt", "windows-1252"},
    {128, "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E",
     "\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF", 9, "BM_LANG_JAPANESE",
     "tmsiJapanese.txt", "Shift_JIS"},
    {129, "\xB9\xD9\xC5\xC1", "\xEB\xB0\x94\xED\x83\x95", 9, "BM_LANG_KOREAN", "tmsiKorean.txt", "windows-949"},
    {0, "Arial", "Arial", 8, "BM_LANG_NORWEGIAN_BOKMAL", "tmsiNorwegianBokmal.txt", "windows-1252"},
    {0, "Arial", "Arial", 8, "BM_LANG_NORWEGIAN_NYNORSK", "tmsiNorwegianNynorsk.txt", "windows-1252"},
    {238, "Arial", "Arial", 8, "BM_LANG_POLISH", "tmsiPolish.txt", "windows-1250"},
    {238, "Arial", "Arial", 8, "BM_LANG_PORTUGESE", "tmsiPortugese.txt", "windows-1252"},
    {204, "Arial", "Arial", 8, "BM_LANG_RUSSIAN", "tmsiRussian.txt", "windows-1251"},
    {0, "Arial", "Arial", 8, "BM_LANG_SPANISH", "tmsiSpanish.txt", "windows-1252"},
    {-1, "", "", 0, "", "", "windows-1252"},
    {163, "Arial", "Arial", 8, "BM_LANG_VIETNAMESE", "tmsiVietnamese.txt", "windows-1258"},
};

bool IsRealLanguage(TTmslLanguage language) {
    return static_cast<int>(language) < kLanguageValueCount && language != tlUser;
}

}  // namespace

TTmslLanguage LanguageFromLangID(std::uint16_t langid) {
    const int primary = langid & 0x3FF;
    const int sublanguage = langid >> 10;
    switch (primary) {
        case 4: return sublanguage == 1 ? tlChineseTraditional : tlChineseSimplified;
        case 5: return tlCzech;
        case 6: return tlDanish;
        case 19: return tlDutch;
        case 12: return tlFrench;
        case 7: return tlGerman;
        case 8: return tlGreek;
        case 13: return tlHebrew;
        case 16: return tlItalian;
        case 17: return tlJapanese;
        case 18: return tlKorean;
        case 20: return sublanguage == 1 ? tlNorwegianBokmal : tlNorwegianNynorsk;
        case 21: return tlPolish;
        case 22: return tlPortugese;
        case 25: return tlRussian;
        case 10: return tlSpanish;
        case 42: return tlVietnamese;
        default: return tlEnglish;
    }
}

int CharsetOfLanguage(TTmslLanguage language) {
    if (!IsRealLanguage(language)) throw platform::Exception("Unrecognized language");
    return kRows[language].charset;
}

TLanguageFace FaceOfLanguage(TTmslLanguage language) {
    if (!IsRealLanguage(language)) throw platform::Exception("Unrecognized language");
    const LanguageRow& row = kRows[language];
    return {row.faceBytes, row.face, row.minSize};
}

std::string LanguageKeyOf(TTmslLanguage language) {
    return IsRealLanguage(language) ? kRows[language].key : "";
}

std::string LanguageFileNameOf(TTmslLanguage language) {
    return IsRealLanguage(language) ? kRows[language].fileName : "";
}

std::string LegacyCodePageOf(TTmslLanguage language) {
    return static_cast<int>(language) < kLanguageValueCount ? kRows[language].codePage : "windows-1252";
}

TTmslLanguage LanguageFromOrdinal(std::int64_t value, TTmslLanguage fallback) {
    if (value < 0 || value >= kLanguageValueCount) return fallback;
    return static_cast<TTmslLanguage>(value);
}

}  // namespace installer
