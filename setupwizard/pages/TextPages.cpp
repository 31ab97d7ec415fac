#include "setupwizard/pages/TextPages.h"

#include <QStringList>
#include <QTextEdit>

#include "installer/components/Messages.h"

namespace setupwizard {

namespace {
const PageDesign kLicense{"LicenseForm", "Software license agreement", dmBeforeInstall, 20, false, 8};
const PageDesign kReadme{"ReadmeForm", "Readme information", dmBeforeInstall, 30, false, 8};
}  // namespace

void SetLines(QTextEdit* box, const std::vector<std::string>& lines) {
    QStringList text;
    for (const std::string& line : lines) text << QString::fromStdString(line);
    box->setPlainText(text.join(QLatin1Char('\n')));
}

TLicenseForm::TLicenseForm(QWidget* owner, installer::EngineContext& context)
    : TStandardPageForm(owner, context, kLicense) {
    AddLabel("Label1", "Please read the following License Agreement.", 2, TAlign::Top);
    AddSpacer("Label2", 13, TAlign::Top);
    AddLabel("Label3",
             "By clicking on the Next button below, you agree to all terms stated in the License Agreement. You may "
             "cancel the installation by clicking on the Cancel button.",
             3, TAlign::Bottom);
    AddSpacer("Label4", 13, TAlign::Bottom);
    Agreement = AddTextBox("Agreement", TAlign::Client);
}

const TFormClass& TLicenseForm::Class() {
    static const TFormClass c{"TLicenseForm", [](QWidget* owner, installer::EngineContext& context) {
                                  return new TLicenseForm(owner, context);
                              }};
    return c;
}

TReadmeForm::TReadmeForm(QWidget* owner, installer::EngineContext& context)
    : TStandardPageForm(owner, context, kReadme) {
    AddLabel("Label1", "Please read the information below before you install this software on your computer.", 8,
             TAlign::Top);
    AddSpacer("Label2", 13, TAlign::Top);
    Information = AddTextBox("Information", TAlign::Client);
    ProceedBtn->setDefault(true);
}

const TFormClass& TReadmeForm::Class() {
    static const TFormClass c{"TReadmeForm", [](QWidget* owner, installer::EngineContext& context) {
                                  return new TReadmeForm(owner, context);
                              }};
    return c;
}

TLicenseDlg::TLicenseDlg(installer::TComponentOwner& owner)
    : TBaseInstallDlg(owner, TLicenseForm::Class(), FormRegistry::Pages, 20, dmBeforeInstall) {}

void TLicenseDlg::HandleMessage(installer::TInstallContainer* sender, int id, installer::TObject* parameter) {
    TBaseInstallDlg::HandleMessage(sender, id, parameter);
    HandleOwnMessage(id, installer::imLicense);
}

void TLicenseDlg::AssignDialogProperties() {
    TBaseInstallDlg::AssignDialogProperties();
    if (auto* page = dynamic_cast<TLicenseForm*>(Form.data())) {
        AssignStandalonePage(*page, *this);
        SetLines(page->Agreement, licenseAgreement_);
    }
}

TReadmeDlg::TReadmeDlg(installer::TComponentOwner& owner)
    : TBaseInstallDlg(owner, TReadmeForm::Class(), FormRegistry::Pages, 30, dmBeforeInstall) {}

void TReadmeDlg::HandleMessage(installer::TInstallContainer* sender, int id, installer::TObject* parameter) {
    TBaseInstallDlg::HandleMessage(sender, id, parameter);
    HandleOwnMessage(id, installer::imReadme);
}

void TReadmeDlg::AssignDialogProperties() {
    TBaseInstallDlg::AssignDialogProperties();
    if (auto* page = dynamic_cast<TReadmeForm*>(Form.data())) {
        AssignStandalonePage(*page, *this);
        SetLines(page->Information, readmeText_);
    }
}

}  // namespace setupwizard
