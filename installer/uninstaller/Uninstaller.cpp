#include "installer/uninstaller/Uninstaller.h"

#include <algorithm>
#include <set>

#include "installer/base/ApiRoutines.h"
#include "installer/base/Strings.h"
#include "installer/components/ShellFolders.h"
#include "installer/registry/RegistryRoutines.h"
#include "installer/registry/UninstallFiles.h"
#include "platform/registry/RegistryStore.h"
#include "platform/runtime/PathCase.h"
#include "platform/runtime/Text.h"
#include "platform/sysroot/SystemRoot.h"
#include "platform/sysroot/WinPath.h"

namespace installer {
namespace {

constexpr platform::RegRoot kMachine = platform::RegRoot::LocalMachine;
constexpr const char* kUninstallRoot = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kSharedDlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// The full Windows form of a drive path ("C:\..."), or "" for anything else.
std::string FullDrivePath(const std::string& path) {
    platform::WinPath parsed;
    if (path.size() < 3 || path[1] != ':' || (path[2] != '\\' && path[2] != '/')) return {};
    if (!platform::ParseWinPath(path, "C:\\", parsed) || parsed.drive == 0) return {};
    return parsed.Text();
}

// The paths the key's logs list, in order, each once (ignoring case).
std::vector<std::string> ListedPaths(const std::string& key) {
    platform::RegistryStore& registry = platform::Registry();
    std::vector<std::string> paths;
    std::set<std::string> seen;
    auto add = [&](std::string path) {
        if (!path.empty() && seen.insert(platform::AsciiUpper(path)).second) paths.push_back(std::move(path));
    };
    auto readLog = [&](const std::string& subkey, bool activeX) {
        if (!registry.KeyExists(kMachine, subkey)) return;
        int entries = 0;
        try {
            entries = std::stoi(registry.ReadString(kMachine, subkey, "Entries").value_or("0"));
        } catch (const std::exception&) {
            entries = 0;
        }
        for (int i = 1; i <= entries; ++i) {
            std::string path = registry.ReadString(kMachine, subkey, "File" + std::to_string(i)).value_or("");
            // ActiveX entries are "path;0" or "path;1".
            if (activeX && path.rfind(';') != std::string::npos) path.erase(path.rfind(';'));
            add(path);
        }
    };
    for (int i = 0; i < kUninstallFilesSubkeys; ++i)
        readLog(key + "\\Files" + (i == 0 ? std::string() : std::to_string(i)), false);
    readLog(key + "\\ActiveX", true);
    return paths;
}

// The folders an uninstaller never removes, in full upper-case form.
std::set<std::string> SystemFolders() {
    std::set<std::string> folders;
    auto add = [&](const std::string& path) {
        const std::string full = FullDrivePath(path);
        if (!full.empty()) folders.insert(platform::AsciiUpper(full));
    };
    for (auto folder : {GetWindowsDir, GetSystemDir, GetStartMenuDir, GetProgramsDir, GetDesktopDir, GetStartupDir,
                        GetProgramFilesDir, GetCommonFilesDir}) {
        try {
            add(folder());
        } catch (const std::exception&) {
        }
    }
    add(platform::CurrentSystemRoot().Facts().TempDir());
    return folders;
}

// Counts a shared library down; true when no other product holds it any more.
bool ReleaseSharedLibrary(const std::string& path) {
    platform::RegistryStore& registry = platform::Registry();
    // The count is read, then written: one step for other setups.
    platform::RegistryStore::UpdateLock update(registry, platform::RegRoot::LocalMachine);
    std::vector<std::string> names{path};
    if (auto shortPath = platform::Files().ShortPathName(path)) names.push_back(*shortPath);
    for (const std::string& name : names) {
        const auto count = registry.ReadInteger(kMachine, kSharedDlls, name);
        if (!count) continue;
        if (*count > 1) {
            registry.WriteInteger(kMachine, kSharedDlls, name, *count - 1);
            return false;
        }
        registry.DeleteValue(kMachine, kSharedDlls, name);
        return true;
    }
    return true;
}

}  // namespace

std::string UninstallKeyOf(const std::string& productName) {
    return std::string("\\") + kUninstallRoot + "\\" + platform::TrimControls(productName);
}

UninstallResult UninstallProduct(const std::string& productName) {
    const std::string name = platform::TrimControls(productName);
    if (name.empty() || name.find('\\') != std::string::npos)
        throw EUninstall("\"" + productName + "\" is not the name of an installed product");
    const std::string key = UninstallKeyOf(name).substr(1);
    if (!platform::Registry().KeyExists(kMachine, key))
        throw EUninstall("No uninstall information was found for " + name);

    UninstallResult result;
    platform::WinFileSystem& files = platform::Files();
    std::vector<std::string> folders;
    for (const std::string& listed : ListedPaths(key)) {
        const std::string path = FullDrivePath(listed);
        if (path.empty()) {
            result.kept.push_back(listed + " (not a full path)");
            continue;
        }
        if (files.DirectoryExists(path)) {
            result.kept.push_back(path + " (a folder)");
            continue;
        }
        folders.push_back(platform::ExtractFileDir(path));
        if (!files.FileExists(path)) continue;  // already gone
        if (!ReleaseSharedLibrary(path)) {
            result.kept.push_back(path + " (shared with other programs)");
            continue;
        }
        if (files.DeleteFile(path))
            result.removed.push_back(path);
        else
            result.failed.push_back(path);
    }

    // Empty folders go from the innermost up to the first one that holds
    // something or belongs to the system.
    const std::set<std::string> system = SystemFolders();
    std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (std::string folder : folders) {
        while (folder.size() > 3 && !system.count(platform::AsciiUpper(folder)) && files.DirectoryExists(folder) &&
               files.FindFiles(folder).empty() && files.RemoveDir(folder)) {
            result.removed.push_back(folder);
            folder = platform::ExtractFileDir(folder);
        }
    }

    if (result.failed.empty()) {
        RegDeleteKeyTree(4, "\\" + key);
        result.keyRemoved = !platform::Registry().KeyExists(kMachine, key);
    }
    return result;
}

std::string FindProductListing(const std::string& path) {
    const std::string wanted = platform::AsciiUpper(FullDrivePath(path));
    if (wanted.empty()) return {};
    for (const std::string& product : platform::Registry().SubKeyNames(kMachine, kUninstallRoot))
        for (const std::string& listed : ListedPaths(std::string(kUninstallRoot) + "\\" + product))
            if (platform::AsciiUpper(FullDrivePath(listed)) == wanted) return product;
    return {};
}

}  // namespace installer
