#include "htmlview/layout/FormControls.h"

#include "htmlview/layout/SectionList.h"

namespace htmlview {

TFormControlObj::TFormControlObj(TSectionList* document, ThtmlForm* form, const TAttributeList* attributes,
                                 int pos)
    : Pos(pos), Document(document), Form(form) {
    if (attributes)
        for (int i = 0; i < attributes->Count(); ++i) {
            const TAttribute* a = (*attributes)[i];
            if (a->Symbol == attrVALUE) Value = a->Text;
            else if (a->Symbol == attrNAME) Name = a->Text;
        }
    if (Document) Document->Controls.push_back(this);
}

TFormControlObj::~TFormControlObj() {
    if (Document) Document->ForgetObject(this);
    delete TheControl.data();
}

TFormControlObj* TFormControlList::FindControl(int pos) const {
    for (TFormControlObj* c : *this)
        if (c->Pos == pos) return c;
    return nullptr;
}

int TFormControlList::ControlHeight(int pos, bool& onBaseline) const {
    TFormControlObj* c = FindControl(pos);
    if (!c) return -1;
    onBaseline = c->OnBaseline;
    return c->Height();
}

int TFormControlList::ControlWidth(int pos) const {
    TFormControlObj* c = FindControl(pos);
    return c ? c->Width() : -1;
}

int TFormControlList::DistanceToControl(int pos) const {
    for (TFormControlObj* c : *this)
        if (c->Pos >= pos) return c->Pos - pos;
    return 9999;
}

ThtmlForm::ThtmlForm(TSectionList* document, const TAttributeList* attributes) : Document(document) {
    if (attributes)
        for (int i = 0; i < attributes->Count(); ++i) {
            const TAttribute* a = (*attributes)[i];
            switch (a->Symbol) {
                case attrMETHOD: Method = a->Text.substr(0, 4); break;
                case attrACTION: Action = a->Text; break;
                case attrTARGET: Target = a->Text; break;
                case attrENCTYPE: EncodingType = a->Text; break;
                default: break;
            }
        }
    if (Document) Document->Forms.Add(this);
}

void ThtmlForm::AddControl(TFormControlObj* control) {
    Controls.Add(control);
    if (!control->IsHidden()) ++VisibleCount;
}

void ThtmlForm::SetSizes(TCanvas& canvas) {
    for (int i = 0; i < Controls.Count(); ++i) Controls[i]->SetSize(canvas);
}

}  // namespace htmlview
