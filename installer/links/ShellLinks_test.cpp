#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "installer/components/StandardPathSpecifiers.h"
#include "installer/links/LinkLists.h"
#include "installer/links/ObjectLinkSpecifier.h"
#include "installer/progman/ProgramManager.h"
#include "installer/registry/RegistryRoutines.h"
#include "installer/uninstallentry/UninstallExe.h"
#include "platform/core/hostio/HostIo.h"
#include "platform/core/inifile/IniFile.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/shelllink/ShellLink.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/ShippedLinksSetup.h"
#include "testkit/support/ErrorOf.h"

namespace installer {
namespace {

using namespace installer::testing;
using platform::testing::ErrorOf;

std::string LnkInfo(const std::string& winPath) {
    const std::string command = "lnkinfo '" + platform::Files().HostPath(winPath).string() + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return "(lnkinfo did not start)";
    std::string out;
    std::array<char, 4096> buffer{};
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) out.append(buffer.data(), n);
    return out;
}

class ShellLinks : public ::testing::Test {
protected:
    static bool Exists(const std::string& path) { return platform::Files().FileExists(path); }
    static std::string Link(const std::string& name) { return std::string(kStartMenuFolder) + "\\" + name; }
    // Makes the simulated Windows an NT 3.51, whose shell has Program Manager.
    void UseProgramManagerShell() {
        platform::IniFile facts(dir.Path() / "platform.ini");
        facts.WriteString("Windows", "MajorVersion", "3");
        facts.WriteString("Windows", "MinorVersion", "51");
    }
    std::string ProgmanLog() { return platform::ReadWholeFile(dir.Path() / "progman.log").value_or(""); }

    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
};

TEST_F(ShellLinks, TheShippedShortcutsReadBackByLnkinfo) {
    if (std::system("command -v lnkinfo >/dev/null 2>&1") != 0)
        FAIL() << "lnkinfo is missing: scripts/install-deps.sh installs liblnk-utils";
    ShippedLinksSetup setup;
    setup.BuildAndRun();
    ASSERT_FALSE(setup.Install().Aborted());

    struct Expected {
        const char* link;
        std::string target, directory;
    };
    const std::string product = kProductDir;
    for (const Expected& e : {Expected{"Vorel Electronics.LNK", product + "\\voreled.exe", product},
                              Expected{"Vorel Electronics Help.LNK", product + "\\Help\\visao_geral.html", product + "\\Help"},
                              Expected{"Uninstall Vorel Electronics.LNK", product + "\\Uninstall.exe", product}}) {
        SCOPED_TRACE(e.link);
        const std::string info = LnkInfo(Link(e.link));
        EXPECT_NE(info.find("Local path\t\t\t: " + e.target + "\n"), std::string::npos) << info;
        EXPECT_NE(info.find("Working directory\t\t: " + e.directory + "\n"), std::string::npos) << info;
        // The uninstaller is a plain install file here: no product name follows it.
        EXPECT_EQ(info.find("Command line arguments"), std::string::npos) << info;
        const auto size = static_cast<std::uint32_t>(platform::Files().FileSize(e.target));
        EXPECT_EQ(ReadRootFile(Link(e.link)), platform::ShellLinkBytes({e.target, e.directory, "", 0, 0x20, size}));
    }
    // Each shortcut is in the uninstall log after the files.
    const std::string files = std::string(kProductKey) + "\\Files";
    EXPECT_EQ(RegReadString(4, files, "Entries", ""), "6");
    EXPECT_EQ(RegReadString(4, files, "File4", ""), Link("Vorel Electronics.LNK"));
    EXPECT_EQ(RegReadString(4, files, "File5", ""), Link("Vorel Electronics Help.LNK"));
    EXPECT_EQ(RegReadString(4, files, "File6", ""), Link("Uninstall Vorel Electronics.LNK"));
    EXPECT_EQ(ProgmanLog(), "");
}

TEST_F(ShellLinks, ALinkToTheUninstallerCarriesTheProductName) {
    ShippedLinksSetup setup("MZ uninstaller", [](TreeBuilder& b) {
        b.add<TUninstallEXE>("Uninstaller")
            .set([](TUninstallEXE& f) {
                f.SetIncludeFromDir(kSourceDir);
                f.SetFileName("Uninstall.exe");
                f.SetDestName("Uninstall2.exe");
            })
            .ref("Container", "idMiscellaneous")
            .ref("DestDirType", "psContainerDestDir")
            .ref("ArchiveFileType", "psContainerArchiveFile");
        ShippedLinksSetup::Link(b, "SecondUninstallLink", "Remove.LNK", "Uninstaller");
    });
    setup.Install().Information.ProductName = "  Vorel Electronics ";
    setup.BuildAndRun();
    ASSERT_FALSE(setup.Install().Aborted());
    const std::string target = std::string(kProductDir) + "\\Uninstall2.exe";
    EXPECT_EQ(ReadRootFile(Link("Remove.LNK")),
              platform::ShellLinkBytes({target, kProductDir, "Vorel Electronics", 0, 0x20, 14}));
    EXPECT_EQ(setup.Get<TCustomInstallShellLink>("SecondUninstallLink").Parameters, "Vorel Electronics");
}

TEST_F(ShellLinks, UrlShortcutsAreTwoLinesAndTheirNamesStayInTheFolder) {
    ShippedLinksSetup setup("MZ uninstaller", [](TreeBuilder& b) {
        b.add<TCustomInstallShellLink>("Site").ref("Container", "MainFolder").ref("DestDirType", "psContainerDestDir");
    });
    auto& site = setup.Get<TCustomInstallShellLink>("Site");
    site.SetObjectLocation("hTTpS://www.vorel.com.br/../a?b=1");
    EXPECT_EQ(site.LinkName(), "www.vorel.com.br-..-ab=1.URL");
    setup.BuildAndRun();
    ASSERT_FALSE(setup.Install().Aborted());
    EXPECT_EQ(ReadRootFile(Link("www.vorel.com.br-..-ab=1.URL")),
              "[InternetShortcut]\r\nURL=hTTpS://www.vorel.com.br/../a?b=1\r\n");
}

TEST_F(ShellLinks, ProgramManagerItemsOnTheOldShell) {
    UseProgramManagerShell();
    ShippedLinksSetup setup("MZ uninstaller", [](TreeBuilder& b) {
        b.add<TCustomInstallShellLink>("Tool")
            .set([](TCustomInstallShellLink& l) {
                l.SetDestDir("\\Vorel Tools");
                l.SetLinkName("Vorel, the program.LNK");
                l.Parameters = "-x %i";
            })
            .ref("Container", "Install1")
            .ref("DestDirType", "psProgramMenu")
            .ref("ObjectLink", "voreled")
            .ref("ObjectLocationType", "psObjectLink");
    });
    setup.BuildAndRun();
    ASSERT_FALSE(setup.Install().Aborted());
    // The main shortcuts live in a folder: on this shell they make nothing.
    EXPECT_TRUE(platform::Files().FindFiles(kStartMenuFolder).empty());
    const std::string product = kProductDir;
    const std::string item = "[AddItem(\"" + product + "\\voreled.exe\" -x C:\\Program Files\\VorelSoft,\"Vorel, the "
                             "program\",,0,,,\"" + product + "\",0)]\n";
    EXPECT_EQ(ProgmanLog(), "[CreateGroup(\"Vorel Tools\")]\n[ShowGroup(Vorel Tools,8)]\n" + item);

    // Made again, the item replaces the old one.
    setup.Get<TCustomInstallShellLink>("Tool").CreateProgramManagerItem();
    EXPECT_EQ(ProgmanLog(), "[CreateGroup(\"Vorel Tools\")]\n[ShowGroup(Vorel Tools,8)]\n" + item +
                                "[CreateGroup(\"Vorel Tools\")]\n[ShowGroup(Vorel Tools,8)]\n"
                                "[ReplaceItem(\"Vorel, the program\")]\n[ShowGroup(Vorel Tools,8)]\n" + item);
    TProgramManager& pm = GlobalProgramManager(setup.form.Context());
    pm.SelectGroup("Vorel Tools");
    ASSERT_EQ(pm.ItemCount(), 1);
    EXPECT_EQ(pm.ItemName(1), "Vorel, the program");
}

TEST_F(ShellLinks, ALinkToAnExcludedComponentMakesNothingButIsLogged) {
    // On Windows 95, whose shell has a start menu, the links are files too.
    platform::IniFile(dir.Path() / "platform.ini").WriteString("Windows", "PlatformId", "1");
    ShippedLinksSetup setup;
    setup.Get<TInstallFile>("HelpPage").Include = false;
    setup.BuildAndRun();
    ASSERT_FALSE(setup.Install().Aborted());
    EXPECT_TRUE(Exists(Link("Vorel Electronics.LNK")));
    EXPECT_FALSE(Exists(Link("Vorel Electronics Help.LNK")));
    EXPECT_EQ(RegReadString(4, std::string(kProductKey) + "\\Files", "File4", ""), Link("Vorel Electronics Help.LNK"));
    EXPECT_EQ(ProgmanLog(), "");
}

TEST_F(ShellLinks, ABlankOrClimbingNameOrFolderFailsTheRunAndWritesNothing) {
    struct Case {
        std::function<void(ShippedLinksSetup&)> configure;
        std::string message;
    };
    const std::vector<Case> cases = {
        {[](ShippedLinksSetup& s) { s.Get<TInstallMainLink>("HelpLink").SetLinkName("  "); },
         "The LinkName is blank for HelpLink and therefore could not be installed"},
        {[](ShippedLinksSetup& s) { s.Get<TInstallMainLink>("HelpLink").SetLinkName("..\\..\\..\\Escaped.LNK"); },
         "The LinkName ..\\..\\..\\Escaped.LNK of HelpLink is no file name and therefore could not be installed"},
        {[](ShippedLinksSetup& s) { s.Get<TMainLinkGroup>("MainFolder").SetDestDir("\\..\\..\\Escaped"); },
         "The folder \\..\\..\\Escaped of MainFolder is no folder name and therefore could not be installed"},
    };
    for (const Case& c : cases) {
        ShippedLinksSetup setup;
        c.configure(setup);
        setup.BuildAndRun();
        EXPECT_TRUE(setup.Install().Aborted()) << c.message;
        ASSERT_FALSE(services.Boxes.empty());
        EXPECT_EQ(services.Boxes.back().text, c.message);
    }
    for (const char* escaped : {"C:\\WINDOWS\\Escaped.LNK", "C:\\Escaped.LNK", "C:\\WINDOWS\\Escaped", "C:\\Escaped"})
        EXPECT_FALSE(Exists(escaped) || platform::Files().DirectoryExists(escaped)) << escaped;
}

// ---------------------------------------------------------------- the designer's rules

class LinkProperties : public ::testing::Test {
protected:
    void SetUp() override {
        group = &form.Create<TMainLinkGroup>();
        link = &form.Create<TInstallMainLink>();
        link->SetName("Link1");
    }
    ~LinkProperties() override { form.DestroyComponents(); }
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    TComponentOwner form;
    TMainLinkGroup* group = nullptr;
    TInstallMainLink* link = nullptr;
};

TEST_F(LinkProperties, LinkNameKeepsOrGivesItsExtension) {
    link->SetLinkName("Readme");
    EXPECT_EQ(link->LinkName(), "Readme.LNK");
    link->SetLinkName("Site.url");
    link->SetLinkName("Readme");
    EXPECT_EQ(link->LinkName(), "Readme.URL");
    link->SetLinkName("  ");
    link->SetLinkName("Notes.txt");
    EXPECT_EQ(link->LinkName(), "Notes.LNK");
    EXPECT_FALSE(link->IsURLLink());
}

TEST_F(LinkProperties, LocationsNameTheLink) {
    link->SetObjectLocation("C:\\Tools\\calc.exe");
    EXPECT_EQ(link->LinkName(), "calc.LNK");
    EXPECT_EQ(link->GetObjectPath(), "C:\\Tools\\calc.exe");
    link->SetObjectLocation("C:\\Other\\x.exe");  // a name is kept once given
    EXPECT_EQ(link->LinkName(), "calc.LNK");
    for (const auto& [location, name] : {std::pair{"http://www.a.com/b:c", "www.a.com-bc.URL"},
                                         std::pair{"FTP://ftp.a.com/pub/", "ftp.a.com-pub-.URL"},
                                         std::pair{"see https://x.org/?", "x.org-.URL"},
                                         std::pair{"http://..", "_.URL"}}) {
        link->SetLinkName(".lnk");
        link->SetObjectLocation(location);
        EXPECT_EQ(link->LinkName(), name) << location;
        EXPECT_TRUE(link->IsURLLink());
    }
}

TEST_F(LinkProperties, LinkingAFileTakesItsNameAndPath) {
    auto& file = form.Create<TInstallFile>();
    file.SetName("Prog");
    file.SetDestName("prog.exe");
    link->SetObjectLocation("C:\\x.exe");
    link->SetObjectLink(&file);
    EXPECT_EQ(link->LinkName(), "prog.lnk");
    EXPECT_EQ(link->ObjectLocation(), "");
    EXPECT_NE(dynamic_cast<TpsObjectLink*>(link->ObjectLocationType()), nullptr);
    link->SetObjectLocation("C:\\ignored");  // psObjectLink takes no location
    EXPECT_EQ(link->ObjectLocation(), "");
    link->SetObjectLink(nullptr);
    EXPECT_EQ(link->ObjectLocationType(), nullptr);

    auto& directory = form.Create<TInstallDirectory>();
    directory.Description = "Help_1";
    link->SetObjectLink(&directory);
    EXPECT_EQ(link->LinkName(), "Help_1.lnk");
    link->SetLinkName("Site.URL");  // an internet shortcut links no component
    EXPECT_EQ(link->ObjectLink(), nullptr);
}

TEST_F(LinkProperties, TheObjectLinkSpecifierChecksItsUser) {
    auto& specifier = *StandardPathSpecList(form.Context()).FindByClass<TpsObjectLink>();
    EXPECT_EQ(specifier.SpecifierName(), "psObjectLink");
    EXPECT_EQ(specifier.Description(), "Path of the file or file group in the ObjectLink property");
    group->SetName("MainFolder");
    EXPECT_EQ(ErrorOf([&] { specifier.Validate(group); }),
              "MainFolder must be a TCustomInstallShellLink to use the psObjectLink path specifier");
    EXPECT_EQ(ErrorOf([&] { link->SetObjectLocationType(&specifier); }),
              "Cannot use ddObjectLink for Link1 unless you assign a value to ObjectLink");
}

TEST_F(LinkProperties, OneMainGroupAndItsLinksOnly) {
    EXPECT_EQ(ErrorOf([&] { form.Create<TMainLinkGroup>(); }),
              "You can only have one TMainLinkGroup component in your project");
    EXPECT_EQ(GlobalMainLinkGroup(form.Context()), group);
    EXPECT_EQ(group->DestDir(), "\\MainFolderName");
    EXPECT_NE(dynamic_cast<TpsProgramMenu*>(group->DestDirType()), nullptr);
    group->SetDestDirType(nullptr);  // the folder stays in the start menu
    EXPECT_NE(dynamic_cast<TpsProgramMenu*>(group->DestDirType()), nullptr);

    EXPECT_EQ(link->Container(), group);
    EXPECT_NE(dynamic_cast<TpsContainerDestDir*>(link->DestDirType()), nullptr);
    auto& other = form.Create<TInstallDirectory>();
    EXPECT_EQ(ErrorOf([&] { link->SetContainer(&other); }),
              "The TMainLinkGroup component must be the Container for TInstallMainLink and TSubLinkGroup components");
    EXPECT_EQ(link->Container(), group);
}

TEST_F(LinkProperties, LinksLeaveEveryListWhenTheyFreeThemselves) {
    auto& file = form.Create<TInstallFile>();
    link->SetObjectLink(&file);
    auto& second = form.Create<TInstallMainLink>();
    ShellLinkLists& lists = LinkLists(form.Context());
    ASSERT_EQ(lists.AllLinks.Count(), 2);
    ASSERT_EQ(lists.MainLinks.Count(), 2);

    file.Free();  // its link goes with it
    ASSERT_EQ(lists.AllLinks.Count(), 1);
    EXPECT_EQ(lists.AllLinks[0], &second);
    EXPECT_EQ(lists.MainLinks.Count(), 1);
    EXPECT_EQ(group->HelperCount(), 1);

    group->Free();  // and the group takes the rest
    EXPECT_EQ(lists.AllLinks.Count(), 0);
    EXPECT_EQ(lists.MainLinks.Count(), 0);
    EXPECT_EQ(GlobalMainLinkGroup(form.Context()), nullptr);
    EXPECT_EQ(ErrorOf([&] { form.Create<TInstallMainLink>(); }),
              "To create a TInstallMainLink you must first have a TMainLinkGroup component in your project");
}

TEST_F(LinkProperties, TheUninstallLogStopsLookingAfterItsLastSubkey) {
    const std::string key = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorel";
    link->SetLinkName("App.LNK");
    link->WriteUninstallEntries(key);
    EXPECT_EQ(RegReadString(4, key + "\\Files", "File1", ""), "C:\\WINDOWS\\Startmen\\Programs\\MainFolderName\\App.LNK");
    platform::Registry().FailWritesAt(platform::RegRoot::LocalMachine, key.substr(1));
    EXPECT_EQ(ErrorOf([&] { link->WriteUninstallEntries(key); }),
              "Could not write the uninstall entry of the following shortcut :Link1:");
    EXPECT_EQ(ErrorOf([] { TInstallShellLinkList().Add(nullptr); }), "Cannot add a blank entry to the shell link list");
}

}  // namespace
}  // namespace installer
