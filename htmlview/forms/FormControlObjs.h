#pragma once
// The window controls of INPUT and SELECT: edit, button, check box, radio
// button, hidden value, image submit, list box and drop-down list. Each makes
// its Qt control as a child of the document's paint panel (off screen until
// painted), sizes it from the fixed-pitch font, resets to its default and
// yields its name=value pairs. Texts stay Windows-1252 like the rest of the
// viewer; they become QString only at the control.
#include "htmlview/layout/FormControls.h"

#include <memory>
#include <string>
#include <vector>

class QLineEdit;
class QPushButton;
class QCheckBox;
class QRadioButton;
class QListWidget;
class QComboBox;

namespace htmlview {

class TCell;

class TEditFormControlObj : public TFormControlObj {
public:
    TEditFormControlObj(TSectionList* document, ThtmlForm* form, const std::string& typeText,
                        const TAttributeList* attributes, int pos);
    int Size = 20;  // characters
    QLineEdit* Edit() const;
    void ResetToDefault() override;
    bool GetSubmission(int index, std::string& s) override;
    void SetSize(TCanvas& canvas) override;
};

class TButtonFormControlObj : public TFormControlObj {
public:
    enum { kSubmit = 0, kReset = 1, kButton = 2 };
    TButtonFormControlObj(TSectionList* document, ThtmlForm* form, const std::string& typeText,
                          const TAttributeList* attributes, int pos);
    int Kind = kButton;
    std::string ClickText;  // ONCLICK
    QPushButton* Button() const;
    void Click();
    void SetSize(TCanvas& canvas) override;
};

class TCheckBoxFormControlObj : public TFormControlObj {
public:
    TCheckBoxFormControlObj(TSectionList* document, ThtmlForm* form, const TAttributeList* attributes, int pos);
    bool InitialChecked = false;
    std::string ClickText;
    QCheckBox* CheckBox() const;
    void ResetToDefault() override;
    bool GetSubmission(int index, std::string& s) override;
};

class TRadioButtonFormControlObj : public TFormControlObj {
public:
    TRadioButtonFormControlObj(TSectionList* document, ThtmlForm* form, const TAttributeList* attributes, int pos);
    bool InitialChecked = false;
    QRadioButton* RadioButton = nullptr;  // inside the panel TheControl
    std::string ClickText;
    QWidget* GetControl() override;
    void ResetToDefault() override;
    bool GetSubmission(int index, std::string& s) override;
    void Placed(const TCell* cell) override;  // the panel takes the cell's colour, else the document's
    bool IsRadio() const override { return true; }
    void SetChecked(bool checked) override;
    bool CheckedByDefault() const override { return InitialChecked; }
    void SetCheckedByDefault(bool checked) override;
};

class THiddenFormControlObj : public TFormControlObj {
public:
    using TFormControlObj::TFormControlObj;
    bool GetSubmission(int index, std::string& s) override;
    bool IsHidden() const override { return true; }
};

class TImageFormControlObj : public TFormControlObj {
public:
    using TFormControlObj::TFormControlObj;
    int ClickX = -1, ClickY = -1;  // -1: not clicked
    int HitX = 0, HitY = 0;
    void RecordHit(int ix, int iy) override;
    void ImageClicked() override;
    bool GetSubmission(int index, std::string& s) override;
};

struct TOptionObj {
    std::string Value;
    bool HasValue = false;
    bool Selected = false;
};

class TListBoxFormControlObj : public TFormControlObj, public TOptionTaker {
public:
    TListBoxFormControlObj(TSectionList* document, ThtmlForm* form, const TAttributeList* attributes, int pos);
    int Rows = -1;  // SIZE; -1 automatic
    int LongestText = 3;
    bool Multiple = false;
    std::vector<std::pair<std::string, TOptionObj>> Options;  // option text -> option, in order

    void AddOption(const std::string& text, const std::string& value, bool selected) override;
    QListWidget* ListBox() const;
    void ResetToDefault() override;
    bool GetSubmission(int index, std::string& s) override;
    void SetSize(TCanvas& canvas) override;

protected:
    struct NoWindow {};
    TListBoxFormControlObj(TSectionList* document, ThtmlForm* form, const TAttributeList* attributes, int pos,
                           NoWindow);
    void readAttributes(const TAttributeList* attributes);
    // The submission of item `index` when `chosen`.
    bool submission(int index, bool chosen, std::string& s) const;
};

class TComboFormControlObj : public TListBoxFormControlObj {
public:
    TComboFormControlObj(TSectionList* document, ThtmlForm* form, const TAttributeList* attributes, int pos);
    QComboBox* Combo() const;
    void ResetToDefault() override;
    bool GetSubmission(int index, std::string& s) override;
    void SetSize(TCanvas& canvas) override;
};

}  // namespace htmlview
