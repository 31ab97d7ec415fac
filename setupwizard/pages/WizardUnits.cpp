#include "setupwizard/pages/WizardUnits.h"

#include "setupwizard/framework/Registries.h"
#include "setupwizard/pages/CopyPages.h"
#include "setupwizard/pages/EndPages.h"
#include "setupwizard/pages/TextPages.h"
#include "setupwizard/pages/WelcomePage.h"

namespace setupwizard {

void InitWizardUnits(installer::EngineContext& context) {
    InitDialogFrameworkUnit(context);
    for (const TFormClass* page : {&TWelcomeForm::Class(), &TLicenseForm::Class(), &TReadmeForm::Class(),
                                   &TGoodInstallForm::Class(), &TBadInstallForm::Class(), &TRebootForm::Class()}) {
        InitPageFormUnit(context, *page);
        InitDialogUnit(context, *page);
    }
    InitDuringCopyFormUnit(context, TCopyFileForm::Class());
    InitDialogUnit(context, TCopyFileForm::Class());
}

}  // namespace setupwizard
