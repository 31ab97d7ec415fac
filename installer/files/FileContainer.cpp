#include "installer/files/FileContainer.h"

#include "installer/base/Strings.h"
#include "installer/components/EngineContext.h"
#include "installer/components/InstallRoot.h"
#include "installer/components/OrderLog.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/files/InstallFile.h"
#include "installer/files/PassEnd.h"
#include "installer/files/PsFileContainer.h"
#include "installer/registry/ComponentNames.h"
#include "installer/base/services/AppServices.h"
#include "installer/translator/IException.h"
#include "platform/core/runtime/Format.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer {

void DeleteArchiveFile(const std::string& owner, const std::string& path) {
    bool failed = false;
    try {
        failed = platform::Files().FileExists(path) && !platform::Files().DeleteFile(path);
    } catch (const platform::Exception&) {
        failed = true;
    }
    if (failed) throw IEFileContainer("%s cannot delete the archive file %s", {owner, path});
}

TFileContainer::TFileContainer(TComponentOwner& owner) : TFileRelated(owner) {}

void TFileContainer::AfterConstruction() {
    TFileRelated::AfterConstruction();
    if (!CreatesPathSpecifier()) return;
    TpsFileContainer& specifier = Owner().Create<TpsFileContainer>(this);
    specifier.AssignNameFromContainer("psFileContainer");
    PathSpecifier = &specifier;
}

void TFileContainer::BeforeDestruction() {
    FreeFiles();
    if (PathSpecifier && !PathSpecifier->IsDestroying()) {
        TpsFileContainer* specifier = PathSpecifier;
        PathSpecifier = nullptr;
        specifier->Free();
    }
    TFileRelated::BeforeDestruction();
}

void TFileContainer::Notification(TComponent& removed) {
    TFileRelated::Notification(removed);
    if (&removed == PathSpecifier) PathSpecifier = nullptr;
}

// ---------------------------------------------------------------- children

int TFileContainer::InstallFileCount() const { return CompCount<TCustomInstallFile>(); }

TCustomInstallFile* TFileContainer::InstallFile(int index) const { return Comp<TCustomInstallFile>(index); }

bool TFileContainer::HasNetFiles() const {
    for (TInstallContainer* child : Helpers())
        if (auto* file = dynamic_cast<TCustomInstallFile*>(child); file && file->Net()) return true;
    return false;
}

TCustomInstallFile* TFileContainer::FindFileByPath(const std::string& path) const {
    for (TInstallContainer* child : Helpers())
        if (auto* file = dynamic_cast<TCustomInstallFile*>(child))
            if (platform::SameNameIgnoringCase(file->MemberName(), path)) return file;
    return nullptr;
}

void TFileContainer::FreeFiles() {
    const auto children = ChildSnapshot();
    for (const ChildRef& ref : children)
        if (StillChild(ref) && dynamic_cast<TCustomInstallFile*>(ref.component)) ref.component->Free();
}

std::int64_t TFileContainer::CalcSize(bool includeExcluded, bool recurse) {
    std::int64_t size = 0;
    for (TInstallContainer* child : Helpers()) {
        if (!includeExcluded && !child->IsIncluded()) continue;
        if (auto* file = dynamic_cast<TCustomInstallFile*>(child))
            size += file->UnpackedSize();
        else if (auto* container = dynamic_cast<TFileContainer*>(child); container && recurse)
            size += container->TotalSize(includeExcluded);
    }
    return size;
}

std::int64_t TFileContainer::CalcPackedSize(bool includeExcluded) {
    std::int64_t size = 0;
    for (TInstallContainer* child : Helpers()) {
        if (!includeExcluded && !child->IsIncluded()) continue;
        if (auto* file = dynamic_cast<TCustomInstallFile*>(child))
            size += file->PackedSize();
        else if (auto* container = dynamic_cast<TFileContainer*>(child))
            size += container->CalcPackedSize(includeExcluded);
    }
    return size;
}

std::int64_t TFileContainer::FilesSize(bool includeExcluded) { return CalcSize(includeExcluded, false); }

std::int64_t TFileContainer::TotalSize(bool includeExcluded) { return CalcSize(includeExcluded, true); }

std::string TFileContainer::GetLocalArchivePath() {
    std::string recorded;
    if (FindRecordedLocalFile(recorded)) return recorded;
    throw IEFileContainer(
        "%s has not yet downloaded the archive file and therefore cannot retrieve the path of the archive file",
        {Name()});
}

