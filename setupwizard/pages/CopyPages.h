#pragma once
// The windows shown while files are copied: the copy-progress window (a
// modeless form kept up to date by the during-copy manager) and the small
// status window that shows the engine's status texts.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QString>

#include "installer/translator/forms/TranslateControls.h"
#include "setupwizard/framework/AlignPanel.h"
#include "setupwizard/framework/BaseInstallDlg.h"
#include "setupwizard/framework/BaseInstallForm.h"

class QLabel;
class QProgressBar;
class QTimer;

namespace setupwizard {

class TCopyFileForm : public TBaseDuringCopyForm {
    Q_OBJECT
public:
    TCopyFileForm(QWidget* owner, installer::EngineContext& context);
    static const TFormClass& Class();

    TImage* UnZipImage = nullptr;
    TImage* TransferBitmap = nullptr;
    installer::TTranslateBitBtn* CancelBtn = nullptr;
    installer::TTranslateLabel* lblCopyFileHeader = nullptr;
    QLabel* lblCopyingFile = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QProgressBar* ProgressBar2 = nullptr;

    // Shows the latest status; the window is repainted only when what it
    // shows changes, and at most once per kRepaintIntervalMs: a change
    // that comes sooner is shown when the interval has passed.
    void UpdateProgress(installer::TFileStatusParameter* fileStatus,
                        installer::TDownloadStatusParameter* downloadStatus) override;
    void CancelBtnClick() { Cancel(); }

    static constexpr std::int64_t kRepaintIntervalMs = 33;
    using Clock = std::function<std::int64_t()>;  // milliseconds
    // A new clock starts afresh: the next change paints at once.
    void SetClock(Clock clock) {
        clock_ = std::move(clock);
        painted_ = false;
    }

private:
    struct Shown {
        int filePercent = 0;
        int totalPercent = 0;
        QString name = "---";
        bool transfer = false;
        bool operator==(const Shown&) const = default;
    };
    void ShowPending();

    Shown shown_, pending_;
    Clock clock_;
    std::int64_t paintedAt_ = 0;
    bool painted_ = false;
    QTimer* pendingTimer_ = nullptr;
};

class TCopyFileDlg : public TBaseInstallDlg {
public:
    explicit TCopyFileDlg(installer::TComponentOwner& owner);
    ~TCopyFileDlg() override;
    static constexpr const char* StaticClassName = "TCopyFileDlg";
    std::string ClassName() const override { return StaticClassName; }
    const TFormClass& FormClass() const override { return TCopyFileForm::Class(); }
};

class TInstallStatusForm : public installer::TBaseTamselForm {
    Q_OBJECT
public:
    TInstallStatusForm(QWidget* owner, installer::EngineContext& context);
    static const TFormClass& Class();

    QWidget* pnlBack = nullptr;
    TImage* Image1 = nullptr;
    TAlignPanel* pnlMessage = nullptr;
    QLabel* lblMessage = nullptr;
};

class TInstallStatusDlg : public TCustomBaseInstallDlg {
public:
    explicit TInstallStatusDlg(installer::TComponentOwner& owner);
    ~TInstallStatusDlg() override;
    static constexpr const char* StaticClassName = "TInstallStatusDlg";
    std::string ClassName() const override { return StaticClassName; }
    const TFormClass& FormClass() const override { return TInstallStatusForm::Class(); }

    void HandleMessage(installer::TInstallContainer* sender, int id, installer::TObject* parameter) override;
    void Translate() override;

    const std::vector<std::string>& Messages() const { return messages_; }
    const std::string& CurrentMessage() const { return current_; }

private:
    void ShowMessageForm();
    std::vector<std::string> messages_;
    std::string current_;
};

// The stand-in pictures of the copy and status windows.
QImage UnZipPicture();
QImage TransferPicture();
QImage StatusPicture();

}  // namespace setupwizard
