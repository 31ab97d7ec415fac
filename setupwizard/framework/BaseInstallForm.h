#pragma once
// The page base and the base of the forms shown while files are copied.
// A page owned by the wizard frame is a child window of it; otherwise it
// is a dialog of its own.
#include "installer/baseform/BaseTamselForm.h"
#include "setupwizard/framework/Registries.h"

namespace installer {
class TFileStatusParameter;
class TDownloadStatusParameter;
}  // namespace installer

namespace setupwizard {

class TBaseFormContainer;
class TCustomBaseInstallDlg;

class TBaseInstallForm : public installer::TBaseTamselForm {
    Q_OBJECT
public:
    // managerType: the type whose manager the page belongs to (DM); order: its Order.
    TBaseInstallForm(QWidget* owner, installer::EngineContext& context, TManagerType managerType, int order);

    TCustomBaseInstallDlg* DC = nullptr;
    TDialogManager* DM = nullptr;
    int Order = 0;

    // The frame that hosts the page, or nullptr when it stands alone.
    TBaseFormContainer* Frame() const;

    virtual bool IsFirst();
    virtual bool IsLast();
    virtual void Leave() {}
    virtual void Abort();
    virtual void Next();
    virtual void Previous();
    virtual void Activate();
    virtual bool Skip() { return false; }
    virtual void Cancel();
};

class TBaseDuringCopyForm : public installer::TBaseTamselForm {
    Q_OBJECT
public:
    TBaseDuringCopyForm(QWidget* owner, installer::EngineContext& context, TManagerType managerType);

    TDialogManager* DM = nullptr;

    // Asks the install whether to abort; when it answers yes, sets the abort
    // flags of the running extraction and download. The modal result is
    // mrAbort in every case (the form stays shown: it is modeless).
    virtual void Cancel();
    virtual void UpdateProgress(installer::TFileStatusParameter* fileStatus,
                                installer::TDownloadStatusParameter* downloadStatus);
};

}  // namespace setupwizard
