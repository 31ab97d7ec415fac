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
#include <unordered_map>
#include <vector>

namespace htmlview {

class TCanvas;
class TCell;
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
    // False once the section that held it is gone (a table refused at
    // layout, a block the parser dropped): never shown, reached or submitted.
    bool OnPage = true;
    void LeavePage();

    virtual QWidget* GetControl() { return TheControl; }
    virtual void ResetToDefault() {}
    virtual bool GetSubmission(int, std::string&) { return false; }
    virtual void SetSize(TCanvas&) {}
    // Called by painting after the window was placed and shown, with the
    // cell that owns the section holding the control (null when none): a
    // radio button's panel takes that cell's colour (or the document's) here.
    virtual void Placed(const TCell* /*cell*/) {}
    // An image-submit control notes where its image was hit, and submits
    // when the viewer says the click was on it.
    virtual void RecordHit(int /*ix*/, int /*iy*/) {}
    virtual void ImageClicked() {}

    // Focus handlers of the window control: entering asks the document to
    // bring the control into view and parks the unplaced controls off
    // screen so Tab can reach them; leaving hides them again.
    void ControlEnter();
    void ControlExit();
    // Watches GetControl() for focus changes (every control calls it once
    // its window exists).
    void WatchFocus();

    int Width() const { return TheControl ? TheControl->width() : 0; }
    int Height() const { return TheControl ? TheControl->height() : 0; }
    // INPUT TYPE=hidden: submits, takes no place in the text.
    virtual bool IsHidden() const { return false; }
    // Radio buttons: the form keeps each name's group exclusive.
    virtual bool IsRadio() const { return false; }
    virtual void SetChecked(bool) {}
    // Checked when the page is loaded or reset (CHECKED); setting it also
    // sets the control.
    virtual bool CheckedByDefault() const { return false; }
    virtual void SetCheckedByDefault(bool) {}
};

// A control that takes OPTIONs (SELECT).
class TOptionTaker {
public:
    virtual ~TOptionTaker() = default;
    virtual void AddOption(const std::string& text, const std::string& value, bool selected) = 0;
};

// The section's controls in buffer order (not owned); positions ascend.
class TFormControlList : public std::vector<TFormControlObj*> {
public:
    // The first control at or after Pos.
    const_iterator AtOrAfter(int pos) const;
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

    // A radio button CHECKED by default takes that from an earlier one of
    // its name (ignoring case): of a group, the last CHECKED is the one.
    void AddControl(TFormControlObj* control);
    // Each control sizes its window from its font.
    void SetSizes(TCanvas& canvas);
    // Unchecks the other radio buttons of this form with the radio's name
    // (ignoring case); a radio without a name excludes nothing.
    void ClearOthers(TFormControlObj* radio);
    void ResetControls();
    // Enter in the only visible control of the form submits it.
    void EditKeyPress(int key);
    // Hands every control's name=value pairs, in form order, then `extra`
    // when given, to the document's submit hook.
    void Submit(const std::string* extra);

private:
    std::unordered_map<std::string, TFormControlObj*> checkedRadios_;  // lower-cased name -> CHECKED radio
};

}  // namespace htmlview
