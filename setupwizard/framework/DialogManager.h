#pragma once
// A dialog manager: an install object (type 9000) that answers the
// engine's messages for one moment of the run, showing the pages of its
// type in a modal frame, keeping the copy forms up to date, or asking for
// the next disk.
#include <QPointer>
#include <vector>

#include "installer/components/InstallContainer.h"
#include "setupwizard/framework/Placement.h"
#include "setupwizard/framework/Registries.h"

namespace installer {
class TFileStatusParameter;
class TDownloadStatusParameter;
}  // namespace installer

namespace setupwizard {

class TBaseDuringCopyForm;
class TCustomBaseInstallDlg;

class TDialogManager : public installer::TInstallObject {
public:
    explicit TDialogManager(installer::TComponentOwner& owner);
    ~TDialogManager() override;

    static constexpr const char* StaticClassName = "TDialogManager";
    std::string ClassName() const override { return StaticClassName; }

    int Height = 395;
    TManagerType ManagerType = dmBeforeInstall;
    TTamselDialogPosition Position = tdpCenter;
    int RelativeLeftOffset = 0;
    int RelativeTopOffset = 0;
    int Width = 478;

    const std::vector<TCustomBaseInstallDlg*>& Dialogs() const { return dialogs_; }
    // The copy forms shown now.
    std::vector<TBaseDuringCopyForm*> DuringCopyForms() const;

    void ContainerRemoved(installer::TInstallContainer& container) override;
    void HandleMessage(installer::TInstallContainer* sender, int id, installer::TObject* parameter) override;
    int RegisteredType() const override;

    virtual void ShowPages();
    virtual void ShowChangeDisk(installer::TObject* parameter);
    virtual void AddDialog(TCustomBaseInstallDlg* dialog);
    virtual void RemoveDialog(TCustomBaseInstallDlg* dialog);

    void ShowDuringCopyForms();
    void CloseDuringCopyForms();
    void UpdateDuringCopyForms(installer::TFileStatusParameter* fileStatus,
                               installer::TDownloadStatusParameter* downloadStatus);

private:
    std::vector<QPointer<TBaseDuringCopyForm>> duringCopyForms_;
    std::vector<TCustomBaseInstallDlg*> dialogs_;
};

}  // namespace setupwizard
