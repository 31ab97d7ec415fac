#include "htmlview/forms/FormMaker.h"

#include "htmlview/blocks/TextArea.h"
#include "htmlview/forms/FormControlObjs.h"
#include "htmlview/layout/ImageObj.h"
#include "htmlview/layout/Section.h"
#include "htmlview/layout/SectionList.h"
#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Text.h"

namespace htmlview {

namespace {

std::string attrText(const TAttributeList& attributes, THtmlSymbol symbol) {
    const TAttribute* a = attributes.Find(symbol);
    return a ? a->Text : std::string();
}

bool isListBox(const TAttributeList& attributes) {
    if (attributes.Find(attrMULTIPLE)) return true;
    const TAttribute* size = attributes.Find(attrSIZE);
    return size && size->NumValue > 1;
}

}  // namespace

TFormControlObj* MakeHtmlFormControl(THtmlSymbol tag, TSectionList* document, ThtmlForm*& currentForm,
                                     TSection* section, TCell* cell, const TAttributeList& attributes) {
    if (!section || (tag != symINPUT && tag != symSELECT && tag != symTEXTAREA)) return nullptr;
    if (!currentForm) currentForm = new ThtmlForm(document, nullptr);
    ThtmlForm* form = currentForm;
    const TAttributeList* a = &attributes;
    const int pos = section->CharCount;
    TFormControlObj* control = nullptr;
    bool image = false;
    if (tag == symTEXTAREA) {
        control = new TTextAreaFormControlObj(document, form, a, pos);
    } else if (tag == symSELECT) {
        if (isListBox(attributes)) control = new TListBoxFormControlObj(document, form, a, pos);
        else control = new TComboFormControlObj(document, form, a, pos);
    } else {
        const std::string type = platform::AsciiLower(attrText(attributes, attrTYPE).substr(0, 20));
        if (type == "submit" || type == "reset" || type == "button")
            control = new TButtonFormControlObj(document, form, type, a, pos);
        else if (type == "radio") control = new TRadioButtonFormControlObj(document, form, a, pos);
        else if (type == "checkbox") control = new TCheckBoxFormControlObj(document, form, a, pos);
        else if (type == "hidden") control = new THiddenFormControlObj(document, form, a, pos);
        else if (type == "image") {
            control = new TImageFormControlObj(document, form, a, pos);
            image = true;
        } else control = new TEditFormControlObj(document, form, type, a, pos);
    }
    form->AddControl(control);
    control->WatchFocus();
    if (image) section->AddImage(a, cell)->FormControl = control;
    else section->AddFormControl(control);  // a hidden control takes no place
    return control;
}

}  // namespace htmlview
