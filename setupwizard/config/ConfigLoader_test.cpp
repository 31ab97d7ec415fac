// The stored configuration: its text form, the loaded tree of the shipped
// setup (child order, destinations, texts), and what the loader refuses.
#include <gtest/gtest.h>

#include <fstream>

#include "installer/base/services/AppServices.h"
#include "installer/bde/InstallBDE.h"
#include "installer/files/InstallFile.h"
#include "installer/files/InstallGroup.h"
#include "installer/files/PsFileContainer.h"
#include "installer/links/InstallShellLink.h"
#include "installer/links/ShellLinkGroup.h"
#include "installer/translator/EnglishStrings.h"
#include "installer/translator/Translator.h"
#include "installer/uninstallentry/UninstallExe.h"
#include "platform/core/runtime/Exception.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "setupwizard/backdrop/Backdrop.h"
#include "setupwizard/backdrop/Rotate3DLabel.h"
#include "setupwizard/config/ConfigLoader.h"
#include "setupwizard/config/SetupForm.h"
#include "setupwizard/framework/DialogManager.h"
#include "setupwizard/pages/CopyPages.h"
#include "setupwizard/pages/EndPages.h"
#include "setupwizard/pages/TextPages.h"
#include "testkit/files/TempDir.h"
#include "testkit/servers/LocalServers.h"

using namespace setupwizard;

namespace {

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const platform::Exception& e) {
        return e.what();
    }
    return "";
}

class ShippedSetup : public ::testing::Test {
protected:
    ShippedSetup() { LoadSetupForm(form, ShippedConfiguration(), CompiledResources()); }

    template <typename T>
    T& Get(const std::string& name) {
        auto* c = form.Components().FindComponent(name);
        EXPECT_NE(c, nullptr) << name;
        return dynamic_cast<T&>(*c);
    }
    static std::vector<std::string> ChildNames(const installer::TInstallContainer& c) {
        std::vector<std::string> names;
        for (const installer::TInstallContainer* child : c.Helpers()) names.push_back(child->Name());
        return names;
    }

    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    TSetupForm form{"D:\\SETUP\\SETUP.EXE", {"-sD:\\SETUP"}};
};

}  // namespace

TEST(ConfigText, ReadsEveryKindOfValue) {
    const ConfigObject o = ParseConfig(
        "object Form1: TForm1 // the form\n"
        "  Caption = 'It''s ' + 'joined'\n"
        "  Tag = -12\n"
        "  Information.ProductName = 'x'\n"
        "  Kind = dmReboot\n"
        "  Types = [itFull, itCompact]\n"
        "  Empty = []\n"
        "  Lines = ('one' 'it''s two'\n    '')\n"
        "  Picture = @wizard.png\n"
        "  object Child: TThing\n  end\n"
        "end\n");
    EXPECT_EQ(o.name, "Form1");
    EXPECT_EQ(o.className, "TForm1");
    ASSERT_EQ(o.properties.size(), 8u);
    EXPECT_EQ(o.properties[0].value.text, "It's joined");
    EXPECT_EQ(o.properties[1].value.number, -12);
    EXPECT_EQ(o.properties[2].name, "Information.ProductName");
    EXPECT_EQ(o.properties[3].value.kind, ConfigValue::Identifier);
    EXPECT_EQ(o.properties[4].value.items, (std::vector<std::string>{"itFull", "itCompact"}));
    EXPECT_TRUE(o.properties[5].value.items.empty());
    EXPECT_EQ(o.properties[6].value.items, (std::vector<std::string>{"one", "it's two", ""}));
    EXPECT_EQ(o.properties[7].value.kind, ConfigValue::Resource);
    EXPECT_EQ(o.properties[7].value.text, "wizard.png");
    EXPECT_EQ(o.properties[7].line, 10);
    ASSERT_EQ(o.children.size(), 1u);
    EXPECT_EQ(o.children[0].line, 11);

    EXPECT_EQ(ErrorOf([] { ParseConfig("object A: TA\n  X = 'open\nend\n"); }),
              "Setup configuration, line 2: unterminated string");
    EXPECT_EQ(ErrorOf([] { ParseConfig("object A: TA\n  X = 1\n"); }), "Setup configuration, line 3: 'end' expected for A");
    EXPECT_EQ(ErrorOf([] { ParseConfig("object A: TA\nX 1\nend\n"); }), "Setup configuration, line 2: '=' expected");
    EXPECT_EQ(ErrorOf([] { ParseConfig("object A: TA\nend\nend\n"); }),
              "Setup configuration, line 3: text after the last end");
    // A string ends on its own line, even when a later line closes a quote.
    EXPECT_EQ(ErrorOf([] { ParseConfig("object A: TA\n  X = 'open\nclose'\nend\n"); }),
              "Setup configuration, line 2: unterminated string");
    // The words object and end only count whole: names may begin with them.
    const ConfigObject prefixed = ParseConfig("object A: TA\n  ending = 1\n  objects = 2\nend\n");
    ASSERT_EQ(prefixed.properties.size(), 2u);
    EXPECT_EQ(prefixed.properties[0].name, "ending");
    EXPECT_EQ(prefixed.properties[1].name, "objects");
    // Nesting far past any form is refused where it passes the bound, not by the stack.
    std::string deep;
    for (int i = 0; i < 5000; ++i) deep += "object A: TA\n";
    for (int i = 0; i < 5000; ++i) deep += "end\n";
    EXPECT_EQ(ErrorOf([&] { ParseConfig(deep); }), "Setup configuration, line 257: objects nested deeper than 256");
}

