#pragma once
// The form every wizard page and copy window descends from: it carries the
// form's translation settings and translates its fonts and texts through
// the translator's global routines.
#include "installer/baseform/ModalForm.h"
#include "installer/translator/Languages.h"

#include <memory>

namespace installer {

class EngineContext;
class TInstallContainer;

class TBaseTamselForm : public TModalForm {
    Q_OBJECT
public:
    // owner: the form that hosts this one, or nullptr for the application.
    // context: the engine whose GlobalBaseFormList lists the form (may be nullptr).
    TBaseTamselForm(QWidget* owner, EngineContext* context);
    ~TBaseTamselForm() override;

    bool AutoSetFont = true;
    bool AutoTranslate = true;
    TInstallContainer* Container = nullptr;
    TTmslLanguage TextLanguage = tlEnglish;
    bool OverrideMainTranslator = false;
    TTmslLanguage TranslateIntoLanguage = tlUser;

    // The engine's context, or nullptr (none given, or already gone).
    EngineContext* Context() const { return context_ ? *context_ : nullptr; }
    // The form that owns this one (the frame of a page), or nullptr.
    QWidget* OwnerForm() const { return ownerForm_; }

    virtual void Retranslate();
    // Fills the controls from the dialog component and the install; pages override it.
    virtual void InitControls() {}
    virtual void Translate();

private:
    std::shared_ptr<EngineContext*> context_;  // a deferred delete may come after the context ended
    QWidget* ownerForm_;
};

}  // namespace installer
