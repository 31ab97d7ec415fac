#include "setupwizard/pages/CopyPages.h"

#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>

#include "installer/components/FileStatusParameter.h"
#include "installer/components/Messages.h"
#include "installer/translator/IException.h"
#include "platform/qt/qtglue/Messenger.h"
#include "setupwizard/framework/WizardInstall.h"

namespace setupwizard {

using installer::TTranslateBitBtn;
using installer::TTranslateLabel;

namespace {
QFont DialogFont() {
    QFont font("Arial");
    font.setPixelSize(11);
    return font;
}

int Percent(int value) { return std::clamp(value, 0, 100); }

int RoundHalfEven(double v) { return static_cast<int>(std::nearbyint(v)); }

TTranslateLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int glid, QRect bounds) {
    auto* label = new TTranslateLabel(QString::fromUtf8(text), parent);
    label->setObjectName(name);
    label->SetGLID(glid);
    label->setGeometry(bounds);
    return label;
}

QProgressBar* MakeBar(QWidget* parent, const char* name, QRect bounds) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setGeometry(bounds);
    return bar;
}
}  // namespace

// ---------------------------------------------------------------- pictures

QImage UnZipPicture() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(4, 10, 24, 18);
    p.setBrush(QColor(200, 160, 40));
    p.drawRect(4, 6, 24, 5);
    p.setPen(QPen(QColor(0, 0, 128), 2));
    p.drawLine(16, 12, 16, 24);
    p.drawLine(12, 20, 16, 24);
    p.drawLine(20, 20, 16, 24);
    return image;
}

QImage TransferPicture() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 128), 1));
    p.setBrush(QColor(90, 150, 230));
    p.drawEllipse(3, 3, 26, 26);
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(10, 16, 22, 16);
    p.drawLine(17, 11, 22, 16);
    p.drawLine(17, 21, 22, 16);
    return image;
}

QImage StatusPicture() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(QColor(255, 255, 225));
    p.drawEllipse(2, 2, 28, 28);
    p.setPen(QPen(QColor(0, 0, 160), 3));
    p.drawLine(16, 13, 16, 24);
    p.drawPoint(16, 8);
    return image;
}

// ---------------------------------------------------------------- copy window

TCopyFileForm::TCopyFileForm(QWidget* owner, installer::EngineContext& context)
    : TBaseDuringCopyForm(owner, context, dmDuringCopyFiles) {
    setObjectName("CopyFileForm");
    setWindowTitle("Copying installation files");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(DialogFont());
    resize(466, 119);

    auto* left = new QWidget(this);
    left->setObjectName("LeftPanel");
    left->setGeometry(0, 0, 56, 119);
    UnZipImage = new TImage(left, false);
    UnZipImage->setObjectName("UnZipImage");
    UnZipImage->setGeometry(0, 8, 56, 40);
    UnZipImage->SetPicture(UnZipPicture());
    TransferBitmap = new TImage(left, false);
    TransferBitmap->setObjectName("TransferBitmap");
    TransferBitmap->setGeometry(0, 8, 56, 40);
    TransferBitmap->SetPicture(TransferPicture());
    TransferBitmap->setVisible(false);

    auto* right = new QWidget(this);
    right->setObjectName("RightPanel");
    right->setGeometry(369, 0, 97, 119);
    CancelBtn = new TTranslateBitBtn("Cancel", right);
    CancelBtn->setObjectName("CancelBtn");
    CancelBtn->SetGLID(6);
    CancelBtn->setGeometry(4, 8, 89, 25);
    SetCancelButton(CancelBtn);
    ConnectClick(CancelBtn, [this] { CancelBtnClick(); });

    auto* middle = new QWidget(this);
    middle->setObjectName("MiddlePanel");
    middle->setGeometry(56, 0, 313, 119);
    lblCopyFileHeader = MakeLabel(middle, "lblCopyFileHeader", "Processing", 14, QRect(8, 8, 297, 16));
    auto* box = new QFrame(middle);
    box->setObjectName("pnlCopyingFile");
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setGeometry(8, 26, 297, 24);
    lblCopyingFile = new QLabel("---", box);
    lblCopyingFile->setObjectName("lblCopyingFile");
    lblCopyingFile->setGeometry(4, 4, 289, 16);
    auto* fileLabel = MakeLabel(middle, "lblFileProgress", "File progress", 15, QRect(8, 60, 113, 16));
    fileLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ProgressBar1 = MakeBar(middle, "ProgressBar1", QRect(129, 59, 176, 18));
    auto* totalLabel = MakeLabel(middle, "lblTotalProgress", "Total progress", 16, QRect(8, 88, 113, 16));
    totalLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ProgressBar2 = MakeBar(middle, "ProgressBar2", QRect(129, 87, 176, 18));

    clock_ = [] {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    };
    pendingTimer_ = new QTimer(this);
    pendingTimer_->setSingleShot(true);
    connect(pendingTimer_, &QTimer::timeout, this, [this] { ShowPending(); });
}

const TFormClass& TCopyFileForm::Class() {
    static const TFormClass c{"TCopyFileForm", [](QWidget* owner, installer::EngineContext& context) {
                                  return new TCopyFileForm(owner, context);
                              }};
    return c;
}

