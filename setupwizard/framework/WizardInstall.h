#pragma once
// What the wizard reads and sets on the engine's program-wide objects: the
// install object (GlobalInstall: its destination, Reboot, wizard picture
// and the user-abort question), the start-menu link group, the Program
// Manager's groups and the abort flags of a running extraction or download.
#include <QImage>
#include <functional>
#include <string>
#include <vector>

namespace installer {
class EngineContext;
class TInstallContainer;
}  // namespace installer

namespace setupwizard {

// The part of the install object the wizard uses: the install component
// through an adapter, or a stand-in that implements it.
class TWizardInstall {
public:
    virtual ~TWizardInstall() = default;
    // Fires OnUserAbort with the answer preset true; the answer.
    virtual bool QueryUserAbort() = 0;
    virtual bool Reboot() const = 0;
    virtual void SetReboot(bool reboot) = 0;
    virtual QImage DialogThemeBitmap() const = 0;
};

// GlobalInstall's wizard side, or nullptr without an install.
TWizardInstall* WizardInstall(installer::EngineContext& context);
// GlobalInstall's component (destination directory), or nullptr.
installer::TInstallContainer* InstallObject(installer::EngineContext& context);
// QueryUserAbort of the install; true without one.
bool QueryUserAbort(installer::EngineContext& context);

// The program-wide links the wizard reads; the link-group and Program
// Manager modules fill them.
struct WizardLinks {
    installer::TInstallContainer* GlobalMainLinkGroup = nullptr;
    std::function<std::vector<std::string>()> ProgramManagerGroups;
    // Called after the abort flags are set (a download of another kind).
    std::function<void()> AbortDownload;
};
WizardLinks& Links(installer::EngineContext& context);

// Sets the abort flags of the compressor and of the download, so a running
// extraction or download stops at its next check.
void AbortRunningTransfers(installer::EngineContext& context);

}  // namespace setupwizard
