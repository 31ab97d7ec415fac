#include "installer/registry/UninstallFiles.h"

#include <exception>

#include "installer/registry/RegistryRoutines.h"

namespace installer {
namespace {

constexpr int kMachine = 4;  // HKEY_LOCAL_MACHINE

bool ParseCount(const std::string& text, int& value) {
    try {
        std::size_t used = 0;
        value = std::stoi(text, &used);
        return used == text.size() && value >= 0;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

bool AddUninstallFile(const std::string& uninstallKey, const std::string& path) {
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
        }
    }
    return false;
}

}  // namespace installer
