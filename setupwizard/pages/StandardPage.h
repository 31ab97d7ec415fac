#pragma once
// The layout every page shares: client area 470 x 368, the picture panel
// on the left, the button panel at the bottom (Back, Next and Cancel, or on
// the end pages Back and Next/Finish on top of each other) and the client
// panel that holds the page's own labels and controls.
#include <QImage>
#include <QTextEdit>
#include <string>

#include "installer/translator/forms/TranslateControls.h"
#include "setupwizard/framework/AlignPanel.h"
#include "setupwizard/framework/BaseInstallForm.h"

namespace setupwizard {

struct PageDesign {
    const char* objectName;
    const char* caption;
    TManagerType managerType;
    int order;
    bool endPage;     // Back and Next/Finish, no Cancel
    int clientBorder; // 8, or 5 on the destination and end pages
};

class TStandardPageForm : public TBaseInstallForm {
    Q_OBJECT
public:
    TStandardPageForm(QWidget* owner, installer::EngineContext& context, const PageDesign& design);

    TImage* ThemeBitmap = nullptr;
    installer::TTranslateBitBtn* BackBtn = nullptr;
    installer::TTranslateBitBtn* ProceedBtn = nullptr;
    installer::TTranslateBitBtn* CancelBtn = nullptr;  // nullptr on the end pages
    installer::TTranslateBitBtn* FinishBtn = nullptr;  // only on the end pages
    TAlignPanel* ClientPanel = nullptr;

    bool IsEndPage() const { return FinishBtn != nullptr; }

    void InitControls() override;

    // Handlers.
    void FormCreate();
    void BackBtnClick() { Previous(); }
    void ProceedBtnClick() { Next(); }
    void CancelBtnClick() { Cancel(); }

    // A word-wrapped label aligned to the top or bottom of the client panel.
    installer::TTranslateLabel* AddLabel(const char* name, const char* text, int glid, TAlign align);
    // A read-only text box with a vertical scroll bar on the button-face colour.
    QTextEdit* AddTextBox(const char* name, TAlign align);
    // A spacer label without text.
    installer::TTranslateLabel* AddSpacer(const char* name, int height, TAlign align);

protected:
    // The page's own focus after the common one.
    void FocusProceed();
};

// What the standalone dialogs of the pages do to their form (hide Back,
// OK on Next and Finish, the picture).
void AssignStandalonePage(TStandardPageForm& page, class TCustomBaseInstallDlg& dialog);

// A modal result for a button, as a designed button carries it.
void SetModalResultOf(QAbstractButton* button, int result);

}  // namespace setupwizard
