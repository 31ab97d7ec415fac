#pragma once
// The database engine's install library, IDAPINST.DLL: loaded by its bare
// name (it travels with the setup program as a presetup file, so it lies
// beside it), with the four entry points the engine installer calls. The
// module is unloaded when the object goes.
#include <memory>
#include <string>

namespace platform {
class LoadedModule;
}

namespace installer {

class TInstallLibrary {
public:
    // Searches programDir, the current, system and Windows directories;
    // raises IEInstallBDE "Could not load IDAPINST.DLL ..." when none holds a
    // loadable module, and when the module lacks one of the four entry points.
    explicit TInstallLibrary(const std::string& programDir);
    ~TInstallLibrary();
    TInstallLibrary(const TInstallLibrary&) = delete;
    TInstallLibrary& operator=(const TInstallLibrary&) = delete;

    // 0: merged into targetConfigFile.
    int MergeCfg(const std::string& newConfigFile, const std::string& existingConfigFile,
                 const std::string& targetConfigFile, bool saveFor16Bit, const std::string& languageDLL);
    void IntlConfig(const std::string& configFile, bool saveFor16Bit, const std::string& languageDLL);
    // 0: fixed.
    int FixMerge(const std::string& targetConfigFile, bool differs, bool saveFor16Bit, const std::string& languageDLL);
    void IncrementIDAPIUseCount();

private:
    void* Entry(const char* name) const;
    std::unique_ptr<platform::LoadedModule> module_;
};

}  // namespace installer
