// Install runs with the engine installer, from a fresh root and over an
// installed engine, through the real install library.
#include "installer/bde/InstallBDE.h"

#include <gtest/gtest.h>

#include <set>

#include "installer/bde/GrabCall.h"
#include "installer/registry/UninstallFiles.h"
#include "installer/translator/IException.h"
#include "platform/core/hostio/HostIo.h"
#include "platform/windows/registry/RegistryStore.h"
#include "testkit/files/SysrootFiles.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/BdeTestSetup.h"

namespace installer {
namespace {

using namespace installer::testing;

const std::string kEngineKey = "\\Software\\Borland\\Database Engine";
const std::string kBlw32 = "\\Software\\Borland\\BLW32";
const std::string kDefaultEngineDir = "C:\\Program Files\\Borland\\Common Files\\BDE";
// CONFIGFILE01 as the hive file holds it; "" when it holds none.
std::string RegisteredConfig(const std::filesystem::path& hive) {
    const std::string text = platform::ReadWholeFile(hive).value_or("");
    const std::string name = "\"CONFIGFILE01\"=\"";
    const auto at = text.find(name);
    if (at == std::string::npos) return {};
    std::string value = text.substr(at + name.size(), text.find('"', at + name.size()) - at - name.size());
    for (std::size_t i = value.find("\\\\"); i != std::string::npos; i = value.find("\\\\", i + 1)) value.erase(i, 1);
    return value;
}

const std::string kUninstallBde = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorel\\BDE";

class EngineInstall : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareSources();
        PlaceInstallLibrary();
    }
    static std::unique_ptr<TestSetup> MakeSetup(const std::function<void(TInstallBDE&)>& adjust = {}) {
        auto setup = std::make_unique<TestSetup>(std::vector<std::string>{"-sD:\\SETUP"},
                                                 [](TreeBuilder& b, TestSetup&) { AddEngineInstaller(b); });
        if (adjust) adjust(setup->Get<TInstallBDE>("InstallBDE"));
        setup->Build();
        return setup;
    }
    static TInstallBDE& Bde(TestSetup& setup) { return setup.Get<TInstallBDE>("InstallBDE"); }
    static std::string Reg(const std::string& key, const std::string& name) {
        return RegReadString(4, key, name, "<none>");
    }
    static bool Exists(const std::string& path) { return platform::Files().FileExists(path); }
    // The text of the single message box shown, or "" when none was.
    std::string ShownError() const { return services.Boxes.size() == 1 ? services.Boxes[0].text : std::string(); }

    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
};