TEST(ConfigText, AnyCutOrDamagedTextIsASyntaxErrorNeverACrash) {
    const QByteArray shipped = *CompiledResources()("setup.cfg");
    const std::string text = shipped.left(6000).toStdString();
    int refused = 0;
    for (std::size_t cut = 0; cut < text.size(); cut += 7) {
        for (const std::string& damaged :
             {text.substr(0, cut), text.substr(0, cut) + "'", text.substr(0, cut) + "= 99999999999999999999\nend"}) {
            try {
                ParseConfig(damaged);
            } catch (const platform::Exception& e) {
                ++refused;
                ASSERT_EQ(std::string(e.what()).rfind("Setup configuration, line ", 0), 0u) << e.what();
            }
        }
    }
    EXPECT_GT(refused, 100);
}

TEST_F(ShippedSetup, TheInstallTreeComesOutInTheEngineOrder) {
    auto& install = Get<installer::TInstall>("Install1");
    EXPECT_EQ(form.Install(), &install);
    const auto top = ChildNames(install);
    // The engine installer first whatever the form order, then the product
    // group, the link group, and the managers and dialogs.
    ASSERT_GE(top.size(), 3u);
    EXPECT_EQ(top[0], "InstallBDE");
    EXPECT_EQ(top[1], "Group");
    EXPECT_EQ(top[2], "MainFolder");
    for (const char* name : {"DialogManager", "DialogManager5", "WelcomeDlg", "CopyFileDlg", "InstallStatusDlg"})
        EXPECT_NE(std::find(top.begin(), top.end(), name), top.end()) << name;
    // Three groups and links, six managers, eight dialogs, and the engine installer's call helper.
    ASSERT_EQ(top.size(), 3u + 6u + 8u + 1u) << ::testing::PrintToString(top);
    EXPECT_EQ(install.Helpers().back()->ClassName(), "TGrabCall");

    // Files stand in reverse form order: equal types insert before each other.
    EXPECT_EQ(ChildNames(Get<installer::TInstallDirectory>("Directory")),
              (std::vector<std::string>{"ReadmeText", "LicenseText", "Legend", "VorelIni", "voreled"}));
    EXPECT_EQ(ChildNames(Get<installer::TInstallGroup>("Group")),
              (std::vector<std::string>{"Group3", "Group2", "Group1", "idMiscellaneous", "Directory"}));
    EXPECT_EQ(ChildNames(Get<installer::TInstallDirectory>("Directory1")).size(), 8u);  // seven tables, their version
    EXPECT_EQ(ChildNames(Get<installer::TInstallDirectory>("Directory1")).front(), "TableReparos");
    const auto engine = ChildNames(Get<installer::TInstallBDE>("InstallBDE"));
    EXPECT_EQ(engine.size(), 16u);
    // The stored container specifiers replace the ones the containers made.
    EXPECT_EQ(Get<installer::TInstallGroup>("Group").PathSpecifier, &Get<installer::TpsFileContainer>("psFileContainer"));
    EXPECT_EQ(Get<installer::TInstallBDE>("InstallBDE").PathSpecifier,
              &Get<installer::TpsFileContainer>("psFileContainer9"));
}

