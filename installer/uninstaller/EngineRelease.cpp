#include "installer/uninstaller/EngineRelease.h"

#include "installer/registry/RegistryRoutines.h"
#include "installer/registry/UninstallFiles.h"
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

// The merged configuration file the engine was pointed at, when it is as the
// install left it.
void RemoveConfigFile(const std::string& path, const std::string& stamp, UninstallResult& result,
                      std::vector<std::string>& folders) {
    platform::WinFileSystem& files = platform::Files();
    if (platform::IsBlank(path) || platform::HasDotElements(path) || !files.FileExists(path)) return;
    if (stamp.empty() || FileStamp(path) != stamp) {
        result.kept.push_back(path + " (changed since it was installed)");
        return;
    }
    folders.push_back(platform::ExtractFileDir(path));
    if (files.DeleteFile(path))
        result.removed.push_back(path);
    else
        result.failed.push_back(path);
}

bool DeleteIfThere(const char* key, const std::string& value) {
    platform::RegistryStore& registry = platform::Registry();
    return !registry.GetValue(kMachine, key, value) || registry.DeleteValue(kMachine, key, value);
}

}  // namespace

void ReleaseDatabaseEngine(const std::string& uninstallKey, UninstallResult& result, std::vector<std::string>& folders) {
    platform::RegistryStore& registry = platform::Registry();
    const std::string logKey = uninstallKey + "\\BDE";
    const auto installs = platform::ParseCount(registry.ReadString(kMachine, logKey, "Entries").value_or(""));
    if (!installs || *installs == 0) return;
    const std::string config = platform::TrimControls(registry.ReadString(kMachine, kEngine, "CONFIGFILE01").value_or(""));
    const std::string stamp = registry.ReadString(kMachine, kEngine, "ConfigStamp").value_or("");
    bool last = false;
    {
        // The count, read then written, and the log key that says it is not yet counted off: one save.
        platform::RegistryStore::Batch batch(registry, kMachine);
        const auto uses = platform::ParseCount(registry.ReadString(kMachine, kEngine, "UseCount").value_or(""));
        bool written = registry.DeleteKey(kMachine, logKey);
        if (!uses) {
            result.kept.push_back("the database engine (its use count cannot be read)");
        } else if (*uses > *installs) {
            written = written && registry.WriteString(kMachine, kEngine, "UseCount", std::to_string(*uses - *installs));
        } else {
            last = true;
            for (const char* value : {"DLLPATH", "CONFIGFILE01", "ConfigStamp", "RESOURCE", "SAVECONFIG", "UseCount"})
                written = written && DeleteIfThere(kEngine, value);
            for (const std::string& value : registry.ValueNames(kMachine, kLocales)) {
                const std::string upper = platform::AsciiUpper(value);
                if (upper == "BLAPIPATH" || upper.rfind("LOCALE_LIB", 0) == 0)
                    written = written && DeleteIfThere(kLocales, value);
            }
            for (const char* key : {kEngine, kLocales}) RegDeleteEmptyKeys(key, "Software");
        }
        if (!written || !batch.Commit()) {
            result.failed.push_back("the product's use of the database engine (its use count could not be lowered)");
            return;
        }
    }
    if (last) RemoveConfigFile(config, stamp, result, folders);
}

}  // namespace installer
