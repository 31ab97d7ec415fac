// The setup program's entry: a configuration that cannot load is reported,
// and a run that ended while the form loaded never reaches the loop.
#include <gtest/gtest.h>

#include <QApplication>

#include "installer/baseform/ModalForm.h"
#include "installer/run/services/AppServices.h"
#include "platform/qtglue/Messenger.h"
#include "platform/sysroot/SystemRoot.h"
#include "setupwizard/config/SetupForm.h"
#include "setupwizard/framework/Placement.h"
#include "setupwizard/entry/SetupEntry.h"
#include "setupwizard/testing/WizardDriver.h"

using namespace setupwizard;

class SetupEntry : public ::testing::Test {
protected:
    SetupEntry() { SetScreenSizeForTesting(QSize(1024, 768)); }
    ~SetupEntry() override { SetScreenSizeForTesting(QSize()); }
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    platform::ScriptedMessenger messenger;
    installer::RecordingAppServices services;
};

TEST_F(SetupEntry, AModeTheProgramCannotRunIsReportedAndEndsIt) {
    bool shown = false;
    SetupHooks hooks;
    hooks.beforeShow = [&](TSetupForm&) { shown = true; };
    EXPECT_EQ(RunSetupProgram("D:\\SETUP\\SETUP.EXE", {"-b"}, hooks), 1);
    EXPECT_FALSE(shown);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "This setup program cannot build distributables");
    EXPECT_EQ(messenger.shown[0].icon, platform::MsgIcon::Error);
}

TEST_F(SetupEntry, AResumeRunEndsBeforeTheLoopWithoutShowingTheForm) {
    bool shown = false, looped = false;
    std::vector<std::string> pages;
    SetupHooks hooks;
    hooks.beforeShow = [&](TSetupForm&) { shown = true; };
    hooks.afterLoop = [&](TSetupForm&) { looped = true; };
    setupwizard::testing::WizardDriver driver;
    driver.Then([&](installer::TModalForm& f) { pages.push_back(f.windowTitle().toStdString()); }).Click("FinishBtn");
    EXPECT_EQ(RunSetupProgram("D:\\SETUP\\SETUP.EXE", {"-r", "-sD:\\SETUP"}, hooks), 0);
    // Nothing was left unfinished in this root: the engine says so and ends on its bad page.
    EXPECT_EQ(pages, std::vector<std::string>{"Setup incomplete"});
    ASSERT_EQ(services.Boxes.size(), 1u);
    EXPECT_EQ(services.Boxes[0].text, "The TInstall could not either write or read unfinished business from the registry");
    EXPECT_FALSE(shown);
    EXPECT_FALSE(looped);
    ASSERT_FALSE(services.Trace.empty());
    EXPECT_EQ(services.Trace.back(), "terminate");
    EXPECT_EQ(QApplication::applicationName(), "VorelSoft - Software Installation");
}
