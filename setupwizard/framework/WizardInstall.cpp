#include "setupwizard/framework/WizardInstall.h"

#include "installer/compressor/TmslCompress.h"
#include "installer/components/EngineContext.h"
#include "installer/components/InstallRoot.h"
#include "installer/links/LinkLists.h"
#include "installer/links/ShellLinkGroup.h"
#include "installer/netlocation/NetLocation.h"
#include "installer/progman/ProgramManager.h"
#include "installer/install/Install.h"

namespace setupwizard {

namespace {
// The install component seen from the wizard.
class InstallAdapter : public TWizardInstall {
public:
    installer::TCustomInstall* install = nullptr;
    bool QueryUserAbort() override { return install->QueryUserAbort(); }
    bool Reboot() const override { return install->Reboot(); }
    void SetReboot(bool reboot) override { install->SetReboot(reboot); }
    QImage DialogThemeBitmap() const override { return install->DialogThemeBitmap(); }
};

// The engine's main link group as Links last saw it.
struct EngineLinkGroup {
    installer::TInstallContainer* group = nullptr;
};
}  // namespace

TWizardInstall* WizardInstall(installer::EngineContext& context) {
    if (auto* own = dynamic_cast<TWizardInstall*>(context.GlobalInstall)) return own;
    installer::TCustomInstall* install = installer::GlobalInstall(context);
    if (!install) return nullptr;
    InstallAdapter& adapter = context.Slot<InstallAdapter>();
    adapter.install = install;
    return &adapter;
}

installer::TInstallContainer* InstallObject(installer::EngineContext& context) {
    return context.GlobalInstall ? &context.GlobalInstall->InstallComponent() : nullptr;
}

bool QueryUserAbort(installer::EngineContext& context) {
    TWizardInstall* install = WizardInstall(context);
    return install ? install->QueryUserAbort() : true;
}

WizardLinks& Links(installer::EngineContext& context) {
    WizardLinks& links = context.Slot<WizardLinks>();
    // The engine's folder and Program Manager, unless a caller gave its own;
    // a folder the engine freed is dropped with it.
    installer::TInstallContainer*& seen = context.Slot<EngineLinkGroup>().group;
    installer::TInstallContainer* engine = installer::GlobalMainLinkGroup(context);
    if (links.GlobalMainLinkGroup == seen) links.GlobalMainLinkGroup = engine;
    seen = engine;
    if (!links.ProgramManagerGroups)
        links.ProgramManagerGroups = [&context] { return installer::GlobalProgramManager(context).GetGroups(); };
    return links;
}

void AbortRunningTransfers(installer::EngineContext& context) {
    if (context.GlobalCompressor) context.GlobalCompressor->Abort = true;
    installer::NetLocations(context).AbortDownload = true;
    if (Links(context).AbortDownload) Links(context).AbortDownload();
}

}  // namespace setupwizard
