#pragma once
// The texts of a file's version resource, read by language and code page.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "installer/version/PeVersionBlock.h"

namespace installer {

enum class TVersionLanguage {
    lnArabic, lnBulgarian, lnCatalan, lnTraditionalChinese, lnCzech, lnDanish, lnGerman, lnGreek, lnUSEnglish,
    lnCastilianSpanish, lnFinnish, lnFrench, lnHebrew, lnHungarian, lnIcelandic, lnItalian, lnJapanese, lnKorean,
    lnDutch, lnNorwegianBokmal, lnPolish, lnBrazilianPortuguese, lnRhaetoRomanic, lnRomanian, lnRussian,
    lnCroatoSerbian, lnSlovak, lnAlbanian, lnSwedish, lnThai, lnTurkish, lnUrdu, lnBahasa, lnSimplifiedChinese,
    lnSwissGerman, lnUKEnglish, lnMexicanSpanish, lnBelgianFrench, lnSwissItalian, lnBelgianDutch,
    lnNorwegianNynorsk, lnPortuguese, lnSerboCroatian, lnCanadianFrench, lnSwissFrench
};

enum class TCharacterSet {
    csASCII, csJapan, csKorea, csTaiwan, csUnicode, csLatin2, csCyrillic, csMultilingual, csGreek, csTurkish,
    csHebrew, csArabic
};

int LanguageNumber(TVersionLanguage language);
int CodePage(TCharacterSet characterSet);

struct TVersionInfo {
    std::string Comment;
    std::string CompanyName;
    std::string FileDescription;
    std::string FileVersion;
    std::string InternalName;
    std::string LegalCopyright;
    std::string LegalTradeMarks;
    std::string OriginalFileName;
    std::string PrivateBuild;
    std::string ProductName;
    std::string ProductVersion;
    std::string SpecialBuild;
    std::string FileOS;
    std::string FileType;
    std::string FileSubType;
    // Primary language (low 10 bits) of the file's first translation entry.
    int Language = 0;
};

// The texts of a parsed block under the string table of language and code
// page; an absent block gives empty texts.
TVersionInfo VersionInfoFromBlock(const std::optional<VersionBlock>& block, int languageNumber, int codePage);

// Names of the fixed-information codes.
std::string FileOSName(std::uint32_t os);
std::string FileTypeName(std::uint32_t type);
std::string FileSubTypeName(std::uint32_t type, std::uint32_t subtype);

// The FileVersion text a TVersionResource of the default language and
// character set reads, from a file already open.
std::string FileVersionOf(platform::HostFile& file);

// Turns the file names it is given into host paths; nullopt when the file
// cannot be reached. The default takes names as host paths.
using HostPathResolver = std::function<std::optional<std::filesystem::path>(const std::string& fileName)>;

// Reads the version resource of FileName again whenever FileName, Language or
// CharacterSet changes. Reading never fails: whatever is missing stays empty.
class TVersionResource {
public:
    explicit TVersionResource(HostPathResolver resolver = {}, std::string fileName = {});

    const std::string& FileName() const { return fileName_; }
    TVersionLanguage Language() const { return language_; }
    TCharacterSet CharacterSet() const { return characterSet_; }
    const TVersionInfo& VersionInfo() const { return info_; }

    void SetFileName(const std::string& fileName);
    void SetLanguage(TVersionLanguage language);
    void SetCharacterSet(TCharacterSet characterSet);

private:
    void Read();

    HostPathResolver resolver_;
    std::string fileName_;
    TVersionLanguage language_ = TVersionLanguage::lnUSEnglish;
    TCharacterSet characterSet_ = TCharacterSet::csMultilingual;
    TVersionInfo info_;
};

}  // namespace installer
