#include <gtest/gtest.h>

#include "installer/components/EngineContext.h"
#include "installer/components/MetaVariables.h"
#include "installer/components/OrderLog.h"
#include "installer/components/ShellFolders.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/components/TamselPath.h"
#include "installer/components/TreeBuilder.h"
#include "installer/translator/IException.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/TestTree.h"
#include "testkit/support/ErrorOf.h"

namespace installer {
namespace {

using namespace installer::testing;

const char* const kShellFolders = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

class PathSpecifiers : public ::testing::Test {
protected:
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    TComponentOwner form;

    void SetValue(platform::RegRoot hive, const char* key, const char* name, const std::string& value) {
        auto& reg = platform::Registry();
        ASSERT_TRUE(reg.CreateKey(hive, key));
        ASSERT_TRUE(reg.WriteString(hive, key, name, value));
    }
};

using platform::testing::ErrorOf;

TEST_F(PathSpecifiers, ShellFolderDefaultsComeFromTheRoot) {
    EXPECT_EQ(GetStartMenuDir(), "C:\\WINDOWS\\Startmen");
    EXPECT_EQ(GetProgramsDir(), "C:\\WINDOWS\\Startmen\\Programs");
    EXPECT_EQ(GetDesktopDir(), "C:\\WINDOWS\\Desktop");
    EXPECT_EQ(GetStartupDir(), "C:\\WINDOWS\\Startup");
    EXPECT_EQ(GetProgramFilesDir(), "C:\\Program Files");
    EXPECT_EQ(GetCommonFilesDir(), "C:\\Program Files\\Common Files");

    // The current drive of the simulated machine, never the host's.
    platform::Files().ForceDirectories("D:\\Work");
    ASSERT_TRUE(platform::Files().SetCurrentDir("D:\\Work"));
    EXPECT_EQ(GetProgramFilesDir(), "D:\\Program Files");
    platform::Files().SetCurrentDir("C:\\");

    SetValue(platform::RegRoot::CurrentUser, kShellFolders, "Start Menu", "C:\\WINNT\\Profiles\\Start Menu\\");
    SetValue(platform::RegRoot::LocalMachine, kCurrentVersion, "ProgramFilesDir", "E:\\Apps");
    EXPECT_EQ(GetStartMenuDir(), "C:\\WINNT\\Profiles\\Start Menu");
    EXPECT_EQ(GetProgramsDir(), "C:\\WINNT\\Profiles\\Start Menu\\Programs");
    SetValue(platform::RegRoot::CurrentUser, kShellFolders, "Programs", "C:\\Progs");
    EXPECT_EQ(GetProgramsDir(), "C:\\Progs");
    EXPECT_EQ(GetProgramFilesDir(), "E:\\Apps");
}

TEST_F(PathSpecifiers, MetaVariables) {
    EngineContext& c = form.Context();
    EXPECT_EQ(ExpandMetaVariables(c, "100%% sure", nullptr), "100% sure");
    EXPECT_EQ(ExpandMetaVariables(c, "a%qb", nullptr), "ab");
    EXPECT_EQ(ExpandMetaVariables(c, "end%", nullptr), "end");
    EXPECT_EQ(ExpandMetaVariables(c, "%W\\NOTEPAD.EXE", nullptr), "C:\\WINDOWS\\NOTEPAD.EXE");
    EXPECT_EQ(ExpandMetaVariables(c, "%s|%b|%d|%f|%m|%p", nullptr),
              "C:\\WINDOWS\\SYSTEM32|C:\\WINDOWS\\Startmen\\Programs|C:\\WINDOWS\\Desktop|"
              "C:\\Program Files\\Common Files|C:\\WINDOWS\\Startmen|C:\\Program Files");
    EXPECT_EQ(ExpandMetaVariables(c, "%%%w", nullptr), "%C:\\WINDOWS");

    EXPECT_EQ(ErrorOf([&] { ExpandMetaVariables(c, "%a", nullptr); }),
              "Cannot expand the %a meta variable because the component is Nil");
    EXPECT_EQ(ErrorOf([&] { ExpandMetaVariables(c, "%C", nullptr); }),
              "Cannot expand the %c meta variable because the component is Nil");
    EXPECT_EQ(ErrorOf([&] { ExpandMetaVariables(c, "%i", nullptr); }),
              "Cannot expand the %i meta variable because there is no TInstall component");
    EXPECT_THROW(ExpandMetaVariables(c, "%i", nullptr), EAICannotExpandInstallDirMV);

    TreeBuilder b(form);
    b.add<TTestInstall>("Install1").set([](auto& i) { i.SetDestDir("\\VorelSoft"); }).ref("DestDirType", "psProgramFiles");
    auto& link = b.add<TTestLink>("Link")
                     .ref("Container", "Install1")
                     .ref("DestDirType", "psContainerDestDir")
                     .set([](auto& l) { l.SetDestDir("\\Bin\\"); })
                     .get();
    auto& loose = b.add<TTestLink>("Loose").get();
    b.Finish();
    EXPECT_EQ(ExpandMetaVariables(c, "%i\\voreled.exe", nullptr), "C:\\Program Files\\VorelSoft\\voreled.exe");
    EXPECT_EQ(ExpandMetaVariables(c, "%a|%c", &link), "C:\\Program Files\\VorelSoft\\Bin|C:\\Program Files\\VorelSoft");
    EXPECT_EQ(ErrorOf([&] { ExpandMetaVariables(c, "%c", &loose); }),
              "Cannot expand the %c meta variable because the Container property is Nil");
    EXPECT_THROW(ExpandMetaVariables(c, "%c", &loose), EAICannotExpandContainerDirMV);
}

TEST_F(PathSpecifiers, StandardSpecifiersExistOnceBesideEveryInstallComponent) {
    auto& lists = form.Context().Slot<PathSpecifierLists>();
    EXPECT_EQ(lists.StandardPathSpecList.Count(), 0);
    form.Create<TTestFile>();
    form.Create<TTestDirectory>();
    ASSERT_EQ(lists.StandardPathSpecList.Count(), 14);
    EXPECT_EQ(lists.GlobalPathSpecifierList.Count(), 14);
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(lists.StandardPathSpecList[i]->Name(), kStandardSpecifiers[static_cast<std::size_t>(i)].specifierName);
        EXPECT_EQ(lists.StandardPathSpecList[i]->ClassName(), kStandardSpecifiers[static_cast<std::size_t>(i)].className);
    }
    EXPECT_EQ(lists.StandardPathSpecList.FindByClass<TStandardPathSpecifier>()->Name(), "psBDEDLL");
    EXPECT_EQ(lists.StandardPathSpecList.FindByClass<TpsWindow>()->Name(), "psWindow");
    EXPECT_EQ(lists.GlobalPathSpecifierList.FindByClass<TCustomPathSpecifier>()->Name(), "psBDEDLL");
    // An owner that is no form or data module gets none.
    TComponentOwner plain(OwnerKind::Other);
    plain.Create<TTestFile>();
    EXPECT_EQ(plain.Context().Slot<PathSpecifierLists>().GlobalPathSpecifierList.Count(), 0);
    EXPECT_EQ(ErrorOf([&] { plain.Context().Slot<PathSpecifierLists>().GlobalPathSpecifierList.FindByClass<TpsWindow>(); }),
              "Could not find the path specifier");
    EXPECT_EQ(ErrorOf([&] { lists.GlobalPathSpecifierList.Add(nullptr); }),
              "Tried to add a nil object to the path specifier list");

