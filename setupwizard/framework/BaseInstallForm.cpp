#include "setupwizard/framework/BaseInstallForm.h"

#include "platform/qt/qtglue/Messenger.h"
#include "setupwizard/framework/BaseFormContainer.h"
#include "setupwizard/framework/WizardInstall.h"

namespace setupwizard {

namespace {
// A page owned by the frame becomes a borderless child window of it at (0, 0),
// as wide as the frame's client area and as high as the frame.
void HostIn(QWidget& page, TBaseFormContainer* frame) {
    if (!frame) return;
    page.setWindowFlags(Qt::Widget);
    page.setParent(frame);
    page.setVisible(false);
    page.setGeometry(0, 0, frame->width(), frame->height());
}
}  // namespace

TBaseInstallForm::TBaseInstallForm(QWidget* owner, installer::EngineContext& context, TManagerType managerType,
                                   int order)
    : TBaseTamselForm(owner, &context), DM(FindDialogManager(context, managerType)), Order(order) {
    HostIn(*this, qobject_cast<TBaseFormContainer*>(owner));
}

TBaseFormContainer* TBaseInstallForm::Frame() const { return qobject_cast<TBaseFormContainer*>(OwnerForm()); }

bool TBaseInstallForm::IsFirst() { return Frame() ? Frame()->IsFirstPage() : false; }

bool TBaseInstallForm::IsLast() { return Frame() ? Frame()->IsLastPage() : false; }

void TBaseInstallForm::Abort() {
    if (TBaseFormContainer* frame = Frame()) frame->SetModalResult(platform::mrAbort);
    else SetModalResult(platform::mrAbort);
}

void TBaseInstallForm::Next() {
    if (TBaseFormContainer* frame = Frame()) frame->Next();
}

void TBaseInstallForm::Previous() {
    if (TBaseFormContainer* frame = Frame()) frame->Previous();
}

void TBaseInstallForm::Activate() {
    TBaseFormContainer* frame = Frame();
    if (!frame) return;
    // Only the current page is shown, so keys never reach a covered page.
    frame->ShowOnlyPage(this);
    InitControls();
    raise();
}

void TBaseInstallForm::Cancel() {
    if (!QueryUserAbort(*Context())) return;
    if (TBaseFormContainer* frame = Frame()) frame->SetModalResult(platform::mrAbort);
    else SetModalResult(platform::mrAbort);
}

TBaseDuringCopyForm::TBaseDuringCopyForm(QWidget* owner, installer::EngineContext& context, TManagerType managerType)
    : TBaseTamselForm(owner, &context), DM(FindDialogManager(context, managerType)) {}

void TBaseDuringCopyForm::Cancel() {
    if (QueryUserAbort(*Context())) AbortRunningTransfers(*Context());
    SetModalResult(platform::mrAbort);
}

void TBaseDuringCopyForm::UpdateProgress(installer::TFileStatusParameter*, installer::TDownloadStatusParameter*) {}

}  // namespace setupwizard