TEST_F(ShippedSetup, EveryFileGoesWhereTheProgramExpectsIt) {
    const std::string product = "C:\\Program Files\\VorelSoft\\VorelE 300";
    EXPECT_EQ(Get<installer::TInstallFile>("voreled").GetDestPath(), product + "\\voreled.exe");
    EXPECT_EQ(Get<installer::TInstallFile>("VorelIni").GetDestPath(), product + "\\vorel.ini");
    EXPECT_EQ(Get<installer::TInstallFile>("TableTransistores").GetDestPath(), product + "\\Data\\Transistores.db");
    EXPECT_EQ(Get<installer::TInstallFile>("TableVersao").GetDestPath(), product + "\\Data\\VersaoBD.txt");
    EXPECT_EQ(Get<installer::TInstallFile>("TechnicalText").GetDestPath(), product + "\\Library\\testing_transistors.rtf");
    EXPECT_EQ(Get<installer::TInstallFile>("HelpPage").GetDestPath(), product + "\\Help\\visao_geral.html");
    auto& uninstaller = Get<installer::TCustomInstallFile>("UninstallProgram");
    EXPECT_NE(dynamic_cast<installer::TUninstallEXE*>(&uninstaller), nullptr);
    EXPECT_EQ(uninstaller.GetDestPath(), product + "\\Uninstall.exe");
    auto& config = Get<installer::TInstallFile>("BDE_Config");
    EXPECT_EQ(config.FileName(), "idapi32_40.cnf");
    EXPECT_EQ(config.DestName(), "idapi32.cnf");
    auto& engineDll = Get<installer::TInstallFile>("BDE_IDAPI32_DLL");
    EXPECT_EQ(engineDll.FileType(), installer::iftJustADLL);
    EXPECT_EQ(engineDll.OverwriteMode, installer::TOverwriteType::owVersionDate);
    EXPECT_TRUE(engineDll.Net());
    EXPECT_TRUE(engineDll.UpdateDLLCounter);
    EXPECT_EQ(engineDll.UniqueID(), 22);
    auto& bde = Get<installer::TInstallBDE>("InstallBDE");
    EXPECT_EQ(bde.LanguageDLL, "0009");
    EXPECT_EQ(bde.Description, "Borland Database Engine");

    auto& install = Get<installer::TInstall>("Install1");
    EXPECT_EQ(install.Information.ProductName, "Vorel Electronics");
    EXPECT_EQ(install.Information.CompanyName, "VorelSoft");
    EXPECT_EQ(install.Information.Version, "3.0");
    EXPECT_EQ(install.DialogThemeBitmap().size(), QSize(117, 290));
    EXPECT_EQ(install.PresetupFiles(),
              std::vector<std::string>{"C:\\Arquivos de Programas\\Tamsel32\\Version40\\IDAPINST.DLL"});
    EXPECT_TRUE(install.UseLoadingProgram());
    EXPECT_EQ(form.BuildInfo.BuildDirectory, "c:\\build");
    EXPECT_EQ(form.BuildInfo.OCXName, "tmsetup");

    auto& links = Get<installer::TMainLinkGroup>("MainFolder");
    EXPECT_EQ(links.DestDir(), "\\Vorel Electronics");
    EXPECT_EQ(Get<installer::TInstallMainLink>("ProgramLink").LinkName(), "Vorel Electronics.LNK");
    EXPECT_EQ(Get<installer::TInstallMainLink>("UninstallLink").LinkName(), "Uninstall Vorel Electronics.LNK");
}

