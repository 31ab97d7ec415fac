#include "installer/files/InstallFile.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

#include "installer/base/ApiRoutines.h"
#include "installer/base/Strings.h"
#include "installer/components/EngineContext.h"
#include "installer/components/OrderLog.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/files/InstallEngine.h"
#include "installer/files/PassEnd.h"
#include "installer/files/SelfRegistration.h"
#include "installer/files/TempFiles.h"
#include "installer/registry/RegistryRoutines.h"
#include "installer/registry/TmslRegistry.h"
#include "installer/base/services/AppServices.h"
#include "installer/registry/UninstallFiles.h"
#include "installer/translator/IException.h"
#include "installer/translator/Translator.h"
#include "installer/version/PeVersionBlock.h"
#include "installer/version/SystemRootFiles.h"
#include "platform/core/inifile/IniFile.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/restart/Restart.h"
#include "platform/core/runtime/Count.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer {
namespace {

constexpr int kMachine = 4;  // HKEY_LOCAL_MACHINE
constexpr int kTemporaryNameTries = 9999;
constexpr const char* kBlankDestination =
    "Cannot compress,copy, or install the following file because it's destination directory is blank. File is :%s";
constexpr const char* kBlankArchive =
    "Cannot either compress or decompress the following file because it's archive file property is blank. File is "
    ":%s";

// The local copy of an object's archive: its path when set, else the recorded one.
std::string LocalCopy(TFileRelated& object) {
    if (!platform::IsBlank(object.LocalArchivePath)) return object.LocalArchivePath;
    std::string recorded;
    return object.FindRecordedLocalFile(recorded) ? recorded : std::string();
}

// A counter one higher; a negative one (no count) starts again, a full one stays.
std::int32_t CountedOnce(std::int32_t count) {
    if (count < 0) return 1;
    return count == INT32_MAX ? count : count + 1;
}

// The stamps the product's uninstall log kept for each file of earlier
// installs (by upper-case path), read once per run: this run's own entries
// join the log as it goes and must not count.
struct EarlierInstalls {
    bool read = false;
    std::map<std::string, std::vector<std::string>> stamps;
};

}  // namespace

