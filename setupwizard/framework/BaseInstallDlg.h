#pragma once
// The dialog component: an install object (type 9000) that brings one page
// or window onto the setup form. With a dialog manager it is shown as a page
// of the manager's frame; without one it shows its own form modally when
// the engine broadcasts its message.
#include <QImage>
#include <QPointer>
#include <functional>
#include <optional>

#include "installer/baseform/BaseTamselForm.h"
#include "installer/components/InstallContainer.h"
#include "setupwizard/framework/Placement.h"
#include "setupwizard/framework/Registries.h"

namespace setupwizard {

class TCustomBaseInstallDlg;
using TNotifyEvent = std::function<void(TCustomBaseInstallDlg& sender)>;

// Where a dialog component registers its form class.
enum class FormRegistry { None, Pages, DuringCopy };

class TCustomBaseInstallDlg : public installer::TInstallObject {
public:
    // Registers (formClass, this) in the registry, sets Order and takes the
    // manager of managerType (none without one), as each concrete dialog's
    // constructor does.
    TCustomBaseInstallDlg(installer::TComponentOwner& owner, const TFormClass& formClass, FormRegistry registry,
                          int order, std::optional<TManagerType> managerType);
    ~TCustomBaseInstallDlg() override;

    static constexpr const char* StaticClassName = "TCustomBaseInstallDlg";

    bool AutoSetFont = true;
    bool AutoTranslate = true;
    installer::TTmslLanguage TextLanguage = installer::tlEnglish;
    // The form being shown; clears itself when the form goes.
    QPointer<installer::TBaseTamselForm> Form;
    TDialogManager* DialogManager() const { return dialogManager_; }
    int Height = 0;
    bool OverrideMainTranslator = false;
    TTamselDialogPosition Position = tdpCenter;
    int RelativeLeftOffset = 0;
    int RelativeTopOffset = 0;
    installer::TTmslLanguage TranslateIntoLanguage = installer::tlUser;
    const QImage& ThemeBitmap() const { return themeBitmap_; }
    int Width = 0;
    TNotifyEvent OnAfterExecute, OnBeforeExecute;

    // The registry entry this component made, or nullptr.
    TFormEntry* Entry() const { return entry_; }

    void ContainerRemoved(installer::TInstallContainer& container) override;
    int RegisteredType() const override;
    void Retranslate() override;
    void SetReference(const std::string& property, installer::TComponent* target) override;

    virtual void SetDialogManager(TDialogManager* manager);
    virtual void SetThemeBitmap(const QImage& picture);
    virtual void Translate();
    virtual void AssignDialogProperties();
    virtual bool Execute();
    virtual bool ShowModalForm();
    virtual const TFormClass& FormClass() const = 0;
    virtual bool Include() { return true; }

    // Fills picture with this component's picture, else the install's.
    void AssignThemeBitmap(QImage* picture);
    // Sets the form's outer bounds from Width, Height, Position and the offsets.
    void PlaceForm();

protected:
    // The message a component without a manager answers with Execute.
    void HandleOwnMessage(int id, int ownId);

private:
    FormRegistry registry_;
    TFormEntry* entry_ = nullptr;
    TDialogManager* dialogManager_ = nullptr;
    QImage themeBitmap_;
};

// The published face of a dialog component; the concrete ones derive from it.
class TBaseInstallDlg : public TCustomBaseInstallDlg {
public:
    using TCustomBaseInstallDlg::TCustomBaseInstallDlg;
    static constexpr const char* StaticClassName = "TBaseInstallDlg";
};

// Sets the outer bounds of a top-level window (border and caption included).
void SetOuterBounds(QWidget& window, int left, int top, int width, int height);

}  // namespace setupwizard