void TFileContainer::ReadArchiveInfo() {
    BusyCursor busy;
    for (const ChildRef& ref : ChildSnapshot()) {
        if (!StillChild(ref)) continue;
        if (auto* file = dynamic_cast<TCustomInstallFile*>(ref.component))
            file->ReadInfoFromArchive();
        else if (auto* container = dynamic_cast<TFileContainer*>(ref.component))
            container->ReadArchiveInfo();
    }
    InfoRead = true;
}

void TFileContainer::ReadSourceInfo() {
    BusyCursor busy;
    for (const ChildRef& ref : ChildSnapshot()) {
        if (!StillChild(ref)) continue;
        if (auto* file = dynamic_cast<TCustomInstallFile*>(ref.component))
            file->ReadInfoFromFile();
        else if (auto* container = dynamic_cast<TFileContainer*>(ref.component))
            container->ReadSourceInfo();
    }
}

bool TFileContainer::NeedsInstallNetLocation() {
    if (GetDistributeType(Context()) == dtTraditional) return false;
    for (TInstallContainer* child : Helpers())
        if (auto* file = dynamic_cast<TCustomInstallFile*>(child))
            if (file->Net() && file->Include && !file->NetLocation()) return true;
    return false;
}

// ---------------------------------------------------------------- passes

void TFileContainer::RunPass(TPassKind kind) {
    try {
        switch (kind) {
            case TPassKind::Compress: Compress({}); break;
            case TPassKind::Process: Process(); break;
            case TPassKind::Copy: Copy(); break;
        }
    } catch (...) {
        State = ifsNone;
        throw;
    }
    State = ifsNone;
}

void TFileContainer::Compress(TCompressOptions options) {
    LogCompressOrder(platform::Format("FILECONTAINER: %s", {Description}));
    if (options.Contains(coForceNetFilesLocal) && options.Contains(coForceFilesNet))
        throw IEFileContainer("Cannot pass both coForceNetFilesLocal and coForceFilesNet to Compress");
    State = ifsCompress;
    PassEnd end(*this, [this] { State = ifsNone; });
    if (OnBeforeProcess) OnBeforeProcess(*this);
    if (Include) {
        SendStatus(*this, scContainerBegin, this);
        ReadSourceInfo();
        Size = TotalSize(options.Contains(coIncludeExcluded));
        Done = 0;
        const std::string archiveDir = RemoveBackslash(platform::ExtractFileDir(GetArchiveFilePath()));
        bool netCopyKnown = false;
        try {
            LocalArchivePath = archiveDir + "\\" + NetSubdirectory() + "\\" + Name() + ".1";
            netCopyKnown = true;
        } catch (const IEFileRel_NoNetLocation&) {
            if (!options.Contains(coForceNetFilesLocal)) throw;
        }
        if (AddToArchive == lzcOverwrite)
            DeleteArchiveFile(Name(), platform::ChangeFileExt(GetArchiveFilePath(), ".1"));
        // Only the net copy named by this pass, never an older local path.
        if (netCopyKnown && (HasNetFiles() || (options.Contains(coForceFilesNet) && InstallFileCount() > 0)))
            DeleteArchiveFile(Name(), LocalArchivePath);
        CompressChildren(options, archiveDir);
        if (OnAfterProcess) OnAfterProcess(*this);
        SendStatus(*this, scContainerEnd, this);
    }
    end.Finish();
}