TEST_F(ShippedSetup, TheWizardAndTheTranslatorHoldWhatTheFormStores) {
    EXPECT_EQ(Get<TDialogManager>("DialogManager").ManagerType, dmBeforeInstall);
    EXPECT_EQ(Get<TDialogManager>("DialogManager3").ManagerType, dmDuringCopyFiles);
    EXPECT_EQ(Get<TDialogManager>("DialogManager4").ManagerType, dmChangeDisk);
    EXPECT_EQ(Get<TDialogManager>("DialogManager5").ManagerType, dmReboot);
    EXPECT_EQ(Get<TLicenseDlg>("LicenseDlg").Order, 20);
    EXPECT_EQ(Get<TReadmeDlg>("ReadmeDlg").Order, 30);
    EXPECT_EQ(Get<TLicenseDlg>("LicenseDlg").LicenseAgreement().front(),
              "VOREL ELECTRONICS 3.0 - END-USER LICENCE AGREEMENT");
    EXPECT_EQ(Get<TReadmeDlg>("ReadmeDlg").ReadmeText().at(2), "Contents");
    EXPECT_EQ(Get<TInstallStatusDlg>("InstallStatusDlg").DialogManager(), nullptr);
    EXPECT_EQ(Get<TRebootDlg>("RebootDlg").DialogManager(), &Get<TDialogManager>("DialogManager5"));

    ASSERT_NE(form.MainTranslator, nullptr);
    EXPECT_EQ(installer::GlobalTranslator(), form.MainTranslator.get());
    const installer::TLanguage& english = form.MainTranslator->lgEnglish();
    EXPECT_EQ(english.Strings().Lines(), installer::MainTranslatorEnglishLines());
    EXPECT_EQ(english.StringEntries().size() + english.MemoEntries().size(), 81u);
    ASSERT_NE(english.FindStringByGLID(52), nullptr);
    EXPECT_EQ(english.FindStringByGLID(45)->Text, "Please insert disk number %d");
    EXPECT_EQ(english.FindStringByGLID(87)->Text,
              "To install to a different directory, click Browse and select another directory.");
    for (installer::TLanguage* language : form.MainTranslator->Languages()) {
        if (language != &english) {
            EXPECT_EQ(language->Strings().Count(), 0);
        }
    }
}

TEST_F(ShippedSetup, TheFormCarriesTheBackdropAndTheProductCaption) {
    EXPECT_EQ(form.windowTitle(), "VorelSoft - Software Installation");
    EXPECT_EQ(form.size(), QSize(544, 375));
    EXPECT_FALSE(form.windowIcon().isNull());
    ASSERT_NE(form.BackDrop, nullptr);
    ASSERT_NE(form.ProductLabel, nullptr);
    EXPECT_EQ(form.BackDrop->Tag(), -1);
    EXPECT_EQ(form.BackDrop->geometry(), QRect(0, 0, 544, 375));  // fills the form
    EXPECT_EQ(form.ProductLabel->parentWidget(), form.BackDrop);
    EXPECT_EQ(form.ProductLabel->Caption(), "Vorel Electronics");
    EXPECT_EQ(form.ProductLabel->Tag(), -1);
    EXPECT_EQ(form.ProductLabel->height(), 65);
    EXPECT_EQ(form.ProductLabel->font().pixelSize(), 32);
    EXPECT_TRUE(form.ProductLabel->font().bold());
    EXPECT_FALSE(form.ProductLabel->LabelStyle().AShadeLTSet());
}