bool TCustomInstallFile::ChangedSinceInstalled(const std::string& dest) {
    EngineContext& context = Context();
    EarlierInstalls& earlier = context.Slot<EarlierInstalls>();
    if (!earlier.read) {
        earlier.read = true;
        if (context.GlobalInstall)
            for (const auto& [path, stamp] : ReadUninstallFiles("\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                                                                platform::TrimControls(context.GlobalInstall->ProductName())))
                earlier.stamps[platform::AsciiUpper(path)].push_back(stamp);
    }
    const auto found = earlier.stamps.find(platform::AsciiUpper(dest));
    if (found == earlier.stamps.end()) return false;
    // As the uninstaller judges it: a log without stamps knows nothing else.
    const std::string now = FileStamp(dest);
    bool installed = false;
    for (const std::string& stamp : found->second) {
        if (stamp.empty() || stamp == now) return false;
        installed |= stamp != kFoundStamp;
    }
    return installed;
}

std::string NetRecordName(const std::string& componentName) { return componentName.substr(0, 39); }

int AllocateFileID(EngineContext& context, bool& marked) {
    static_assert(std::tuple_size_v<decltype(context.UsedIDs)> >= kFileIdTableSize, "every identifier has a slot");
    for (int id = 0; id < kFileIdTableSize; ++id)
        if (!context.UsedIDs[static_cast<std::size_t>(id)]) {
            context.UsedIDs[static_cast<std::size_t>(id)] = 1;
            marked = true;
            return id;
        }
    marked = false;
    return 0;
}

namespace {
// Whether the identifier table was cleared for the configuration being loaded.
struct FileIdLoadState {
    bool cleared = false;
};
}  // namespace

// ---------------------------------------------------------------- creation

TCustomInstallFile::TCustomInstallFile(TComponentOwner& owner) : TFileRelated(owner) {
    ProcessWithContainer = true;
    Include = true;
    SetNet(false);
}

TCustomInstallFile::TCustomInstallFile(TComponentOwner& owner, const std::string& sourcePath)
    : TCustomInstallFile(owner) {
    InitFromPath(sourcePath);
}

TCustomInstallFile::TCustomInstallFile(TComponentOwner& owner, TInstallContainer* container,
                                       const std::string& sourcePath)
    : TCustomInstallFile(owner) {
    InitFromPath(sourcePath);
    SetContainer(container);
}

void TCustomInstallFile::InitFromPath(const std::string& sourcePath) {
    SetIncludeFromDir(RemoveBackslash(platform::ExtractFilePath(sourcePath)));
    SetFileName(platform::ExtractFileName(sourcePath));
}

void TCustomInstallFile::AfterConstruction() {
    TFileRelated::AfterConstruction();
    uniqueID_ = AllocateFileID(Context(), idMarked_);
    Context().GlobalInstallFileList.Add(this);
}

void TCustomInstallFile::BeforeDestruction() {
    EngineContext& context = Context();
    if (idMarked_ && uniqueID_ >= 0 && uniqueID_ < kFileIdTableSize)
        context.UsedIDs[static_cast<std::size_t>(uniqueID_)] = 0;
    idMarked_ = false;
    context.GlobalInstallFileList.Remove(this);
    while (context.RetryActiveXList.Remove(this) >= 0) {
    }
    TFileRelated::BeforeDestruction();
}

void TCustomInstallFile::Loaded() {
    EngineContext& context = Context();
    auto& ids = context.Slot<FileIdLoadState>();
    if (!ids.cleared) {
        // The stored identifiers are what counts once a configuration was read.
        context.UsedIDs.fill(0);
        ids.cleared = true;
    }
    if (uniqueID_ >= 0 && uniqueID_ < kFileIdTableSize) {
        context.UsedIDs[static_cast<std::size_t>(uniqueID_)] = 1;
        idMarked_ = true;
    }
    TFileRelated::Loaded();
}

void TCustomInstallFile::SetUniqueID(int id) {
    EngineContext& context = Context();
    if (idMarked_ && uniqueID_ >= 0 && uniqueID_ < kFileIdTableSize)
        context.UsedIDs[static_cast<std::size_t>(uniqueID_)] = 0;
    uniqueID_ = id;
    idMarked_ = id >= 0 && id < kFileIdTableSize;
    if (idMarked_) context.UsedIDs[static_cast<std::size_t>(id)] = 1;
}

// ---------------------------------------------------------------- paths and facts

std::string TCustomInstallFile::DestinationDir() { return GetFullDestDir(); }

std::string TCustomInstallFile::GetDestPath() { return AddBackslash(RemoveBackslash(DestinationDir())) + destName_; }

std::string TCustomInstallFile::MemberName() const { return AddBackslash(includeFromDir_) + fileName_; }

std::string TCustomInstallFile::SourceExtension() const { return platform::AsciiUpper(platform::ExtractFileExt(fileName_)); }

bool TCustomInstallFile::HasOwnArchive() const {
    return NetLocation() || OverwriteMode == TOverwriteType::owVersion || OverwriteMode == TOverwriteType::owDate ||
           OverwriteMode == TOverwriteType::owVersionDate;
}

void TCustomInstallFile::BlankDestination() const { throw IECustomInstallFile(kBlankDestination, {Name()}); }

void TCustomInstallFile::BlankArchive() const { throw IECustomInstallFile(kBlankArchive, {fileName_}); }

std::string TCustomInstallFile::GetArchiveFilePath() {
    EngineContext& context = Context();
    const TDistributeType type = GetDistributeType(context);
    const bool netFile = type == dtWeb || (type != dtTraditional && Net());
    if (netFile && (IsInstallRunning(context) || state_ == ifsInstall)) {
        if (HasOwnArchive()) {
            const std::string own = LocalCopy(*this);
            if (!own.empty()) return own;
        }
        if (auto* container = dynamic_cast<TFileContainer*>(Container())) {
            const std::string shared = LocalCopy(*container);
            if (!shared.empty()) return shared;
        }
    }
    return TFileRelated::GetArchiveFilePath();
}

std::string TCustomInstallFile::NetFileRecord() const {
    std::string record(72, '\0');
    const auto size = static_cast<std::int32_t>(std::clamp<std::int64_t>(unpackedSize_, INT32_MIN, INT32_MAX));
    for (int i = 0; i < 4; ++i) record[static_cast<std::size_t>(i)] = static_cast<char>((size >> (8 * i)) & 0xFF);
    std::memcpy(record.data() + 4, &fileDateTime_, 8);
    // Zero-padded fields; a text that does not fit is cut to leave its terminator.
    const std::string name = NetRecordName(Name());
    std::memcpy(record.data() + 12, name.data(), name.size());
    std::memcpy(record.data() + 52, version_.data(), std::min<std::size_t>(version_.size(), 19));
    return record;
}

// ---------------------------------------------------------------- property rules

void TCustomInstallFile::CheckDuplicate(TInstallContainer* container, const std::string& dir,
                                        const std::string& fileName) {
    auto* files = dynamic_cast<TFileContainer*>(container);
    if (!files) return;
    const std::string path = AddBackslash(dir) + fileName;
    TCustomInstallFile* other = files->FindFileByPath(path);
    if (other && other != this) throw IEfcDuplicateFile("There is already a file with the name :%s", {path});
}

void TCustomInstallFile::SetContainer(TInstallContainer* container) {
    if (!IsLoading() && container != Container()) {
        if (container && !container->IsFileContainer())
            throw IECustomInstallFile(
                "The following TInstallFile component %s requires the Container property to be a component "
                "descended from the TFileContainer component",
                {Name()});
        CheckDuplicate(container, includeFromDir_, fileName_);
    }
    TFileRelated::SetContainer(container);
    if (!IsLoading()) ApplyFileTypeDefaults();
}

void TCustomInstallFile::SetFileName(const std::string& fileName) {
    if (IsLoading()) {
        fileName_ = fileName;
        return;
    }
    if (fileName == fileName_) return;
    if (Container()) CheckDuplicate(Container(), includeFromDir_, fileName);
    fileName_ = fileName;
    if (!platform::IsBlank(fileName)) SetDestName(fileName);
    SourceChanged();
    ApplyFileTypeDefaults();
}

void TCustomInstallFile::SetIncludeFromDir(const std::string& dir) {
    if (IsLoading()) {
        includeFromDir_ = dir;
        return;
    }
    if (dir == includeFromDir_) return;
    if (Container()) CheckDuplicate(Container(), dir, fileName_);
    includeFromDir_ = dir;
    SourceChanged();
    ApplyFileTypeDefaults();
}

void TCustomInstallFile::SourceChanged() {
    const std::string ext = SourceExtension();
    RegisterAsHelp = ext == ".HLP" || ext == ".CNT";
    SetActiveX(ext == ".OCX" || IsOLESelfRegister());
}

void TCustomInstallFile::SetDestName(const std::string& destName) {
    destName_ = destName;
    if (!IsLoading()) ApplyFileTypeDefaults();
}

void TCustomInstallFile::SetActiveX(bool activeX) {
    const bool turningOn = activeX && !activeX_;
    activeX_ = activeX;
    if (IsLoading()) return;
    if (turningOn) SetFileType(iftSystemWideDLL);
    ApplyFileTypeDefaults();
}

void TCustomInstallFile::SetFileType(TInstallFileType fileType) {
    if (IsLoading()) {
        fileType_ = fileType;
        return;
    }
    if (fileType == fileType_) return;
    fileType_ = fileType;
    switch (fileType) {
        case iftJustADLL:
        case iftApplicationSpecificDLL: OverwriteMode = TOverwriteType::owVersionDate; break;
        case iftVendorSharedDLL:
        case iftSystemWideDLL:
            UpdateDLLCounter = true;
            OverwriteMode = TOverwriteType::owVersionDate;
            break;
        default: break;
    }
    ApplyFileTypeDefaults();
}

// The kind of a file decides where it goes: after every setter of the
// property rules, not only when the kind changes.
void TCustomInstallFile::ApplyFileTypeDefaults() {
    if (fileType_ == iftNormal || fileType_ == iftJustADLL) return;
    TStandardPathSpecList& list = StandardPathSpecList(Context());
    // The base setters: these defaults must not start the rules again.
    switch (fileType_) {
        case iftApplicationSpecificDLL:
            TFileRelated::SetDestDirType(list.FindByClass<TpsMainInstall>());
            TFileRelated::SetDestDir("\\System");
            break;
        case iftVendorSharedDLL:
            TFileRelated::SetDestDirType(list.FindByClass<TpsCommonFiles>());
            TFileRelated::SetDestDir("\\System");
            break;
        case iftSystemWideDLL:
            TFileRelated::SetDestDirType(list.FindByClass<TpsSystem>());
            TFileRelated::SetDestDir("");
            break;
        default: break;
    }
}

void TCustomInstallFile::SetDestDir(const std::string& destDir) {
    TFileRelated::SetDestDir(destDir);
    if (!IsLoading()) ApplyFileTypeDefaults();
}

void TCustomInstallFile::SetDestDirType(TCustomPathSpecifier* specifier) {
    const bool changed = specifier != DestDirType();
    TFileRelated::SetDestDirType(specifier);
    if (IsLoading()) return;
    const std::string ext = SourceExtension();
    if (changed && (ext == ".DLL" || ext == ".OCX" || ext == ".BLL" || ext == ".EXE")) {
        if (dynamic_cast<TpsWindow*>(specifier) || dynamic_cast<TpsBDEDLL*>(specifier))
            OverwriteMode = TOverwriteType::owVersionDate;
        else if (dynamic_cast<TpsSystem*>(specifier))
            SetFileType(iftSystemWideDLL);
    }
    ApplyFileTypeDefaults();
}

bool TCustomInstallFile::IsOLESelfRegister() {
    std::optional<VersionBlock> block;
    try {
        block = ReadVersionBlock(platform::Files().HostPath(MemberName()));
    } catch (const platform::Exception&) {
        return false;
    }
    if (!block) return false;
    auto translation = block->Value("\\VarFileInfo\\Translation");
    if (!translation || translation->size() < 4) return false;
    const unsigned language = (*translation)[0] | ((*translation)[1] << 8);
    const unsigned codePage = (*translation)[2] | ((*translation)[3] << 8);
    char table[9];
    std::snprintf(table, sizeof table, "%04X%04X", language, codePage);
    return block->Text("\\StringFileInfo\\" + std::string(table) + "\\OLESelfRegister").has_value();
}

// ---------------------------------------------------------------- passes

void TCustomInstallFile::SetState(TInstallFileState state) {
    switch (state) {
        case ifsCompress: CompressFile(); break;
        case ifsInstall: Install(); break;
        case ifsCopying: CopyToDestination(); break;
        case ifsNone: break;
    }
    state_ = ifsNone;
}

void TCustomInstallFile::AbortOperation() { throw EAIUserAbort(); }

void TCustomInstallFile::CompressFile() {
    TTmslCompress& compressor = *Context().GlobalCompressor;
    state_ = ifsCompress;
    PassEnd end(*this, [&] {
        compressor.OnStatus = nullptr;
        compressor.OnAborted = nullptr;
        state_ = ifsNone;
    });
    try {
        if (OnBeforeCompress) OnBeforeCompress(*this);
        SendStatus(*this, scBeforeCompress, this);
        std::string archive = GetArchiveFilePath();
        // A file without an archive of its own packs into its container's.
        if (platform::IsBlank(archive) && Container() && Container()->IsFileRelated())
            archive = Container()->GetArchiveFilePath();
        if (platform::IsBlank(archive)) BlankArchive();
        if (Include) {
            platform::Files().ForceDirectories(platform::ExtractFileDir(archive));
            compressor.SetCompressedFile(archive);
            compressor.OnAborted = [this](TTmslCompress&) { AbortOperation(); };
            compressor.OnStatus = [this](TTmslCompress& c, TlzhFileStats& s) { ReportStatus(c, s); };
            compressor.SetFilesToProcess({MemberName()});
            compressor.Compress(AddToArchive == lzcOnlyAdd, uniqueID_);
            compressedInto_ = archive;
            LogCompressOrder(platform::Format("CompName: %s, File: %s", {Name(), fileName_}));
            if (OnAfterCompress) OnAfterCompress(*this);
            SendStatus(*this, scAfterCompress, this);
        }
    } catch (const platform::EAbort&) {
        // A silent abort ends the pass like a finished one; the caller checks the abort flag.
    }
    end.Finish();
}

void TCustomInstallFile::CopyToDestination() {
    TTmslCompress& compressor = *Context().GlobalCompressor;
    state_ = ifsCopying;
    PassEnd end(*this, [&] {
        compressor.OnStatus = nullptr;
        state_ = ifsNone;
    });
    try {
        if (OnBeforeCopy) OnBeforeCopy(*this);
        SendStatus(*this, scBeforeCopy, this);
        if (Include) {
            const std::string dir = DestinationDir();
            if (platform::IsBlank(dir)) BlankDestination();
            platform::Files().ForceDirectories(dir);
            compressor.OnStatus = [this](TTmslCompress& c, TlzhFileStats& s) { ReportStatus(c, s); };
            compressor.CopyFileChecked(MemberName(), GetDestPath());
            if (OnAfterCopy) OnAfterCopy(*this);
            SendStatus(*this, scAfterCopy, this);
        }
    } catch (const platform::EAbort&) {
        // A silent abort ends the pass like a finished one; the caller checks the abort flag.
    }
    end.Finish();
}

void TCustomInstallFile::ReadInfoFromFile() {
    const std::string path = MemberName();
    auto& files = platform::Files();
    std::optional<platform::TDateTime> date;
    std::int64_t size = -1;
    try {
        platform::FileStream stream = files.Open(path, platform::FileMode::Read);
        size = stream.Size();
        date = files.FileDateTime(path);
    } catch (const platform::Exception&) {
        size = -1;
    }
    if (size < 0 || !date)
        throw IECustomInstallFile("Could not open or find the following file when trying to read the Size, Date, and Version :%s",
                                  {path});
    unpackedSize_ = size;
    fileDateTime_ = *date;
    version_ = FileVersionOf(path).substr(0, 20);
}

std::string TCustomInstallFile::ChooseArchiveForInfo(bool& readIt) {
    readIt = true;
    const TDistributeType type = GetDistributeType(Context());
    if (type == dtTraditional || (type == dtTraditionalNet && !Net())) return TFileRelated::GetArchiveFilePath();
    if (HasOwnArchive()) {
        const std::string own = LocalCopy(*this);
        if (!own.empty()) return own;
    }
    auto* container = dynamic_cast<TFileContainer*>(Container());
    if (!container)
        throw IECustomInstallFile(
            "%s cannot perform ReadInfoFromArchive because either no container is assigned or the container is "
            "not TFileContainer",
            {Name()});
    const std::string shared = LocalCopy(*container);
    if (shared.empty()) readIt = false;
    return shared;
}

bool TCustomInstallFile::UseGlobalCompressor() {
    TInstallContainer* install = GlobalInstallComponent(Context());
    return install && platform::SameNameIgnoringCase(GetArchiveFilePath(), install->GetArchiveFilePath());
}

void TCustomInstallFile::ReadInfoFromArchive() {
    EngineContext& context = Context();
    if (IsInstallRunning(context) && infoRead_) return;
    bool readIt = true;
    const std::string archive = ChooseArchiveForInfo(readIt);
    if (!readIt) return;
    if (platform::IsBlank(archive)) BlankArchive();
    TInstallContainer* install = GlobalInstallComponent(context);
    std::unique_ptr<TTmslCompress> own;
    TTmslCompress* compressor = context.GlobalCompressor.get();
    if (!install || !platform::SameNameIgnoringCase(archive, install->GetArchiveFilePath())) {
        own = std::make_unique<TTmslCompress>();
        compressor = own.get();
    }
    compressor->SetCompressedFile(archive);
    const int index = compressor->IndexOfID(uniqueID_);
    const TFileHeader& header = compressor->Headers().FileHeaders(index);
    packedSize_ = header.PackedSize;
    fileDateTime_ = header.FileDate;
    unpackedSize_ = header.UnpackedSize;
    version_ = header.Version;
    infoRead_ = true;
}

// ---------------------------------------------------------------- install

void TCustomInstallFile::Install() {
    tempName_ = false;
    extractName_.clear();
    willWrite_ = false;
    installedHere_ = false;
    try {
        SendStatus(*this, scBeforeInstall, this);
        if (OnBeforeInstall) OnBeforeInstall(*this);
    } catch (const platform::EAbort&) {
        SendStatus(*this, scSkipped, this);
        return;
    }
    if (platform::IsBlank(DestinationDir())) BlankDestination();
    const std::string dest = GetDestPath();
    destExisted_ = platform::Files().FileExists(dest);
    const int decision = CompareHeaderForOverwrite(version_, dest, OverwriteMode, fileDateTime_);
    bool write = decision == kOverwriteFailed || decision == kOverwriteWrite;
    // A file an earlier install left that the user changed since is the
    // user's now: kept, and logged as found, never as this install's.
    const bool changed = destExisted_ && ChangedSinceInstalled(dest);
    if (changed && write) {
        write = false;
        LogInstallOrder(platform::Format("Kept %s: changed since it was installed", {dest}));
    }
    if (write) {
        try {
            ReplaceLockedFile();
        } catch (const platform::EAbort&) {
            write = false;
            willWrite_ = false;
        }
    }
    installedHere_ = !changed && (write || decision == kOverwriteSame);
    if (write)
        Extract();
    else
        Keep();
}

void TCustomInstallFile::Keep() {
    SendStatus(*this, scKept, this);
    AfterInstallSteps();
    if (OnAfterInstall) OnAfterInstall(*this);
    SendStatus(*this, scAfterInstall, this);
    TFileRelated::Install();
}

void TCustomInstallFile::Extract() {
    EngineContext& context = Context();
    std::string recorded;
    if (FindRecordedLocalFile(recorded)) LocalArchivePath = recorded;
    const TDistributeType type = GetDistributeType(context);
    const bool netInstall = type != dtTraditional && (Net() || type == dtWeb);
    std::unique_ptr<TTmslCompress> own;
    TTmslCompress* compressor = nullptr;
    if (netInstall) {
        if (HasOwnArchive()) {
            Download();
        } else if (auto* container = dynamic_cast<TFileContainer*>(Container());
                   container && !container->IsArchiveAvailable()) {
            container->Download();
        }
    }
    if (!netInstall && UseGlobalCompressor()) {
        compressor = context.GlobalCompressor.get();
    } else {
        own = std::make_unique<TTmslCompress>();
        compressor = own.get();
    }
    ExtractWith(*compressor);
}

void TCustomInstallFile::ExtractWith(TTmslCompress& compressor) {
    EngineContext& context = Context();
    LogInstallOrder(platform::Format("CompName: %s, File: %s", {Name(), fileName_}));
    state_ = ifsInstall;
    // A failed pass-end message stops the rest of the install like an abort.
    PassEnd end(
        *this,
        [&] {
            compressor.OnNewDisk = nullptr;
            compressor.OnStatus = nullptr;
            compressor.OnAborted = nullptr;
            if (compressor.Abort && context.GlobalCompressor) context.GlobalCompressor->Abort = true;
            state_ = ifsNone;
        },
        [&] {
            if (context.GlobalCompressor) context.GlobalCompressor->Abort = true;
        });
    const std::string dir = DestinationDir();
    platform::Files().ForceDirectories(dir);
    const std::string archive = GetArchiveFilePath();
    if (platform::IsBlank(archive)) BlankArchive();
    compressor.SetCompressedFile(archive);
    compressor.ExtractDirectory = dir;
    compressor.DestinationName = ExtractName();
    // Written or not was decided above; the archive replaces the file
    // through a temporary file, so a failed extraction keeps the old one.
    compressor.Overwrite = TOverwriteType::owAlways;
    compressor.OnAborted = [this](TTmslCompress&) { AbortOperation(); };
    compressor.OnNewDisk = [this](TTmslCompress& c, int disk, std::string& path) { AskForDisk(c, disk, path); };
    compressor.OnStatus = [this](TTmslCompress& c, TlzhFileStats& s) { ReportStatus(c, s); };
    compressor.SetFilesToProcess({MemberName()});
    compressor.Extract();
    if (tempName_) RegisterDelayedReplace();
    AfterInstallSteps();
    if (OnAfterInstall) OnAfterInstall(*this);
    SendStatus(*this, scAfterInstall, this);
    TFileRelated::Install();
    end.Finish();
}

void TCustomInstallFile::ReplaceLockedFile() {
    if (OnReplacing) OnReplacing(*this);
    BroadcastMessage(this, imReplacingFile, this);
    SendStatus(*this, scReplacing, this);
    willWrite_ = true;
    auto& files = platform::Files();
    const std::string dest = GetDestPath();
    // A destination that may be replaced is replaced by the extraction itself.
    if (!files.FileExists(dest) || !(files.IsInUse(dest) || files.IsWriteLocked(dest))) return;
    tempName_ = true;
    const std::string dir = AddBackslash(RemoveBackslash(DestinationDir()));
    for (int n = 1; n <= kTemporaryNameTries; ++n) {
        const std::string candidate = platform::ChangeFileExt(destName_, "." + std::to_string(n));
        if (!files.FileExists(dir + candidate)) {
            extractName_ = candidate;
            return;
        }
    }
    throw IECustomInstallFile("%s cannot find a free temporary name for %s", {Name(), dest});
}

void TCustomInstallFile::RegisterDelayedReplace() {
    TInstallEngine* install = GlobalInstallEngine(Context());
    const std::string dest = GetDestPath();
    const std::string shortDest = GetShortPathName(dest);
    const std::string tempLong = AddBackslash(RemoveBackslash(DestinationDir())) + extractName_;
    const std::string tempPath = platform::ExtractFilePath(shortDest) + extractName_;
    if (GetWindowsVersion() == 1) {
        platform::IniFile wininit(platform::Files().HostPath(AddBackslash(GetWindowsDir()) + "WININIT.INI"));
        wininit.WriteString("Rename", shortDest, tempPath);
        if (install) install->SetReboot(true);
        return;
    }
    if (install) install->SetReboot(true);
    if (platform::MoveFileDelayUntilReboot(tempLong, dest, true) || !install) return;
    // The rename service failed: a batch file run at the next start does it.
    const std::string batch = CreateTempFileWithExt(".bat");
    {
        platform::FileStream out = platform::Files().Open(batch, platform::FileMode::Create);
        const std::string text = "erase \"" + shortDest + "\"\r\nmove \"" + tempPath + "\" \"" + shortDest + "\"\r\n";
        out.WriteBuffer(text.data(), text.size());
    }
    install->AddUnfinished(batch, 1);
    if (!AddRunOnceEntry("TamselBatFile", batch, true))
        throw IECustomInstallFile(
            "%s cannot register a routine in the register to move the files after the computer is reboot", {Name()});
}

void TCustomInstallFile::AfterInstallSteps() {
    EngineContext& context = Context();
    if (RegisterAsHelp)
        RegWriteString(kMachine, "\\SOFTWARE\\Microsoft\\Windows\\Help", platform::AsciiUpper(destName_), DestinationDir());
    if (UpdateDLLCounter && !IncrementSharedDLLCount())
        throw IECustomInstallFile("Cannot update the DLL count for the following file :%s:", {fileName_});
    TInstallEngine* install = GlobalInstallEngine(context);
    if (tempName_ && install) {
        install->AddUnfinished(Name(), 0);
    } else if (activeX_) {
        try {
            RegisterActiveX();
        } catch (const platform::Exception&) {
            if (context.RaiseActiveXErrors) throw;
            if (context.RetryActiveXList.IndexOf(this) < 0) context.RetryActiveXList.Add(this);
        }
    }
}

bool TCustomInstallFile::IncrementSharedDLLCount() {
    // Another setup running at the same time counts between our read and write otherwise.
    platform::RegistryStore::UpdateLock update(platform::Registry(), platform::RegRoot::LocalMachine);
    TtmslRegistry registry;
    registry.SetRootKey(platform::RegRoot::LocalMachine);
    if (!registry.OpenKey("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", true))
        throw IECustomInstallFile(
            "Could not open the key SharedDLLs key in the registry. File component %s. GetLastError return: %d",
            {Name(), 0});
    const std::string longPath = GetDestPath();
    const std::string shortPath = GetShortPathName(longPath);
    if (registry.ValueExists(shortPath)) {
        try {
            const std::int32_t count = registry.ReadInteger(shortPath);
            registry.WriteInteger(shortPath, CountedOnce(count));
            return true;
        } catch (const platform::ERegistryException&) {
            // A counter that is not a number starts again below.
        }
    }
    // A file that was there before, uncounted, has an earlier owner besides this product.
    std::int32_t count = destExisted_ ? 1 : 0;
    try {
        if (registry.ValueExists(longPath)) count = registry.ReadInteger(longPath);
    } catch (const platform::ERegistryException&) {
        count = 0;
    }
    registry.WriteInteger(longPath, CountedOnce(count));
    return true;
}

// ---------------------------------------------------------------- self-registration

void TCustomInstallFile::RegisterActiveX() {
    if (SourceExtension() == ".EXE")
        RegisterActiveXProgram();
    else
        RegisterActiveXLibrary();
}

namespace {
// Runs body inside the destination directory, then goes back; failures of
// either change are ignored.
template <typename Body>
void InDirectory(const std::string& dir, Body body) {
    auto& files = platform::Files();
    const std::string previous = files.CurrentDir();
    try {
        files.SetCurrentDir(dir);
    } catch (const platform::Exception&) {
        // A folder that cannot be entered leaves the body in the current one.
    }
    try {
        body();
    } catch (...) {
        files.SetCurrentDir(previous);
        throw;
    }
    files.SetCurrentDir(previous);
}
}  // namespace

void TCustomInstallFile::RegisterActiveXLibrary() {
    const std::string dir = DestinationDir();
    const std::string path = GetDestPath();
    if (platform::IsBlank(dir) || !platform::Files().FileExists(path)) BlankDestination();
    InDirectory(dir, [&] {
        SelfRegistration library;
        if (!library.Load(path))
            throw IECustomInstallFile(
                "Could not register the ActiveX component, %s, because the LoadLibrary(%s) procedure returned a "
                "value of 0. The file component is %s. The following value is the value of the GetLastError "
                "function: %d",
                {path, path, Name(), library.LastError()});
        if (!library.HasRegisterServer())
            throw IECustomInstallFile(
                "Could not register the ActiveX component, %s, because the DllRegisterServer function could not be "
                "found. The file component is %s. The following value is the value of the GetLastError function: %d",
                {path, Name(), library.LastError()});
        const int result = library.CallRegisterServer();
        if (result != 0)
            throw IECustomInstallFile(
                "Could not register the ActiveX component, %s, because the DllRegisterServer function returned a "
                "value of %d. The file component is %s",
                {path, result, Name()});
    });
}

void TCustomInstallFile::RegisterActiveXProgram() {
    const std::string dir = DestinationDir();
    const std::string path = GetDestPath();
    if (platform::IsBlank(dir) || !platform::Files().FileExists(path)) BlankDestination();
    InDirectory(dir, [&] {
        // Through the self-registration stand-in: a Windows program never runs on the host.
        int lastError = 0;
        if (RunServerProgram(path, "/REGSERVER", lastError) < 32)
            throw IECustomInstallFile(
                "Could not register the ActiveX component, %s, because the WinExec(%s,SW_HIDE) function returned a "
                "value < 32. The file component is %s. The following value is the value of the GetLastError "
                "function: %d",
                {path, path + " /REGSERVER", Name(), lastError});
    });
}

void TCustomInstallFile::ResumeAfterReboot() {
    if (activeX_) RegisterActiveX();
}

// ---------------------------------------------------------------- disks and progress

void TCustomInstallFile::AskForDisk(TTmslCompress& compressor, int disk, std::string& path) {
    TDiskParameter parameter;
    parameter.DiskNumber = disk;
    parameter.Path = RemoveBackslash(platform::ExtractFileDir(GetArchiveFilePath()));
    Tag = 0;
    try {
        if (OnNewDisk) OnNewDisk(*this, disk, parameter.Path);
        TList list{this, &parameter};
        BroadcastMessage(this, imChangeDisk, &list);
        SendStatus(*this, scNewDisk, &list);
        if (!OnNewDisk && Tag == 0)
            if (!Services().PromptForDisk(TranslateFmt("Please insert disk #%d", {disk}))) compressor.Abort = true;
    } catch (...) {
        Tag = 0;
        throw;
    }
    Tag = 0;
    path = RemoveBackslash(parameter.Path);
}

void TCustomInstallFile::ReportStatus(TTmslCompress&, TlzhFileStats& stats) {
    TFileStatusParameter parameter = FileStatusFromStats(stats, fileName_);
    if (OnStatus) OnStatus(*this, parameter.FilePercent, parameter.TotalPercent);
    BroadcastMessage(this, imFileStatus, &parameter);
    TList list{this, &parameter};
    switch (state_) {
        case ifsCompress: SendStatus(*this, scCompressProgress, &list); break;
        case ifsInstall: SendStatus(*this, scInstallProgress, &list); break;
        case ifsCopying: SendStatus(*this, scCopyProgress, &list); break;
        case ifsNone: break;
    }
}

// ---------------------------------------------------------------- uninstall records

void TCustomInstallFile::WriteUninstallEntries(const std::string& registryKey) {
    // The entry count is read, then written: one step for other setups.
    platform::RegistryStore::UpdateLock update(platform::Registry(), platform::RegRoot::LocalMachine);
    const std::string target = AddBackslash(RemoveBackslash(DestinationDir())) + destName_;
    if (activeX_) {
        const std::string key = registryKey + "\\ActiveX";
        const int n = platform::ParseCount(RegReadString(kMachine, key, "Entries", "0")).value_or(0) + 1;
        RegWriteString(kMachine, key, "File" + std::to_string(n), target + ";" + (SourceExtension() == ".EXE" ? "1" : "0"));
        RegWriteString(kMachine, key, "Entries", std::to_string(n));
        return;
    }
    const std::string stamp =
        installedHere_ ? FileStamp(AddBackslash(RemoveBackslash(DestinationDir())) + ExtractName()) : kFoundStamp;
    if (AddUninstallFile(registryKey, target, stamp)) return;
    throw IECustomInstallFile("Could not write the uninstall entry of the following file :%s:", {fileName_});
}

}  // namespace installer