TEST_F(EngineInstall, AFreshMachineGetsTheEngineInItsStandardFolderAndAConfigurationFromTheTemplate) {
    auto setup = MakeSetup();
    EXPECT_EQ(setup->Install().Helper(0), &Bde(*setup));
    // What a kill at any registry save would leave as the engine's configuration.
    std::set<std::string> registered;
    platform::RegistryStore::SetBeforeSave([&](const std::filesystem::path& hive) {
        registered.insert(RegisteredConfig(hive));
    });
    setup->Install().OwnerFormActivate();
    platform::RegistryStore::SetBeforeSave(nullptr);
    ASSERT_TRUE(services.Boxes.empty()) << services.Boxes[0].text;
    TInstallBDE& bde = Bde(*setup);

    // Prepared before the wizard: nothing found, the engine's standard folder.
    EXPECT_EQ(bde.ExistingConfigFile(), "***");
    EXPECT_EQ(bde.ConfigFileName(), "idapi32.cfg");
    for (const std::string& name : kEngineFiles)
        EXPECT_EQ(ReadRootFile(kDefaultEngineDir + "\\" + name), EngineFileText(name)) << name;
    const std::string config = kDefaultEngineDir + "\\idapi32.cfg";
    const std::string configText = ReadRootFile(config);
    EXPECT_NE(configText.find("[System\\Init]\r\nVERSION=4.0\r\n"), std::string::npos);
    EXPECT_NE(configText.find("LANGUAGE=0009\r\n"), std::string::npos);
    EXPECT_FALSE(Exists(kDefaultEngineDir + "\\idapi32.cnf"));  // the template is gone

    EXPECT_EQ(Reg(kEngineKey, "DLLPATH"), "C:\\PROGRAM FILES\\BORLAND\\COMMON FILES\\BDE");
    EXPECT_EQ(Reg(kEngineKey, "CONFIGFILE01"), config);
    EXPECT_EQ(registered, (std::set<std::string>{"", config})) << "never the bare template";
    EXPECT_EQ(Reg(kEngineKey, "ConfigStamp"), FileStamp(config));
    EXPECT_EQ(Reg(kEngineKey, "RESOURCE"), "0009");
    EXPECT_EQ(Reg(kEngineKey, "SAVECONFIG"), "WIN32");
    EXPECT_EQ(Reg(kEngineKey, "UseCount"), "1");
    EXPECT_EQ(Reg(kBlw32, "BLAPIPATH"), "C:\\PROGRAM FILES\\BORLAND\\COMMON FILES\\BDE");
    // One locale value per .BLL child, numbered in child order (among files
    // the last added stands first), in the engine folder as DLLPATH now says.
    const std::string engineDir = "C:\\PROGRAM FILES\\BORLAND\\COMMON FILES\\BDE";
    EXPECT_EQ(Reg(kBlw32, "LOCALE_LIB1"), engineDir + "\\OTHER.BLL");
    EXPECT_EQ(Reg(kBlw32, "LOCALE_LIB2"), engineDir + "\\EUROPE.BLL");
    EXPECT_EQ(Reg(kBlw32, "LOCALE_LIB3"), engineDir + "\\USA.BLL");
    EXPECT_EQ(Reg(kBlw32, "LOCALE_LIB4"), "<none>");
    EXPECT_EQ(Reg(kUninstallBde, "Entries"), "1");
    // The program's own files follow the engine.
    EXPECT_TRUE(Exists("C:\\Program Files\\Vorel\\VOREL.EXE"));
}

TEST_F(EngineInstall, AnInstalledEngineIsUpdatedWhereItLivesAndItsAliasesSurviveTwoRuns) {
    InstallExistingEngine();
    // A use count no number holds is another product's use.
    RegWriteString(4, kEngineKey, "UseCount", "99999999999999999999");
    std::string afterFirst;
    for (int run = 1; run <= 2; ++run) {
        auto setup = MakeSetup();
        setup->Install().OwnerFormActivate();
        ASSERT_TRUE(services.Boxes.empty()) << services.Boxes[0].text;
        EXPECT_EQ(Bde(*setup).ExistingConfigFile(), "C:\\BDE\\IDAPI32.CFG");
        EXPECT_EQ(ReadRootFile("C:\\BDE\\IDAPI32.DLL"), EngineFileText("IDAPI32.DLL"));
        EXPECT_FALSE(Exists(kDefaultEngineDir + "\\IDAPI32.DLL"));
        const std::string config = ReadRootFile("C:\\BDE\\IDAPI32.CFG");
        EXPECT_EQ(config.rfind(kUserConfig, 0), 0u) << "the user's settings come first, unchanged";
        EXPECT_NE(config.find("[Drivers\\Paradox\\Init]"), std::string::npos);
        if (run == 1) afterFirst = config;
        else EXPECT_EQ(config, afterFirst);
        EXPECT_EQ(Reg(kEngineKey, "DLLPATH"), "C:\\BDE;D:\\OTHER");
        EXPECT_EQ(Reg(kEngineKey, "CONFIGFILE01"), "C:\\BDE\\IDAPI32.CFG");
        EXPECT_FALSE(Exists("C:\\BDE\\idapi32.cnf"));
        EXPECT_EQ(Reg(kUninstallBde, "Entries"), std::to_string(run));
        EXPECT_EQ(Reg(kEngineKey, "UseCount"), std::to_string(run + 1));
    }
}

TEST_F(EngineInstall, ABlankDllPathNamesNoFolder) {
    RegWriteString(4, kEngineKey, "DLLPATH", "   ");
    auto setup = MakeSetup();
    setup->Install().OwnerFormActivate();
    ASSERT_TRUE(services.Boxes.empty()) << services.Boxes[0].text;
    EXPECT_EQ(ReadRootFile(kDefaultEngineDir + "\\IDAPI32.DLL"), EngineFileText("IDAPI32.DLL"));
    EXPECT_EQ(Reg(kEngineKey, "DLLPATH"), "C:\\PROGRAM FILES\\BORLAND\\COMMON FILES\\BDE");
}

