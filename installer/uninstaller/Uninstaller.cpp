#include "installer/uninstaller/Uninstaller.h"

#include <algorithm>
#include <map>
#include <set>

#include "installer/base/ApiRoutines.h"
#include "installer/components/ShellFolders.h"
#include "installer/registry/RegistryRoutines.h"
#include "installer/registry/UninstallFiles.h"
#include "installer/uninstaller/EngineRelease.h"
#include "platform/core/runtime/Count.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer {
namespace {

constexpr platform::RegRoot kMachine = platform::RegRoot::LocalMachine;
constexpr const char* kUninstallRoot = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kSharedDlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
// Below the product's key: the files whose shared counts this uninstall lowered.
constexpr const char* kReleased = "Released";

// One line of a log: the path as listed and the stamp recorded beside it.
struct LogEntry {
    std::string listed;
    std::string stamp;
};

// The entries of the key's logs, in order, each as often as it was logged.
std::vector<LogEntry> LogEntries(const std::string& key) {
    platform::RegistryStore& registry = platform::Registry();
    std::vector<LogEntry> entries;
    auto readLog = [&](const std::string& subkey, bool activeX) {
        if (!registry.KeyExists(kMachine, subkey)) return;
        // A count beyond the values present reads no further than them.
        const std::int32_t count =
            platform::ParseCount(registry.ReadString(kMachine, subkey, "Entries").value_or("0")).value_or(0);
        const std::size_t present = registry.ValueNames(kMachine, subkey).size();
        for (std::int32_t i = 1; i <= count && static_cast<std::size_t>(i) <= present; ++i) {
            std::string path = registry.ReadString(kMachine, subkey, "File" + std::to_string(i)).value_or("");
            // ActiveX entries are "path;0" or "path;1".
            if (activeX && path.rfind(';') != std::string::npos) path.erase(path.rfind(';'));
            const std::string stamp = registry.ReadString(kMachine, subkey, "Stamp" + std::to_string(i)).value_or("");
            if (!path.empty()) entries.push_back({path, stamp});
        }
    };
    for (int i = 0; i < kUninstallFilesSubkeys; ++i)
        readLog(key + "\\Files" + (i == 0 ? std::string() : std::to_string(i)), false);
    readLog(key + "\\ActiveX", true);
    return entries;
}

// The full Windows form of a drive path ("C:\..."), or "" for anything else.
std::string FullDrivePath(const std::string& path) {
    platform::WinPath parsed;
    if (path.size() < 3 || path[1] != ':' || (path[2] != '\\' && path[2] != '/')) return {};
    if (platform::HasDotElements(path)) return {};
    if (!platform::ParseWinPath(path, "C:\\", parsed) || parsed.drive == 0) return {};
    return parsed.Text();
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
            // A folder the system cannot name needs no protecting.
        }
    }
    add(platform::CurrentSystemRoot().Facts().TempDir());
    return folders;
}

// What counting a file off its shared count came to.
enum class Release { Uncounted, Shared, Last, WriteFailed };

// Counts a shared library down once per log entry, inside the caller's batch.
Release ReleaseSharedLibrary(const std::string& path, int entries) {
    platform::RegistryStore& registry = platform::Registry();
    std::vector<std::string> names{path};
    if (auto shortPath = platform::Files().ShortPathName(path)) names.push_back(*shortPath);
    for (const std::string& name : names) {
        const auto count = registry.ReadInteger(kMachine, kSharedDlls, name);
        if (!count) continue;
        if (*count > entries)
            return registry.WriteInteger(kMachine, kSharedDlls, name, *count - entries) ? Release::Shared
                                                                                        : Release::WriteFailed;
        if (!registry.DeleteValue(kMachine, kSharedDlls, name)) return Release::WriteFailed;
        RegDeleteEmptyKeys(kSharedDlls, "SOFTWARE");
        return Release::Last;
    }
    return Release::Uncounted;
}

// A shared count is lowered together with a note of it below the product's
// key, in one save: a run killed anywhere and started again lowers every
// count exactly once. The note says whether others still count the file.
Release ReleaseOnce(const std::string& key, const std::string& upper, const std::string& path, int entries) {
    platform::RegistryStore& registry = platform::Registry();
    const std::string journal = key + "\\" + kReleased;
    if (const auto noted = registry.ReadString(kMachine, journal, upper))
        return *noted == "shared" ? Release::Shared : Release::Last;
    platform::RegistryStore::Batch batch(registry, kMachine);
    const Release release = ReleaseSharedLibrary(path, entries);
    if (release == Release::Uncounted || release == Release::WriteFailed) return release;
    const bool noted = registry.CreateKey(kMachine, journal) &&
                       registry.WriteString(kMachine, journal, upper, release == Release::Shared ? "shared" : "last");
    return noted && batch.Commit() ? release : Release::WriteFailed;
}

