#include "setupwizard/pages/StandardPage.h"

#include <QFont>
#include <QPalette>
#include <QTextEdit>

#include "platform/qt/qtglue/Messenger.h"
#include "setupwizard/framework/BaseInstallDlg.h"
#include "setupwizard/framework/WizardInstall.h"

namespace setupwizard {

using installer::TTranslateBitBtn;
using installer::TTranslateLabel;

namespace {
TTranslateBitBtn* MakeButton(QWidget* parent, const char* name, const char* text, int glid, int x, int width) {
    auto* button = new TTranslateBitBtn(QString::fromUtf8(text), parent);
    button->setObjectName(name);
    button->SetGLID(glid);
    button->setGeometry(x, 15, width, 33);
    button->setAutoDefault(false);
    return button;
}
}  // namespace

TStandardPageForm::TStandardPageForm(QWidget* owner, installer::EngineContext& context, const PageDesign& design)
    : TBaseInstallForm(owner, context, design.managerType, design.order) {
    setObjectName(design.objectName);
    setWindowTitle(QString::fromUtf8(design.caption));
    QFont font("Arial");
    font.setPixelSize(11);
    setFont(font);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    if (!Frame()) {
        resize(470, 368);
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    }

    auto* left = new QWidget(this);
    left->setObjectName("LeftPanel");
    left->setGeometry(1, 1, 136, 314);
    ThemeBitmap = new TImage(left, true);
    ThemeBitmap->setObjectName("ThemeBitmap");
    ThemeBitmap->setGeometry(0, 0, 136, 314);

    ClientPanel = new TAlignPanel(this, design.clientBorder);
    ClientPanel->setObjectName("ClientPanel");
    ClientPanel->setGeometry(137, 1, 332, 314);

    auto* bottom = new QWidget(this);
    bottom->setObjectName("BottomPanel");
    bottom->setGeometry(1, 315, 468, 52);
    auto* bevel = new TBevel(bottom);
    bevel->setObjectName("Bevel1");
    bevel->setGeometry(0, 0, 468, 9);
    if (design.endPage) {
        BackBtn = MakeButton(bottom, "BackBtn", "< Previous", 4, 304, 75);
        ProceedBtn = MakeButton(bottom, "ProceedBtn", "Next >", 5, 384, 75);
        FinishBtn = MakeButton(bottom, "FinishBtn", "Finish", 72, 384, 75);
        // As designed, Finish covers Next; InitControls decides in a wizard.
        ProceedBtn->setVisible(false);
    } else {
        BackBtn = MakeButton(bottom, "BackBtn", "< Previous", 4, 208, 75);
        ProceedBtn = MakeButton(bottom, "ProceedBtn", "Next >", 5, 288, 75);
        CancelBtn = MakeButton(bottom, "CancelBtn", "Cancel", 6, 368, 89);
        SetCancelButton(CancelBtn);
        ConnectClick(CancelBtn, [this] { CancelBtnClick(); });
    }
    ConnectClick(BackBtn, [this] { BackBtnClick(); });
    ConnectClick(ProceedBtn, [this] { ProceedBtnClick(); });
    if (FinishBtn) ConnectClick(FinishBtn, [this] { ProceedBtnClick(); });
    FormCreate();
}

void TStandardPageForm::FormCreate() {
    if (ThemeBitmap->Picture().isNull())
        if (TWizardInstall* install = WizardInstall(*Context())) ThemeBitmap->SetPicture(install->DialogThemeBitmap());
}

TTranslateLabel* TStandardPageForm::AddLabel(const char* name, const char* text, int glid, TAlign align) {
    auto* label = new TTranslateLabel(QString::fromUtf8(text), ClientPanel);
    label->setObjectName(name);
    label->SetGLID(glid);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ClientPanel->AddAligned(label, align, true);
    return label;
}

QTextEdit* TStandardPageForm::AddTextBox(const char* name, TAlign align) {
    auto* box = new QTextEdit(ClientPanel);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setAcceptRichText(false);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette p = box->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Button));
    box->setPalette(p);
    ClientPanel->AddAligned(box, align, false);
    return box;
}

TTranslateLabel* TStandardPageForm::AddSpacer(const char* name, int height, TAlign align) {
    auto* label = new TTranslateLabel(ClientPanel);
    label->setObjectName(name);
    label->SetGLID(0);
    label->resize(label->width(), height);
    ClientPanel->AddAligned(label, align, false);
    return label;
}

void TStandardPageForm::InitControls() {
    TBaseInstallForm::InitControls();
    BackBtn->setVisible(!IsFirst());
    if (IsEndPage()) {
        ProceedBtn->setVisible(!IsLast());
        FinishBtn->setVisible(ProceedBtn->isHidden());
    }
    FocusProceed();
}

void TStandardPageForm::FocusProceed() {
    if (isHidden()) return;
    if (!ProceedBtn->isHidden()) ProceedBtn->setFocus();
    if (FinishBtn && !FinishBtn->isHidden()) FinishBtn->setFocus();
}

void SetModalResultOf(QAbstractButton* button, int result) { installer::TModalForm::SetButtonModalResult(button, result); }

void AssignStandalonePage(TStandardPageForm& page, TCustomBaseInstallDlg& dialog) {
    page.BackBtn->setVisible(false);
    SetModalResultOf(page.ProceedBtn, platform::mrOk);
    if (page.FinishBtn) {
        SetModalResultOf(page.FinishBtn, platform::mrOk);
        // Nothing to cancel on an end page: no close button either.
        if (!page.Frame()) page.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    }
    QImage picture = page.ThemeBitmap->Picture();
    dialog.AssignThemeBitmap(&picture);
    page.ThemeBitmap->SetPicture(picture);
}

}  // namespace setupwizard
