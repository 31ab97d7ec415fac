#include <gtest/gtest.h>

#include <limits>

#include "installer/components/EngineContext.h"
#include "installer/components/FileStatusParameter.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/components/TreeBuilder.h"
#include "installer/translator/IException.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/TestTree.h"
#include "testkit/support/ErrorOf.h"

namespace installer {
namespace {

using namespace installer::testing;

class InstallTree : public ::testing::Test {
protected:
    void SetUp() override { Heard().clear(); }
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    TComponentOwner form;
};

std::vector<std::string> Names(const TInstallContainer& c) {
    std::vector<std::string> names;
    for (auto* h : c.Helpers()) names.push_back(h->Name());
    return names;
}

using platform::testing::ErrorOf;

TEST_F(InstallTree, ChildrenStaySortedByTypeAndTheBdeInstallerFirst) {
    auto& install = form.Create<TTestInstall>();
    auto& fileA = form.Create<TTestFile>();
    auto& group = form.Create<TTestGroup>();
    auto& dialog = form.Create<TTestDialog>();
    auto& dir = form.Create<TTestDirectory>();
    auto& fileB = form.Create<TTestFile>();
    fileA.SetName("FileA");
    group.SetName("Group");
    dialog.SetName("Dialog");
    dir.SetName("Dir");
    fileB.SetName("FileB");
    for (TInstallObject* o : std::vector<TInstallObject*>{&fileA, &group, &dialog, &dir, &fileB}) o->SetContainer(&install);
    EXPECT_EQ(Names(install), (std::vector<std::string>{"Group", "Dir", "FileB", "FileA", "Dialog"}));

    auto& bde = form.Create<TTestBDE>();
    bde.SetName("InstallBDE");
    bde.SetContainer(&install);
    EXPECT_EQ(install.Helper(0), &bde);
    EXPECT_EQ(install.FileContainerCount(), 3);
    EXPECT_EQ(install.FileContainer(0), &bde);
    EXPECT_EQ(install.FileContainer(2), &dir);

    // Order is stored only.
    fileA.Order = 1;
    dialog.Order = -5;
    EXPECT_EQ(Names(install), (std::vector<std::string>{"InstallBDE", "Group", "Dir", "FileB", "FileA", "Dialog"}));
    // A new container takes the child out of the old one.
    fileA.SetContainer(&dir);
    EXPECT_EQ(Names(install), (std::vector<std::string>{"InstallBDE", "Group", "Dir", "FileB", "Dialog"}));
    EXPECT_EQ(Names(dir), std::vector<std::string>{"FileA"});
}

TEST_F(InstallTree, CircularReferencesAreRefusedWithoutChangingAnything) {
    auto& install = form.Create<TTestInstall>();
    auto& group = form.Create<TTestGroup>();
    auto& inner = form.Create<TTestGroup>();
    auto& dir = form.Create<TTestDirectory>();
    group.SetName("Group");
    inner.SetName("Inner");
    dir.SetName("Dir");
    group.SetContainer(&install);
    inner.SetContainer(&group);
    dir.SetContainer(&inner);

    EXPECT_EQ(ErrorOf([&] { group.SetContainer(&group); }), "Circular reference");
    EXPECT_EQ(ErrorOf([&] { group.SetContainer(&dir); }), "Circular reference");
    EXPECT_EQ(ErrorOf([&] { inner.AddHelper(&group); }), "Circular reference");
    EXPECT_EQ(group.Container(), &install);
    EXPECT_EQ(Names(install), std::vector<std::string>{"Group"});
    EXPECT_EQ(Names(group), std::vector<std::string>{"Inner"});
    EXPECT_EQ(Names(inner), std::vector<std::string>{"Dir"});
    EXPECT_EQ(Names(dir), std::vector<std::string>{});
    EXPECT_EQ(ErrorOf([&] { install.AddHelper(nullptr); }), "Cannot add a blank base helper component to ");
}

TEST_F(InstallTree, HelperIndexOutOfRangeAndCompErrors) {
    auto& install = form.Create<TTestInstall>();
    install.SetName("Install1");
    auto& file = form.Create<TTestFile>();
    file.SetContainer(&install);
    const char* expected =
        "Tried to reference a helper component in the following component: Install1. The following index was used: ";
    EXPECT_EQ(ErrorOf([&] { install.Helper(-1); }), std::string(expected) + "-1");
    EXPECT_EQ(ErrorOf([&] { install.Helper(1); }), std::string(expected) + "1");
    EXPECT_EQ(install.Helper(0), &file);
    EXPECT_EQ(install.Comp<TTestFile>(0), &file);
    EXPECT_EQ(install.CompCount<TTestFile>(), 1);
    EXPECT_EQ(install.CompCount<TTestDialog>(), 0);
    const std::string error = ErrorOf([&] { install.Comp<TInstallObject>(1); });
    EXPECT_EQ(error,
              "Bad call to the Comp procedure which returns a TInstallObject for a TInstallContainer component. The "
              "parameters are probably reversed. Index: 1, ComponentType: TInstallObject");
    EXPECT_THROW(install.Comp<TInstallObject>(1), IEInstallContainer);
    TInstallContainer base(form);  // a class without a registered type
    EXPECT_EQ(ErrorOf([&] { base.RegisteredType(); }), "Class must declare a registered type");
    EXPECT_THROW(install.AddHelper(&base), IEInstallContainer);
    EXPECT_EQ(install.HelperCount(), 1);
}

TEST_F(InstallTree, BroadcastReachesDirectChildrenOfType2000AndUp) {
    TreeBuilder b(form);
    auto& install = b.add<TTestInstall>("Install1").get();
    b.add<TTestGroup>("Group").ref("Container", "Install1");
    b.add<TTestDirectory>("Directory").ref("Container", "Group");
    b.add<TTestFile>("Inner").ref("Container", "Directory");
    b.add<TTestDirectory>("Direct").ref("Container", "Install1");
    b.add<TTestFile>("File").ref("Container", "Install1");
    b.add<TTestLinkGroup>("MainFolder").ref("Container", "Install1");
    b.add<TTestDialog>("DialogManager").ref("Container", "Install1");
    b.Finish();

    std::string seen;
    install.Comp<TTestDialog>(0)->OnMessage = [&](int, TObject* p) {
        if (auto* m = dynamic_cast<TMessageParameter*>(p)) seen = m->Text;
    };
    install.ShowStatus("Reading file information...");
    EXPECT_EQ(Heard(), (std::vector<std::string>{"File:-974", "MainFolder:-974", "DialogManager:-974"}));
    EXPECT_EQ(seen, "Reading file information...");

    Heard().clear();
    install.HelperTarget = install.Comp<TTestLinkGroup>(0);
    install.ClearStatus();
    EXPECT_EQ(Heard(), std::vector<std::string>{"MainFolder:-973"});
    install.HelperTarget = nullptr;

    // A receiver that frees a later child and adds another: the freed one
    // hears nothing, the new one is not in this broadcast.
    Heard().clear();
    install.Comp<TTestFile>(0)->OnMessage = [&](int, TObject*) {
        if (TTestLinkGroup* g = install.CompCount<TTestLinkGroup>() ? install.Comp<TTestLinkGroup>(0) : nullptr) g->Free();
        auto& late = form.Create<TTestDialog>();
        late.SetName("Late");
        late.SetContainer(&install);
    };
    install.BroadcastMessage(&install, imWelcome, nullptr);
    EXPECT_EQ(Heard(), (std::vector<std::string>{"File:-982", "DialogManager:-982"}));
    EXPECT_EQ(install.CompCount<TTestDialog>(), 2);
}

TEST_F(InstallTree, StatusCodesGoUpTheContainerChain) {
    TreeBuilder b(form);
    b.add<TTestInstall>("Install1");
    b.add<TTestGroup>("Group").ref("Container", "Install1");
    auto& file = b.add<TTestFile>("File").ref("Container", "Group").get();
    b.Finish();
    SendStatus(file, scAfterInstall, &file);
    EXPECT_EQ(Heard(), (std::vector<std::string>{"Group:status 1001 from File", "Install1:status 1001 from Group"}));
}

struct ProcessFixture : InstallTree {
    TTestInstall* install = nullptr;
    TTestDirectory* dir = nullptr;
    void Build() {
        TreeBuilder b(form);
        install = &b.add<TTestInstall>("Install1").get();
        dir = &b.add<TTestDirectory>("Directory").ref("Container", "Install1").get();
        b.add<TTestFile>("File").ref("Container", "Directory");
        b.Finish();
        dir->OnBeforeProcess = [](TInstallContainer&) { Heard().push_back("OnBeforeProcess"); };
        dir->OnProcessing = [](TInstallContainer&) { Heard().push_back("OnProcessing"); };
        dir->OnAfterProcess = [](TInstallContainer&) { Heard().push_back("OnAfterProcess"); };
    }
};

TEST_F(ProcessFixture, ProcessSendsItsMessagesByInstallType) {
    Build();
    install->SetActiveInstallType(itDefault);
    dir->Process();
    EXPECT_EQ(Heard(), (std::vector<std::string>{"OnBeforeProcess", "File:-990", "OnProcessing", "File:-999",
                                                 "Directory:install", "File:install", "OnAfterProcess", "File:-989"}));
    EXPECT_TRUE(dir->Processed);
    EXPECT_EQ(install->UninstallKeys.size(), 0u);  // the install's own entries come from its components

    // Not in the active type: the first four, nothing after.
    Heard().clear();
    dir->InstallTypes = {itFull};
    dir->Processed = false;
    dir->Process();
    EXPECT_EQ(Heard(), (std::vector<std::string>{"OnBeforeProcess", "File:-990", "OnProcessing", "File:-999"}));
    EXPECT_FALSE(dir->Processed);
    EXPECT_FALSE(dir->IsIncluded());

    // Custom installs whatever the types say.
    Heard().clear();
    dir->InstallTypes = {};
    install->SetActiveInstallType(itCustom);
    EXPECT_EQ(dir->ActiveInstallType, itCustom);
    EXPECT_EQ(dir->Comp<TTestFile>(0)->ActiveInstallType, itCustom);
    dir->Process();
    EXPECT_TRUE(dir->Processed);
    EXPECT_TRUE(dir->IsIncluded());

    // Excluded: before-process only.
    Heard().clear();
    dir->Include = false;
    dir->Process();
    EXPECT_EQ(Heard(), (std::vector<std::string>{"OnBeforeProcess", "File:-990"}));
    EXPECT_FALSE(dir->IsIncluded());
}

TEST_F(ProcessFixture, UninstallEntriesGoUnderTheProductKey) {
    Build();
    install->Process();
    // The test install records its own entries.
    ASSERT_EQ(install->UninstallKeys.size(), 1u);
    EXPECT_EQ(install->UninstallKeys[0], "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorel Electronics");
    install->UninstallKeys.clear();
    install->Uninstall = false;
    install->Process();
    EXPECT_TRUE(install->UninstallKeys.empty());
}

TEST_F(ProcessFixture, AbortIsSilentAndOtherErrorsPropagate) {
    Build();
    dir->OnBeforeProcess = [](TInstallContainer&) { throw platform::EAbort(); };
    EXPECT_NO_THROW(dir->Process());
    EXPECT_FALSE(dir->Processed);
    EXPECT_TRUE(Heard().empty());

    dir->OnBeforeProcess = nullptr;
    dir->OnAfterProcess = [](TInstallContainer&) { throw platform::Exception("disk error"); };
    EXPECT_EQ(ErrorOf([&] { dir->Process(); }), "disk error");
    EXPECT_TRUE(dir->Processed);
}

TEST_F(ProcessFixture, ObjectsOfAnUnprocessedContainerWaitDuringTheRun) {
    Build();
    auto* file = dir->Comp<TTestFile>(0);
    install->Running = true;
    file->Process();
    EXPECT_TRUE(Heard().empty());
    dir->Processed = true;
    file->Process();
    EXPECT_EQ(Heard().back(), "File:install");
    install->Running = false;
    dir->Processed = false;
    Heard().clear();
    file->Process();
    EXPECT_EQ(Heard().back(), "File:install");
}

TEST_F(InstallTree, TeardownWithSelfFreeingLinksIsClean) {
    {
        TComponentOwner owner;
        TreeBuilder b(owner);
        b.add<TTestInstall>("Install1");
        b.add<TTestLinkGroup>("MainFolder").ref("Container", "Install1");
        for (int i = 0; i < 3; ++i) b.add<TTestLink>("Link" + std::to_string(i)).ref("Container", "MainFolder");
        b.add<TTestFile>("File").ref("Container", "Install1");
        b.Finish();
        auto& group = dynamic_cast<TTestLinkGroup&>(*owner.FindComponent("MainFolder"));
        EXPECT_EQ(group.HelperCount(), 3);
        // Freeing the group frees its links; the rest of the tree forgets both.
        group.Free();
        EXPECT_EQ(owner.FindComponent("Link0"), nullptr);
        EXPECT_EQ(owner.FindComponent("Link2"), nullptr);
        auto& install = dynamic_cast<TTestInstall&>(*owner.FindComponent("Install1"));
        EXPECT_EQ(Names(install), std::vector<std::string>{"File"});

        // Links whose group outlives the form's teardown order.
        TreeBuilder again(owner);
        again.add<TTestLink>("LinkA").ref("Container", "MainFolder2");
        again.add<TTestLinkGroup>("MainFolder2").ref("Container", "Install1");
        again.add<TTestLink>("LinkB").ref("Container", "MainFolder2");
        again.Finish();
        EXPECT_EQ(owner.Context().GlobalContainerList.Count(), 5);
    }
    // The owner is gone: every component freed exactly once (AddressSanitizer
    // checks), and another owner's context was never touched.
    EXPECT_EQ(form.Context().GlobalContainerList.Count(), 0);
}

TEST_F(InstallTree, RemovedContainersAndSpecifiersAreForgotten) {
    auto& install = form.Create<TTestInstall>();
    auto& dir = form.Create<TTestDirectory>();
    auto& file = form.Create<TTestFile>();
    dir.SetName("Directory");
    dir.SetContainer(&install);
    file.SetContainer(&dir);
    EXPECT_EQ(dynamic_cast<TpsContainerDestDir*>(file.DestDirType()),
              StandardPathSpecList(form.Context()).FindByClass<TpsContainerDestDir>());
    dir.Free();
    EXPECT_EQ(file.Container(), nullptr);
    EXPECT_EQ(file.DestDirType(), nullptr);  // a container-relative destination needs a container
    EXPECT_EQ(install.HelperCount(), 0);

    auto& window = *StandardPathSpecList(form.Context()).FindByClass<TpsWindow>();
    file.SetDestDirType(&window);
    window.Free();
    EXPECT_EQ(file.DestDirType(), nullptr);
}

TEST_F(InstallTree, LoadingStoresAndLoadedUndoesUnconfirmedDefaults) {
    auto& install = form.Create<TTestInstall>();
    install.SetName("Install1");
    form.Designing = true;
    // Made at design time: attached to the install with a container destination.
    auto& fresh = form.Create<TTestFile>();
    EXPECT_EQ(fresh.Container(), &install);
    EXPECT_NE(fresh.DestDirType(), nullptr);

    // Made while loading: the defaults hold until Loaded, which drops those
    // the stored configuration did not set.
    {
        TreeBuilder b(form);
        auto& kept = b.add<TTestFile>("Kept").ref("Container", "Install1").ref("DestDirType", "psWindow").get();
        auto& dropped = b.add<TTestFile>("Dropped").get();
        EXPECT_TRUE(kept.IsLoading());
        EXPECT_EQ(dropped.Container(), &install);
        b.Finish();
        EXPECT_FALSE(kept.IsLoading());
        EXPECT_EQ(kept.Container(), &install);
        EXPECT_EQ(kept.DestDirType()->SpecifierName(), "psWindow");
        EXPECT_EQ(dropped.Container(), nullptr);
        EXPECT_EQ(dropped.DestDirType(), nullptr);
        EXPECT_FALSE(install.HasHelper(&dropped));
    }
    form.Designing = false;
}

TEST_F(InstallTree, NamesAreIdentifiersAndUnique) {
    auto& a = form.Create<TTestFile>();
    auto& b = form.Create<TTestFile>();
    a.SetName("File1");
    EXPECT_EQ(ErrorOf([&] { b.SetName("file1"); }), "A component named file1 already exists");
    EXPECT_EQ(ErrorOf([&] { b.SetName("1File"); }), "'1File' is not a valid component name");
    EXPECT_EQ(ErrorOf([&] { b.SetName("my file"); }), "'my file' is not a valid component name");
    b.SetName("_File2");
    EXPECT_EQ(b.Name(), "_File2");
    a.SetName("FILE1");  // its own name in another case
    EXPECT_EQ(form.FindComponent("file1"), &a);

    TreeBuilder builder(form);
    builder.add<TTestFile>("Orphan").ref("Container", "NoSuchGroup");
    EXPECT_EQ(ErrorOf([&] { builder.Finish(); }), "Cannot find the component NoSuchGroup named by Orphan.Container");
    EXPECT_FALSE(form.IsLoading());
    EXPECT_EQ(ErrorOf([&] { a.SetReference("Colour", nullptr); }), "TInstallFile FILE1 has no reference property Colour");
}

TEST_F(InstallTree, TypedListsRefuseBlankEntries) {
    TInstallContainerList containers;
    EXPECT_EQ(ErrorOf([&] { containers.Add(nullptr); }), "Cannot add a blank entry to the TInstallContainerList object");
    TCustomInstallFileList files;
    EXPECT_EQ(ErrorOf([&] { files.Add(nullptr); }), "Cannot add a blank entry to the TCustomInstallFileList object");
    EXPECT_THROW(containers.Add(nullptr), IEContainerList);
    EXPECT_THROW(files.Add(nullptr), IECustomInstallFileList);
    // Every live container is listed in its own context, in creation order.
    auto& install = form.Create<TTestInstall>();
    auto& file = form.Create<TTestFile>();
    EXPECT_EQ(form.Context().GlobalContainerList.Count(), 2);
    EXPECT_EQ(form.Context().GlobalContainerList[1], &file);
    install.Free();
    EXPECT_EQ(form.Context().GlobalContainerList.Count(), 1);
    EXPECT_EQ(form.Context().GlobalInstall, nullptr);
}

TEST_F(InstallTree, FreeCompsFreesChildrenOfAClassLastFirst) {
    auto& install = form.Create<TTestInstall>();
    for (int i = 0; i < 3; ++i) {
        auto& f = form.Create<TTestFile>();
        f.SetName("File" + std::to_string(i));
        f.SetContainer(&install);
    }
    auto& dialog = form.Create<TTestDialog>();
    dialog.SetContainer(&install);
    install.FreeComps<TTestFile>();
    EXPECT_EQ(install.HelperCount(), 1);
    EXPECT_EQ(install.Helper(0), &dialog);
    EXPECT_EQ(form.FindComponent("File1"), nullptr);
}

TEST_F(InstallTree, InstallTypeReachesTheWholeTree) {
    auto& install = form.Create<TTestInstall>();
    auto& a = form.Create<TTestGroup>();
    auto& b = form.Create<TTestDirectory>();
    a.SetContainer(&install);
    // Helper lists filled by AddHelper alone cannot loop either.
    a.AddHelper(&b);
    EXPECT_EQ(ErrorOf([&] { b.AddHelper(&a); }), "Circular reference");
    EXPECT_EQ(ErrorOf([&] { b.AddHelper(&install); }), "Circular reference");
    EXPECT_EQ(b.HelperCount(), 0);
    install.SetActiveInstallType(itCompact);
    EXPECT_EQ(a.ActiveInstallType, itCompact);
    EXPECT_EQ(b.ActiveInstallType, itCompact);
    EXPECT_EQ(install.ActiveInstallType, itCompact);
}

TEST_F(InstallTree, EveryOwnerHasItsOwnEngineState) {
    TComponentOwner other;
    EXPECT_NE(form.Context().GlobalCompressor, nullptr);
    EXPECT_NE(form.Context().GlobalCompressor, other.Context().GlobalCompressor);
    EXPECT_TRUE(form.Context().RaiseActiveXErrors);
    EXPECT_EQ(form.Context().UsedIDs.size(), 2001u);
    EXPECT_EQ(form.Context().UsedIDs[2000], 0);
    auto& install = form.Create<TTestInstall>();
    EXPECT_EQ(form.Context().GlobalInstall, &install);
    EXPECT_EQ(other.Context().GlobalInstall, nullptr);
    EXPECT_EQ(GetDistributeType(other.Context()), dtTraditionalNet);
    EXPECT_EQ(GetDistributeType(form.Context()), dtTraditional);
    EXPECT_FALSE(IsInstallRunning(form.Context()));
    install.Running = true;
    EXPECT_TRUE(IsInstallRunning(form.Context()));
}

TEST_F(InstallTree, OwnersThatAreNoFormStillLinkContainers) {
    TComponentOwner plain(OwnerKind::Other);
    auto& install = plain.Create<TTestInstall>();
    auto& file = plain.Create<TTestFile>();
    EXPECT_NO_THROW(file.SetContainer(&install));
    EXPECT_EQ(file.Container(), &install);
    EXPECT_EQ(file.DestDirType(), nullptr);
    file.SetDestDir("\\Bin");
    EXPECT_EQ(file.GetFullDestDir(), "\\Bin");
}

TEST(DownloadStatus, PercentRoundsHalvesToEven) {
    EXPECT_EQ(MakeDownloadStatus(nullptr, "x.1", 200, 1).Percent, 0);   // 0.5
    EXPECT_EQ(MakeDownloadStatus(nullptr, "x.1", 200, 3).Percent, 2);   // 1.5
    EXPECT_EQ(MakeDownloadStatus(nullptr, "x.1", 200, 5).Percent, 2);   // 2.5
    EXPECT_EQ(MakeDownloadStatus(nullptr, "x.1", 0, 5).Percent, 0);
    EXPECT_EQ(MakeDownloadStatus(nullptr, "x.1", 3, 3).Percent, 100);
    EXPECT_EQ(RoundPercent(std::int64_t(1) << 62, 1), std::numeric_limits<int>::max());
}

TEST(FileStatus, FromStatsAndForAWholeFile) {
    TlzhFileStats stats;
    stats.FileBytesDone = 4096;
    stats.FilePercent = 50;
    stats.TotalBytesDone = 10000;
    stats.TotalPercent = 12;
    stats.Finished = true;
    auto p = FileStatusFromStats(stats, "voreled.exe");
    EXPECT_EQ(p.FileBytesDone, 4096);
    EXPECT_EQ(p.FilePercent, 50);
    EXPECT_EQ(p.TotalBytesDone, 10000);
    EXPECT_EQ(p.TotalPercent, 12);
    EXPECT_EQ(p.FileName, "voreled.exe");
    EXPECT_TRUE(p.FileStats.Finished);
    auto whole = FileStatusForWholeFile(8192, "vorel.ini");
    EXPECT_EQ(whole.FileBytesDone, 8192);
    EXPECT_EQ(whole.FilePercent, 100);
    EXPECT_EQ(whole.FileStats.FileBytesDone, 0);
    EXPECT_FALSE(whole.FileStats.Finished);
    // A receiver tells the parameter kinds apart.
    TList list{nullptr, &whole};
    EXPECT_NE(dynamic_cast<TFileStatusParameter*>(list.Items[1]), nullptr);
    EXPECT_EQ(dynamic_cast<TDiskParameter*>(list.Items[1]), nullptr);
}

}  // namespace
}  // namespace installer
