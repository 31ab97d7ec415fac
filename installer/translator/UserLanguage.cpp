#include "installer/translator/UserLanguage.h"

#include <cctype>
#include <cstdlib>
#include <utility>

#include "platform/core/runtime/Text.h"
#include "platform/windows/registry/Registry.h"

namespace installer {

namespace {

constexpr std::uint16_t kEnglishUS = 0x0409;

constexpr std::uint16_t MakeLangID(int primary, int sublanguage) {
    return static_cast<std::uint16_t>((sublanguage << 10) | primary);
}

std::function<std::uint16_t()>& Source() {
    static std::function<std::uint16_t()> source;
    return source;
}

std::string EnvironmentLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return value;
    }
    return "";
}

std::uint16_t DefaultLangID() {
    if (auto langid = platform::RegistryUserLangID()) return *langid;
    return LangIDFromPosixLocale(EnvironmentLocale());
}

}  // namespace

std::uint16_t LangIDFromPosixLocale(const std::string& locale) {
    // language[_territory][.codeset][@modifier]
    const size_t end = locale.find_first_of(".@");
    const std::string name = locale.substr(0, end);
    const size_t sep = name.find_first_of("_-");
    const std::string language = platform::AsciiLower(name.substr(0, sep));
    const std::string territory = sep == std::string::npos ? "" : name.substr(sep + 1);

    if (language == "zh") {
        if (territory == "TW") return MakeLangID(4, 1);
        if (territory == "HK") return MakeLangID(4, 3);
        if (territory == "SG") return MakeLangID(4, 4);
        if (territory == "MO") return MakeLangID(4, 5);
        return MakeLangID(4, 2);
    }
    if (language == "nb" || language == "no") return MakeLangID(20, 1);
    if (language == "nn") return MakeLangID(20, 2);
    static const std::pair<const char*, int> kPrimary[] = {
        {"cs", 5},  {"da", 6},  {"nl", 19}, {"en", 9},  {"fr", 12}, {"de", 7},  {"el", 8},
        {"he", 13}, {"iw", 13}, {"it", 16}, {"ja", 17}, {"ko", 18}, {"pl", 21}, {"pt", 22},
        {"ru", 25}, {"es", 10}, {"vi", 42},
    };
    for (const auto& [code, primary] : kPrimary)
        if (language == code) return MakeLangID(primary, 1);
    return kEnglishUS;
}

std::uint16_t GetUserDefaultLangID() {
    if (Source()) return Source()();
    return DefaultLangID();
}

void SetUserDefaultLangIDSource(std::function<std::uint16_t()> source) { Source() = std::move(source); }

}  // namespace installer
