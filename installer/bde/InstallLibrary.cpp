#include "installer/bde/InstallLibrary.h"

#include <array>

#include "installer/translator/IException.h"
#include "platform/windows/modules/LoadedModule.h"

namespace installer {
namespace {

using MergeCfgProc = int (*)(const char*, const char*, const char*, int, int, const char*);
using IntlConfigProc = void (*)(const char*, bool, const char*);
using FixMergeProc = int (*)(const char*, int, bool, const char*);
using UseCountProc = void (*)();

// The calls that pass fixed buffers: at most 255 characters and the zero.
std::array<char, 256> Buffer(const std::string& text) {
    std::array<char, 256> buffer{};
    text.copy(buffer.data(), buffer.size() - 1);
    return buffer;
}

}  // namespace

TInstallLibrary::TInstallLibrary(const std::string& programDir) {
    module_ = platform::LoadedModule::Load("IDAPINST.DLL", platform::ModuleSearchDirs(programDir));
    if (!module_)
        throw IEInstallBDE(
            "Could not load IDAPINST.DLL in cmp_TInstallBDE. If you have the UseLoadingProgram set to FALSE for the "
            "TInstall component, then you will need to distribute this file along with your installation executable "
            "file. If you are running your install project in the IDE, then you need to copy IDAPINST.DLL, which can "
            "be found in the Tamsel directory, into the directory for this project");
    // A module without one of the calls is refused before anything is installed.
    for (const char* name : {"MergeCfg", "IntlConfig", "FixMerge", "IncrementIDAPIUseCount"}) Entry(name);
}

TInstallLibrary::~TInstallLibrary() = default;

void* TInstallLibrary::Entry(const char* name) const {
    void* entry = module_->Proc(name);
    if (!entry)
        throw IEInstallBDE("The entry point %s could not be found in %s", {std::string(name), module_->Path()});
    return entry;
}

int TInstallLibrary::MergeCfg(const std::string& newConfigFile, const std::string& existingConfigFile,
                              const std::string& targetConfigFile, bool saveFor16Bit, const std::string& languageDLL) {
    auto merge = reinterpret_cast<MergeCfgProc>(Entry("MergeCfg"));
    return merge(newConfigFile.c_str(), existingConfigFile.c_str(), targetConfigFile.c_str(), 1, saveFor16Bit ? 1 : 0,
                 languageDLL.c_str());
}

void TInstallLibrary::IntlConfig(const std::string& configFile, bool saveFor16Bit, const std::string& languageDLL) {
    auto intl = reinterpret_cast<IntlConfigProc>(Entry("IntlConfig"));
    auto file = Buffer(configFile);
    auto language = Buffer(languageDLL);
    intl(file.data(), saveFor16Bit, language.data());
}

int TInstallLibrary::FixMerge(const std::string& targetConfigFile, bool differs, bool saveFor16Bit,
                              const std::string& languageDLL) {
    auto fix = reinterpret_cast<FixMergeProc>(Entry("FixMerge"));
    auto file = Buffer(targetConfigFile);
    auto language = Buffer(languageDLL);
    return fix(file.data(), differs ? 1 : 0, saveFor16Bit, language.data());
}

void TInstallLibrary::IncrementIDAPIUseCount() { reinterpret_cast<UseCountProc>(Entry("IncrementIDAPIUseCount"))(); }

}  // namespace installer