// Why a file the logs list must stay although no product counts it, or ""
// when it is as this product left it. Logs without stamps know nothing else.
std::string ReasonToKeep(const std::string& path, const std::vector<std::string>& stamps) {
    const std::string now = FileStamp(path);
    bool installed = false;
    for (const std::string& stamp : stamps) {
        if (stamp.empty() || stamp == now) return {};
        installed |= stamp != kFoundStamp;
    }
    return installed ? " (changed since it was installed)" : " (it was there before the install)";
}

// Removes the empty folders below a product folder and lists the files there
// that no log names. Each such file is reported once: it joins the listed
// ones. The program's own work folder (its database session's private
// folder) holds only what the program makes again: its files go. Any other
// folder, whatever its name, keeps what the user put there.
void ClearBelow(const std::string& folder, const std::set<std::string>& system, const std::string& workFolder,
                std::set<std::string>& listed, UninstallResult& result) {
    platform::WinFileSystem& files = platform::Files();
    const bool scratch = !workFolder.empty() && platform::AsciiUpper(folder) == workFolder;
    for (const platform::DirEntry& entry : files.FindFiles(folder)) {
        const std::string path = folder + "\\" + entry.name;
        if (!entry.directory) {
            if (scratch && files.DeleteFile(path))
                result.removed.push_back(path);
            else if (listed.insert(platform::AsciiUpper(path)).second)
                result.kept.push_back(path + " (made since it was installed)");
            continue;
        }
        if (system.count(platform::AsciiUpper(path))) continue;
        ClearBelow(path, system, workFolder, listed, result);
        if (files.FindFiles(path).empty() && files.RemoveDir(path)) result.removed.push_back(path);
    }
}

// The program's work folder, upper-cased: "Data\temp" in the folder of the
// registered uninstaller, which is the program's own; "" when none is registered.
std::string WorkFolderOf(const std::string& key, const std::string& name) {
    std::string command = platform::Registry().ReadString(kMachine, key, "UninstallString").value_or("");
    const std::string suffix = " " + name;
    if (command.size() > suffix.size() && command.compare(command.size() - suffix.size(), suffix.size(), suffix) == 0)
        command.erase(command.size() - suffix.size());
    const std::string program = FullDrivePath(platform::TrimControls(command));
    if (program.empty()) return {};
    return platform::AsciiUpper(platform::ExtractFileDir(program) + "\\Data\\temp");
}

