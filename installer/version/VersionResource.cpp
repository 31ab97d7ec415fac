#include "installer/version/VersionResource.h"

#include <array>


namespace installer {
namespace {

constexpr std::array<int, 45> kLanguageNumbers = {
    1025, 1026, 1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039,
    1040, 1041, 1042, 1043, 1044, 1045, 1046, 1047, 1048, 1049, 1050, 1051, 1052, 1053, 1054,
    1055, 1056, 1057, 2052, 2055, 2057, 2058, 2060, 2064, 2067, 2068, 2070, 2074, 3084, 4108};

constexpr std::array<int, 12> kCodePages = {0, 932, 949, 950, 1200, 1250, 1251, 1252, 1253, 1254, 1255, 1256};

std::string Hex4(int value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s(4, '0');
    for (int i = 3; i >= 0; --i, value >>= 4) s[static_cast<std::size_t>(i)] = digits[value & 0xF];
    return s;
}

std::string DottedVersion(std::uint32_t ms, std::uint32_t ls) {
    return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." + std::to_string(ls >> 16) + "." +
           std::to_string(ls & 0xFFFF);
}

}  // namespace

int LanguageNumber(TVersionLanguage language) { return kLanguageNumbers.at(static_cast<std::size_t>(language)); }
int CodePage(TCharacterSet characterSet) { return kCodePages.at(static_cast<std::size_t>(characterSet)); }

std::string FileOSName(std::uint32_t os) {
    switch (os) {
        case 1: return "Windows 3.0 or later";
        case 2: return "16 bit OS/2 Presentation Manager";
        case 3: return "32 bit OS/2 Presentation Manager";
        case 4: return "32 bit Windows";
        case 0x10000: return "MS-Dos";
        case 0x10001: return "Windows 3.0 or later with MS-Dos";
        case 0x10004: return "32 bit Windows with MS-Dos";
        case 0x20000: return "16 bit OS/2";
        case 0x20002: return "16 bit OS/2 with Presentation Manager";
        case 0x30000: return "32 bit OS/2";
        case 0x30003: return "32 bit OS/2 with Presentation Manager";
        case 0x40000: return "Windows NT";
        case 0x40004: return "Windows NT with 32 bit Windows";
        default: return "Unknown";
    }
}

std::string FileTypeName(std::uint32_t type) {
    switch (type) {
        case 1: return "Application";
        case 2: return "Dynamic-Link Library";
        case 3: return "Device Driver";
        case 4: return "Font";
        case 5: return "Virtual Device Driver";
        case 7: return "Static-Link Library";
        default: return "Unknown";
    }
}

std::string FileSubTypeName(std::uint32_t type, std::uint32_t subtype) {
    if (type == 3) {
        static const char* const drivers[] = {"Printer", "Keyboard", "Language", "Display", "Mouse",
                                              "Network", "System",   "Installable", "Sound", "Communications"};
        return subtype >= 1 && subtype <= 10 ? drivers[subtype - 1] : "Unknown";
    }
    if (type == 4) {
        static const char* const fonts[] = {"Raster", "Vector", "TrueType"};
        return subtype >= 1 && subtype <= 3 ? fonts[subtype - 1] : "Unknown";
    }
    return "";
}

TVersionInfo VersionInfoFromBlock(const std::optional<VersionBlock>& block, int languageNumber, int codePage) {
    TVersionInfo info;
    if (!block) return info;
    const auto fixed = block->Fixed();
    if (!fixed) return info;
    if (auto translation = block->Value("\\VarFileInfo\\Translation"); translation && translation->size() == 4)
        info.Language = ((*translation)[0] | ((*translation)[1] << 8)) & 0x3FF;
    info.FileVersion = DottedVersion(fixed->FileVersionMS, fixed->FileVersionLS);
    info.ProductVersion = DottedVersion(fixed->ProductVersionMS, fixed->ProductVersionLS);
    info.FileOS = FileOSName(fixed->FileOS);
    info.FileType = FileTypeName(fixed->FileType);
    info.FileSubType = FileSubTypeName(fixed->FileType, fixed->FileSubtype);

    const std::string prefix = "\\StringFileInfo\\" + Hex4(languageNumber) + Hex4(codePage) + "\\";
    const std::pair<const char*, std::string TVersionInfo::*> strings[] = {
        {"Comment", &TVersionInfo::Comment},
        {"CompanyName", &TVersionInfo::CompanyName},
        {"FileDescription", &TVersionInfo::FileDescription},
        {"InternalName", &TVersionInfo::InternalName},
        {"LegalCopyright", &TVersionInfo::LegalCopyright},
        {"LegalTradeMarks", &TVersionInfo::LegalTradeMarks},
        {"OriginalFileName", &TVersionInfo::OriginalFileName},
        {"PrivateBuild", &TVersionInfo::PrivateBuild},
        {"ProductName", &TVersionInfo::ProductName},
        {"ProductVersion", &TVersionInfo::ProductVersion},
        {"SpecialBuild", &TVersionInfo::SpecialBuild},
    };
    for (const auto& [key, field] : strings)
        if (auto text = block->Text(prefix + key)) info.*field = *text;
    return info;
}

TVersionResource::TVersionResource(HostPathResolver resolver, std::string fileName)
    : resolver_(std::move(resolver)), fileName_(std::move(fileName)) {
    Read();
}

void TVersionResource::SetFileName(const std::string& fileName) {
    fileName_ = fileName;
    Read();
}

void TVersionResource::SetLanguage(TVersionLanguage language) {
    language_ = language;
    Read();
}

void TVersionResource::SetCharacterSet(TCharacterSet characterSet) {
    characterSet_ = characterSet;
    Read();
}

std::string FileVersionOf(platform::HostFile& file) {
    const TVersionResource defaults;
    return VersionInfoFromBlock(ReadVersionBlock(file), LanguageNumber(defaults.Language()),
                                CodePage(defaults.CharacterSet()))
        .FileVersion;
}

void TVersionResource::Read() {
    info_ = {};
    if (fileName_.empty()) return;
    std::optional<std::filesystem::path> host;
    try {
        host = resolver_ ? resolver_(fileName_) : std::filesystem::path(fileName_);
    } catch (const std::exception&) {
        return;  // a name the file layer refuses has no version either
    }
    if (!host) return;
    info_ = VersionInfoFromBlock(ReadVersionBlock(*host), LanguageNumber(language_), CodePage(characterSet_));
}

}  // namespace installer
