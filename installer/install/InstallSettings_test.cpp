#include <gtest/gtest.h>

#include "installer/components/EngineContext.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/registry/RegistryRoutines.h"
#include "installer/translator/Translator.h"
#include "platform/core/inifile/IniFile.h"
#include "platform/windows/restart/Restart.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/RunTestSetup.h"
#include "testkit/support/ErrorOf.h"

namespace installer {
namespace {

using namespace installer::testing;

using platform::testing::ErrorOf;

class InstallSettings : public ::testing::Test {
protected:
    void SetUp() override { PrepareSources(); }
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
};

TEST_F(InstallSettings, OneInstallPerProgramWithItsDefaults) {
    TComponentOwner form;
    form.Designing = true;
    auto& install = form.Create<TInstall>();
    ASSERT_NE(AutoCreatedTranslator(), nullptr);
    EXPECT_EQ(AutoCreatedTranslator()->Name, "MainTranslator");
    SetAutoCreatedTranslator(nullptr);
    EXPECT_EQ(install.DestDir(), "\\MyApplication");
    EXPECT_NE(dynamic_cast<TpsProgramFiles*>(install.DestDirType()), nullptr);
    EXPECT_NE(dynamic_cast<TpsMainArchiveFile*>(install.ArchiveFileType()), nullptr);
    EXPECT_EQ(install.Container(), nullptr);
    EXPECT_EQ(install.PathSpecifier, nullptr);
    EXPECT_EQ(install.DialogThemeBitmap().size(), QSize(117, 290));
    EXPECT_TRUE(install.AutoMaximizeWindow() && install.RunAutomatic && install.UseLoadingProgram());
    EXPECT_FALSE(install.HideMainForm() || install.Reboot());
    EXPECT_EQ(GlobalInstall(form.Context()), &install);
    EXPECT_EQ(ErrorOf([&] { form.Create<TInstall>(); }),
              "The TInstall component does not currently support the use of 2 TInstall components in the same "
              "project");
    // Objects made while designing join the install.
    auto& group = form.Create<TInstallGroup>();
    EXPECT_EQ(group.Container(), &install);

    install.SetHideMainForm(true);
    EXPECT_FALSE(install.AutoMaximizeWindow());
    install.SetAutoMaximizeWindow(true);
    EXPECT_FALSE(install.HideMainForm());
    EXPECT_EQ(ErrorOf([&] { install.SetDistributeType(dtWeb); }),
              "Must assign a net location via the NetLocation property before you can set the distribute type");
    install.SetPresetupFiles({"WININET.DLL", " ", "", "SETUP.HLP"});
    EXPECT_EQ(install.PresetupFiles(), (std::vector<std::string>{"WININET.DLL", "SETUP.HLP"}));
    install.SetArchiveFileType(nullptr);
    install.SetUseLoadingProgram(true);
    EXPECT_NE(dynamic_cast<TpsMainArchiveFile*>(install.ArchiveFileType()), nullptr);
    form.DestroyComponents();
    EXPECT_EQ(form.Context().GlobalInstall, nullptr);
}

TEST_F(InstallSettings, TheFormIsMaximisedOnItsFirstActivationAndItsOwnHandlerStillRuns) {
    struct Form : TOwnerForm {
        std::vector<std::string> calls;
        void Maximize() override { calls.push_back("maximize"); }
        void MoveOffScreen() override { calls.push_back("offscreen"); }
    } form;
    TestSetup setup;
    setup.Install().SetOwnerForm(&form);
    setup.Install().RunAutomatic = false;
    setup.Install().PreviousOnActivate = [&] { form.calls.push_back("own handler"); };
    setup.Install().OwnerFormActivate();
    setup.Install().OwnerFormActivate();
    EXPECT_EQ(form.calls, (std::vector<std::string>{"own handler", "maximize"}));
    EXPECT_FALSE(setup.Install().InstallRunning());
}

TEST_F(InstallSettings, TheRestartCommandNamesTheLoadingProgram) {
    TestSetup setup({"-sC:\\WINDOWS\\TEMP\\~ins", "-eSETUPX.EXE", "-c"});
    setup.form.Context().InstallRecordKey = setup.Install().FindInstallRecord(true);
    setup.Install().RegisterRunOnce();
    EXPECT_EQ(RegReadString(4, kRunOnceKey, "TamselUnfinished", ""),
              "\"D:\\SETUP\\SETUP.EXE\" -r \"-eSETUPX.EXE\" \"-sC:\\WINDOWS\\TEMP\\~ins\" -c");
}

TEST_F(InstallSettings, WithoutTheSelfExtractorTheLoadingProgramIsTheSecondArgument) {
    // The loading program passes its name in an argument the setup skips.
    TestSetup setup({"-sD:\\DIST", "*lLOADER.EXE"});
    setup.form.Context().InstallRecordKey = setup.Install().FindInstallRecord(true);
    setup.Install().RegisterRunOnce();
    setup.Install().RegisterRunOnce();  // a second one takes the next free name
    EXPECT_EQ(RegReadString(4, kRunOnceKey, "TamselUnfinished", ""), "\"D:\\SETUP\\SETUP.EXE\" -r \"-sD:\\DIST\"");
    EXPECT_EQ(RegReadString(4, kRunOnceKey, "TamselUnfinished1", ""), "\"D:\\SETUP\\SETUP.EXE\" -r \"-sD:\\DIST\"");
}

TEST_F(InstallSettings, TheTargetLanguageOutlivesTheRestart) {
    TTranslator translator;
    translator.SetTranslateIntoLanguage(tlGerman);
    const std::string program = "C:\\Program Files\\Vorel\\VOREL.EXE";
    WriteRootFile(program, "old");
    platform::CurrentSystemRoot().Facts().SetInUse(program, true);
    {
        TestSetup setup;
        setup.Build();
        setup.Install().OwnerFormActivate();
        EXPECT_EQ(RegReadInteger(4, setup.form.Context().InstallRecordKey, "Language", -1), tlGerman);
    }
    platform::SimulateRestart();
    translator.SetTranslateIntoLanguage(tlEnglish);
    {
        TestSetup resumed({"-r", "-sD:\\SETUP"});
        EXPECT_EQ(translator.TranslateIntoLanguage(), tlGerman);
    }
}

TEST_F(InstallSettings, AStoredLanguageOutOfRangeKeepsTheCurrentOne) {
    TTranslator translator;
    translator.SetTranslateIntoLanguage(tlFrench);
    TestSetup setup;
    const std::string record = setup.Install().FindInstallRecord(true);
    RegWriteInteger(4, record, "Language", 200);
    RegWriteString(4, record + "\\Unfinished", "Nobody", "0");
    TestSetup resumed({"-r", "-sD:\\SETUP"});
    EXPECT_EQ(translator.TranslateIntoLanguage(), tlFrench);
    EXPECT_EQ(resumed.Recorder().Heard, (std::vector<int>{imGoodInstall, imAfterGoodInstall}));
}

TEST_F(InstallSettings, AnInvalidUnfinishedEntryEndsTheResumeBadly) {
    TestSetup setup;
    const std::string record = setup.Install().FindInstallRecord(true);
    RegWriteString(4, record + "\\Unfinished", "ProgramFile", "zero");
    TestSetup resumed({"-r", "-sD:\\SETUP"});
    ASSERT_EQ(services.Boxes.size(), 1u);
    EXPECT_EQ(services.Boxes[0].text, "There is an invalid entry for the unfinished install list ProgramFile;zero");
    EXPECT_EQ(resumed.Recorder().Heard, (std::vector<int>{imBadInstall, imAfterBadInstall}));
}

TEST_F(InstallSettings, AFailedRebootCallsItsHandlerOrSaysSo) {
    platform::IniFile facts(platform::CurrentSystemRoot().Facts().FileName());
    facts.WriteString("Restart", "Refuse", "1");
    TestSetup setup;
    setup.Install().RebootWindows();
    ASSERT_EQ(services.Boxes.size(), 1u);
    EXPECT_EQ(services.Boxes[0].text, "Could not reboot windows. Please manually reboot windows.");
    int failed = 0;
    setup.Install().OnFailedReboot = [&](TCustomInstall&) { ++failed; };
    setup.Install().RebootWindows();
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(services.Boxes.size(), 1u);
}

TEST_F(InstallSettings, ARebootClearedByItsHandlerStillEndsTheProgramWithoutTheGoodNotice) {
    TestSetup setup;
    setup.Build();
    setup.Recorder().Heard.clear();
    setup.Install().SetReboot(true);
    setup.Install().OnBeforeReboot = [](TCustomInstall&, bool& reboot) { reboot = false; };
    setup.Install().OwnerFormActivate();
    const auto& heard = setup.Recorder().Heard;
    EXPECT_EQ(heard.back(), imReboot);
    EXPECT_FALSE(platform::RebootRequested());
    EXPECT_EQ(services.Trace.back(), "terminate");
    EXPECT_EQ(RegReadString(4, kRunOnceKey, "TamselUnfinished", ""), "\"D:\\SETUP\\SETUP.EXE\" -r \"-sD:\\SETUP\"");
}

TEST_F(InstallSettings, QueryUserAbortAsksTheHandler) {
    TestSetup setup;
    EXPECT_TRUE(setup.Install().QueryUserAbort());
    setup.Install().OnUserAbort = [](TCustomInstall&, bool& abort) { abort = false; };
    EXPECT_FALSE(setup.Install().QueryUserAbort());
}

}  // namespace
}  // namespace installer
