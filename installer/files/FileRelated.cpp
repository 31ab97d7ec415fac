#include "installer/files/FileRelated.h"

#include "installer/base/Strings.h"
#include "installer/components/EngineContext.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/files/FileContainer.h"
#include "installer/files/InstallFile.h"
#include "installer/files/TempFiles.h"
#include "installer/registry/RegistryRoutines.h"
#include "installer/translator/Translator.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {
namespace {

constexpr int kMachine = 4;  // HKEY_LOCAL_MACHINE

bool NamesWholeArchive(const TCustomPathSpecifier* specifier) {
    return dynamic_cast<const TpsContainerArchiveFile*>(specifier) ||
           dynamic_cast<const TpsMainArchiveFile*>(specifier);
}

}  // namespace

TFileRelated::TFileRelated(TComponentOwner& owner) : TInstallObject(owner) { ProcessWithContainer = true; }

void TFileRelated::AfterConstruction() {
    TInstallObject::AfterConstruction();
    if (containerDefaulted_) {
        archiveFileType_ = StandardPathSpecList(Context()).FindByClass<TpsContainerArchiveFile>();
        archiveFile_.clear();
        archiveFileTypeDefaulted_ = true;
    }
}

void TFileRelated::Loaded() {
    if (archiveFileTypeDefaulted_ && !archiveFileTypeSet_) archiveFileType_ = nullptr;
    TInstallObject::Loaded();
    std::string recorded;
    if (FindRecordedLocalFile(recorded)) LocalArchivePath = recorded;
}

void TFileRelated::Notification(TComponent& removed) {
    TInstallObject::Notification(removed);
    if (&removed == netLocation_) netLocation_ = nullptr;
    if (&removed == archiveFileType_) archiveFileType_ = nullptr;
}

void TFileRelated::SetInstallTypes(TInstallTypes types) { InstallTypes = types.Empty() ? TInstallTypes{itFull} : types; }

void TFileRelated::SetContainer(TInstallContainer* container) {
    const bool same = container == Container();
    TInstallObject::SetContainer(container);
    if (same || IsLoading()) return;
    if (container && (container->IsFileRelated() || container->IsInstallGroup())) {
        archiveFileType_ = StandardPathSpecList(Context()).FindByClass<TpsContainerArchiveFile>();
        archiveFile_.clear();
    } else if (dynamic_cast<TpsContainerArchiveFile*>(archiveFileType_)) {
        archiveFileType_ = nullptr;
    }
}

void TFileRelated::SetReference(const std::string& property, TComponent* target) {
    if (platform::SameNameIgnoringCase(property, "ArchiveFileType")) {
        auto* specifier = dynamic_cast<TCustomPathSpecifier*>(target);
        if (target && !specifier) throw platform::Exception("ArchiveFileType of " + Name() + " must be a path specifier");
        SetArchiveFileType(specifier);
        return;
    }
    if (platform::SameNameIgnoringCase(property, "NetLocation")) {
        auto* location = dynamic_cast<TCustomNetInstallLocation*>(target);
        if (target && !location) throw platform::Exception("NetLocation of " + Name() + " must be a net location");
        SetNetLocation(location);
        return;
    }
    TInstallObject::SetReference(property, target);
}

// ---------------------------------------------------------------- archive settings

void TFileRelated::SetArchiveFile(const std::string& archiveFile) {
    if (!IsLoading() && NamesWholeArchive(archiveFileType_))
        archiveFile_.clear();
    else
        archiveFile_ = archiveFile;
}

void TFileRelated::SetArchiveFileType(TCustomPathSpecifier* specifier) {
    archiveFileTypeSet_ = true;
    if (!IsLoading() && specifier) {
        specifier->Validate(this);
        if (NamesWholeArchive(specifier)) archiveFile_.clear();
    }
    archiveFileType_ = specifier;
}

void TFileRelated::SetNet(bool net) { net_ = net; }

void TFileRelated::SetNetLocation(TCustomNetInstallLocation* location) { netLocation_ = location; }

std::string TFileRelated::GetArchiveFilePath() {
    if (!archiveFileType_) return archiveFile_;
    return RemoveBackslash(archiveFileType_->Expand(this) + archiveFile_);
}

// ---------------------------------------------------------------- local copies

