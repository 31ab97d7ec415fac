#include "installer/registry/UninstallFiles.h"

#include <optional>

#include "installer/registry/RegistryRoutines.h"
#include "platform/registry/RegistryStore.h"
#include "platform/runtime/Text.h"

namespace installer {
namespace {

constexpr int kMachine = 4;  // HKEY_LOCAL_MACHINE

bool ParseCount(const std::string& text, int& value) {
    const std::optional<std::int32_t> parsed = platform::ParseInteger(text);
    if (!parsed || *parsed < 0) return false;
    value = *parsed;
    return true;
}

}  // namespace

bool AddUninstallFile(const std::string& uninstallKey, const std::string& path) {
    // The entry count is read, then written: one step for other setups.
    platform::RegistryStore::UpdateLock update(platform::Registry(), platform::RegRoot::LocalMachine);
    for (int i = 0; i < kUninstallFilesSubkeys; ++i) {
        const std::string key = uninstallKey + "\\Files" + (i == 0 ? std::string() : std::to_string(i));
        int count = 0;
        if (!ParseCount(RegReadString(kMachine, key, "Entries", "0"), count)) continue;
        const int n = count + 1;
        try {
            RegWriteString(kMachine, key, "File" + std::to_string(n), path);
            RegWriteString(kMachine, key, "Entries", std::to_string(n));
            return true;
        } catch (const platform::Exception&) {
            // This list cannot be written: try the next one.
        }
    }
    return false;
}

}  // namespace installer
