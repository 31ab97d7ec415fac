#include "installer/uninstaller/EngineRelease.h"

#include "installer/registry/RegistryRoutines.h"
#include "platform/core/runtime/Count.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer {
namespace {

constexpr platform::RegRoot kMachine = platform::RegRoot::LocalMachine;
constexpr const char* kEngine = "Software\\Borland\\Database Engine";
constexpr const char* kLocales = "Software\\Borland\\BLW32";

// The merged configuration file the engine was pointed at.
void RemoveConfigFile(const std::string& path, UninstallResult& result, std::vector<std::string>& folders) {
    platform::WinFileSystem& files = platform::Files();
    if (platform::IsBlank(path) || platform::HasDotElements(path) || !files.FileExists(path)) return;
    folders.push_back(platform::ExtractFileDir(path));
    if (files.DeleteFile(path))
        result.removed.push_back(path);
    else
        result.failed.push_back(path);
}

}  // namespace

void ReleaseDatabaseEngine(const std::string& uninstallKey, UninstallResult& result, std::vector<std::string>& folders) {
    platform::RegistryStore& registry = platform::Registry();
    const std::string logKey = uninstallKey + "\\BDE";
    const auto installs = platform::ParseCount(registry.ReadString(kMachine, logKey, "Entries").value_or(""));
    if (!installs || *installs == 0) return;
    // The count is read, then written: one step for other setups.
    platform::RegistryStore::UpdateLock update(registry, kMachine);
    // An unreadable count counts no other user.
    const std::int32_t uses =
        platform::ParseCount(registry.ReadString(kMachine, kEngine, "UseCount").value_or("")).value_or(0);
    // Counted off once: a later run, after a file that was in use, does not count again.
    registry.DeleteKey(kMachine, logKey);
    if (uses > *installs) {
        registry.WriteString(kMachine, kEngine, "UseCount", std::to_string(uses - *installs));
        return;
    }
    RemoveConfigFile(registry.ReadString(kMachine, kEngine, "CONFIGFILE01").value_or(""), result, folders);
    for (const char* value : {"DLLPATH", "CONFIGFILE01", "RESOURCE", "SAVECONFIG", "UseCount"})
        registry.DeleteValue(kMachine, kEngine, value);
    for (const std::string& value : registry.ValueNames(kMachine, kLocales)) {
        const std::string upper = platform::AsciiUpper(value);
        if (upper == "BLAPIPATH" || upper.rfind("LOCALE_LIB", 0) == 0) registry.DeleteValue(kMachine, kLocales, value);
    }
    for (const char* key : {kEngine, kLocales}) RegDeleteEmptyKeys(key, "Software");
}

}  // namespace installer
