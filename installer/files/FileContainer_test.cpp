#include <gtest/gtest.h>

#include "installer/base/services/AppServices.h"
#include "installer/components/EngineContext.h"
#include "installer/components/Messages.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/files/InstallFile.h"
#include "installer/files/InstallGroup.h"
#include "installer/files/PsFileContainer.h"
#include "installer/translator/IException.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/TestTree.h"
#include "testkit/support/ErrorOf.h"

namespace installer {
namespace {

using platform::testing::ErrorOf;

class FileContainers : public ::testing::Test {
protected:
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
    TComponentOwner form;
};

// A file whose size is known without an archive.
TInstallFile& SizedFile(TComponentOwner& form, const std::string& name, std::int64_t size) {
    auto& file = form.Create<TInstallFile>();
    file.SetName(name);
    file.SetFileName(name + ".dat");
    file.SetNetInfo(size, 0, "");
    return file;
}

TEST_F(FileContainers, TheRelayWorksOutPassTotalsWithHalvesToEvenAndOnlyInsideAPass) {
    auto& outer = form.Create<TInstallDirectory>();
    outer.SetName("Outer");
    auto& inner = form.Create<TInstallDirectory>();
    inner.SetName("Inner");
    inner.SetContainer(&outer);
    TInstallFile& file = SizedFile(form, "File1", 8);
    file.SetContainer(&inner);
    std::vector<std::pair<int, int>> innerStatus, outerStatus;
    inner.OnStatus = [&](TInstallContainer&, int f, int t) { innerStatus.emplace_back(f, t); };
    outer.OnStatus = [&](TInstallContainer&, int f, int t) { outerStatus.emplace_back(f, t); };

    TFileStatusParameter status;
    TList list{&file, &status};
    // Outside a pass nothing is handled or relayed.
    inner.DoInformationEventControl(&file, scInstallProgress, &list);
    EXPECT_TRUE(innerStatus.empty());

    inner.State = ifsInstall;
    outer.State = ifsInstall;
    inner.Size = 8;
    outer.Size = 16;
    outer.Done = 2;
    status.FileBytesDone = 1;  // 1/8 = 12.5 % -> 12; (2+1)/16 = 18.75 % -> 19
    status.FilePercent = 13;
    inner.DoInformationEventControl(&file, scInstallProgress, &list);
    EXPECT_EQ(innerStatus.back(), std::make_pair(13, 12));
    EXPECT_EQ(outerStatus.back(), std::make_pair(13, 19));
    EXPECT_EQ(status.TotalBytesDone, 3);  // the outermost level's figures stay
    status.FileBytesDone = 3;             // 3/8 = 37.5 % -> 38
    inner.DoInformationEventControl(&file, scInstallProgress, &list);
    EXPECT_EQ(innerStatus.back().second, 38);
    status.FileBytesDone = 8;
    status.FileStats.Finished = true;
    status.FileStats.UnpackedSize = 8;
    inner.DoInformationEventControl(&file, scInstallProgress, &list);
    EXPECT_EQ(inner.Done, 8);
    EXPECT_EQ(outer.Done, 10);

    // A skipped file counts as done; with Size 0 every percentage is 0.
    inner.Size = 0;
    inner.Done = 0;
    inner.DoInformationEventControl(&file, scSkipped, &file);
    EXPECT_EQ(innerStatus.back(), std::make_pair(100, 0));
    EXPECT_EQ(inner.Done, 8);
}

TEST_F(FileContainers, TheRelayRefusesParametersOfTheWrongKind) {
    auto& directory = form.Create<TInstallDirectory>();
    directory.SetName("Dir");
    directory.State = ifsCopying;
    TInstallFile& file = SizedFile(form, "File1", 1);
    TFileStatusParameter status;
    TDiskParameter disk;
    TList one{&file};
    TList swapped{&status, &file};
    TList badSecond{&file, &file};
    TList badDisk{&file, &status};
    auto relay = [&](int code, TObject* p) { return ErrorOf([&] { directory.DoInformationEventControl(&file, code, p); }); };
    EXPECT_EQ(relay(scCopyProgress, nullptr), "Dir got a nil PO parameter");
    EXPECT_EQ(relay(scCopyProgress, &file), "DoInformationEventControl--PO is not a TList object");
    EXPECT_EQ(relay(scCopyProgress, &one), "DoInformationEventControl--Not engouh parameters for status event");
    EXPECT_EQ(relay(scCopyProgress, &swapped), "DoInformationEventControl says bad first parameter");
    EXPECT_EQ(relay(scCopyProgress, &badSecond), "DoInformationEventControl says bad second parameter");
    EXPECT_EQ(relay(scNewDisk, &swapped), "DoInformationEventControl says bad 1 parameter");
    EXPECT_EQ(relay(scNewDisk, &badDisk), "DoInformationEventControl says bad 2 parameter");
    EXPECT_EQ(relay(scReplacing, &status), "DoInformationEventControl parameter is not TInstallFile");
    EXPECT_EQ(relay(scDownloadStatus, &status),
              "The PO object passed to Dir is not a TDownloadStatusParameter object");
    EXPECT_EQ(relay(scKept, &status), "DoInformationEventControl says bad first parameter");
    EXPECT_EQ(relay(scAfterInstall, nullptr), "(no error)");
}

TEST_F(FileContainers, ANewDiskAnsweredByTheContainerGoesBackInTheParameter) {
    auto& directory = form.Create<TInstallDirectory>();
    directory.SetName("Dir");
    directory.State = ifsInstall;
    TInstallFile& file = SizedFile(form, "File1", 1);
    directory.OnNewDisk = [](TInstallContainer&, int disk, std::string& path) { path = "A:\\DISK" + std::to_string(disk); };
    TDiskParameter disk;
    disk.DiskNumber = 2;
    disk.Path = "A:";
    TList list{&file, &disk};
    directory.DoInformationEventControl(&file, scNewDisk, &list);
    EXPECT_EQ(disk.Path, "A:\\DISK2");
    EXPECT_EQ(file.Tag, 1);
}

TEST_F(FileContainers, GroupsSitInTheInstallOrInAnotherGroup) {
    auto& install = form.Create<installer::testing::TTestInstall>();
    install.SetName("Install1");
    auto& group = form.Create<TInstallGroup>();
    group.SetName("Group1");
    group.SetContainer(nullptr);
    EXPECT_EQ(group.Container(), &install);  // no container means the install
    auto& inner = form.Create<TInstallGroup>();
    inner.SetName("Group2");
    inner.SetContainer(&group);
    EXPECT_EQ(inner.Container(), &group);
    auto& directory = form.Create<TInstallDirectory>();
    directory.SetName("Dir");
    directory.SetContainer(&install);
    EXPECT_EQ(ErrorOf([&] { inner.SetContainer(&directory); }),
              "A TInstallGroup component can only be contained by a TInstall, or another TInstallGroup component");
    // Refused before anything changed.
    EXPECT_EQ(inner.Container(), &group);
    EXPECT_TRUE(group.HasHelper(&inner));
    EXPECT_FALSE(directory.HasHelper(&inner));
}

TEST_F(FileContainers, EachContainerGetsItsOwnPathSpecifier) {
    auto& first = form.Create<TInstallDirectory>();
    first.SetName("Dir1");
    first.Description = "Programs";
    first.SetDestDir("C:\\Vorel");
    auto& second = form.Create<TInstallGroup>();
    ASSERT_NE(first.PathSpecifier, nullptr);
    EXPECT_EQ(first.PathSpecifier->Name(), "psFileContainer");
    EXPECT_EQ(second.PathSpecifier->Name(), "psFileContainer1");
    TpsFileContainer& specifier = *first.PathSpecifier;
    EXPECT_EQ(specifier.DescriptionFor(nullptr), "Path into which Programs will be installed");
    EXPECT_EQ(specifier.ShortCaptionFor(nullptr), "<Programs>");
    EXPECT_EQ(specifier.Expand(nullptr), "C:\\Vorel");
    EXPECT_EQ(ErrorOf([&] { specifier.Expand(&second); }),
              "A file container cannot reference another file container or group");
    first.Free();
    EXPECT_EQ(form.FindComponent("psFileContainer"), nullptr);  // freed with its container
}

TEST_F(FileContainers, SizesCountIncludedFilesAndOptionallyTheSubcontainers) {
    auto& directory = form.Create<TInstallDirectory>();
    directory.SetName("Dir");
    auto& sub = form.Create<TInstallDirectory>();
    sub.SetName("Sub");
    sub.SetContainer(&directory);
    SizedFile(form, "A", 10).SetContainer(&directory);
    TInstallFile& excluded = SizedFile(form, "B", 100);
    excluded.SetContainer(&directory);
    excluded.Include = false;
    SizedFile(form, "C", 1000).SetContainer(&sub);
    EXPECT_EQ(directory.FilesSize(false), 10);
    EXPECT_EQ(directory.FilesSize(true), 110);
    EXPECT_EQ(directory.TotalSize(false), 1010);
    EXPECT_EQ(directory.TotalSize(true), 1110);
    sub.Include = false;
    EXPECT_EQ(directory.TotalSize(false), 10);
    EXPECT_EQ(directory.InstallFileCount(), 2);
    EXPECT_EQ(directory.FindFileByPath("b.DAT"), &excluded);
    EXPECT_EQ(directory.FindFileByPath("\\B.dat"), nullptr);
}

TEST_F(FileContainers, CompressWithBothForceOptionsOrWithoutANetLocationChangesNothing) {
    auto& directory = form.Create<TInstallDirectory>();
    directory.SetName("Dir");
    directory.SetArchiveFile("C:\\Build\\dir.1");
    platform::Files().ForceDirectories("C:\\Src");
    { auto out = platform::Files().Open("C:\\Src\\A.dat", platform::FileMode::Create); }
    TInstallFile& file = form.Create<TInstallFile>(&directory, std::string("C:\\Src\\A.dat"));
    file.SetArchiveFileType(nullptr);  // its own archive
    file.SetArchiveFile("C:\\Elsewhere\\a.1");
    EXPECT_EQ(ErrorOf([&] { directory.Compress({coForceNetFilesLocal, coForceFilesNet}); }),
              "Cannot pass both coForceNetFilesLocal and coForceFilesNet to Compress");
    EXPECT_EQ(directory.State, ifsNone);
    EXPECT_EQ(ErrorOf([&] { directory.Compress({}); }), "Could not find a net install location for Dir");
    EXPECT_EQ(directory.State, ifsNone);
    EXPECT_EQ(file.ArchiveFile(), "C:\\Elsewhere\\a.1");
}

TEST_F(FileContainers, AFailingPassEndMessageNeverHidesThePassErrorAndFailsAPassThatWorked) {
    auto& directory = form.Create<TInstallDirectory>();
    directory.SetName("Dir");
    directory.SetArchiveFile("C:\\Build\\dir.1");
    auto& listener = form.Create<testing::TTestDialog>();
    listener.SetName("Listener");
    listener.SetContainer(&directory);
    int ends = 0;
    listener.OnMessage = [&](int id, TObject*) {
        if (id != imPassFinished) return;
        ++ends;
        throw IEFileContainer("the listener failed");
    };
    platform::Files().ForceDirectories("C:\\Src");
    { auto out = platform::Files().Open("C:\\Src\\A.dat", platform::FileMode::Create); }
    TInstallFile& file = form.Create<TInstallFile>(&directory, std::string("C:\\Src\\A.dat"));
    file.SetArchiveFileType(nullptr);
    file.SetArchiveFile("C:\\Elsewhere\\a.1");

    EXPECT_EQ(ErrorOf([&] { directory.Compress({}); }), "Could not find a net install location for Dir");
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(directory.State, ifsNone);

    // A copy with nothing to copy works; then the message's failure is the pass's.
    file.Free();
    EXPECT_EQ(ErrorOf([&] { directory.Copy(); }), "the listener failed");
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(directory.State, ifsNone);
}

TEST_F(FileContainers, AfterACompressEveryChildHasItsSettingsBackAlsoWhenOneFailed) {
    platform::Files().ForceDirectories("C:\\Src");
    {
        auto out = platform::Files().Open("C:\\Src\\A.TXT", platform::FileMode::Create);
        out.WriteBuffer("alpha", 5);
    }
    auto& directory = form.Create<TInstallDirectory>();
    directory.SetName("Dir");
    directory.SetArchiveFile("C:\\Build\\dir.1");
    TInstallFile& good = form.Create<TInstallFile>(&directory, std::string("C:\\Src\\A.TXT"));
    good.SetName("Good");
    good.SetArchiveFileType(nullptr);
    good.SetArchiveFile("C:\\Other\\good.1");
    good.Include = false;
    std::vector<std::string> seen;
    good.OnBeforeCompress = [&](TInstallContainer&) {
        seen.push_back(good.ArchiveFile() + (good.Include ? " included" : " excluded") +
                       (good.AddToArchive == lzcOnlyAdd ? " add" : " new"));
    };
    directory.Compress({coForceNetFilesLocal, coAllInContainerArchive, coIncludeExcluded});
    EXPECT_EQ(seen, (std::vector<std::string>{" included add"}));
    EXPECT_EQ(good.ArchiveFile(), "C:\\Other\\good.1");
    EXPECT_FALSE(good.Include);
    EXPECT_EQ(good.AddToArchive, lzcOverwrite);
    EXPECT_EQ(good.CompressedInto(), "C:\\Build\\dir.1");

    // The same when the child's compress raises: its source file is missing.
    platform::Files().DeleteFile("C:\\Src\\A.TXT");
    EXPECT_NE(ErrorOf([&] { directory.Compress({coForceNetFilesLocal, coAllInContainerArchive, coIncludeExcluded}); }),
              "(no error)");
    EXPECT_EQ(good.ArchiveFile(), "C:\\Other\\good.1");
    EXPECT_FALSE(good.Include);
    EXPECT_EQ(good.AddToArchive, lzcOverwrite);
    EXPECT_EQ(directory.State, ifsNone);
    EXPECT_EQ(services.BusyDepth, 0);
}

TEST_F(FileContainers, RemoveMissingFilesDropsFilesWithoutASource) {
    platform::Files().ForceDirectories("C:\\Src");
    { auto out = platform::Files().Open("C:\\Src\\THERE.TXT", platform::FileMode::Create); }
    auto& directory = form.Create<TInstallDirectory>();
    directory.SetName("Dir");
    form.Create<TInstallFile>(&directory, std::string("C:\\Src\\THERE.TXT")).SetName("There");
    form.Create<TInstallFile>(&directory, std::string("C:\\Src\\GONE.TXT")).SetName("Gone");
    directory.RemoveMissingFiles();
    EXPECT_EQ(directory.InstallFileCount(), 1);
    EXPECT_NE(form.FindComponent("There"), nullptr);
    EXPECT_EQ(form.FindComponent("Gone"), nullptr);
}

}  // namespace
}  // namespace installer
