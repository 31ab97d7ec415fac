#pragma once
// TForm1, the setup program's main form: it carries every install
// component of the stored configuration (it owns them), the gradient
// backdrop with the product caption, and the translator. It has no logic of
// its own: the install component hooks its first activation and runs the
// installation from there.
#include <QIcon>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "installer/components/Component.h"
#include "installer/install/Install.h"

namespace installer {
class TTranslator;
}

namespace setupwizard {

class TBackdrop;
class TRotate3DLabel;

// The distribution's build settings as the configuration stores them.
struct TStoredBuildInfo {
    std::string BuildDirectory;
    std::string OCXName;
    bool SignCode = false;
    bool AddUninstallOnCreate = false;
};

class TSetupForm : public QWidget, public installer::TOwnerForm {
    Q_OBJECT
public:
    // exeName: the setup executable as a Windows path of the root;
    // arguments: its command line (ParamStr 1 ..).
    TSetupForm(std::string exeName, std::vector<std::string> arguments);
    ~TSetupForm() override;

    installer::TComponentOwner& Components() { return components_; }
    installer::EngineContext& Context() { return components_.Context(); }
    const std::string& ExeName() const { return exeName_; }
    const std::vector<std::string>& Arguments() const { return arguments_; }

    // Made by the configuration.
    TBackdrop* BackDrop = nullptr;
    TRotate3DLabel* ProductLabel = nullptr;
    std::unique_ptr<installer::TTranslator> MainTranslator;
    TStoredBuildInfo BuildInfo;
    // The install component, or nullptr before the configuration made it.
    installer::TCustomInstall* Install() const;
    // Runs for the install component as soon as it is made, before any of
    // its values are set (the entry gives it the build and diskette modes).
    std::function<void(installer::TCustomInstall&)> OnInstallCreated;

    void Maximize() override;
    void MoveOffScreen() override;

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Activated();
    installer::TComponentOwner components_;
    std::string exeName_;
    std::vector<std::string> arguments_;
    bool activated_ = false;
};

}  // namespace setupwizard
