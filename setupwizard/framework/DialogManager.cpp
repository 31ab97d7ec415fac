#include "setupwizard/framework/DialogManager.h"

#include <QCoreApplication>
#include <algorithm>
#include <memory>

#include "installer/base/Exceptions.h"
#include "installer/components/FileStatusParameter.h"
#include "installer/components/Messages.h"
#include "installer/translator/IException.h"
#include "installer/translator/Translator.h"
#include "platform/core/runtime/Exception.h"
#include "platform/qt/qtglue/Messenger.h"
#include "setupwizard/framework/BaseFormContainer.h"
#include "setupwizard/framework/BaseInstallDlg.h"
#include "setupwizard/framework/BaseInstallForm.h"

namespace setupwizard {

using namespace installer;

namespace {
// CurrentDialogManager for a scope.
class CurrentManagerScope {
public:
    CurrentManagerScope(EngineContext& context, TDialogManager* manager) : registries_(Registries(context)) {
        registries_.CurrentDialogManager = manager;
    }
    ~CurrentManagerScope() { registries_.CurrentDialogManager = nullptr; }
    CurrentManagerScope(const CurrentManagerScope&) = delete;
    CurrentManagerScope& operator=(const CurrentManagerScope&) = delete;

private:
    WizardRegistries& registries_;
};
}  // namespace

TDialogManager::TDialogManager(TComponentOwner& owner) : TInstallObject(owner) { ProcessWithContainer = false; }

TDialogManager::~TDialogManager() {
    for (auto& form : duringCopyForms_) delete form.data();
}

std::vector<TBaseDuringCopyForm*> TDialogManager::DuringCopyForms() const {
    std::vector<TBaseDuringCopyForm*> out;
    for (const auto& form : duringCopyForms_)
        if (form) out.push_back(form.data());
    return out;
}

int TDialogManager::RegisteredType() const { return rtDialog; }

void TDialogManager::ContainerRemoved(TInstallContainer& container) {
    if (auto* dialog = dynamic_cast<TCustomBaseInstallDlg*>(&container)) {
        RemoveDialog(dialog);
        return;
    }
    // Forget a container that goes, so the link never dangles.
    TInstallObject::ContainerRemoved(container);
}

void TDialogManager::AddDialog(TCustomBaseInstallDlg* dialog) {
    if (!dialog)
        throw platform::Exception(TranslateFmt("Cannot add a NIL Dialog to the Dialog Manager %s", {Name()}));
    dialogs_.push_back(dialog);
}

void TDialogManager::RemoveDialog(TCustomBaseInstallDlg* dialog) {
    auto it = std::find(dialogs_.begin(), dialogs_.end(), dialog);
    if (it != dialogs_.end()) dialogs_.erase(it);
}

void TDialogManager::ShowPages() {
    CurrentManagerScope current(Context(), this);
    auto frame = std::make_unique<TBaseFormContainer>(Context());
    frame->SetOuterSize(Width, Height);
    frame->Place(Position, RelativeLeftOffset, RelativeTopOffset);
    if (frame->BuildPages() == 0) return;
    if (frame->ShowModal() == platform::mrAbort) throw EAIUserAbort();
    ProcessPendingMessages();
}

void TDialogManager::ShowChangeDisk(TObject* parameter) {
    WizardRegistries& registries = Registries(Context());
    if (!registries.ChangeDiskFormList || registries.ChangeDiskFormList->Count() == 0) return;
    std::unique_ptr<TBaseTamselForm> form;
    CurrentManagerScope current(Context(), this);
    form.reset(registries.ChangeDiskFormList->Get(0)->FormClass->Create(nullptr, Context()));
    auto* page = dynamic_cast<TBaseInstallForm*>(form.get());
    if (!page || page->DM != this) return;
    if (!parameter)
        throw platform::Exception(
            TranslateString("The ParameterObject is Nil in the TDialogManager. Cannot show the change disk form"));
    auto* list = dynamic_cast<TList*>(parameter);
    if (!list) throw platform::Exception(TranslateString("TChangeDiskDlg--PO is not a TList object"));
    if (list->Count() < 2)
        throw platform::Exception(TranslateString("TChangeDiskDlg--Not engouh parameters for status event"));
    auto* file = dynamic_cast<TInstallContainer*>(list->Items[0]);
    if (!file || !file->IsFileRelated() || file->IsFileContainer())
        throw platform::Exception("TChangeDiskDlg says bad first parameter");
    auto* disk = dynamic_cast<TDiskParameter*>(list->Items[1]);
    if (!disk) throw platform::Exception(TranslateString("TChangeDiskDlg says bad second parameter"));
    file->Tag = 1;
    page->setProperty("diskNumber", disk->DiskNumber);
    page->setProperty("diskPath", QString::fromStdString(disk->Path));
    page->InitControls();
    page->Translate();
    if (page->ShowModal() == platform::mrAbort) throw EAIUserAbort();
    disk->Path = page->property("diskPath").toString().toStdString();
}

void TDialogManager::ShowDuringCopyForms() {
    WizardRegistries& registries = Registries(Context());
    if (!registries.DCFList) return;
    for (TFormEntry* entry : registries.DCFList->Snapshot()) {
        std::unique_ptr<TBaseTamselForm> made(entry->FormClass->Create(nullptr, Context()));
        auto* form = dynamic_cast<TBaseDuringCopyForm*>(made.get());
        if (!form || form->DM != this) continue;
        made.release();
        duringCopyForms_.emplace_back(form);
        if (entry->Dialog) {
            entry->Dialog->Form = form;
            entry->Dialog->PlaceForm();
        }
        form->InitControls();
        form->Translate();
        form->show();
    }
}

void TDialogManager::CloseDuringCopyForms() {
    const auto forms = std::move(duringCopyForms_);
    duringCopyForms_.clear();
    for (const auto& form : forms) {
        if (!form) continue;
        form->CloseForm();
        // The next pass makes fresh forms; this one is not shown again.
        form->deleteLater();
    }
}

void TDialogManager::UpdateDuringCopyForms(TFileStatusParameter* fileStatus,
                                           TDownloadStatusParameter* downloadStatus) {
    if (DuringCopyForms().empty()) {
        duringCopyForms_.clear();
        ShowDuringCopyForms();
    }
    for (TBaseDuringCopyForm* form : DuringCopyForms()) form->UpdateProgress(fileStatus, downloadStatus);
}

void TDialogManager::HandleMessage(TInstallContainer* sender, int id, TObject* parameter) {
    TInstallObject::HandleMessage(sender, id, parameter);
    switch (id) {
        case imBeforeInstall:
            if (ManagerType == dmBeforeInstall) ShowPages();
            break;
        case imAfterGoodInstall:
            if (ManagerType == dmAfterGoodInstall) ShowPages();
            break;
        case imAfterBadInstall:
            if (ManagerType == dmAfterBadInstall) ShowPages();
            break;
        case imReboot:
            if (ManagerType == dmReboot) ShowPages();
            break;
        case imFileStatus:
            if (ManagerType == dmDuringCopyFiles) {
                if (!parameter) throw IException("%s got a nil PO parameter", {Name()});
                auto* status = dynamic_cast<TFileStatusParameter*>(parameter);
                if (!status)
                    throw IException("The PO object passed to %s is not a TFileStatusParameter object", {Name()});
                UpdateDuringCopyForms(status, nullptr);
            }
            break;
        case imDownloadStatus:
            if (ManagerType == dmDuringCopyFiles) {
                if (!parameter) throw IException("%s got a nil PO parameter", {Name()});
                auto* status = dynamic_cast<TDownloadStatusParameter*>(parameter);
                if (!status)
                    throw IException("The PO object passed to %s is not a TDownloadStatusParameter object", {Name()});
                UpdateDuringCopyForms(nullptr, status);
            }
            break;
        case imPassFinished:
            if (ManagerType == dmDuringCopyFiles) CloseDuringCopyForms();
            break;
        case imChangeDisk:
            if (ManagerType == dmChangeDisk) ShowChangeDisk(parameter);
            break;
        default:
            break;
    }
}

}  // namespace setupwizard
