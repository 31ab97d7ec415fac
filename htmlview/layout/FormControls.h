#pragma once
// The base of form controls as text sections see them: a window control
// placed by painting at the control's placeholder (code 2), and the form
// that owns its controls. The control classes themselves (edit, button,
// check box, radio button, lists, text area) derive from TFormControlObj.
#include "htmlview/util/Attributes.h"
#include "htmlview/util/HtmlSymbols.h"
#include "htmlview/util/FreeList.h"

#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

namespace htmlview {

class TCanvas;
class TSectionList;
class ThtmlForm;

class TFormControlObj {
public:
    // Joins Form (which owns the control) and the document's control list.
    TFormControlObj(TSectionList* document, ThtmlForm* form, const TAttributeList* attributes, int pos);
    TFormControlObj(const TFormControlObj&) = delete;
    TFormControlObj& operator=(const TFormControlObj&) = delete;
    virtual ~TFormControlObj();

    int LineTop = 0;
    int Pos;
    TSectionList* Document;
    ThtmlForm* Form;
    std::string Value;
    std::string Name;
    bool OnBaseline = false;  // bottom on the text baseline (check box, radio button)
    QPointer<QWidget> TheControl;  // owned; nullptr for controls without a window
    bool Shown = false;

    virtual QWidget* GetControl() { return TheControl; }
    virtual void ResetToDefault() {}
    virtual bool GetSubmission(int, std::string&) { return false; }
    virtual void SetSize(TCanvas&) {}
    // Called by painting after the window was placed and shown: a radio
    // button's panel takes its cell's colour (or the document's) here.
    virtual void Placed() {}
    // An image-submit control notes where its image was hit.
    virtual void RecordHit(int /*ix*/, int /*iy*/) {}

    int Width() const { return TheControl ? TheControl->width() : 0; }
    int Height() const { return TheControl ? TheControl->height() : 0; }
    // INPUT TYPE=hidden: submits, takes no place in the text.
    virtual bool IsHidden() const { return false; }
};

// The section's controls in buffer order (not owned).
class TFormControlList : public std::vector<TFormControlObj*> {
public:
    TFormControlObj* FindControl(int pos) const;
    int ControlHeight(int pos, bool& onBaseline) const;  // -1 when none at Pos
    int ControlWidth(int pos) const;                     // -1 when none at Pos
    int DistanceToControl(int pos) const;                // 9999 when none at or after Pos
};

class ThtmlForm {
public:
    // Joins the document's forms (which own it).
    ThtmlForm(TSectionList* document, const TAttributeList* attributes);
    virtual ~ThtmlForm() = default;

    TSectionList* Document;
    std::string Method = "Get";
    std::string Action, Target, EncodingType;
    TFreeList<TFormControlObj> Controls;
    int VisibleCount = 0;

    void AddControl(TFormControlObj* control);
    // Each control sizes its window from its font.
    void SetSizes(TCanvas& canvas);
};

}  // namespace htmlview
