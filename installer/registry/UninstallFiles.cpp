#include "installer/registry/UninstallFiles.h"

#include <optional>

#include "installer/registry/RegistryRoutines.h"
#include "platform/core/runtime/Count.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {
namespace {

constexpr int kMachine = 4;  // HKEY_LOCAL_MACHINE

}  // namespace

std::string FileStamp(const std::string& path) {
    const platform::WinFileSystem& files = platform::Files();
    const std::int64_t size = files.FileSize(path);
    const std::optional<platform::TDateTime> written = files.FileDateTime(path);
    if (size < 0 || !written) return {};
    return std::to_string(size) + ";" + std::to_string(platform::DateTimeToUnixMs(*written));
}

bool AddUninstallFile(const std::string& uninstallKey, const std::string& path, const std::string& stamp) {
    // The entry count is read, then written: one step for other setups.
    platform::RegistryStore::UpdateLock update(platform::Registry(), platform::RegRoot::LocalMachine);
    for (int i = 0; i < kUninstallFilesSubkeys; ++i) {
        const std::string key = uninstallKey + "\\Files" + (i == 0 ? std::string() : std::to_string(i));
        const std::optional<std::int32_t> count = platform::ParseCount(RegReadString(kMachine, key, "Entries", "0"));
        if (!count) continue;
        const int n = *count + 1;
        try {
            RegWriteString(kMachine, key, "File" + std::to_string(n), path);
            if (!stamp.empty()) RegWriteString(kMachine, key, "Stamp" + std::to_string(n), stamp);
            RegWriteString(kMachine, key, "Entries", std::to_string(n));
            return true;
        } catch (const platform::Exception&) {
            // This list cannot be written: try the next one.
        }
    }
    return false;
}

std::vector<std::pair<std::string, std::string>> ReadUninstallFiles(const std::string& uninstallKey) {
    platform::RegistryStore& registry = platform::Registry();
    constexpr platform::RegRoot machine = platform::RegRoot::LocalMachine;
    const std::string base = uninstallKey.rfind('\\', 0) == 0 ? uninstallKey.substr(1) : uninstallKey;
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < kUninstallFilesSubkeys; ++i) {
        const std::string key = base + "\\Files" + (i == 0 ? std::string() : std::to_string(i));
        if (!registry.KeyExists(machine, key)) continue;
        const std::int32_t count =
            platform::ParseCount(registry.ReadString(machine, key, "Entries").value_or("0")).value_or(0);
        const std::size_t present = registry.ValueNames(machine, key).size();
        for (std::int32_t n = 1; n <= count && static_cast<std::size_t>(n) <= present; ++n) {
            const std::string path = registry.ReadString(machine, key, "File" + std::to_string(n)).value_or("");
            if (!path.empty())
                files.emplace_back(path, registry.ReadString(machine, key, "Stamp" + std::to_string(n)).value_or(""));
        }
    }
    return files;
}

}  // namespace installer
