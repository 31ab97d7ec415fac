#include "installer/bde/BdeRegistry.h"

#include <vector>

#include "installer/base/Strings.h"
#include "installer/bde/BdeText.h"
#include "installer/registry/RegistryRoutines.h"
#include "installer/translator/IException.h"
#include "installer/version/SystemRootFiles.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {


namespace {
constexpr int kMachine = 4;
}

std::string GetBDEDLLDir() {
    const std::string dllPath = RegReadString(kMachine, kBdeKey, "DLLPATH", "");
    if (platform::TrimControls(dllPath).empty())
        throw IEBDENoDLLEntry(
            "Cannot find the \\Software\\Borland\\Database Engine | DLLPath registry entry in your registry under the "
            "HKEY_LOCAL_MACHINE root key");
    const std::string dir = RemoveBackslash(GetItem(dllPath, 1, ';'));
    bool present = false;
    try {
        present = platform::Files().FileExists(AddBackslash(dir) + "idapi32.dll");
    } catch (const std::exception&) {
        // a directory the file layer refuses holds nothing
    }
    if (!present)
        throw IEBDEDLLMissing("The BDE DLL file %s cannot be found in the BDE DLL dir %s",
                              {std::string("idapi32.dll"), dir});
    return dir;
}

int GetInstalledBDEVersion() {
    const std::string version = FileVersionOf(AddBackslash(GetBDEDLLDir()) + "idapi32.dll");
    if (version.size() < 3)
        throw IEBDEVersionInvalid(
            "The BDE DLL idapi32.dll has an invalid version. Cannot determine the version of the BDE that is on your "
            "computer");
    const std::string head = version.substr(0, 3);
    if (head == "3.0") return 0;
    if (head == "3.5") return 1;
    if (head == "4.0") return 2;
    if (head == "4.5") return 3;
    return 4;
}

std::string GetInstalledLanguageDLL() {
    const std::string code = RegReadString(kMachine, "\\SOFTWARE\\BORLAND\\DATABASE ENGINE", "RESOURCE", "");
    if (code.empty())
        throw IEBDENoResourceDLLEntry(
            "The \\SOFTWARE\\BORLAND\\DATABASE ENGINE | RESOURCE key could not be found in your registry");
    return code;
}

std::string GetInterBaseRootDir() {
    for (const char* key : {"\\SOFTWARE\\INTERBASE CORP\\INTERBASE\\CURRENTVERSION",
                            "\\SOFTWARE\\BORLAND\\INTERBASE\\CURRENTVERSION"}) {
        const std::string dir = RegReadString(kMachine, key, "RootDirectory", "");
        if (!dir.empty()) return RemoveBackslash(dir);
    }
    throw IEBDENoIntrbaseEntry(
        "Cannot find the \\SOFTWARE\\BORLAND\\INTERBASE\\CURRENTVERSION | RootDirectory registry entry in your "
        "registry under the HKEY_LOCAL_MACHINE root key");
}

std::string RewriteDllPath(const std::string& stored, const std::string& engineDir) {
    if (platform::TrimControls(stored).empty()) return engineDir;
    std::vector<std::string> items;
    SplitToList(stored, ';', items);
    std::string result = engineDir + ";";
    for (const std::string& item : items) {
        const std::string upper = platform::AsciiUpper(item);
        // Every copy of the engine directory goes, also one written with a
        // trailing '\': it stands first, once.
        if (RemoveBackslash(upper) == engineDir) continue;
        result += upper + ";";
    }
    result.pop_back();
    return result;
}

}  // namespace installer