TEST_F(EngineInstall, ALanguageMismatchGoesOnUnlessTheHandlerSaysNo) {
    InstallExistingEngine();
    RegWriteString(4, kEngineKey, "RESOURCE", "0007");
    {
        auto setup = MakeSetup();
        setup->Install().OwnerFormActivate();
        EXPECT_TRUE(services.Boxes.empty());
        EXPECT_EQ(Reg(kEngineKey, "RESOURCE"), "0009");
    }
    RegWriteString(4, kEngineKey, "RESOURCE", "0007");
    WriteRootFile("C:\\BDE\\IDAPI32.DLL", "old engine\n");
    std::vector<std::string> heard;
    auto setup = MakeSetup([&](TInstallBDE& bde) {
        bde.OnLanguageDifferent = [&](TObject&, const std::string& installed, const std::string& installing,
                                      bool& overwrite) {
            heard = {installed, installing};
            overwrite = false;
        };
    });
    setup->Install().OwnerFormActivate();
    EXPECT_EQ(heard, (std::vector<std::string>{"0007", "0009"}));
    EXPECT_EQ(ShownError(),
              "The Borland Database Engine installed on this machine is a different language from the Borland "
              "Database Engine being installed");
    EXPECT_EQ(ReadRootFile("C:\\BDE\\IDAPI32.DLL"), "old engine\n");
    EXPECT_EQ(Reg(kEngineKey, "RESOURCE"), "0007");
}

TEST_F(EngineInstall, WithoutTheInstallLibraryOrWithOneLackingAnEntryPointNothingIsInstalled) {
    platform::Files().DeleteFile("D:\\SETUP\\IDAPINST.DLL");
    {
        auto setup = MakeSetup();
        setup->Install().OwnerFormActivate();
        EXPECT_EQ(ShownError().rfind("Could not load IDAPINST.DLL in cmp_TInstallBDE.", 0), 0u) << ShownError();
    }
    // A module of that name with none of the entry points: refused before any copy.
    services.Boxes.clear();
    PlaceBuilt("FIXTURE.DLL", "D:\\SETUP\\IDAPINST.DLL");
    auto setup = MakeSetup();
    setup->Install().OwnerFormActivate();
    EXPECT_EQ(ShownError(), "The entry point MergeCfg could not be found in D:\\SETUP\\IDAPINST.DLL");
    EXPECT_FALSE(Exists(kDefaultEngineDir + "\\IDAPI32.DLL"));
    EXPECT_EQ(Reg(kEngineKey, "DLLPATH"), "<none>");
}

TEST_F(EngineInstall, AFailedMergeLeavesTheTemplateAsIdapinewCfgReplacingAStaleOne) {
    InstallExistingEngine();
    // A configuration the library cannot read.
    const std::string binary("IDAPI\0\x01 binary", 14);
    WriteRootFile("C:\\BDE\\IDAPI32.CFG", binary);
    WriteRootFile("C:\\BDE\\IDAPINEW.CFG", "left over from an earlier run\n");
    int failures = 0;
    auto setup = MakeSetup([&](TInstallBDE& bde) { bde.OnMergeFailed = [&](TInstallBDE&) { ++failures; }; });
    setup->Install().OwnerFormActivate();
    ASSERT_TRUE(services.Boxes.empty()) << services.Boxes[0].text;
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(ReadRootFile("C:\\BDE\\IDAPI32.CFG"), binary);
    const std::string renamed = ReadRootFile("C:\\BDE\\IDAPINEW.CFG");
    EXPECT_NE(renamed.find("VERSION=4.0"), std::string::npos);
    EXPECT_FALSE(Exists("C:\\BDE\\idapi32.cnf"));
    EXPECT_EQ(Reg(kEngineKey, "CONFIGFILE01"), "C:\\BDE\\IDAPINEW.CFG");
    EXPECT_EQ(Bde(*setup).TargetConfigFile(), "C:\\BDE\\IDAPINEW.CFG");
}

