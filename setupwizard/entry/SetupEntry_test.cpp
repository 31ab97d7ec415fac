// The setup program's entry: a run that ended while the form loaded (a
// build without its info file, a resume) never shows the form or reaches
// the loop.
#include <gtest/gtest.h>

#include <QApplication>

#include "installer/base/services/AppServices.h"
#include "installer/baseform/ModalForm.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "setupwizard/config/SetupForm.h"
#include "setupwizard/entry/SetupEntry.h"
#include "setupwizard/framework/Placement.h"
#include "testkit/files/TempDir.h"
#include "testkit/wizard/WizardDriver.h"

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

TEST_F(SetupEntry, ABuildWithoutItsInfoFileIsReportedAndEndsBeforeTheForm) {
    bool shown = false;
    SetupHooks hooks;
    hooks.beforeShow = [&](TSetupForm&) { shown = true; };
    // A failed build is a failure for whoever started it.
    EXPECT_EQ(RunSetupProgram("D:\\SETUP\\SETUP.EXE", {"-b"}, hooks), 1);
    EXPECT_FALSE(shown);
    ASSERT_EQ(services.Boxes.size(), 1u);
    EXPECT_EQ(services.Boxes[0].text,
              "Need to have a BUILD.INF file in this directory with the first line specifying the build directory");
    ASSERT_FALSE(services.Trace.empty());
    EXPECT_EQ(services.Trace.back(), "terminate");
    // So is a diskette transfer that cannot start.
    EXPECT_EQ(RunSetupProgram("D:\\SETUP\\SETUP.EXE", {"-f"}, hooks), 1);
    EXPECT_FALSE(shown);
    EXPECT_EQ(services.Boxes.back().text.rfind("Sorry... You can only transfer this installation to floppies", 0), 0u);
}

TEST_F(SetupEntry, AResumeRunEndsBeforeTheLoopWithoutShowingTheForm) {
    bool shown = false, looped = false;
    std::vector<std::string> pages;
    SetupHooks hooks;
    hooks.beforeShow = [&](TSetupForm&) { shown = true; };
    hooks.afterLoop = [&](TSetupForm&) { looped = true; };
    setupwizard::testing::WizardDriver driver;
    driver.Then([&](installer::TModalForm& f) { pages.push_back(f.windowTitle().toStdString()); }).Click("FinishBtn");
    // Nothing was left unfinished in this root: the engine says so, ends on
    // its bad page, and the program exits with a failure.
    EXPECT_EQ(RunSetupProgram("D:\\SETUP\\SETUP.EXE", {"-r", "-sD:\\SETUP"}, hooks), 1);
    EXPECT_EQ(pages, std::vector<std::string>{"Setup incomplete"});
    ASSERT_EQ(services.Boxes.size(), 1u);
    EXPECT_EQ(services.Boxes[0].text, "The TInstall could not either write or read unfinished business from the registry");
    EXPECT_FALSE(shown);
    EXPECT_FALSE(looped);
    ASSERT_FALSE(services.Trace.empty());
    EXPECT_EQ(services.Trace.back(), "terminate");
    EXPECT_EQ(QApplication::applicationName(), "VorelSoft - Software Installation");
}

// Started from outside the root (as the tests are), the setup stands for
// SETUP.EXE in the folder of its last -s, as the engine reads it.
TEST_F(SetupEntry, OutsideTheRootTheLastSourceSwitchNamesItsProgram) {
    EXPECT_EQ(SetupExeName({"-sD:\\FIRST", "-b", "-SD:\\LAST\\"}), "D:\\LAST\\SETUP.EXE");
    EXPECT_EQ(SetupExeName({"*sD:\\ONLY"}), "D:\\ONLY\\SETUP.EXE");
    EXPECT_EQ(SetupExeName({"-b"}), "");
}