TEST(ConfigLoader, RefusesWhatItDoesNotKnowNamingTheComponent) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root(dir.Path());
    const auto load = [](const std::string& body) {
        return ErrorOf([&] {
            TSetupForm form("D:\\SETUP\\SETUP.EXE", {});
            const std::map<std::string, QByteArray> resources = {{"text.txt", "a\r\nb\n"}};
            LoadSetupForm(form, ParseConfig("object Form1: TForm1\n" + body + "end\n"),
                          [&](const std::string& n) -> std::optional<QByteArray> {
                              auto it = resources.find(n);
                              if (it == resources.end()) return std::nullopt;
                              return it->second;
                          });
        });
    };
    EXPECT_EQ(load("  object Foo: TFooBar\n  end\n"), "Class TFooBar not found (component Foo, line 2)");
    EXPECT_EQ(load("  object Directory1: TInstallDirectory\n    Colour = 3\n  end\n"),
              "Error reading Directory1.Colour (line 3): the property does not exist");
    EXPECT_EQ(load("  object F: TInstallFile\n    UniqueID = 'six'\n  end\n"),
              "Error reading F.UniqueID (line 3): an integer expected");
    EXPECT_EQ(load("  object F: TInstallFile\n    OverwriteMode = owSometimes\n  end\n"),
              "Error reading F.OverwriteMode (line 3): unknown value owSometimes");
    EXPECT_EQ(load("  object F: TInstallFile\n    Container = Missing\n  end\n"),
              "Error reading F.Container (line 3): no component is named Missing");
    EXPECT_EQ(load("  object L: TLicenseDlg\n    LicenseAgreement = @gone.txt\n  end\n"),
              "Error reading L.LicenseAgreement (line 3): no resource gone.txt");
    EXPECT_EQ(load("  object BackDrop: TBackdrop\n    Shade = 1\n  end\n"),
              "Error reading BackDrop.Shade (line 3): the property does not exist");
    EXPECT_EQ(load("  object T: TTranslator\n    lgKlingon.Strings = ('1;x')\n  end\n"),
              "Error reading T.lgKlingon.Strings (line 3): the property does not exist");
    EXPECT_EQ(load("  Colour = 1\n"), "Error reading Form1.Colour (line 2): the property does not exist");
    // The engine's own refusals name where they were read too.
    EXPECT_EQ(load("  object Group: TInstallGroup\n  end\n  object Group: TInstallGroup\n  end\n").rfind(
                  "Error reading Group (line 4): ", 0),
              0u);
    EXPECT_EQ(load("  object Dir: TInstallDirectory\n  end\n  object Group: TInstallGroup\n    DestDirType = Dir\n  end\n"),
              "Error reading Group.DestDirType (line 5): DestDirType of Group must be a path specifier");
    EXPECT_EQ(load("  object F: TInstallFile\n    UniqueID = -2147483649\n  end\n"),
              "Error reading F.UniqueID (line 3): an integer expected");
    EXPECT_EQ(load("  object T: TTranslator\n  end\n  object U: TTranslator\n  end\n"),
              "U (line 4): the form holds one translator");
    // Objects inside objects that hold none are refused, never dropped.
    for (const char* outer : {"TInstallFile", "TTranslator", "TRotate3DLabel"})
        EXPECT_EQ(load(std::string("  object A: ") + outer + "\n    object B: TInstallFile\n    end\n  end\n"),
                  "A (line 2) cannot hold other objects")
            << outer;
    // A text resource becomes lines, whatever its line ends.
    EXPECT_EQ(load("  object L: TLicenseDlg\n    LicenseAgreement = @text.txt\n  end\n"), "");
}

TEST(ConfigLoader, StoredValuesArriveAsTheFormDesignerMeantThem) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root(dir.Path());
    TSetupForm form("D:\\SETUP\\SETUP.EXE", {});
    LoadSetupForm(form,
                  ParseConfig("object Form1: TForm1\n"
                              "  object BackDrop: TBackdrop\n    StartColor = 255\n    EndColor = 16711680\n  end\n"
                              "  object L: TLicenseDlg\n    LicenseAgreement = @text.txt\n  end\n"
                              "end\n"),
                  [](const std::string&) -> std::optional<QByteArray> { return QByteArray("a\r\n\r\nb\n"); });
    // Stored colours hold red in the low byte.
    ASSERT_NE(form.BackDrop, nullptr);
    EXPECT_EQ(form.BackDrop->StartColor(), QColor(255, 0, 0));
    EXPECT_EQ(form.BackDrop->EndColor(), QColor(0, 0, 255));
    // The line end after the last line opens no empty line; an empty line inside stays.
    auto& licence = dynamic_cast<TLicenseDlg&>(*form.Components().FindComponent("L"));
    EXPECT_EQ(licence.LicenseAgreement(), (std::vector<std::string>{"a", "", "b"}));
}

