#include "setupwizard/pages/EndPages.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "installer/components/Messages.h"
#include "setupwizard/framework/WizardInstall.h"

namespace setupwizard {

namespace {
const PageDesign kGood{"GoodInstallForm", "Setup complete", dmAfterGoodInstall, 10, true, 5};
const PageDesign kBad{"BadInstallForm", "Setup incomplete", dmAfterBadInstall, 10, true, 5};
const PageDesign kReboot{"RebootForm", "Reboot windows", dmReboot, 10, true, 5};

template <typename Form>
TFormClass MakeClass(const char* name) {
    return TFormClass{name, [](QWidget* owner, installer::EngineContext& context) { return new Form(owner, context); }};
}

void AssignEndPage(TCustomBaseInstallDlg& dialog) {
    if (auto* page = dynamic_cast<TStandardPageForm*>(dialog.Form.data())) AssignStandalonePage(*page, dialog);
}
}  // namespace

TGoodInstallForm::TGoodInstallForm(QWidget* owner, installer::EngineContext& context)
    : TStandardPageForm(owner, context, kGood) {
    AddLabel("Label1",
             "The software has been properly installed. You may start the software by clicking on the icon.", 38,
             TAlign::Top);
}

const TFormClass& TGoodInstallForm::Class() {
    static const TFormClass c = MakeClass<TGoodInstallForm>("TGoodInstallForm");
    return c;
}

TBadInstallForm::TBadInstallForm(QWidget* owner, installer::EngineContext& context)
    : TStandardPageForm(owner, context, kBad) {
    TopLabel = AddLabel(
        "TopLabel", "This software has not been properly installed and will not work correctly if you try to use it.",
        60, TAlign::Top);
}

const TFormClass& TBadInstallForm::Class() {
    static const TFormClass c = MakeClass<TBadInstallForm>("TBadInstallForm");
    return c;
}

TRebootForm::TRebootForm(QWidget* owner, installer::EngineContext& context)
    : TStandardPageForm(owner, context, kReboot) {
    AddLabel("Label1",
             "Several components could not be installed on your system because they were in use. For the "
             "installation to proceed, you will need to reboot your computer. If you decide not to reboot now, the "
             "software will probably not work until you do reboot.",
             52, TAlign::Top);
    AddSpacer("Label2", 13, TAlign::Top);
    RG = new QGroupBox(ClientPanel);
    RG->setObjectName("RG");
    auto* layout = new QVBoxLayout(RG);
    const char* texts[] = {"Yes, I would like to reboot windows", "No, I would not like to reboot windows"};
    for (int i = 0; i < 2; ++i) {
        auto* item = new QRadioButton(QString::fromUtf8(texts[i]), RG);
        item->setObjectName(i == 0 ? "RGItem0" : "RGItem1");
        layout->addWidget(item);
        items_.addButton(item, i);
    }
    RG->resize(RG->width(), 65);
    ClientPanel->AddAligned(RG, TAlign::Top, false);
    connect(&items_, &QButtonGroup::idClicked, this, [this](int) { RunHandler([this] { RGClick(); }); });
}

const TFormClass& TRebootForm::Class() {
    static const TFormClass c = MakeClass<TRebootForm>("TRebootForm");
    return c;
}

int TRebootForm::ItemIndex() const { return items_.checkedId(); }

void TRebootForm::SetItemIndex(int index) {
    if (QAbstractButton* item = items_.button(index)) item->setChecked(true);
}

QRadioButton* TRebootForm::Item(int index) const { return qobject_cast<QRadioButton*>(items_.button(index)); }

void TRebootForm::InitControls() {
    TStandardPageForm::InitControls();
    guard_ = true;
    SetItemIndex(1);
    TWizardInstall* install = WizardInstall(*Context());
    if (install && install->Reboot()) SetItemIndex(0);
    guard_ = false;
}

void TRebootForm::RGClick() {
    if (guard_) return;
    if (TWizardInstall* install = WizardInstall(*Context())) install->SetReboot(ItemIndex() == 0);
}

TGoodInstallationDlg::TGoodInstallationDlg(installer::TComponentOwner& owner)
    : TBaseInstallDlg(owner, TGoodInstallForm::Class(), FormRegistry::Pages, 10, dmAfterGoodInstall) {}

void TGoodInstallationDlg::HandleMessage(installer::TInstallContainer* sender, int id, installer::TObject* parameter) {
    TBaseInstallDlg::HandleMessage(sender, id, parameter);
    HandleOwnMessage(id, installer::imGoodInstall);
}

void TGoodInstallationDlg::AssignDialogProperties() {
    TBaseInstallDlg::AssignDialogProperties();
    AssignEndPage(*this);
}

TBadInstallationDlg::TBadInstallationDlg(installer::TComponentOwner& owner)
    : TBaseInstallDlg(owner, TBadInstallForm::Class(), FormRegistry::Pages, 10, dmAfterBadInstall) {}

void TBadInstallationDlg::HandleMessage(installer::TInstallContainer* sender, int id, installer::TObject* parameter) {
    TBaseInstallDlg::HandleMessage(sender, id, parameter);
    HandleOwnMessage(id, installer::imBadInstall);
}

void TBadInstallationDlg::AssignDialogProperties() {
    TBaseInstallDlg::AssignDialogProperties();
    AssignEndPage(*this);
}

TRebootDlg::TRebootDlg(installer::TComponentOwner& owner)
    : TBaseInstallDlg(owner, TRebootForm::Class(), FormRegistry::Pages, 10, dmReboot) {}

void TRebootDlg::HandleMessage(installer::TInstallContainer* sender, int id, installer::TObject* parameter) {
    TBaseInstallDlg::HandleMessage(sender, id, parameter);
    HandleOwnMessage(id, installer::imReboot);
}

void TRebootDlg::AssignDialogProperties() {
    TBaseInstallDlg::AssignDialogProperties();
    AssignEndPage(*this);
    if (auto* page = dynamic_cast<TRebootForm*>(Form.data())) {
        page->InitControls();
        page->BackBtn->setVisible(false);
    }
}

}  // namespace setupwizard
