// verinfo FILE [--language NUMBER] [--codepage NUMBER] [--windows ROOT]
// Prints the version texts of a file as the installer reads them: the host
// file, or with --windows a Windows path below that system root.
#include <cstdio>
#include <string>

#include "installer/version/SystemRootFiles.h"
#include "installer/version/VersionResource.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: verinfo FILE [--language NUMBER] [--codepage NUMBER] [--windows ROOT]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace installer;
    if (argc < 2) return Usage();
    int language = LanguageNumber(TVersionLanguage::lnUSEnglish);
    int codePage = CodePage(TCharacterSet::csMultilingual);
    std::string root;
    try {
        for (int i = 2; i < argc; ++i) {
            const std::string arg = argv[i];
            if (i + 1 >= argc) return Usage();
            if (arg == "--language")
                language = std::stoi(argv[++i], nullptr, 0);
            else if (arg == "--codepage")
                codePage = std::stoi(argv[++i], nullptr, 0);
            else if (arg == "--windows")
                root = argv[++i];
            else
                return Usage();
        }
    } catch (const std::exception&) {
        return Usage();
    }
    std::optional<std::filesystem::path> host = std::filesystem::path(argv[1]);
    std::unique_ptr<platform::ScopedSystemRoot> scoped;
    if (!root.empty()) {
        scoped = std::make_unique<platform::ScopedSystemRoot>(root);
        host = WindowsPathResolver()(argv[1]);
    }
    const TVersionInfo info =
        VersionInfoFromBlock(host ? ReadVersionBlock(*host) : std::nullopt, language, codePage);
    const std::pair<const char*, const std::string*> rows[] = {
        {"Comment", &info.Comment},
        {"CompanyName", &info.CompanyName},
        {"FileDescription", &info.FileDescription},
        {"FileVersion", &info.FileVersion},
        {"InternalName", &info.InternalName},
        {"LegalCopyright", &info.LegalCopyright},
        {"LegalTradeMarks", &info.LegalTradeMarks},
        {"OriginalFileName", &info.OriginalFileName},
        {"PrivateBuild", &info.PrivateBuild},
        {"ProductName", &info.ProductName},
        {"ProductVersion", &info.ProductVersion},
        {"SpecialBuild", &info.SpecialBuild},
        {"FileOS", &info.FileOS},
        {"FileType", &info.FileType},
        {"FileSubType", &info.FileSubType},
    };
    for (const auto& [name, value] : rows) std::printf("%s=%s\n", name, value->c_str());
    std::printf("Language=%d\n", info.Language);
    return 0;
}
