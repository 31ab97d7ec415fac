#include "setupwizard/framework/WizardInstall.h"

#include "installer/archive/TmslCompress.h"
#include "installer/components/EngineContext.h"
#include "installer/components/InstallRoot.h"

namespace setupwizard {

TWizardInstall* WizardInstall(installer::EngineContext& context) {
    return dynamic_cast<TWizardInstall*>(context.GlobalInstall);
}

installer::TInstallContainer* InstallObject(installer::EngineContext& context) {
    return context.GlobalInstall ? &context.GlobalInstall->InstallComponent() : nullptr;
}

bool QueryUserAbort(installer::EngineContext& context) {
    TWizardInstall* install = WizardInstall(context);
    return install ? install->QueryUserAbort() : true;
}

WizardLinks& Links(installer::EngineContext& context) { return context.Slot<WizardLinks>(); }

void AbortRunningTransfers(installer::EngineContext& context) {
    if (context.GlobalCompressor) context.GlobalCompressor->Abort = true;
    if (Links(context).AbortDownload) Links(context).AbortDownload();
}

}  // namespace setupwizard