void TFileContainer::CompressChildren(TCompressOptions options, const std::string& archiveDir) {
    for (const ChildRef& ref : ChildSnapshot()) {
        if (!StillChild(ref)) continue;
        auto* child = dynamic_cast<TFileRelated*>(ref.component);
        if (!child) continue;
        auto* file = dynamic_cast<TCustomInstallFile*>(child);
        const bool forcedNet = file && !options.Contains(coForceNetFilesLocal) &&
                               (file->Net() || options.Contains(coForceFilesNet));

        struct Saved {
            TlzhCommand add;
            std::string file;
            TCustomPathSpecifier* type;
            bool include;
        } saved{child->AddToArchive, child->ArchiveFile(), child->ArchiveFileType(), child->Include};
        const std::uint64_t serial = child->Serial();
        auto restore = [&] {
            if (!Owner().IsAlive(child, serial)) return;
            child->AddToArchive = saved.add;
            child->Include = saved.include;
            child->PutArchive(saved.type, saved.file);
        };
        try {
            if (options.Contains(coIncludeExcluded)) child->Include = true;
            auto ownNetPath = [&] { return archiveDir + "\\" + child->NetSubdirectory() + "\\" + child->Name() + ".1"; };
            auto put = [&](TCustomPathSpecifier* type, const std::string& path) { child->PutArchive(type, path); };
            if (forcedNet && file->NetLocation()) {
                child->AddToArchive = lzcOverwrite;
                put(nullptr, ownNetPath());
                file->MarkDistributionNetFile(true);
            } else if (forcedNet) {
                child->AddToArchive = lzcOnlyAdd;
                put(nullptr, file->HasOwnArchive() ? ownNetPath() : LocalArchivePath);
                file->MarkDistributionNetFile(true);
            } else if (options.Contains(coAllInContainerArchive)) {
                child->AddToArchive = lzcOnlyAdd;
                put(nullptr, "");
            } else if (dynamic_cast<TpsContainerArchiveFile*>(child->ArchiveFileType())) {
                child->AddToArchive = lzcOnlyAdd;
            } else if (dynamic_cast<TpsInstallSource*>(child->ArchiveFileType())) {
                child->AddToArchive = lzcOverwrite;
                TInstallContainer* install = GlobalInstallComponent(Context());
                const std::string installArchive = install ? install->GetArchiveFilePath() : GetArchiveFilePath();
                put(nullptr, RemoveBackslash(platform::ExtractFileDir(installArchive)) + child->ArchiveFile());
            } else if (options.Contains(coRelocateArchives)) {
                child->AddToArchive = lzcOverwrite;
                const std::string relocated = archiveDir + TextAfterColon(child->GetArchiveFilePath());
                put(nullptr, relocated);
            }
            if (auto* container = dynamic_cast<TFileContainer*>(child))
                container->Compress(options);
            else if (file)
                file->CompressFile();
        } catch (...) {
            restore();
            throw;
        }
        restore();
    }
}

void TFileContainer::Copy() {
    State = ifsCopying;
    PassEnd end(*this, [this] { State = ifsNone; });
    if (OnBeforeProcess) OnBeforeProcess(*this);
    if (Include) {
        SendStatus(*this, scContainerBegin, this);
        ReadSourceInfo();
        Size = TotalSize(false);
        Done = 0;
        for (const ChildRef& ref : ChildSnapshot())
            if (StillChild(ref))
                if (auto* file = dynamic_cast<TCustomInstallFile*>(ref.component)) file->CopyToDestination();
        for (const ChildRef& ref : ChildSnapshot())
            if (StillChild(ref))
                if (auto* container = dynamic_cast<TFileContainer*>(ref.component)) container->Copy();
        if (OnAfterProcess) OnAfterProcess(*this);
        SendStatus(*this, scContainerEnd, this);
    }
    end.Finish();
}

void TFileContainer::Install() {
    LogInstallOrder(platform::Format("FILECONTAINER: %s", {Description}));
    State = ifsInstall;
    bool wasAborted = false;
    {
        PassEnd end(*this, [this] { State = ifsNone; });
        {
            BusyCursor busy;
            std::string recorded;
            if (FindRecordedLocalFile(recorded)) LocalArchivePath = recorded;
            ReadArchiveInfo();
            BroadcastMessage(this, imBeginInstall, nullptr);
            SendStatus(*this, scContainerBegin, this);
            Size = TotalSize(false);
            Done = 0;
            if (OnBeforeInstallObjects) OnBeforeInstallObjects(*this);
            TFileRelated::Install();
            SendStatus(*this, scContainerEnd, this);
        }
        wasAborted = Context().GlobalCompressor && Context().GlobalCompressor->Abort;
        end.Finish();
    }
    if (FireAfterInstallObjects && OnAfterInstallObjects) OnAfterInstallObjects(*this, wasAborted);
}

// ---------------------------------------------------------------- status relay

void TFileContainer::NilParameter() const { throw IEFileContainer("%s got a nil PO parameter", {Name()}); }

