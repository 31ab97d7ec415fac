// The copy window follows the during-copy manager's messages; the status
// window follows pushes and pops.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QProgressBar>
#include <QTest>

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
    std::int64_t now = 0;
    form->SetClock([&] { return now += TCopyFileForm::kRepaintIntervalMs; });

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

// A paint per report made the install twenty times slower than its
// extraction: the window paints when what it shows changes, at most about
// thirty times a second, and shows the latest report once reports pause.
TEST_F(CopyWindow, RepaintsOnlyChangesAndNotTooOften) {
    TDialogManager& manager = AddManager("DialogManager3", dmDuringCopyFiles);
    AddDialog<TCopyFileDlg>("CopyFileDlg");
    auto status = Status("voreled.exe", 0, 0);
    Broadcast(installer::imFileStatus, &status);
    auto* form = dynamic_cast<TCopyFileForm*>(manager.DuringCopyForms().at(0));
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    std::int64_t now = 1000000;
    form->SetClock([&] { return now; });
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    form->installEventFilter(&counter);
    auto shows = [&](const char* name, int file, int total) {
        return form->lblCopyingFile->text().toStdString() == name && form->ProgressBar1->value() == file &&
               form->ProgressBar2->value() == total;
    };

    // Whether the window was painted since the last look.
    int seen = 0;
    auto painted = [&] {
        const bool any = counter.paints > seen;
        seen = counter.paints;
        return any;
    };
    painted();

    // Reports that change nothing shown paint nothing, however many come.
    now += 1000;
    for (int i = 0; i < 1000; ++i) Broadcast(installer::imFileStatus, &status);
    EXPECT_FALSE(painted());

    // A change paints at once when the last paint is old enough...
    auto half = Status("voreled.exe", 50, 10);
    Broadcast(installer::imFileStatus, &half);
    EXPECT_TRUE(painted());
    EXPECT_TRUE(shows("voreled.exe", 50, 10));

    // ...while the changes that come sooner wait: ten changes within one
    // interval paint nothing yet.
    for (int i = 1; i <= 10; ++i) {
        now += 2;
        auto more = Status("voreled.exe", 50 + i, 10 + i);
        Broadcast(installer::imFileStatus, &more);
        EXPECT_FALSE(painted()) << i;
    }
    EXPECT_TRUE(shows("voreled.exe", 50, 10));

    // The interval over, the next report shows the latest values at once.
    now += TCopyFileForm::kRepaintIntervalMs;
    auto next = Status("vorel.ini", 0, 21);
    Broadcast(installer::imFileStatus, &next);
    EXPECT_TRUE(painted());
    EXPECT_TRUE(shows("vorel.ini", 0, 21));

    // When reports pause, the last one is shown without a further report.
    auto last = Status("vorel.ini", 100, 22);
    Broadcast(installer::imFileStatus, &last);
    EXPECT_FALSE(painted());
    now += TCopyFileForm::kRepaintIntervalMs;
    EXPECT_TRUE(QTest::qWaitFor([&] { return shows("vorel.ini", 100, 22); }, 2000));
    EXPECT_TRUE(painted());
    form->removeEventFilter(&counter);
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