// After a run that could not finish, the log lists only what is left, each
// entry with the stamp the install recorded: the next run neither counts the
// rest down again nor looks for it. One save: on a full disk the old log stays.
bool KeepOnlyLeft(const std::string& key, const std::vector<std::pair<std::string, std::string>>& left) {
    platform::RegistryStore& registry = platform::Registry();
    platform::RegistryStore::Batch batch(registry, kMachine);
    for (int i = 0; i < kUninstallFilesSubkeys; ++i) {
        const std::string subkey = key + "\\Files" + (i == 0 ? std::string() : std::to_string(i));
        if (registry.KeyExists(kMachine, subkey) && !registry.DeleteKey(kMachine, subkey)) return false;
    }
    if (registry.KeyExists(kMachine, key + "\\ActiveX") && !registry.DeleteKey(kMachine, key + "\\ActiveX")) return false;
    for (const auto& [path, stamp] : left)
        if (!AddUninstallFile("\\" + key, path, stamp)) return false;
    return batch.Commit();
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
    // A hive that cannot be read would answer "not installed", or a log cut short.
    if (const std::string why = platform::Registry().LoadError(kMachine); !why.empty()) throw EUninstall(why);
    if (!platform::Registry().KeyExists(kMachine, key))
        throw EUninstall("No uninstall information was found for " + name);

    UninstallResult result;
    platform::WinFileSystem& files = platform::Files();

    // Each file once, in log order, with the stamps of all its entries.
    std::vector<std::string> order;
    std::map<std::string, std::vector<std::string>> stampsOf;  // by upper-case path
    std::map<std::string, std::string> pathOf;
    for (const LogEntry& entry : LogEntries(key)) {
        if (platform::HasDotElements(entry.listed)) {
            result.refused.push_back(entry.listed + " (a path with . or .. elements)");
            continue;
        }
        const std::string path = FullDrivePath(entry.listed);
        if (path.empty()) {
            result.kept.push_back(entry.listed + " (not a full path)");
            continue;
        }
        const std::string upper = platform::AsciiUpper(path);
        if (!stampsOf.count(upper)) {
            if (files.DirectoryExists(path)) {
                result.kept.push_back(path + " (a folder)");
            } else {
                order.push_back(upper);
                pathOf[upper] = path;
            }
        }
        stampsOf[upper].push_back(entry.stamp);
    }

    std::vector<std::string> folders;
    std::vector<std::string> left;  // files that stay listed for a later run
    for (const std::string& upper : order) {
        const std::string& path = pathOf[upper];
        folders.push_back(platform::ExtractFileDir(path));
        if (!files.FileExists(path)) continue;  // already gone
        const Release release = ReleaseOnce(key, upper, path, static_cast<int>(stampsOf[upper].size()));
        if (release == Release::WriteFailed) {
            result.failed.push_back(path + " (its shared count could not be lowered)");
            left.push_back(upper);
            continue;
        }
        if (release == Release::Shared) {
            result.kept.push_back(path + " (shared with other programs)");
            continue;
        }
        if (const std::string reason = ReasonToKeep(path, stampsOf[upper]); !reason.empty()) {
            result.kept.push_back(path + reason);
            continue;
        }
        if (files.DeleteFile(path)) {
            result.removed.push_back(path);
        } else {
            result.failed.push_back(path);
            left.push_back(upper);
        }
    }
    ReleaseDatabaseEngine(key, result, folders);

    // Empty folders go from the innermost up to the first one that holds
    // something or belongs to the system.
    const std::set<std::string> system = SystemFolders();
    const std::string workFolder = WorkFolderOf(key, name);
    std::set<std::string> listed(order.begin(), order.end());
    std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() > b.size() : a < b;
    });
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    for (std::string folder : folders) {
        if (folder.size() > 3 && !system.count(platform::AsciiUpper(folder)) && files.DirectoryExists(folder))
            ClearBelow(folder, system, workFolder, listed, result);
        while (folder.size() > 3 && !system.count(platform::AsciiUpper(folder)) && files.DirectoryExists(folder) &&
               files.FindFiles(folder).empty() && files.RemoveDir(folder)) {
            result.removed.push_back(folder);
            folder = platform::ExtractFileDir(folder);
        }
    }

    if (result.failed.empty()) {
        // One save: a run killed here finds the whole key, notes included, again.
        platform::RegistryStore& registry = platform::Registry();
        platform::RegistryStore::Batch batch(registry, kMachine);
        if (registry.DeleteKey(kMachine, key)) {
            RegDeleteEmptyKeys(kUninstallRoot, "Software");
            result.keyRemoved = batch.Commit();
        }
        if (!result.keyRemoved) result.failed.push_back("the uninstall information " + UninstallKeyOf(name));
    } else {
        std::vector<std::pair<std::string, std::string>> entries;
        for (const std::string& upper : left)
            for (const std::string& stamp : stampsOf[upper]) entries.emplace_back(pathOf[upper], stamp);
        // Files no log listed that had to go (the engine's configuration).
        for (const std::string& path : result.failed)
            if (!stampsOf.count(platform::AsciiUpper(path)) && files.FileExists(path))
                entries.emplace_back(path, FileStamp(path));
        if (!KeepOnlyLeft(key, entries)) result.failed.push_back("the entries done from the uninstall log of " + name + " (the registry could not be written)");
    }
    return result;
}

std::string FindProductListing(const std::string& path) {
    const std::string wanted = platform::AsciiUpper(FullDrivePath(path));
    if (wanted.empty()) return {};
    for (const std::string& product : platform::Registry().SubKeyNames(kMachine, kUninstallRoot))
        for (const LogEntry& entry : LogEntries(std::string(kUninstallRoot) + "\\" + product))
            if (platform::AsciiUpper(FullDrivePath(entry.listed)) == wanted) return product;
    return {};
}

}  // namespace installer
