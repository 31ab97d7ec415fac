#include "setupwizard/pages/WelcomePage.h"

#include "installer/components/Messages.h"

namespace setupwizard {

namespace {
const PageDesign kDesign{"WelcomeForm", "Welcome", dmBeforeInstall, 5, false, 8};
}

TWelcomeForm::TWelcomeForm(QWidget* owner, installer::EngineContext& context)
    : TStandardPageForm(owner, context, kDesign) {
    AddLabel("Label1", "This program will install the software on your computer.", 10, TAlign::Top);
    AddSpacer("Label2", 13, TAlign::Top);
    AddLabel("Label3",
             "It is strongly recommended that you exit all Windows programs before running this setup. If you need "
             "to close any programs, click Cancel to quit the setup and then close the programs.",
             11, TAlign::Top);
    AddSpacer("Label4", 13, TAlign::Top);
    AddLabel("Label5", "Click Next to continue with the installation.", 12, TAlign::Top);
    ProceedBtn->setDefault(true);
}

const TFormClass& TWelcomeForm::Class() {
    static const TFormClass c{"TWelcomeForm", [](QWidget* owner, installer::EngineContext& context) {
                                  return new TWelcomeForm(owner, context);
                              }};
    return c;
}

TWelcomeDlg::TWelcomeDlg(installer::TComponentOwner& owner)
    : TBaseInstallDlg(owner, TWelcomeForm::Class(), FormRegistry::Pages, 10, dmBeforeInstall) {}

void TWelcomeDlg::HandleMessage(installer::TInstallContainer* sender, int id, installer::TObject* parameter) {
    TBaseInstallDlg::HandleMessage(sender, id, parameter);
    HandleOwnMessage(id, installer::imWelcome);
}

void TWelcomeDlg::AssignDialogProperties() {
    TBaseInstallDlg::AssignDialogProperties();
    if (auto* page = dynamic_cast<TStandardPageForm*>(Form.data())) AssignStandalonePage(*page, *this);
}

}  // namespace setupwizard