TEST_F(EngineInstall, ARenameThatFailsEndsTheInstallWithTheReason) {
    InstallExistingEngine();
    WriteRootFile("C:\\BDE\\IDAPI32.CFG", std::string("IDAPI\0 binary", 13));
    WriteRootFile("C:\\BDE\\IDAPINEW.CFG", "held by another program\n");
    platform::Files().Facts().SetInUse("C:\\BDE\\IDAPINEW.CFG", true);
    auto setup = MakeSetup();
    setup->Install().OwnerFormActivate();
    EXPECT_EQ(ShownError(), "Could not rename the file C:\\BDE\\idapi32.cnf to C:\\BDE\\IDAPINEW.CFG");
    EXPECT_EQ(ReadRootFile("C:\\BDE\\IDAPINEW.CFG"), "held by another program\n");
    EXPECT_NE(Reg(kEngineKey, "CONFIGFILE01"), "C:\\BDE\\IDAPINEW.CFG");
}

TEST_F(EngineInstall, SavingFor16BitProgramsFixesTheMergedFile) {
    InstallExistingEngine();
    RegWriteString(4, "\\Software\\Borland\\Database Engine\\Settings\\System\\Init", "NET DIR", "N:\\NET");
    RegWriteString(4, "\\Software\\Borland\\Database Engine\\Settings\\Drivers\\Paradox\\Init", "NET DIR", "C:\\");
    auto setup = MakeSetup([](TInstallBDE& bde) { bde.SaveFor16Bit = true; });
    setup->Install().OwnerFormActivate();
    ASSERT_TRUE(services.Boxes.empty()) << services.Boxes[0].text;
    EXPECT_NE(ReadRootFile("C:\\BDE\\IDAPI32.CFG").find("SAVE16=TRUE"), std::string::npos);
    EXPECT_EQ(Reg(kEngineKey, "SAVECONFIG"), "WIN31");
    EXPECT_EQ(Reg(kEngineKey, "CONFIGFILE01"), "C:\\BDE\\IDAPI32.CFG");
    EXPECT_EQ(Reg("\\Software\\Borland\\Database Engine\\Settings\\Drivers\\Paradox\\Init", "NET DIR"), "N:\\NET");
    EXPECT_FALSE(Exists("C:\\BDE\\idapi32.cnf"));
}

TEST_F(EngineInstall, AConfigurationNamedOnlyByItsOldNameInTheWindowsFolderIsMergedIntoANewFile) {
    RegWriteString(4, kEngineKey, "DLLPATH", "C:\\BDE");
    WriteRootFile("C:\\BDE\\IDAPI32.DLL", "old engine\n");
    WriteRootFile("C:\\WINDOWS\\idapi.cfg", kUserConfig);
    auto setup = MakeSetup();
    setup->Install().OwnerFormActivate();
    ASSERT_TRUE(services.Boxes.empty()) << services.Boxes[0].text;
    EXPECT_EQ(Bde(*setup).ExistingConfigFile(), "C:\\WINDOWS\\idapi.cfg");
    EXPECT_EQ(ReadRootFile("C:\\BDE\\idapi32.cfg").rfind(kUserConfig, 0), 0u);
    EXPECT_EQ(Reg(kEngineKey, "CONFIGFILE01"), "C:\\BDE\\idapi32.cfg");
    EXPECT_EQ(ReadRootFile("C:\\WINDOWS\\idapi.cfg"), kUserConfig);
}

// The template goes beside a configuration of its name, never over it: the
// user's aliases are merged, not replaced. An engine registered without a
// count it can read stays in use by another product.
TEST_F(EngineInstall, AConfigurationNamedLikeTheTemplateIsTheMergedFileAndStays) {
    InstallExistingEngine();
    RegWriteString(4, kEngineKey, "CONFIGFILE01", "C:\\BDE\\IDAPI32.CNF");
    RegWriteString(4, kEngineKey, "UseCount", "two");
    WriteRootFile("C:\\BDE\\IDAPI32.CNF", kUserConfig);
    WriteRootFile("C:\\BDE\\IDAPINEW.CNF", "a file of the user's");
    auto setup = MakeSetup();
    setup->Install().OwnerFormActivate();
    ASSERT_TRUE(services.Boxes.empty()) << services.Boxes[0].text;
    EXPECT_EQ(Reg(kEngineKey, "CONFIGFILE01"), "C:\\BDE\\IDAPI32.CNF");
    const std::string config = ReadRootFile("C:\\BDE\\IDAPI32.CNF");
    EXPECT_EQ(config.rfind(kUserConfig, 0), 0u) << config;
    EXPECT_NE(config.find("[Drivers\\Paradox\\Init]"), std::string::npos);
    EXPECT_EQ(ReadRootFile("C:\\BDE\\IDAPINEW.CNF"), "a file of the user's");
    EXPECT_FALSE(Exists("C:\\BDE\\IDAPINEW1.CNF"));  // the template, gone after the merge
    EXPECT_EQ(Bde(*setup).ConfigFileComponent().DestName(), "idapi32.cnf");
    EXPECT_EQ(Reg(kEngineKey, "UseCount"), "2");
}

