#pragma once
// The install file of the uninstaller program. It installs like any file
// and adds the two values by which the system's list of installed programs
// shows and starts the uninstaller: DisplayName and UninstallString (the
// program's full path, a blank and the product name).
#include "installer/files/InstallFile.h"

namespace installer {

class TUninstallEXE : public TCustomInstallFile {
public:
    // Net is on; at design time the source is "uninstall.exe" of the
    // installer library's directory when that holds one.
    explicit TUninstallEXE(TComponentOwner& owner);

    static constexpr const char* StaticClassName = "TUninstallEXE";
    std::string ClassName() const override { return StaticClassName; }

    // The file's own entry, then DisplayName and UninstallString; raises
    // IEUninstallEXE without an install component.
    void WriteUninstallEntries(const std::string& registryKey) override;
};

}  // namespace installer