void TCopyFileForm::UpdateProgress(installer::TFileStatusParameter* fileStatus,
                                   installer::TDownloadStatusParameter* downloadStatus) {
    // Reports come once per inflated buffer, thousands a second; painting
    // each one would cost far more than the extraction itself.
    if (fileStatus) {
        pending_.transfer = false;
        pending_.totalPercent = Percent(fileStatus->TotalPercent);
        pending_.filePercent = Percent(fileStatus->FilePercent);
        pending_.name = QString::fromStdString(fileStatus->FileName);
    } else if (downloadStatus) {
        pending_.transfer = true;
        pending_.filePercent = Percent(downloadStatus->Percent);
        pending_.name = QString::fromStdString(downloadStatus->FileName);
    }
    if (pending_ == shown_) {
        pendingTimer_->stop();
        return;
    }
    const std::int64_t now = clock_();
    const std::int64_t due = paintedAt_ + kRepaintIntervalMs;
    if (!painted_ || now >= due)
        ShowPending();
    else if (!pendingTimer_->isActive())
        pendingTimer_->start(static_cast<int>(due - now));
}

void TCopyFileForm::ShowPending() {
    pendingTimer_->stop();
    TransferBitmap->setVisible(pending_.transfer);
    ProgressBar2->setValue(pending_.totalPercent);
    ProgressBar1->setValue(pending_.filePercent);
    lblCopyingFile->setText(pending_.name);
    shown_ = pending_;
    repaint();
    painted_ = true;
    paintedAt_ = clock_();
}

TCopyFileDlg::TCopyFileDlg(installer::TComponentOwner& owner)
    : TBaseInstallDlg(owner, TCopyFileForm::Class(), FormRegistry::DuringCopy, 0, dmDuringCopyFiles) {
    Height = 146;
    Width = 474;
    Position = tdpBottomCenter;
    RelativeTopOffset = 30;
}

TCopyFileDlg::~TCopyFileDlg() = default;

// ---------------------------------------------------------------- status window

TInstallStatusForm::TInstallStatusForm(QWidget* owner, installer::EngineContext& context)
    : TBaseTamselForm(owner, &context) {
    setObjectName("InstallStatusForm");
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFont(DialogFont());
    resize(428, 58);
    auto* back = new TAlignPanel(this, 1);
    pnlBack = back;
    back->setObjectName("pnlBack");
    back->setGeometry(0, 0, 428, 58);
    back->setAutoFillBackground(true);
    Image1 = new TImage(back, false);
    Image1->setObjectName("Image1");
    Image1->resize(49, 56);
    Image1->SetPicture(StatusPicture());
    back->AddAligned(Image1, TAlign::Left);
    pnlMessage = new TAlignPanel(back, 5);
    pnlMessage->setObjectName("pnlMessage");
    back->AddAligned(pnlMessage, TAlign::Client);
    lblMessage = new QLabel(pnlMessage);
    lblMessage->setObjectName("lblMessage");
    lblMessage->setWordWrap(true);
    pnlMessage->AddAligned(lblMessage, TAlign::Client);
    const QSize screen = ScreenSize();
    move(RoundHalfEven(screen.width() / 2.0 - width() / 2.0), RoundHalfEven(screen.height() / 2.0 - height() / 2.0));
}

const TFormClass& TInstallStatusForm::Class() {
    static const TFormClass c{"TInstallStatusForm", [](QWidget* owner, installer::EngineContext& context) {
                                  return new TInstallStatusForm(owner, context);
                              }};
    return c;
}

TInstallStatusDlg::TInstallStatusDlg(installer::TComponentOwner& owner)
    : TCustomBaseInstallDlg(owner, TInstallStatusForm::Class(), FormRegistry::None, 0, std::nullopt) {}

TInstallStatusDlg::~TInstallStatusDlg() { delete Form.data(); }

void TInstallStatusDlg::Translate() {
    TCustomBaseInstallDlg::Translate();
    // Every message arrives in English and is translated afresh.
    TextLanguage = installer::tlEnglish;
}

void TInstallStatusDlg::HandleMessage(installer::TInstallContainer* sender, int id, installer::TObject* parameter) {
    TCustomBaseInstallDlg::HandleMessage(sender, id, parameter);
    if (DialogManager()) return;
    if (id == installer::imPushStatus) {
        if (!parameter) throw installer::IException("%s got a nil PO parameter", {Name()});
        auto* message = dynamic_cast<installer::TMessageParameter*>(parameter);
        if (!message)
            throw installer::IException("The PO object passed to %s is not a TMessageParameter object", {Name()});
        current_ = message->Text;
        messages_.push_back(current_);
        ShowMessageForm();
    } else if (id == installer::imPopStatus) {
        if (!messages_.empty()) messages_.pop_back();
        if (!messages_.empty()) {
            current_ = messages_.back();
            ShowMessageForm();
        } else {
            current_.clear();
            if (Form) {
                Form->CloseForm();
                installer::ProcessPendingMessages();
            }
        }
    }
}

void TInstallStatusDlg::ShowMessageForm() {
    if (!Form) {
        Form = FormClass().Create(nullptr, Context());
        AssignDialogProperties();
    }
    auto* form = static_cast<TInstallStatusForm*>(Form.data());
    QLabel* label = form->lblMessage;
    form->pnlMessage->SetAlign(label, TAlign::None);
    label->setWordWrap(false);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setText(QString::fromStdString(current_));
    Translate();
    label->adjustSize();
    label->move(label->x(), RoundHalfEven(form->height() / 2.0 - label->height() / 2.0));
    const int textWidth = QFontMetrics(form->font()).horizontalAdvance(label->text());
    const int width = textWidth + form->pnlBack->x() + form->pnlMessage->x() + label->x() + 25;
    form->resize(width, form->height());
    form->pnlBack->resize(width, form->pnlBack->height());
    const QSize screen = ScreenSize();
    form->move(RoundHalfEven(screen.width() / 2.0 - width / 2.0), form->y());
    form->show();
    form->repaint();
    installer::ProcessPendingMessages();
}

}  // namespace setupwizard