void TFileContainer::DoNewDisk(TCustomInstallFile& file, TDiskParameter& disk) {
    if (!OnNewDisk) return;
    std::string path = disk.Path;
    OnNewDisk(file, disk.DiskNumber, path);
    file.Tag = 1;
    disk.Path = path;
}

void TFileContainer::DoReplacing(TCustomInstallFile& file) {
    if (OnReplacing) OnReplacing(file);
    BroadcastMessage(this, imReplacingFile, &file);
}

void TFileContainer::DoStatus(TCustomInstallFile& file, TFileStatusParameter& status) {
    if (OnStatus) OnStatus(file, status.FilePercent, status.TotalPercent);
    BroadcastMessage(this, imFileStatus, &status);
}

void TFileContainer::RelayProgress(TInstallContainer*, TObject* parameter) {
    if (!parameter) NilParameter();
    auto* list = dynamic_cast<TList*>(parameter);
    if (!list) throw IEFileContainer("DoInformationEventControl--PO is not a TList object");
    if (list->Count() < 2) throw IEFileContainer("DoInformationEventControl--Not engouh parameters for status event");
    auto* file = dynamic_cast<TCustomInstallFile*>(list->Items[0]);
    if (!file) throw IEFileContainer("DoInformationEventControl says bad first parameter");
    auto* status = dynamic_cast<TFileStatusParameter*>(list->Items[1]);
    if (!status) throw IEFileContainer("DoInformationEventControl says bad second parameter");
    status->TotalBytesDone = Done + status->FileBytesDone;
    status->TotalPercent = RoundPercent(status->TotalBytesDone, Size);
    DoStatus(*file, *status);
    if (status->FileStats.Finished && State != ifsNone) Done += status->FileStats.UnpackedSize;
}

void TFileContainer::RelayWholeFile(TObject* parameter) {
    if (!parameter) NilParameter();
    auto* file = dynamic_cast<TCustomInstallFile*>(parameter);
    if (!file) throw IEFileContainer("DoInformationEventControl says bad first parameter");
    TFileStatusParameter status = FileStatusForWholeFile(file->UnpackedSize(), file->FileName());
    status.TotalBytesDone = Done + file->UnpackedSize();
    status.TotalPercent = RoundPercent(status.TotalBytesDone, Size);
    DoStatus(*file, status);
    Done += file->UnpackedSize();
}

void TFileContainer::DoInformationEventControl(TInstallContainer* sender, int code, TObject* parameter) {
    if (State == ifsNone) return;
    switch (code) {
        case scReplacing: {
            if (!parameter) NilParameter();
            auto* file = dynamic_cast<TCustomInstallFile*>(parameter);
            if (!file) throw IEFileContainer("DoInformationEventControl parameter is not TInstallFile");
            DoReplacing(*file);
            break;
        }
        case scInstallProgress:
        case scCompressProgress:
        case scCopyProgress:
            RelayProgress(sender, parameter);
            break;
        case scNewDisk: {
            if (!parameter) NilParameter();
            auto* list = dynamic_cast<TList*>(parameter);
            if (!list) throw IEFileContainer("DoInformationEventControl--PO is not a TList object");
            if (list->Count() < 2)
                throw IEFileContainer("DoInformationEventControl--Not engouh parameters for status event");
            auto* file = dynamic_cast<TCustomInstallFile*>(list->Items[0]);
            if (!file) throw IEFileContainer("DoInformationEventControl says bad %d parameter", {1});
            auto* disk = dynamic_cast<TDiskParameter*>(list->Items[1]);
            if (!disk) throw IEFileContainer("DoInformationEventControl says bad %d parameter", {2});
            DoNewDisk(*file, *disk);
            BroadcastMessage(this, imChangeDisk, list);
            break;
        }
        case scDownloadStatus: {
            if (!parameter) NilParameter();
            auto* status = dynamic_cast<TDownloadStatusParameter*>(parameter);
            if (!status)
                throw IEFileContainer("The PO object passed to %s is not a TDownloadStatusParameter object", {Name()});
            if (OnDataReceived)
                OnDataReceived(*this, status->FileName, 0, status->FileSize, status->TotalBytes, status->Buffer);
            BroadcastMessage(this, imDownloadStatus, status);
            break;
        }
        case scSkipped:
        case scKept:
            RelayWholeFile(parameter);
            break;
        default:
            break;
    }
    if (Container()) Container()->DoInformationEventControl(this, code, parameter);
}

}  // namespace installer
