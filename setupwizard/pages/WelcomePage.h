#pragma once
// The welcome page and its dialog component.
#include "setupwizard/framework/BaseInstallDlg.h"
#include "setupwizard/pages/StandardPage.h"

namespace setupwizard {

class TWelcomeForm : public TStandardPageForm {
    Q_OBJECT
public:
    TWelcomeForm(QWidget* owner, installer::EngineContext& context);
    static const TFormClass& Class();
};

class TWelcomeDlg : public TBaseInstallDlg {
public:
    explicit TWelcomeDlg(installer::TComponentOwner& owner);
    static constexpr const char* StaticClassName = "TWelcomeDlg";
    std::string ClassName() const override { return StaticClassName; }
    void HandleMessage(installer::TInstallContainer* sender, int id, installer::TObject* parameter) override;
    void AssignDialogProperties() override;
    const TFormClass& FormClass() const override { return TWelcomeForm::Class(); }
};

}  // namespace setupwizard