TEST_F(EngineInstall, TheRelayIsAttachedWhenTheInstallIsMadeAfterTheEngineInstaller) {
    TComponentOwner form;
    {
        TreeBuilder b(form);
        b.add<TInstallBDE>("InstallBDE");
        b.add<TInstall>("Install1");
        b.Finish();
    }
    auto& bde = dynamic_cast<TInstallBDE&>(*form.FindComponent("InstallBDE"));
    ASSERT_NE(bde.GrabCall(), nullptr);
    EXPECT_EQ(bde.GrabCall()->Container(), form.FindComponent("Install1"));
    EXPECT_EQ(bde.GrabCall()->RegisteredType(), 9000);
    EXPECT_FALSE(bde.GrabCall()->ProcessWithContainer);
    form.DestroyComponents();
}

TEST_F(EngineInstall, SqlLinkEntriesAreWrittenUnderTheirDriverAndSection) {
    TComponentOwner form;
    auto& bde = form.Create<TInstallBDE>();
    bde.SetSQLLinkEntries({"SERVER NAME=ignored before any header", "  [DB OPEN-ORACLE]  ", "SERVER NAME=ORA1",
                           "NET PROTOCOL=TNS=extra", "  ",
                           "[INIT-ORACLE]", "VERSION=8.0", "no equals sign", "[INIT-]", "LOST=1"});
    bde.WriteSQLLinkEntries();
    const std::string drivers = "\\Software\\Borland\\Database Engine\\Settings\\Drivers\\ORACLE";
    EXPECT_EQ(Reg(drivers + "\\DB OPEN", "SERVER NAME"), "ORA1");
    EXPECT_EQ(Reg(drivers + "\\DB OPEN", "NET PROTOCOL"), "TNS");
    EXPECT_EQ(Reg(drivers + "\\INIT", "VERSION"), "8.0");
    EXPECT_EQ(platform::Registry().ValueNames(platform::RegRoot::LocalMachine, drivers + "\\DB OPEN").size(), 2u);
    EXPECT_FALSE(platform::Registry().KeyExists(platform::RegRoot::LocalMachine,
                                                "Software\\Borland\\Database Engine\\Settings\\Drivers\\\\DB OPEN"));
    form.DestroyComponents();
}

TEST_F(EngineInstall, TheConfigurationFileMustBeOneChild) {
    TComponentOwner form;
    TreeBuilder b(form);
    b.add<TInstall>("Install1");
    b.add<TInstallBDE>("InstallBDE").ref("Container", "Install1");
    b.Finish();
    auto& bde = dynamic_cast<TInstallBDE&>(*form.FindComponent("InstallBDE"));
    try {
        bde.ConfigFileComponent();
        ADD_FAILURE();
    } catch (const IEInstallBDE& e) {
        EXPECT_STREQ(e.what(), "Could not find a IDAPI.CNF file in the TInstallBDE");
    }
    for (const char* name : {"a.cnf", "b.cnf"}) {
        auto& file = form.Create<TInstallFile>();
        file.SetFileName(name);
        file.SetDestName(" idapi32.CNF ");
        file.SetContainer(&bde);
    }
    EXPECT_THROW(bde.ConfigFileComponent(), IEInstallBDE);
    EXPECT_TRUE(bde.HasFileNamed("C:\\Anywhere\\A.CNF "));
    EXPECT_FALSE(bde.HasFileNamed("idapi32.cnf"));
    form.DestroyComponents();
}

}  // namespace
}  // namespace installer
