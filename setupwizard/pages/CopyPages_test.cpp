// The copy window follows the during-copy manager's messages; the status
// window follows pushes and pops.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QProgressBar>

#include "installer/components/FileStatusParameter.h"
#include "installer/components/Messages.h"
#include "installer/translator/IException.h"
#include "setupwizard/pages/CopyPages.h"
#include "testkit/wizard/WizardFixture.h"

using namespace setupwizard;
using setupwizard::testing::WizardTest;

class CopyWindow : public WizardTest {
protected:
    void Broadcast(int id, installer::TObject* parameter = nullptr) { install.BroadcastMessage(&install, id, parameter); }
    installer::TFileStatusParameter Status(const std::string& name, int file, int total) {
        installer::TFileStatusParameter p;
        p.FileName = name;
        p.FilePercent = file;
        p.TotalPercent = total;
        return p;
    }
};

TEST_F(CopyWindow, ShownByFileStatusAndClosedAtPassEnd) {
    TDialogManager& manager = AddManager("DialogManager3", dmDuringCopyFiles);
    auto& dialog = AddDialog<TCopyFileDlg>("CopyFileDlg");
    EXPECT_EQ(dialog.Width, 474);
    EXPECT_EQ(dialog.Height, 146);
    EXPECT_TRUE(manager.DuringCopyForms().empty());

    auto first = Status("voreled.exe", 40, 12);
    Broadcast(installer::imFileStatus, &first);
    ASSERT_EQ(manager.DuringCopyForms().size(), 1u);
    auto* form = dynamic_cast<TCopyFileForm*>(manager.DuringCopyForms()[0]);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(dialog.Form.data(), form);
    // Placed bottom centre, 30 above the bottom less a caption, client 466 x 119.
    EXPECT_EQ(form->size(), QSize(466, 119));
    EXPECT_EQ(form->pos(), QPoint(275, 768 - 19 - 146 - 30));
    EXPECT_EQ(form->windowTitle().toStdString(), "Copying installation files");
    EXPECT_EQ(form->lblCopyingFile->text().toStdString(), "voreled.exe");
    EXPECT_EQ(form->ProgressBar1->value(), 40);
    EXPECT_EQ(form->ProgressBar2->value(), 12);
    EXPECT_TRUE(form->TransferBitmap->isHidden());

    // Values outside 0..100 are clamped.
    auto wild = Status("vorel.ini", 250, -3);
    Broadcast(installer::imFileStatus, &wild);
    EXPECT_EQ(form->ProgressBar1->value(), 100);
    EXPECT_EQ(form->ProgressBar2->value(), 0);

    // A download shows the transfer picture and keeps the total.
    installer::TDownloadStatusParameter download;
    download.FileName = "files.1";
    download.Percent = 55;
    Broadcast(installer::imDownloadStatus, &download);
    EXPECT_FALSE(form->TransferBitmap->isHidden());
    EXPECT_EQ(form->ProgressBar1->value(), 55);
    EXPECT_EQ(form->ProgressBar2->value(), 0);
    EXPECT_EQ(form->lblCopyingFile->text().toStdString(), "files.1");

    // The pass ends: the window goes; the next pass makes a fresh one.
    QPointer<TCopyFileForm> old = form;
    Broadcast(installer::imPassFinished);
    EXPECT_TRUE(manager.DuringCopyForms().empty());
    EXPECT_TRUE(old.isNull() || !old->isVisible());
    auto next = Status("License.txt", 0, 50);
    Broadcast(installer::imFileStatus, &next);
    ASSERT_EQ(manager.DuringCopyForms().size(), 1u);
    EXPECT_TRUE(manager.DuringCopyForms()[0]->isVisible());
}

TEST_F(CopyWindow, CancelSetsTheAbortFlagsAndKeepsTheWindow) {
    TDialogManager& manager = AddManager("DialogManager3", dmDuringCopyFiles);
    AddDialog<TCopyFileDlg>("CopyFileDlg");
    bool downloadAborted = false;
    Links(Context()).AbortDownload = [&] { downloadAborted = true; };
    auto status = Status("voreled.exe", 1, 1);
    Broadcast(installer::imFileStatus, &status);
    auto* form = dynamic_cast<TCopyFileForm*>(manager.DuringCopyForms().at(0));

    install.AbortAnswers = {false};
    form->CancelBtn->click();
    EXPECT_FALSE(Context().GlobalCompressor->Abort);
    EXPECT_FALSE(downloadAborted);
    EXPECT_TRUE(form->isVisible());

    // The title-bar close goes through Cancel as well.
    install.AbortAnswers = {true};
    form->close();
    EXPECT_TRUE(Context().GlobalCompressor->Abort);
    EXPECT_TRUE(downloadAborted);
    EXPECT_EQ(form->ModalResult(), platform::mrAbort);
    EXPECT_TRUE(form->isVisible());  // modeless: a modal result does not hide it
    EXPECT_EQ(install.AbortQuestions, 2);
}