// A stored configuration of a web distribution: its net location names the
// server, the build publishes the archives there, and the install fetches
// them over HTTP and over FTP.
TEST(ConfigLoader, AStoredNetInstallFetchesItsArchivesOverHttpAndFtp) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root(dir.Path());
    installer::RecordingAppServices services;
    installer::AppServices::Install(&services);
    auto text = [](const char* protocol, int port) {
        return "object Form1: TForm1\n"
               "  object psContainerArchiveFile: TpsContainerArchiveFile\n  end\n"
               "  object psContainerDestDir: TpsContainerDestDir\n  end\n"
               "  object psProgramFiles: TpsProgramFiles\n  end\n"
               "  object psMainArchiveFile: TpsMainArchiveFile\n  end\n"
               "  object Install1: TInstall\n    DestDir = '\\Vorel'\n    DestDirType = psProgramFiles\n"
               "    UseLoadingProgram = False\n    DistributeType = dtWeb\n    NetLocation = NetLoc1\n  end\n"
               "  object NetLoc1: TNetLocation\n    LoginInformation.Hostname = '127.0.0.1'\n"
               "    LoginInformation.Directory = 'dist'\n    LoginInformation.Protocol = " +
               std::string(protocol) + "\n    Port = " + std::to_string(port) +
               "\n  end\n"
               "  object Directory: TInstallDirectory\n    Tag = 1\n    Container = Install1\n"
               "    InstallTypes = [itFull, itDefault, itCompact]\n    ArchiveFileType = psContainerArchiveFile\n"
               "    DestDirType = psContainerDestDir\n  end\n"
               "  object psFileContainer: TpsFileContainer\n    FileContainer = Directory\n  end\n"
               "  object Notes: TInstallFile\n    Container = Directory\n    FileName = 'notes.txt'\n"
               "    IncludeFromDir = 'C:\\src'\n    InstallTypes = [itFull, itDefault, itCompact]\n"
               "    ArchiveFileType = psContainerArchiveFile\n    DestDirType = psContainerDestDir\n  end\n"
               "end\n";
    };
    const ResourceSource none = [](const std::string&) -> std::optional<QByteArray> { return std::nullopt; };
    auto& files = platform::Files();
    files.ForceDirectories("C:\\src");
    files.ForceDirectories("D:\\SETUP");
    std::ofstream(files.HostPath("C:\\src\\notes.txt")) << "notes from the server\n";
    std::ofstream(files.HostPath("D:\\SETUP\\SETUP.EXE")) << "the setup program";
    {
        TSetupForm build("D:\\SETUP\\SETUP.EXE", {"-sD:\\SETUP"});
        LoadSetupForm(build, ParseConfig(text("ipHTTP", 0)), none);
        build.Install()->BuildDistributables("D:\\SETUP\\SETUP.EXE", "C:\\Dist", false);
    }
    const std::string published = files.HostPath("C:\\Dist\\127.0.0.1").string();
    platform::TempRootDir logs;
    platform::testing::LocalServer http = platform::testing::HttpFileServer(published, logs.Path() / "http.log");
    platform::testing::LocalServer ftp = platform::testing::FtpFileServer(published, logs.Path() / "ftp.log");
    ASSERT_TRUE(http.Running() && ftp.Running());
    for (auto [protocol, port] : {std::pair{"ipHTTP", http.Port()}, std::pair{"ipFTP", ftp.Port()}}) {
        TSetupForm run("C:\\Dist\\SETUP.EXE", {"-sC:\\Dist"});
        LoadSetupForm(run, ParseConfig(text(protocol, port)), none);
        run.Install()->OwnerFormActivate();
        EXPECT_FALSE(run.Install()->Aborted()) << protocol;
        for (const auto& box : services.Boxes) ADD_FAILURE() << protocol << ": " << box.text;
        services.Boxes.clear();
        std::ifstream installed(files.HostPath("C:\\Program Files\\Vorel\\notes.txt"));
        std::string line;
        std::getline(installed, line);
        EXPECT_EQ(line, "notes from the server") << protocol;
        files.DeleteFile("C:\\Program Files\\Vorel\\notes.txt");
    }
    EXPECT_EQ(http.Logged("request from port").size(), 2u);  // filelist.lst and the directory's archive
    installer::AppServices::Install(nullptr);
}
