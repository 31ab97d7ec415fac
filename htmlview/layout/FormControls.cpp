#include "htmlview/layout/FormControls.h"

#include "htmlview/layout/SectionList.h"
#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Text.h"
#include "platform/qt/qtglue/Guard.h"

#include <QEvent>
#include <algorithm>
#include <QObject>

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

namespace {
// Turns a window control's focus changes into the control's handlers.
class FocusWatcher : public QObject {
public:
    FocusWatcher(QWidget* widget, TFormControlObj* control) : QObject(widget), control_(control) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::FocusIn) platform::Guarded([this] { control_->ControlEnter(); });
        else if (e->type() == QEvent::FocusOut) platform::Guarded([this] { control_->ControlExit(); });
        return false;
    }

private:
    TFormControlObj* control_;  // outlives the watcher: it owns the widget that owns us
};
}  // namespace

void TFormControlObj::WatchFocus() {
    if (QWidget* w = GetControl()) new FocusWatcher(w, this);
}

void TFormControlObj::ControlEnter() {
    if (!Document) return;
    if (Document->ControlEnterHook) Document->ControlEnterHook(this);
    for (TFormControlObj* c : Document->Controls) {
        if (c->Shown || !c->OnPage || !c->TheControl) continue;
        c->TheControl->move(-4000, c->TheControl->y());
        c->TheControl->show();
    }
}

void TFormControlObj::LeavePage() {
    if (!OnPage) return;
    OnPage = false;
    Shown = false;
    if (TheControl) TheControl->hide();
    if (Form && !IsHidden()) --Form->VisibleCount;
}

void TFormControlObj::ControlExit() {
    if (Document) Document->HideOffscreenControls();
}

// The list is in buffer order, so a position is found by halving: a
// paragraph of many controls costs no walk over the others per lookup.
TFormControlList::const_iterator TFormControlList::AtOrAfter(int pos) const {
    return std::lower_bound(begin(), end(), pos, [](const TFormControlObj* c, int p) { return c->Pos < p; });
}

TFormControlObj* TFormControlList::FindControl(int pos) const {
    const auto it = AtOrAfter(pos);
    return it != end() && (*it)->Pos == pos ? *it : nullptr;
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
    const auto it = AtOrAfter(pos);
    return it != end() ? (*it)->Pos - pos : 9999;
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
    if (control->IsRadio() && !control->Name.empty() && control->CheckedByDefault()) {
        TFormControlObj*& checked = checkedRadios_[platform::AsciiLower(control->Name)];
        if (checked) checked->SetCheckedByDefault(false);
        checked = control;
    }
}

void ThtmlForm::SetSizes(TCanvas& canvas) {
    for (int i = 0; i < Controls.Count(); ++i) Controls[i]->SetSize(canvas);
}

void ThtmlForm::ClearOthers(TFormControlObj* radio) {
    if (!radio || radio->Name.empty()) return;
    const std::string name = platform::AsciiLower(radio->Name);
    for (int i = 0; i < Controls.Count(); ++i) {
        TFormControlObj* c = Controls[i];
        if (c == radio || !c->IsRadio() || platform::AsciiLower(c->Name) != name) continue;
        c->SetChecked(false);
    }
}

void ThtmlForm::ResetControls() {
    for (int i = 0; i < Controls.Count(); ++i) Controls[i]->ResetToDefault();
}

void ThtmlForm::EditKeyPress(int key) {
    if (key == 13 && VisibleCount == 1) Submit(nullptr);
}

void ThtmlForm::Submit(const std::string* extra) {
    if (!Document || !Document->SubmitHook) return;
    std::vector<std::string> results;
    for (int i = 0; i < Controls.Count(); ++i) {
        if (!Controls[i]->OnPage) continue;
        // A control answers one entry per index until it says no more (a
        // TEXTAREA one per line, however many).
        for (int index = 0;; ++index) {
            std::string s;
            if (!Controls[i]->GetSubmission(index, s)) break;
            if (!s.empty()) results.push_back(std::move(s));
        }
    }
    if (extra) results.push_back(*extra);
    Document->SubmitHook(Document->Viewer, Action, Target, EncodingType, Method, std::move(results));
}

}  // namespace htmlview