TEST_F(CopyWindow, WrongParametersAreRefused) {
    AddManager("DialogManager3", dmDuringCopyFiles);
    installer::TMessageParameter text("x");
    try {
        Broadcast(installer::imFileStatus, &text);
        FAIL();
    } catch (const installer::IException& e) {
        EXPECT_STREQ(e.what(), "The PO object passed to DialogManager3 is not a TFileStatusParameter object");
    }
    try {
        Broadcast(installer::imDownloadStatus, &text);
        FAIL();
    } catch (const installer::IException& e) {
        EXPECT_STREQ(e.what(), "The PO object passed to DialogManager3 is not a TDownloadStatusParameter object");
    }
    try {
        Broadcast(installer::imFileStatus, nullptr);
        FAIL();
    } catch (const installer::IException& e) {
        EXPECT_STREQ(e.what(), "DialogManager3 got a nil PO parameter");
    }
}

class StatusWindow : public CopyWindow {
protected:
    void Push(const std::string& text) {
        installer::TMessageParameter p(text);
        Broadcast(installer::imPushStatus, &p);
    }
    TInstallStatusForm* Form(TInstallStatusDlg& dialog) { return static_cast<TInstallStatusForm*>(dialog.Form.data()); }
};

TEST_F(StatusWindow, PushAndPop) {
    auto& dialog = AddDialog<TInstallStatusDlg>("InstallStatusDlg");
    // A pop before any push does nothing.
    EXPECT_NO_THROW(Broadcast(installer::imPopStatus));
    EXPECT_TRUE(dialog.Form.isNull());

    Push("Reading file information...");
    Push("Installing shell links...");
    TInstallStatusForm* form = Form(dialog);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->lblMessage->text().toStdString(), "Installing shell links...");
    Broadcast(installer::imPopStatus);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->lblMessage->text().toStdString(), "Reading file information...");
    EXPECT_EQ(dialog.Messages().size(), 1u);
    Broadcast(installer::imPopStatus);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(Form(dialog), form);  // hidden, not destroyed
    Broadcast(installer::imPopStatus);
    EXPECT_TRUE(dialog.Messages().empty());
    EXPECT_EQ(dialog.TextLanguage, installer::tlEnglish);
}

TEST_F(StatusWindow, WidthFollowsTheTextAndStaysCentred) {
    auto& dialog = AddDialog<TInstallStatusDlg>("InstallStatusDlg");
    const std::string text = "Installing registry keys";
    Push(text);
    TInstallStatusForm* form = Form(dialog);
    const QFontMetrics metrics(form->font());
    const int shortWidth = form->width();
    EXPECT_EQ(shortWidth, metrics.horizontalAdvance(QString::fromStdString(text)) + 50 + 5 + 25);
    EXPECT_EQ(form->x(), static_cast<int>(std::nearbyint(1024 / 2.0 - shortWidth / 2.0)));
    EXPECT_EQ(form->height(), 58);
    Push(text + text);
    const int extra = metrics.horizontalAdvance(QString::fromStdString(text + text)) -
                      metrics.horizontalAdvance(QString::fromStdString(text));
    EXPECT_EQ(form->width(), shortWidth + extra);
    EXPECT_EQ(form->x(), static_cast<int>(std::nearbyint(1024 / 2.0 - form->width() / 2.0)));
    // The label sits in the middle of the window's height.
    const QLabel* label = form->lblMessage;
    EXPECT_EQ(label->y(), static_cast<int>(std::nearbyint(58 / 2.0 - label->height() / 2.0)));
}

TEST_F(StatusWindow, PushNeedsAMessageParameter) {
    AddDialog<TInstallStatusDlg>("InstallStatusDlg");
    try {
        Broadcast(installer::imPushStatus, nullptr);
        FAIL();
    } catch (const installer::IException& e) {
        EXPECT_STREQ(e.what(), "InstallStatusDlg got a nil PO parameter");
    }
    installer::TDiskParameter disk;
    try {
        Broadcast(installer::imPushStatus, &disk);
        FAIL();
    } catch (const installer::IException& e) {
        EXPECT_STREQ(e.what(), "The PO object passed to InstallStatusDlg is not a TMessageParameter object");
    }
}