std::string TFileRelated::RecordSubKey() {
    const std::string& record = Context().InstallRecordKey;
    // Without a record the key would land at the top of the machine hive.
    if (record.empty() || Name().empty()) return {};
    return record + "\\" + Name();
}

void TFileRelated::RecordLocalFile(const std::string& path) {
    const std::string key = RecordSubKey();
    if (key.empty() || path.empty()) return;
    try {
        RegWriteString(kMachine, key, "LocalFile", path);
    } catch (const platform::Exception&) {
        // A later run downloads again.
    }
}

bool TFileRelated::FindRecordedLocalFile(std::string& path) {
    const std::string key = RecordSubKey();
    if (key.empty()) return false;
    const std::string value = RegReadString(kMachine, key, "LocalFile", "");
    if (value.empty() || !platform::Files().FileExists(value)) return false;
    path = value;
    return true;
}

bool TFileRelated::IsArchiveAvailable() {
    if (!platform::IsBlank(LocalArchivePath)) return true;
    std::string recorded;
    return FindRecordedLocalFile(recorded);
}

// ---------------------------------------------------------------- net

TCustomNetInstallLocation* TFileRelated::FindNetLocation() {
    if (netLocation_) return netLocation_;
    if (dynamic_cast<TCustomInstallFile*>(this))
        if (auto* container = dynamic_cast<TFileContainer*>(Container())) return container->FindNetLocation();
    return NetLocations(Context()).InstallDefault;
}

std::string TFileRelated::NetSubdirectory() {
    TCustomNetInstallLocation* location = FindNetLocation();
    if (!location) throw IEFileRel_NoNetLocation("Could not find a net install location for %s", {Name()});
    const TCustomLoginInformation& login = location->LoginInformation();
    std::string directory;
    if (!platform::IsBlank(login.Directory))
        directory = MakeValidFileName(login.Directory);
    else
        directory = login.Protocol == ipFTP ? "FTP Root directory" : "HTTP Root directory";
    return MakeValidFileName(login.Hostname) + "\\" + directory;
}

void TFileRelated::DataReceived(const std::string& fileName, std::int64_t bytes, std::int64_t totalBytes,
                                std::int64_t fileSize, const char* buffer) {
    if (OnDataReceived) OnDataReceived(*this, fileName, bytes, totalBytes, fileSize, buffer);
    // The event hands bytes so far and the file's size; the parameter holds
    // the whole in TotalBytes and the part in FileSize.
    TDownloadStatusParameter parameter = MakeDownloadStatus(buffer, fileName, fileSize, totalBytes);
    BroadcastMessage(this, imDownloadStatus, &parameter);
    if (Container()) Container()->DoInformationEventControl(this, scDownloadStatus, &parameter);
}

void TFileRelated::Download() {
    std::string recorded;
    if (FindRecordedLocalFile(recorded)) {
        LocalArchivePath = recorded;
        return;
    }
    TCustomNetInstallLocation* location = FindNetLocation();
    if (!location)
        throw platform::Exception(TranslateFmt("Could not find a net install location for %s", {Name()}));
    if (!location->LoginInformation().IsComplete()) {
        if (netLocation_)
            throw IEFileRelated(
                "%s could not install itself because the TNetLocation component's properties, in the NetLocation "
                "property, have not been filled in",
                {Name()});
        throw IEFileRelated(
            "%s could not install itself because the LoginInformation property of the TInstall component has not "
            "been properly filled in",
            {Name()});
    }
    const std::string local = CreateTempFileWithExt(".1");
    LocalArchivePath = local;
    NetLocationState& state = NetLocations(Context());
    // Nothing half-fetched is ever left as the local archive.
    auto discard = [&] {
        platform::Files().DeleteFile(local);
        LocalArchivePath.clear();
    };
    location->DownloaderDataReceived = [this](TComponent&, const std::string& fileName, std::int64_t bytes,
                                              std::int64_t total, std::int64_t size, const char* buffer) {
        DataReceived(fileName, bytes, total, size, buffer);
    };
    try {
        location->GetFile(Name() + ".1", local);
    } catch (...) {
        location->DownloaderDataReceived = nullptr;
        discard();
        if (state.AbortDownload) throw EAIUserAbort();
        throw;
    }
    location->DownloaderDataReceived = nullptr;
    if (state.AbortDownload) {
        discard();
        throw EAIUserAbort();
    }
    if (!IsDesigning()) RecordLocalFile(LocalArchivePath);
}

}  // namespace installer
