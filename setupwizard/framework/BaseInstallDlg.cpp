#include "setupwizard/framework/BaseInstallDlg.h"

#include <QWidget>
#include <memory>

#include "installer/components/EngineContext.h"
#include "installer/translator/Translator.h"
#include "installer/translator/forms/FormTranslation.h"
#include "platform/core/runtime/Exception.h"
#include "platform/qt/qtglue/Messenger.h"
#include "setupwizard/framework/BaseInstallForm.h"
#include "setupwizard/framework/DialogManager.h"
#include "setupwizard/framework/WizardInstall.h"

namespace setupwizard {

using installer::EAIUserAbort;

TCustomBaseInstallDlg::TCustomBaseInstallDlg(installer::TComponentOwner& owner, const TFormClass& formClass,
                                             FormRegistry registry, int order, std::optional<TManagerType> managerType)
    : TInstallObject(owner), registry_(registry) {
    ProcessWithContainer = false;
    InstallTypes = {installer::itFull, installer::itDefault, installer::itCompact, installer::itCustom};
    if (registry_ == FormRegistry::Pages) entry_ = RegisterPageForm(Context(), formClass, this, 0);
    else if (registry_ == FormRegistry::DuringCopy) entry_ = RegisterDuringCopyForm(Context(), formClass, this, 0);
    installer::TInstallContainer::Order = order;
    // Taken directly, not through SetDialogManager: the manager's list is
    // not told, as the stored form sets the property afterwards.
    if (managerType) dialogManager_ = FindDialogManager(Context(), *managerType);
}

TCustomBaseInstallDlg::~TCustomBaseInstallDlg() {
    WizardRegistries& r = Registries(Context());
    if (registry_ == FormRegistry::Pages) UnregisterPageForm(Context(), entry_);
    else if (registry_ == FormRegistry::DuringCopy && r.DCFList) r.DCFList->Remove(entry_);
}

void TCustomBaseInstallDlg::ContainerRemoved(installer::TInstallContainer& container) {
    TInstallObject::ContainerRemoved(container);
    if (&container == dialogManager_) dialogManager_ = nullptr;
}

int TCustomBaseInstallDlg::RegisteredType() const { return installer::rtDialog; }

void TCustomBaseInstallDlg::Retranslate() { Translate(); }

void TCustomBaseInstallDlg::SetReference(const std::string& property, installer::TComponent* target) {
    if (property == "DialogManager") {
        auto* manager = dynamic_cast<TDialogManager*>(target);
        if (target && !manager) throw platform::Exception("DialogManager must be a TDialogManager");
        SetDialogManager(manager);
        return;
    }
    TInstallObject::SetReference(property, target);
}

void TCustomBaseInstallDlg::SetDialogManager(TDialogManager* manager) {
    if (manager == dialogManager_) return;
    if (manager) manager->AddDialog(this);
    if (dialogManager_) dialogManager_->RemoveDialog(this);
    dialogManager_ = manager;
}

void TCustomBaseInstallDlg::SetThemeBitmap(const QImage& picture) { themeBitmap_ = picture.copy(); }

void TCustomBaseInstallDlg::Translate() {
    installer::TBaseTamselForm* form = Form.data();
    if (!form) return;
    if (AutoSetFont) {
        if (OverrideMainTranslator) installer::SetFormLanguageFontFor(TranslateIntoLanguage, form, false);
        else installer::SetFormLanguageFont(form, false);
    }
    if (AutoTranslate) {
        if (OverrideMainTranslator)
            TextLanguage = installer::TranslateFormInto(TextLanguage, TranslateIntoLanguage, form);
        else TextLanguage = installer::TranslateForm(TextLanguage, form);
    }
}

void TCustomBaseInstallDlg::AssignDialogProperties() {
    installer::TBaseTamselForm* form = Form.data();
    if (!form)
        throw platform::Exception(
            installer::TranslateFmt("Cannot AssignDialogProperties for %s because the Dialog is Nil", {Name()}));
    form->AutoSetFont = AutoSetFont;
    form->AutoTranslate = AutoTranslate;
    form->Container = Container();
    form->OverrideMainTranslator = OverrideMainTranslator;
    form->TranslateIntoLanguage = TranslateIntoLanguage;
    if (auto* page = dynamic_cast<TBaseInstallForm*>(form)) page->DC = this;
    Translate();
}

bool TCustomBaseInstallDlg::Execute() {
    bool result = false;
    try {
        if (OnBeforeExecute) OnBeforeExecute(*this);
        result = ShowModalForm();
        installer::ProcessPendingMessages();
    } catch (const platform::EAbort&) {
        return false;
    }
    try {
        if (OnAfterExecute) OnAfterExecute(*this);
    } catch (const platform::EAbort&) {
        // A silent abort in the handler keeps the dialog's result.
    }
    return result;
}

bool TCustomBaseInstallDlg::ShowModalForm() {
    if (!Include()) return true;
    int result = 0;
    {
        std::unique_ptr<installer::TBaseTamselForm> form(FormClass().Create(nullptr, Context()));
        Form = form.get();
        AssignDialogProperties();
        result = form->ShowModal();
    }
    Form = nullptr;
    if (result != platform::mrOk) throw EAIUserAbort();
    return true;
}

void TCustomBaseInstallDlg::AssignThemeBitmap(QImage* picture) {
    if (!picture) return;
    if (themeBitmap_.isNull()) {
        if (TWizardInstall* install = WizardInstall(Context())) *picture = install->DialogThemeBitmap();
    } else {
        *picture = themeBitmap_.copy();
    }
}

void TCustomBaseInstallDlg::PlaceForm() {
    installer::TBaseTamselForm* form = Form.data();
    if (!form) return;
    const QSize screen = ScreenSize();
    const ScreenPlacement at = PlaceRounded(Position, Width, Height, screen.width(), screen.height(),
                                            RelativeLeftOffset, RelativeTopOffset);
    SetOuterBounds(*form, at.left, at.top, Width, Height);
}

void TCustomBaseInstallDlg::HandleOwnMessage(int id, int ownId) {
    if (!dialogManager_ && id == ownId) Execute();
}

void SetOuterBounds(QWidget& window, int left, int top, int width, int height) {
    window.resize(ClientSizeOf(width, height));
    window.move(left, top);
}

}  // namespace setupwizard
