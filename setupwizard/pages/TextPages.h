#pragma once
// The licence and readme pages: a text the dialog component carries, shown
// read-only between their labels.
#include <string>
#include <vector>

#include "setupwizard/framework/BaseInstallDlg.h"
#include "setupwizard/pages/StandardPage.h"

class QTextEdit;

namespace setupwizard {

class TLicenseForm : public TStandardPageForm {
    Q_OBJECT
public:
    TLicenseForm(QWidget* owner, installer::EngineContext& context);
    static const TFormClass& Class();
    QTextEdit* Agreement = nullptr;
};

class TReadmeForm : public TStandardPageForm {
    Q_OBJECT
public:
    TReadmeForm(QWidget* owner, installer::EngineContext& context);
    static const TFormClass& Class();
    QTextEdit* Information = nullptr;
};

class TLicenseDlg : public TBaseInstallDlg {
public:
    explicit TLicenseDlg(installer::TComponentOwner& owner);
    static constexpr const char* StaticClassName = "TLicenseDlg";
    std::string ClassName() const override { return StaticClassName; }
    const std::vector<std::string>& LicenseAgreement() const { return licenseAgreement_; }
    void SetLicenseAgreement(const std::vector<std::string>& lines) { licenseAgreement_ = lines; }
    void HandleMessage(installer::TInstallContainer* sender, int id, installer::TObject* parameter) override;
    void AssignDialogProperties() override;
    const TFormClass& FormClass() const override { return TLicenseForm::Class(); }

private:
    std::vector<std::string> licenseAgreement_;
};

class TReadmeDlg : public TBaseInstallDlg {
public:
    explicit TReadmeDlg(installer::TComponentOwner& owner);
    static constexpr const char* StaticClassName = "TReadmeDlg";
    std::string ClassName() const override { return StaticClassName; }
    const std::vector<std::string>& ReadmeText() const { return readmeText_; }
    void SetReadmeText(const std::vector<std::string>& lines) { readmeText_ = lines; }
    void HandleMessage(installer::TInstallContainer* sender, int id, installer::TObject* parameter) override;
    void AssignDialogProperties() override;
    const TFormClass& FormClass() const override { return TReadmeForm::Class(); }

private:
    std::vector<std::string> readmeText_;
};

// Shows lines in a text box, one a line.
void SetLines(QTextEdit* box, const std::vector<std::string>& lines);

}  // namespace setupwizard
