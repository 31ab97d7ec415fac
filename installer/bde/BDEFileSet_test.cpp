// The file sets, as the setup's configuration switches options on and off
// over an engine installed on the configuring machine.
#include "installer/bde/BDEFileSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "installer/translator/IException.h"
#include "testkit/files/TempDir.h"
#include "testkit/generators/pe/PeFixture.h"
#include "testkit/installer/BdeTestSetup.h"
#include "testkit/support/ErrorOf.h"

namespace installer {
namespace {

using namespace installer::testing;
using Names = std::set<std::string>;

const std::vector<std::string> kEngineDirFiles = {
    "IDAPI32.DLL", "BLW32.DLL",    "IDDR32.DLL",   "IDBAT32.DLL",  "IDR20009.DLL", "USA.BLL",      "EUROPE.BLL",
    "OTHER.BLL",   "BDEADMIN.EXE", "BDEADMIN.HLP", "BDEADMIN.CNT", "BDEADMIN.CPL", "BDECFG32.EXE", "BDECFG32.HLP",
    "BDECFG32.CNT", "IDDA3532.DLL", "IDDAO32.DLL", "IDASCI32.DLL", "IDDBAS32.DLL", "IDODBC32.DLL", "IDPDX32.DLL",
    "IDSQL32.DLL", "IDQBE32.DLL",  "SQLLNK32.HLP", "SQLLNK32.CNT", "SQLDB232.DLL", "SQLINF32.DLL", "SQLINT32.DLL",
    "SQLMSS32.DLL", "SQLORA32.DLL", "SQLSSC32.DLL", "SQLSYB32.DLL", "usa.btl",     "europe.btl",   "charset.cvb",
    "bantam.dll"};
const Names kCore40 = {"IDAPI32.DLL", "BLW32.DLL",    "IDDR32.DLL",   "IDBAT32.DLL",  "idapi32_40.cnf",
                       "USA.BLL",     "EUROPE.BLL",   "OTHER.BLL",    "IDR20009.DLL", "BDEADMIN.EXE",
                       "BDEADMIN.HLP", "BDEADMIN.CNT", "BDEADMIN.CPL"};

Names With(Names names, std::initializer_list<const char*> more) {
    names.insert(more.begin(), more.end());
    return names;
}

class FileSets : public ::testing::Test {
protected:
    // An engine of the given version installed at C:\BDE, the installer library at C:\Tamsel.
    void InstallEngine(const std::string& version) {
        for (const std::string& name : kEngineDirFiles) WriteRootFile("C:\\BDE\\" + name, name);
        pefixture::VersionOptions options;
        options.fileVersion = pefixture::ParseVersion(version);
        pefixture::WritePe(platform::Files().HostPath("C:\\BDE\\IDAPI32.DLL"), options, true);
        RegWriteString(4, "\\Software\\Borland\\Database Engine", "DLLPATH", "C:\\BDE");
        RegWriteString(4, "\\Software\\Borland\\Database Engine", "RESOURCE", "0009");
        const std::string blw = "\\Software\\Borland\\BLW32";
        RegWriteString(4, blw, "BLAPIPATH", "C:\\BDE");
        RegWriteString(4, blw, "LOCALE_LIB1", "C:\\BDE\\USA.BLL");
        RegWriteString(4, blw, "LOCALE_LIB2", "C:\\BDE\\EUROPE.BLL");
        RegWriteString(4, blw, "LOCALE_LIB3", "C:\\BDE\\OTHER.BLL");
        RegWriteString(4, blw, "LOCALE_LIB4", "C:\\BDE\\GONE.BLL");  // a missing one is skipped
        PlaceInstallLibrary();
        SetLibraryDir(kLibraryDir);
        WriteRootFile(std::string(kLibraryDir) + "\\SQL_LIC.DAT", "licence");
    }
    TInstallBDE& MakeBde() {
        TreeBuilder b(form);
        b.add<TInstall>("Install1");
        b.add<TInstallBDE>("InstallBDE").ref("Container", "Install1");
        b.Finish();
        return dynamic_cast<TInstallBDE&>(*form.FindComponent("InstallBDE"));
    }
    static Names Children(const TInstallBDE& bde) {
        Names names;
        for (TInstallContainer* child : bde.Helpers())
            if (auto* file = dynamic_cast<TCustomInstallFile*>(child)) names.insert(file->FileName());
        return names;
    }
    static std::vector<TBDEOption> On(const TInstallBDE& bde) {
        std::vector<TBDEOption> on;
        for (int i = 0; i < kBDEOptionCount; ++i)
            if (bde.Option(static_cast<TBDEOption>(i))) on.push_back(static_cast<TBDEOption>(i));
        return on;
    }
    void TearDown() override { form.DestroyComponents(); }

    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    TComponentOwner form;
};

TEST_F(FileSets, ParadoxInAnEmpty40SetAddsTheCoreTheAdminToolAndItsDriverOnce) {
    InstallEngine("4.0.0.1");
    TInstallBDE& bde = MakeBde();
    EXPECT_NE(dynamic_cast<TBDE40FileSet*>(&bde.FileSet()), nullptr);
    EXPECT_TRUE(Children(bde).empty());
    bde.SetOption(bdParadox, true);
    EXPECT_EQ(Children(bde), With(kCore40, {"IDPDX32.DLL"}));
    EXPECT_EQ(On(bde), (std::vector<TBDEOption>{bdParadox}));
    const int count = bde.HelperCount();
    bde.SetOption(bdParadox, true);
    EXPECT_EQ(bde.HelperCount(), count);

    // What each new file is.
    TCustomInstallFile& config = bde.ConfigFileComponent();
    EXPECT_EQ(config.FileName(), "idapi32_40.cnf");
    EXPECT_EQ(config.IncludeFromDir(), kLibraryDir);
    EXPECT_EQ(config.OverwriteMode, TOverwriteType::owAlways);
    EXPECT_EQ(config.Name(), "BDEConfigFile");
    auto* cpl = dynamic_cast<TCustomInstallFile*>(form.FindComponent("BDEFile11"));
    ASSERT_NE(cpl, nullptr);
    EXPECT_EQ(cpl->FileName(), "BDEADMIN.CPL");
    EXPECT_EQ(cpl->DestDirType()->Name(), "psSystem");
    EXPECT_EQ(cpl->FileType(), iftJustADLL);
    auto* engine = dynamic_cast<TCustomInstallFile*>(form.FindComponent("BDEFile"));
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(engine->FileName(), "IDAPI32.DLL");
    EXPECT_EQ(engine->IncludeFromDir(), "C:\\BDE");
    EXPECT_EQ(engine->DestDirType()->Name(), "psContainerDestDir");
    EXPECT_TRUE(engine->Net());
    EXPECT_TRUE(engine->UpdateDLLCounter);
    EXPECT_EQ(engine->OverwriteMode, TOverwriteType::owVersionDate);

    // Switching the last driver off takes everything away.
    bde.SetOption(bdParadox, false);
    EXPECT_TRUE(Children(bde).empty());
}

TEST_F(FileSets, TheParadoxDriverStaysWhileAnotherEngineNeedsIt) {
    InstallEngine("4.0.0.1");
    TInstallBDE& bde = MakeBde();
    bde.SetOption(bdParadox, true);
    bde.SetOption(bdQBEEngine, true);
    bde.SetOption(bdQBEEngine, false);
    EXPECT_TRUE(Children(bde).count("IDPDX32.DLL"));
    EXPECT_FALSE(Children(bde).count("IDQBE32.DLL"));

    bde.SetOption(bdSQLEngine, true);
    bde.SetOption(bdQBEEngine, true);
    bde.SetOption(bdParadox, false);  // kept: SQL engine and QBE use it
    EXPECT_TRUE(Children(bde).count("IDPDX32.DLL"));
    bde.SetOption(bdSQLEngine, false);
    EXPECT_TRUE(bde.Option(bdQBEEngine));
    bde.SetOption(bdQBEEngine, false);
    bde.SetOption(bdParadox, false);
    EXPECT_TRUE(Children(bde).empty());
}

TEST_F(FileSets, AnotherDriverKeepsTheCoreButTheAdminToolAlwaysGoes) {
    InstallEngine("4.0.0.1");
    TInstallBDE& bde = MakeBde();
    bde.SetOption(bdParadox, true);
    bde.SetOption(bdAscii, true);
    bde.SetOption(bdAscii, false);
    Names expected = With(kCore40, {"IDPDX32.DLL"});
    for (const char* admin : {"BDEADMIN.EXE", "BDEADMIN.HLP", "BDEADMIN.CNT", "BDEADMIN.CPL"}) expected.erase(admin);
    EXPECT_EQ(Children(bde), expected);
    EXPECT_TRUE(bde.Option(bdParadox));
}

TEST_F(FileSets, FullMeansTheSixDriversBefore45AndAccessToo45On) {
    InstallEngine("3.0.0.1");
    {
        TInstallBDE& bde = MakeBde();
        EXPECT_NE(dynamic_cast<TBDE30FileSet*>(&bde.FileSet()), nullptr);
        bde.SetOption(bdFull, true);
        EXPECT_TRUE(bde.Option(bdFull));
        EXPECT_FALSE(bde.Option(bdAccess));
        EXPECT_TRUE(Children(bde).count("BDECFG32.EXE"));
        EXPECT_TRUE(Children(bde).count("idapi32_30.cnf"));
        EXPECT_FALSE(Children(bde).count("IDDAO32.DLL"));  // ODBC needs no DAO before 4.0
        form.DestroyComponents();
    }
    InstallEngine("4.5.0.1");
    TInstallBDE& bde = MakeBde();
    EXPECT_NE(dynamic_cast<TBDE45FileSet*>(&bde.FileSet()), nullptr);
    for (TBDEOption option : {bdAscii, bdDBase, bdODBC, bdParadox, bdSQLEngine, bdQBEEngine}) bde.SetOption(option, true);
    EXPECT_FALSE(bde.Option(bdFull));
    bde.SetOption(bdAccess, true);
    EXPECT_TRUE(bde.Option(bdFull));
}

TEST_F(FileSets, In45AccessAloneKeepsTheCoreAndOdbcOffKeepsWhatAccessNeeds) {
    InstallEngine("4.5.0.1");
    TInstallBDE& bde = MakeBde();
    bde.SetOption(bdAccess, true);
    bde.SetOption(bdParadox, true);
    bde.SetOption(bdParadox, false);
    EXPECT_TRUE(bde.FileSet().HasCore());
    EXPECT_TRUE(bde.Option(bdAccess));

    bde.SetOption(bdODBC, true);
    bde.SetOption(bdODBC, false);
    EXPECT_FALSE(bde.Option(bdODBC));
    EXPECT_TRUE(bde.Option(bdAccess));
    EXPECT_TRUE(Children(bde).count("IDDAO32.DLL"));
    // And the other way round: Access off keeps the DAO layer ODBC needs.
    bde.SetOption(bdODBC, true);
    bde.SetOption(bdAccess, false);
    EXPECT_TRUE(bde.Option(bdODBC));
}

TEST_F(FileSets, SwitchingOneSqlLinkOffKeepsTheSharedHelpForTheOther) {
    InstallEngine("4.0.0.1");
    // The driver settings the links capture.
    const std::string oracle = "\\Software\\Borland\\Database Engine\\Settings\\Drivers\\ORACLE";
    RegWriteString(4, oracle + "\\DB OPEN", "SERVER NAME", "ORA1");
    RegWriteString(4, oracle + "\\INIT", "VERSION", "8.0");
    RegWriteString(4, "\\Software\\Borland\\Database Engine\\Settings\\Drivers\\PARADOX\\INIT", "TYPE", "FILE");
    TInstallBDE& bde = MakeBde();
    bde.SetOption(slOracle, true);
    EXPECT_EQ(bde.SQLLinkEntries(), (std::vector<std::string>{"[DB OPEN-ORACLE]", "SERVER NAME=ORA1", "  ",
                                                                "[INIT-ORACLE]", "VERSION=8.0", "  "}));
    bde.SetOption(slDB2, true);
    EXPECT_EQ(Children(bde), (Names{"SQLLNK32.HLP", "SQLLNK32.CNT", "SQLORA32.DLL", "SQLDB232.DLL"}));
    bde.SetOption(slDB2, false);
    EXPECT_TRUE(bde.Option(slOracle));
    EXPECT_FALSE(bde.Option(slDB2));
    bde.SetOption(slOracle, false);
    EXPECT_TRUE(Children(bde).empty());
    EXPECT_TRUE(bde.SQLLinkEntries().empty());
}

TEST_F(FileSets, ASqlLinkNeedsTheDriversKeyOfTheConfiguringMachine) {
    InstallEngine("4.0.0.1");
    TInstallBDE& bde = MakeBde();
    EXPECT_EQ(platform::testing::ErrorOf([&] { bde.SetOption(slOracle, true); }),
              "There is no \\Software\\Borland\\Database Engine\\Settings\\Drivers key in your registry. Cannot read "
              "the information for SQL Link");
    RegWriteString(4, "\\Software\\Borland\\Database Engine\\Settings\\Drivers\\ORACLE\\DB OPEN", "X", "1");
    EXPECT_EQ(platform::testing::ErrorOf([&] { bde.SetOption(slOracle, true); }),
              "Cannot open the \\Software\\Borland\\Database Engine\\Settings\\Drivers\\ORACLE\\INIT key in your "
              "registry. Cannot read the information for ORACLE SQL Link");
    EXPECT_TRUE(bde.Option(slOracle));  // the files were added before
}

TEST_F(FileSets, InterBaseTakesFilesFromFourPlacesAndNeedsItsMessageFile) {
    InstallEngine("4.0.0.1");
    WriteRootFile("C:\\WINDOWS\\SYSTEM32\\GDS32.DLL", "gds");
    RegWriteString(4, "\\SOFTWARE\\BORLAND\\INTERBASE\\CURRENTVERSION", "RootDirectory", "C:\\IB\\");
    RegWriteString(4, "\\Software\\Borland\\Database Engine\\Settings\\Drivers\\INTRBASE\\DB OPEN", "X", "1");
    RegWriteString(4, "\\Software\\Borland\\Database Engine\\Settings\\Drivers\\INTRBASE\\INIT", "Y", "2");
    TInstallBDE& bde = MakeBde();
    EXPECT_EQ(platform::testing::ErrorOf([&] { bde.SetOption(slIntrBase, true); }),
              "The Interbase MSG file could not be found");
    WriteRootFile("C:\\IB\\INTERBAS.MSG", "messages");
    bde.SetOption(slIntrBase, true);
    EXPECT_TRUE(bde.Option(slIntrBase));
    EXPECT_EQ(Children(bde), (Names{"SQLLNK32.HLP", "SQLLNK32.CNT", "SQLINT32.DLL", "GDS32.DLL", "SQL_LIC.DAT",
                                    "INTERBAS.MSG"}));
    bde.SetOption(slIntrBase, false);
    EXPECT_TRUE(Children(bde).empty());
}

TEST_F(FileSets, Version50TakesItsLocaleFilesFromTheLocalePath) {
    InstallEngine("5.0.1.0");
    TInstallBDE& bde = MakeBde();
    EXPECT_NE(dynamic_cast<TBDE50FileSet*>(&bde.FileSet()), nullptr);
    bde.SetOption(bdDBase, true);
    const Names children = Children(bde);
    for (const char* name : {"usa.btl", "europe.btl", "charset.cvb", "bantam.dll", "idapi32_50.cnf"})
        EXPECT_TRUE(children.count(name)) << name;
    EXPECT_FALSE(children.count("USA.BLL"));
    RegWriteString(4, "\\Software\\Borland\\BLW32", "BLAPIPATH", "C:\\Nowhere");
    bde.FileSet().RemoveLocaleFiles();
    EXPECT_FALSE(Children(bde).count("usa.btl"));
    EXPECT_EQ(platform::testing::ErrorOf([&] { bde.FileSet().AddLocaleFiles(); }).rfind("There is no \\Software", 0),
              0u);
}

TEST_F(FileSets, MissingSourcesAreNamed) {
    InstallEngine("4.0.0.1");
    TInstallBDE& bde = MakeBde();
    platform::Files().DeleteFile("C:\\BDE\\IDPDX32.DLL");
    EXPECT_EQ(platform::testing::ErrorOf([&] { bde.SetOption(bdParadox, true); }),
              "Cannot find the file C:\\BDE\\IDPDX32.DLL to add to the TInstallBDE component.");
    EXPECT_TRUE(bde.FileSet().HasCore());  // what was added stays
    bde.FileSet().RemoveFile("idapi32_40.cnf");
    platform::Files().DeleteFile(std::string(kLibraryDir) + "\\idapi32_40.cnf");
    EXPECT_EQ(platform::testing::ErrorOf([&] { bde.FileSet().AddConfigTemplate(); }),
              "Cannot find the idapi32_40.cnf file in the Tamsel directory");
    EXPECT_EQ(platform::testing::ErrorOf([] { TBDE40FileSet set(nullptr); }),
              "Cannot create BDE file set without passing valid InstallBDE");
}

TEST_F(FileSets, WhileConfiguredTheInstallLibraryTravelsWithTheSetup) {
    InstallEngine("4.0.0.1");
    form.Designing = true;
    TInstallBDE& bde = MakeBde();
    auto& install = dynamic_cast<TInstall&>(*form.FindComponent("Install1"));
    EXPECT_EQ(install.PresetupFiles(), (std::vector<std::string>{"C:\\Tamsel\\IDAPINST.DLL"}));
    bde.Free();
    EXPECT_TRUE(install.PresetupFiles().empty());
}

TEST_F(FileSets, TheShippedConfigurationReadsParadoxSqlAndQbe) {
    // The stored children of this product's setup, loaded without an engine on the machine.
    TreeBuilder b(form);
    b.add<TInstall>("Install1");
    b.add<TInstallBDE>("InstallBDE")
        .set([](TInstallBDE& bde) {
            bde.LanguageDLL = "0009";
            bde.SetOption(bdParadox, true);  // stored options are ignored while loading
            bde.SetOption(bdAscii, true);
        })
        .ref("Container", "Install1")
        .ref("DestDirType", "psBDEDLL");
    int n = 0;
    for (const char* name : {"IDAPI32.DLL", "BLW32.DLL", "IDDR32.DLL", "IDBAT32.DLL", "idapi32_40.cnf", "USA.BLL",
                             "EUROPE.BLL", "OTHER.BLL", "CHARSET.BLL", "CEEUROPE.BLL", "FAREAST.BLL", "JAPAN.BLL",
                             "IDR20009.DLL", "IDPDX32.DLL", "IDSQL32.DLL", "IDQBE32.DLL"}) {
        b.add<TInstallFile>("File" + std::to_string(++n))
            .set([&](TInstallFile& f) {
                f.SetIncludeFromDir("C:\\Build");
                f.SetFileName(name);
                f.SetDestName(std::string(name) == "idapi32_40.cnf" ? "idapi32.cnf" : name);
            })
            .ref("Container", "InstallBDE")
            .ref("DestDirType", "psContainerDestDir");
    }
    b.Finish();
    auto& bde = dynamic_cast<TInstallBDE&>(*form.FindComponent("InstallBDE"));
    EXPECT_EQ(bde.HelperCount(), 16);
    EXPECT_EQ(On(bde), (std::vector<TBDEOption>{bdParadox, bdSQLEngine, bdQBEEngine}));
    EXPECT_EQ(bde.ConfigFileComponent().FileName(), "idapi32_40.cnf");
    EXPECT_EQ(BDEOptionByName("BDPARADOX"), bdParadox);
    EXPECT_EQ(BDEOptionByName("slSybaseDB"), slSybaseDB);
    EXPECT_EQ(BDEOptionByName("bdNothing"), std::nullopt);
}

}  // namespace
}  // namespace installer
