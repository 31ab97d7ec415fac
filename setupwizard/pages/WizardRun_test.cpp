// The wizard inside a whole install run: the pages the user walks, the
// copy window while files are extracted, the status window, and the end page.
#include <gtest/gtest.h>

#include <QRadioButton>

#include "platform/windows/restart/Restart.h"
#include "setupwizard/framework/BaseFormContainer.h"
#include "setupwizard/framework/DialogManager.h"
#include "setupwizard/framework/Placement.h"
#include "setupwizard/pages/CopyPages.h"
#include "setupwizard/pages/EndPages.h"
#include "setupwizard/pages/TextPages.h"
#include "setupwizard/pages/WelcomePage.h"
#include "setupwizard/pages/WizardUnits.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/RunTestSetup.h"
#include "testkit/wizard/WizardDriver.h"

using namespace setupwizard;
using installer::testing::TestSetup;
using setupwizard::testing::WizardDriver;

namespace {

// The product's wizard on the test setup's install.
void AddWizard(installer::TreeBuilder& b, TestSetup& setup) {
    InitWizardUnits(setup.form.Context());
    const std::pair<const char*, TManagerType> managers[] = {{"DialogManager", dmBeforeInstall},
                                                             {"DialogManager1", dmAfterGoodInstall},
                                                             {"DialogManager2", dmAfterBadInstall},
                                                             {"DialogManager3", dmDuringCopyFiles},
                                                             {"DialogManager4", dmChangeDisk},
                                                             {"DialogManager5", dmReboot}};
    for (const auto& [name, type] : managers)
        b.add<TDialogManager>(name).set([type = type](TDialogManager& m) { m.ManagerType = type; }).ref("Container",
                                                                                                      "Install1");
    b.add<TWelcomeDlg>("WelcomeDlg").ref("Container", "Install1").ref("DialogManager", "DialogManager");
    b.add<TLicenseDlg>("LicenseDlg")
        .set([](TLicenseDlg& d) { d.SetLicenseAgreement({"Licence"}); })
        .ref("Container", "Install1")
        .ref("DialogManager", "DialogManager");
    b.add<TReadmeDlg>("ReadmeDlg").ref("Container", "Install1").ref("DialogManager", "DialogManager");
    b.add<TCopyFileDlg>("CopyFileDlg").ref("Container", "Install1").ref("DialogManager", "DialogManager3");
    b.add<TInstallStatusDlg>("InstallStatusDlg").ref("Container", "Install1");
    b.add<TGoodInstallationDlg>("GoodInstallationDlg").ref("Container", "Install1").ref("DialogManager", "DialogManager1");
    b.add<TBadInstallationDlg>("BadInstallationDlg").ref("Container", "Install1").ref("DialogManager", "DialogManager2");
    b.add<TRebootDlg>("RebootDlg").ref("Container", "Install1").ref("DialogManager", "DialogManager5");
}

}  // namespace

class WizardRun : public ::testing::Test {
protected:
    WizardRun() {
        SetScreenSizeForTesting(QSize(1024, 768));
        installer::testing::PrepareSources();
    }
    ~WizardRun() override { SetScreenSizeForTesting(QSize()); }

    // The caption of every frame page the user saw, in order.
    WizardDriver::Action Record() {
        return [this](installer::TModalForm& f) { seen.push_back(f.windowTitle().toStdString()); };
    }

    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    installer::RecordingAppServices services;
    std::vector<std::string> seen;
};

TEST_F(WizardRun, GoodRunWalksThePagesShowsTheCopyWindowAndEndsOnSetupComplete) {
    TestSetup setup({"-sD:\\SETUP"}, AddWizard);
    setup.Build();
    auto& copy = setup.Get<TDialogManager>("DialogManager3");
    auto& status = setup.Get<TInstallStatusDlg>("InstallStatusDlg");
    // What the user sees while files are extracted.
    int progressWithWindow = 0;
    bool statusShown = false;
    setup.Recorder().OnMessage = [&](int id) {
        if (id == installer::imFileStatus) {
            auto forms = copy.DuringCopyForms();
            if (forms.size() == 1 && forms[0]->isVisible()) ++progressWithWindow;
        }
        if (id == installer::imPushStatus) statusShown = status.Form && status.Form->isVisible();
    };
    setup.Recorder().Heard.clear();
    WizardDriver driver;
    driver.Then(Record()).Click("ProceedBtn").Then(Record()).Click("ProceedBtn").Then(Record()).Click("ProceedBtn")
        .Then(Record()).Click("FinishBtn");
    setup.Install().OwnerFormActivate();

    EXPECT_EQ(seen, (std::vector<std::string>{"Welcome", "Software license agreement", "Readme information",
                                              "Setup complete"}));
    EXPECT_GT(progressWithWindow, 0);
    EXPECT_TRUE(copy.DuringCopyForms().empty());  // closed at the pass end
    EXPECT_TRUE(statusShown);
    EXPECT_TRUE(status.Form.isNull() || !status.Form->isVisible());
    EXPECT_EQ(installer::testing::ReadRootFile("C:\\Program Files\\Vorel\\VOREL.EXE"), installer::testing::kProgramText);
    EXPECT_FALSE(setup.Install().Aborted());
    EXPECT_TRUE(services.Boxes.empty());
}

TEST_F(WizardRun, CancelOnTheLicenceEndsOnSetupIncomplete) {
    TestSetup setup({"-sD:\\SETUP"}, AddWizard);
    setup.Build();
    int asked = 0;
    setupwizard::testing::AnswerAbortQuestions(setup.Install(), {false, true}, &asked);
    WizardDriver driver;
    driver.Click("ProceedBtn").Then(Record()).Click("CancelBtn").Click("CancelBtn").Then(Record()).Click("FinishBtn");
    setup.Install().OwnerFormActivate();

    EXPECT_EQ(asked, 2);
    EXPECT_EQ(seen, (std::vector<std::string>{"Software license agreement", "Setup incomplete"}));
    EXPECT_FALSE(platform::Files().FileExists("C:\\Program Files\\Vorel\\VOREL.EXE"));
    EXPECT_TRUE(setup.Install().Aborted());
    EXPECT_TRUE(services.Boxes.empty());  // an abort is no error
}

TEST_F(WizardRun, AFileInUseAsksForTheRebootAndNoLeavesItUndone) {
    const std::string program = "C:\\Program Files\\Vorel\\VOREL.EXE";
    installer::testing::WriteRootFile(program, "old program");
    platform::CurrentSystemRoot().Facts().SetInUse(program, true);
    TestSetup setup({"-sD:\\SETUP"}, AddWizard);
    setup.Build();
    int initialChoice = -2;
    WizardDriver driver;
    driver.Click("ProceedBtn").Click("ProceedBtn").Click("ProceedBtn").Then(Record()).Then([&](installer::TModalForm& f) {
        auto* frame = qobject_cast<TBaseFormContainer*>(&f);
        auto* page = dynamic_cast<TRebootForm*>(frame->Pages().at(0));
        ASSERT_NE(page, nullptr);
        initialChoice = page->ItemIndex();
        page->Item(1)->click();  // "No"
    }).Click("FinishBtn");
    setup.Install().OwnerFormActivate();

    EXPECT_EQ(seen, std::vector<std::string>{"Reboot windows"});
    EXPECT_EQ(initialChoice, 0);  // the engine asked for a reboot
    EXPECT_FALSE(setup.Install().Reboot());
    EXPECT_FALSE(platform::RebootRequested());
    EXPECT_EQ(services.Trace.back(), "terminate");
}
