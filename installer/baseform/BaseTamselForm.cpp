#include "installer/baseform/BaseTamselForm.h"

#include <algorithm>

#include "installer/components/EngineContext.h"
#include "installer/translator/forms/FormTranslation.h"

namespace installer {

TBaseTamselForm::TBaseTamselForm(QWidget* owner, EngineContext* context)
    : TModalForm(owner), context_(context ? context->Handle() : nullptr), ownerForm_(owner) {
    SetFontCharset(*this, 0);
    if (context) context->GlobalBaseFormList.push_back(this);
}

TBaseTamselForm::~TBaseTamselForm() {
    if (EngineContext* context = Context()) {
        auto& list = context->GlobalBaseFormList;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

void TBaseTamselForm::Retranslate() { Translate(); }

void TBaseTamselForm::Translate() {
    if (AutoSetFont) {
        if (OverrideMainTranslator) SetFormLanguageFontFor(TranslateIntoLanguage, this, false);
        else SetFormLanguageFont(this, false);
    }
    if (AutoTranslate) {
        if (OverrideMainTranslator) TextLanguage = TranslateFormInto(TextLanguage, TranslateIntoLanguage, this);
        else TextLanguage = TranslateForm(TextLanguage, this);
    }
    ProcessPendingMessages();
}

}  // namespace installer
