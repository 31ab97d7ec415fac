#pragma once
// TTextAreaFormControlObj: the TEXTAREA control, a multi-line memo whose
// every line submits as its own name=value pair.
#include "htmlview/layout/FormControls.h"

#include <string>
#include <vector>

class QPlainTextEdit;

namespace htmlview {

class TTextAreaFormControlObj : public TFormControlObj {
public:
    TTextAreaFormControlObj(TSectionList* document, ThtmlForm* form, const TAttributeList* attributes, int pos);

    std::vector<std::string> InitialLines;
    int Rows = 5;
    int Cols = 30;
    bool WordWrap = false;

    void AddLine(const std::string& text) { InitialLines.push_back(text); }
    QPlainTextEdit* Memo() const;
    // The memo's lines as Windows-1252 text.
    std::vector<std::string> MemoLines() const;

    void ResetToDefault() override;
    // Index 0 takes the memo's lines once; the following indexes read that
    // copy, so a submission costs one pass over the text.
    bool GetSubmission(int index, std::string& line) override;
    void SetSize(TCanvas& canvas) override;

private:
    std::vector<std::string> submitting_;  // the lines of the submission under way
};

}  // namespace htmlview
