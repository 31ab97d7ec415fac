#include "installer/uninstallentry/UninstallExe.h"

#include "installer/base/Strings.h"
#include "installer/components/EngineContext.h"
#include "installer/components/InstallRoot.h"
#include "installer/components/TamselPath.h"
#include "installer/registry/RegistryRoutines.h"
#include "installer/translator/IException.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {

TUninstallEXE::TUninstallEXE(TComponentOwner& owner) : TCustomInstallFile(owner) {
    SetNet(true);
    if (!owner.Designing) return;
    try {
        const std::string dir = GetTamselPath(false);
        if (!dir.empty() && platform::Files().FileExists(AddBackslash(dir) + "uninstall.exe")) {
            SetIncludeFromDir(RemoveBackslash(dir));
            SetFileName("uninstall.exe");
            SetDestName("uninstall.exe");
        }
    } catch (const std::exception&) {
        // Without the library the properties stay empty.
    }
}

void TUninstallEXE::WriteUninstallEntries(const std::string& registryKey) {
    TInstallRoot* install = Context().GlobalInstall;
    if (!install)
        throw IEUninstallEXE(
            "%s could not write information about the uninstall to the registry because there was no TInstall "
            "component",
            {Name()});
    TCustomInstallFile::WriteUninstallEntries(registryKey);
    const std::string product = platform::TrimControls(install->ProductName());
    RegWriteString(4, registryKey, "DisplayName", product);
    RegWriteString(4, registryKey, "UninstallString", GetDestPath() + " " + product);
}

}  // namespace installer
