#include "installer/components/ShellFolders.h"

#include "installer/base/ApiRoutines.h"
#include "installer/base/Strings.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {
namespace {

const char* const kShellFolders = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const kCurrentVersion = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// The value, or the default when it is missing; fallback is made only then.
template <typename Fallback>
std::string Folder(platform::RegRoot root, const char* key, const char* value, Fallback fallback) {
    auto text = platform::Registry().ReadString(root, key, value);
    return RemoveBackslash(text ? *text : fallback());
}

// "C:" of the current directory, which lies in the system root.
std::string CurrentDrive() {
    const std::string& dir = platform::Files().CurrentDir();
    return dir.size() >= 2 && dir[1] == ':' ? dir.substr(0, 2) : std::string("C:");
}

}  // namespace

std::string GetStartMenuDir() {
    return Folder(platform::RegRoot::CurrentUser, kShellFolders, "Start Menu",
                  [] { return GetWindowsDir() + "\\Startmen"; });
}
std::string GetProgramsDir() {
    return Folder(platform::RegRoot::CurrentUser, kShellFolders, "Programs",
                  [] { return GetStartMenuDir() + "\\Programs"; });
}
std::string GetDesktopDir() {
    return Folder(platform::RegRoot::CurrentUser, kShellFolders, "Desktop",
                  [] { return GetWindowsDir() + "\\Desktop"; });
}
std::string GetStartupDir() {
    return Folder(platform::RegRoot::CurrentUser, kShellFolders, "Startup",
                  [] { return GetWindowsDir() + "\\Startup"; });
}
std::string GetProgramFilesDir() {
    return Folder(platform::RegRoot::LocalMachine, kCurrentVersion, "ProgramFilesDir",
                  [] { return CurrentDrive() + "\\Program Files"; });
}
std::string GetCommonFilesDir() {
    return Folder(platform::RegRoot::LocalMachine, kCurrentVersion, "CommonFilesDir",
                  [] { return CurrentDrive() + "\\Program Files\\Common Files"; });
}

}  // namespace installer
