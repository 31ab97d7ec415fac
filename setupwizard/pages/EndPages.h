#pragma once
// The end pages: setup complete, setup incomplete and the reboot question.
#include <QButtonGroup>

#include "setupwizard/framework/BaseInstallDlg.h"
#include "setupwizard/pages/StandardPage.h"

class QGroupBox;
class QRadioButton;

namespace setupwizard {

class TGoodInstallForm : public TStandardPageForm {
    Q_OBJECT
public:
    TGoodInstallForm(QWidget* owner, installer::EngineContext& context);
    static const TFormClass& Class();
};

class TBadInstallForm : public TStandardPageForm {
    Q_OBJECT
public:
    TBadInstallForm(QWidget* owner, installer::EngineContext& context);
    static const TFormClass& Class();
    installer::TTranslateLabel* TopLabel = nullptr;
};

// The reboot question: the radio group RG, Yes first, No second.
class TRebootForm : public TStandardPageForm {
    Q_OBJECT
public:
    TRebootForm(QWidget* owner, installer::EngineContext& context);
    static const TFormClass& Class();

    QGroupBox* RG = nullptr;
    // The selected item: 0 Yes, 1 No, -1 none.
    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton* Item(int index) const;

    void InitControls() override;
    void RGClick();

private:
    QButtonGroup items_;
    bool guard_ = false;
};

class TGoodInstallationDlg : public TBaseInstallDlg {
public:
    explicit TGoodInstallationDlg(installer::TComponentOwner& owner);
    static constexpr const char* StaticClassName = "TGoodInstallationDlg";
    std::string ClassName() const override { return StaticClassName; }
    void HandleMessage(installer::TInstallContainer* sender, int id, installer::TObject* parameter) override;
    void AssignDialogProperties() override;
    const TFormClass& FormClass() const override { return TGoodInstallForm::Class(); }
};

class TBadInstallationDlg : public TBaseInstallDlg {
public:
    explicit TBadInstallationDlg(installer::TComponentOwner& owner);
    static constexpr const char* StaticClassName = "TBadInstallationDlg";
    std::string ClassName() const override { return StaticClassName; }
    void HandleMessage(installer::TInstallContainer* sender, int id, installer::TObject* parameter) override;
    void AssignDialogProperties() override;
    const TFormClass& FormClass() const override { return TBadInstallForm::Class(); }
};

class TRebootDlg : public TBaseInstallDlg {
public:
    explicit TRebootDlg(installer::TComponentOwner& owner);
    static constexpr const char* StaticClassName = "TRebootDlg";
    std::string ClassName() const override { return StaticClassName; }
    void HandleMessage(installer::TInstallContainer* sender, int id, installer::TObject* parameter) override;
    void AssignDialogProperties() override;
    const TFormClass& FormClass() const override { return TRebootForm::Class(); }
};

}  // namespace setupwizard