    // A base specifier answers through its handler, or not at all.
    auto& custom = form.Create<TCustomPathSpecifier>();
    EXPECT_EQ(custom.Description(), "Unspecified");
    EXPECT_EQ(custom.ShortCaptionFor(nullptr), "Unspecified");
    EXPECT_EQ(custom.Expand(nullptr), "");
    custom.OnExpand = [](TCustomPathSpecifier&, TComponent*) { return std::string("X:\\Y"); };
    EXPECT_EQ(custom.Expand(nullptr), "X:\\Y");
    EXPECT_EQ(lists.StandardPathSpecList.Count(), 14);
    EXPECT_EQ(lists.GlobalPathSpecifierList.Count(), 15);
    custom.Free();
    EXPECT_EQ(lists.GlobalPathSpecifierList.Count(), 14);
}

TEST_F(PathSpecifiers, ExpansionsAndValidation) {
    auto& install = form.Create<TTestInstall>();
    install.SetName("Install1");
    auto& lists = form.Context().Slot<PathSpecifierLists>();
    auto& sl = lists.StandardPathSpecList;
    auto& group = form.Create<TTestGroup>();
    group.SetName("Group");
    group.Description = "VorelE 300";
    group.ArchivePath = "D:\\Setup\\Group.1\\";
    group.SetContainer(&install);
    auto& file = form.Create<TTestFile>();
    file.SetName("File");
    auto& orphan = form.Create<TTestFile>();
    orphan.SetName("Orphan");

    EXPECT_EQ(sl.FindByClass<TpsWindow>()->Expand(&file), "C:\\WINDOWS");
    EXPECT_EQ(sl.FindByClass<TpsSystem>()->Expand(&file), "C:\\WINDOWS\\SYSTEM32");
    EXPECT_EQ(sl.FindByClass<TpsStartupMenu>()->Expand(&file), "C:\\WINDOWS\\Startup");
    EXPECT_EQ(sl.FindByClass<TpsInstallSource>()->Expand(&file), "D:\\Setup");
    EXPECT_EQ(sl.FindByClass<TpsMainArchiveFile>()->Expand(&file), "D:\\Setup\\files.1");
    install.Switches = "e";
    install.ExeArgument = "Setup.exe";
    EXPECT_EQ(sl.FindByClass<TpsMainArchiveFile>()->Expand(&file), "D:\\Setup\\Setup.exe");
    install.ExeArgument = "  ";
    EXPECT_EQ(ErrorOf([&] { sl.FindByClass<TpsMainArchiveFile>()->Expand(&file); }),
              "You forgot to pass in the name of the self-extracting executable. Usage example: \"-eSetup.exe\"");
    EXPECT_THROW(sl.FindByClass<TpsMainArchiveFile>()->Expand(&file), IEInstall);

    // The database engine's directory: the first of a list, else below Program Files.
    EXPECT_EQ(sl.FindByClass<TpsBDEDLL>()->Expand(&file), "C:\\Program Files\\Borland\\Common Files\\BDE");
    SetValue(platform::RegRoot::LocalMachine, "Software\\Borland\\Database Engine", "DLLPath",
             "C:\\BDE32\\;D:\\OLD\\BDE");
    EXPECT_EQ(sl.FindByClass<TpsBDEDLL>()->Expand(&file), "C:\\BDE32");

    auto* containerDest = sl.FindByClass<TpsContainerDestDir>();
    EXPECT_EQ(ErrorOf([&] { containerDest->Expand(&orphan); }),
              "Cannot use ddContainerDestDir for Orphan unless you assign a Container");
    TInstallContainer bare(form);
    bare.SetName("Bare");
    EXPECT_EQ(ErrorOf([&] { containerDest->Validate(&bare); }),
              "Bare must be a TInstallObject to use the psContainerDestDir path specifier");
    EXPECT_THROW(file.SetDestDirType(containerDest), IEPathSpecifier);
    EXPECT_EQ(file.DestDirType(), nullptr);

    auto* archive = sl.FindByClass<TpsContainerArchiveFile>();
    EXPECT_EQ(ErrorOf([&] { archive->Expand(&orphan); }),
              "Cannot use ddContainerArchiveFile for Orphan unless you assign a Container");
    file.SetContainer(&group);
    EXPECT_EQ(archive->Expand(&file), "D:\\Setup\\Group.1");
    auto& dialog = form.Create<TTestDialog>();
    dialog.SetName("Dialog");
    orphan.SetContainer(&dialog);
    EXPECT_EQ(ErrorOf([&] { archive->Expand(&orphan); }),
              "Cannot use the ddContainerArchiveFile path specifier for Orphan because the Container is not a "
              "TFileRelated descendant");

    auto* mainInstall = sl.FindByClass<TpsMainInstall>();
    EXPECT_EQ(ErrorOf([&] { mainInstall->Expand(&install); }),
              "Cannot use the ddMainInstallDir path specifier for a TInstall component");

    // Descriptions name the container; a failed check falls back to the plain one.
    EXPECT_EQ(containerDest->DescriptionFor(&file), "Path of the <VorelE 300> group");
    EXPECT_EQ(containerDest->ShortCaptionFor(&file), "<VorelE 300>");
    EXPECT_EQ(containerDest->DescriptionFor(&group), "Main installation directory");
    EXPECT_EQ(containerDest->ShortCaptionFor(&group), "Main installation directory");
    EXPECT_EQ(containerDest->DescriptionFor(&orphan), "Path of the <Dialog> group");
    EXPECT_EQ(containerDest->ShortCaptionFor(&orphan), "<Dialog>");
    EXPECT_EQ(containerDest->DescriptionFor(&bare), "Path of the group (container)");
    EXPECT_EQ(containerDest->ShortCaption(), "Path of the group (container)");
    EXPECT_EQ(sl.FindByClass<TpsWindow>()->ShortCaptionFor(&file), "Path of the Windows directory");
    EXPECT_EQ(sl.FindByClass<TpsWindow>()->ShortCaption(), "Windows dir");
    auto& directory = form.Create<TTestDirectory>();
    directory.Description = "Data_1";
    directory.SetContainer(&group);
    file.SetContainer(&directory);
    EXPECT_EQ(containerDest->DescriptionFor(&file), "Path of the <Data_1> directory");

    install.Free();
    EXPECT_EQ(ErrorOf([&] { sl.FindByClass<TpsInstallSource>()->Expand(&file); }),
              "There is no TInstall component so the path specifier could not be expanded for File");
}

// The product's stored tree: Install1 > Group > Group3 > Group4 > Directory4.
TEST_F(PathSpecifiers, ProductDirectoryTreeDestinations) {
    TreeBuilder b(form);
    b.add<TTestInstall>("Install1").set([](auto& i) { i.SetDestDir("\\VorelSoft"); }).ref("DestDirType", "psProgramFiles");
    auto group = [&](const std::string& name, const std::string& container, const std::string& destDir) {
        b.add<TTestGroup>(name)
            .set([&](auto& g) {
                g.SetDestDir(destDir);
                g.Tag = 1;
            })
            .ref("Container", container)
            .ref("DestDirType", "psContainerDestDir");
    };
    auto directory = [&](const std::string& name, const std::string& container) {
        b.add<TTestDirectory>(name).ref("Container", container).ref("DestDirType", "psContainerDestDir");
    };
    // Specifiers made by the first container carry their specifier names, as the stored ones do.
    group("Group", "Install1", "\\VorelE 300");
    directory("Directory", "Group");
    group("Group1", "Group", "\\Data");
    directory("Directory1", "Group1");
    group("Group3", "Group", "\\Help");
    directory("Directory3", "Group3");
    group("Group4", "Group3", "\\Imagens");
    directory("Directory4", "Group4");
    directory("idMiscellaneous", "Group");
    b.add<TTestBDE>("InstallBDE").ref("Container", "Install1").ref("DestDirType", "psBDEDLL");
    b.add<TTestLinkGroup>("MainFolder").ref("Container", "Install1").ref("DestDirType", "psProgramMenu")
        .set([](auto& g) { g.SetDestDir("\\Vorel Electronics"); });
    b.Finish();

    auto dest = [&](const char* name) {
        return dynamic_cast<TInstallContainer&>(*form.FindComponent(name)).GetFullDestDir();
    };
    EXPECT_EQ(dest("Install1"), "C:\\Program Files\\VorelSoft");
    EXPECT_EQ(dest("Directory"), "C:\\Program Files\\VorelSoft\\VorelE 300");
    EXPECT_EQ(dest("Directory1"), "C:\\Program Files\\VorelSoft\\VorelE 300\\Data");
    EXPECT_EQ(dest("Directory3"), "C:\\Program Files\\VorelSoft\\VorelE 300\\Help");
    EXPECT_EQ(dest("Directory4"), "C:\\Program Files\\VorelSoft\\VorelE 300\\Help\\Imagens");
    EXPECT_EQ(dest("idMiscellaneous"), "C:\\Program Files\\VorelSoft\\VorelE 300");
    EXPECT_EQ(dest("InstallBDE"), "C:\\Program Files\\Borland\\Common Files\\BDE");
    EXPECT_EQ(dest("MainFolder"), "C:\\WINDOWS\\Startmen\\Programs\\Vorel Electronics");

    auto& install = dynamic_cast<TInstallContainer&>(*form.FindComponent("Install1"));
    std::vector<std::string> children;
    for (auto* h : install.Helpers()) children.push_back(h->Name());
    EXPECT_EQ(children, (std::vector<std::string>{"InstallBDE", "Group", "MainFolder"}));
}

TEST_F(PathSpecifiers, StoredSpecifiersComeFirstAndAreNotMadeTwice) {
    TreeBuilder b(form);
    b.add<TpsProgramFiles>("psProgramFiles");
    b.add<TpsWindow>("psWindow");
    b.add<TTestInstall>("Install1").ref("DestDirType", "psProgramFiles");
    b.Finish();
    auto& lists = form.Context().Slot<PathSpecifierLists>();
    EXPECT_EQ(lists.StandardPathSpecList.Count(), 14);
    EXPECT_EQ(lists.StandardPathSpecList.FindByClass<TpsProgramFiles>(), form.FindComponent("psProgramFiles"));
    EXPECT_NE(form.FindComponent("psBDEDLL"), nullptr);
    EXPECT_EQ(CreateStandardSpecifier(form, "psNothing"), nullptr);
    auto* extra = CreateStandardSpecifier(form, "psSystem");
    ASSERT_NE(extra, nullptr);
    EXPECT_EQ(extra->ClassName(), "TpsSystem");
    EXPECT_EQ(extra->Name(), "");
}

TEST_F(PathSpecifiers, OrderLogsAppendAndNeverFail) {
    LogInstallOrder("FILECONTAINER: VorelE 300_1");
    LogInstallOrder("CompName: InstallFile1, File: voreled.exe");
    LogCompressOrder("FILECONTAINER: Data_1");
    auto read = [](const char* path) {
        auto f = platform::Files().Open(path, platform::FileMode::Read);
        std::string s(static_cast<std::size_t>(f.Size()), '\0');
        f.ReadBuffer(s.data(), s.size());
        return s;
    };
    EXPECT_EQ(read("C:\\WINDOWS\\TmslInstallOrder.txt"),
              "FILECONTAINER: VorelE 300_1\r\nCompName: InstallFile1, File: voreled.exe\r\n");
    EXPECT_EQ(read("C:\\WINDOWS\\TmslCompressOrder.txt"), "FILECONTAINER: Data_1\r\n");
    // A log that cannot be written (a directory stands in its place) is skipped.
    ASSERT_TRUE(platform::Files().DeleteFile("C:\\WINDOWS\\TmslCompressOrder.txt"));
    ASSERT_TRUE(platform::Files().ForceDirectories("C:\\WINDOWS\\TmslCompressOrder.txt"));
    EXPECT_NO_THROW(LogCompressOrder("FILECONTAINER: Help_1"));
}

TEST_F(PathSpecifiers, InstallerLibraryFoundOnItsSearchPath) {
    EXPECT_EQ(GetTamselPath(false), "");
    EXPECT_THROW(GetTamselPath(true), IENoTamselPath);
    auto& files = platform::Files();
    ASSERT_TRUE(files.ForceDirectories("C:\\Dev Tools\\Tamsel32\\Version40"));
    files.Open("C:\\Dev Tools\\Tamsel32\\Version40\\t32v40.txt", platform::FileMode::Create);
    SetValue(platform::RegRoot::LocalMachine, "Software\\Tamsel\\Installer", "RootDir", "C:\\Dev Tools\\");
    SetValue(platform::RegRoot::CurrentUser, "Software\\Tamsel\\Installer", "LibraryPath",
             "$(TAMSEL)\\Lib;;D:\\Nowhere;$(tamsel)\\Tamsel32\\Version40\\;..\\..\\..\\etc");
    EXPECT_EQ(GetTamselPath(true), "C:\\Dev Tools\\Tamsel32\\Version40");
    EXPECT_EQ(GetTamselPath(true, std::string("C:\\Dev Tools\\Tamsel32\\Version40\\")),
              "C:\\Dev Tools\\Tamsel32\\Version40");
    EXPECT_EQ(GetTamselPath(false, std::string("C:\\Dev Tools\\Lib")), "");
}

}  // namespace
}  // namespace installer
