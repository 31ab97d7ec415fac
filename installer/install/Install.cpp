#include "installer/install/Install.h"

#include <QPainter>
#include <QLinearGradient>
#include <cmath>
#include <cstring>

#include "installer/base/ApiRoutines.h"
#include "installer/base/Strings.h"
#include "installer/components/EngineContext.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/distribution/SelfExtractor.h"
#include "installer/files/InstallFile.h"
#include "installer/files/TempFiles.h"
#include "installer/registry/RegistryRoutines.h"
#include "installer/registry/TmslRegistry.h"
#include "installer/base/services/AppServices.h"
#include "installer/translator/IException.h"
#include "installer/translator/Languages.h"
#include "installer/translator/Translator.h"
#include "platform/windows/restart/BatchFile.h"
#include "platform/windows/restart/Restart.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer {
namespace {

constexpr const char* kRecordsKey = "\\SOFTWARE\\Tamsel\\Install";
constexpr const char* kSwitchLetters = "bfdercs";
constexpr int kMachine = 4;
constexpr std::size_t kNetRecordSize = 72;

// Removes a file the run no longer needs. One that stays (in use, outside
// the root) costs only its space, so the run goes on without it.
void DeleteLeftover(const std::string& path) {
    try {
        platform::Files().DeleteFile(path);
    } catch (const platform::Exception&) {
        return;
    }
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// Whether path lies strictly below directory (Windows paths, case ignored).
bool IsBelow(const std::string& path, const std::string& directory) {
    const std::string dir = AddBackslash(RemoveBackslash(directory));
    if (dir.size() <= 1 || path.size() <= dir.size()) return false;
    return platform::SameNameIgnoringCase(path.substr(0, dir.size()), dir);
}

std::string FullPath(const std::string& path) {
    try {
        return platform::Files().ExpandFileName(path);
    } catch (const platform::Exception&) {
        return path;
    }
}

std::int32_t GetInt32LE(const unsigned char* p) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                     (static_cast<std::uint32_t>(p[2]) << 16) |
                                     (static_cast<std::uint32_t>(p[3]) << 24));
}

// The install record cannot be used; a hive the root cannot read says why.
[[noreturn]] void RaiseUnfinishedBusiness() {
    if (const std::string problem = RegistryFileProblem(); !problem.empty()) throw IEInstall("%s", {problem});
    throw IEInstall("The TInstall could not either write or read unfinished business from the registry");
}

}  // namespace

TCustomInstall* GlobalInstall(EngineContext& context) { return dynamic_cast<TCustomInstall*>(context.GlobalInstall); }

QImage DefaultDialogThemeBitmap() {
    QImage picture(117, 290, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, 0, 290);
    gradient.setColorAt(0, QColor(0, 0, 128));
    gradient.setColorAt(1, QColor(0, 128, 192));
    painter.fillRect(picture.rect(), gradient);
    return picture;
}

// ---------------------------------------------------------------- creation

TCustomInstall::TCustomInstall(TComponentOwner& owner) : TFileContainer(owner) {
    if (Context().GlobalInstall)
        throw IEInstall("The TInstall component does not currently support the use of 2 TInstall components in the "
                        "same project");
    if (!owner.IsFormOrDataModule()) throw IEInstall("The owner of the TInstall component must be a form or a data module");
    FireAfterInstallObjects = false;  // the run fires OnAfterInstallObjects itself, once
    dialogThemeBitmap_ = DefaultDialogThemeBitmap();
    Description = "TInstall component";
    SetDestDir("\\MyApplication");
}

TCustomInstall::~TCustomInstall() {
    EngineContext& context = Context();
    if (context.GlobalInstall == static_cast<TInstallRoot*>(this)) context.GlobalInstall = nullptr;
}

void TCustomInstall::AfterConstruction() {
    // The base steps first: an install is never attached to itself.
    TFileContainer::AfterConstruction();
    Context().GlobalInstall = this;
    TStandardPathSpecList& list = StandardPathSpecList(Context());
    StoreDestDirType(list.FindByClass<TpsProgramFiles>());
    PutArchive(list.FindByClass<TpsMainArchiveFile>(), "");
    // A form being designed gets a translator when it has none.
    if (IsDesigning() && !GlobalTranslator()) {
        auto translator = std::make_unique<TTranslator>();
        translator->Name = "MainTranslator";
        SetAutoCreatedTranslator(std::move(translator));
        madeTranslator_ = true;
    }
}

void TCustomInstall::BeforeDestruction() {
    EngineContext& context = Context();
    // Groups told that their container goes must not come back to it.
    if (context.GlobalInstall == static_cast<TInstallRoot*>(this)) context.GlobalInstall = nullptr;
    RunCleanupBatch();
    TFileContainer::BeforeDestruction();
}

void TCustomInstall::RunCleanupBatch() {
    if (!startBatch_ || batchName_.empty()) return;
    startBatch_ = false;
    const platform::BatchReport report = platform::RunBatchFile(batchName_);
    if (report.Clean()) return;
    std::string lines;
    for (const auto* list : {&report.failed, &report.refused})
        for (const std::string& line : *list) lines += "\n" + line;
    // The program is ending: nobody could act on an exception any more.
    try {
        Services().ShowMessage(TranslateString("The temporary setup files could not all be removed:") + lines,
                               platform::MsgIcon::Warning, platform::mbOK);
    } catch (const std::exception&) {
        // Only a warning, and the program is ending.
    }
}

void TCustomInstall::Notification(TComponent& removed) {
    const bool wasLocation = &removed == NetLocation();
    TFileContainer::Notification(removed);
    if (wasLocation) distributeType_ = dtTraditional;
}

// ---------------------------------------------------------------- properties

void TCustomInstall::SetAutoMaximizeWindow(bool value) {
    autoMaximizeWindow_ = value;
    if (value && !IsLoading()) hideMainForm_ = false;
}

void TCustomInstall::SetHideMainForm(bool value) {
    hideMainForm_ = value;
    if (value && !IsLoading()) autoMaximizeWindow_ = false;
}

void TCustomInstall::SetDistributeType(TDistributeType type) {
    if (!IsLoading()) {
        if (!IsDesigning()) throw IEInstall("DistributeType can only be set at design-time");
        if (type != dtTraditional && !NetLocation())
            throw IEInstallNetLocNil(
                "Must assign a net location via the NetLocation property before you can set the distribute type");
    }
    distributeType_ = type;
}

void TCustomInstall::SetNetLocation(TCustomNetInstallLocation* location) {
    TFileContainer::SetNetLocation(location);
    NetLocations(Context()).InstallDefault = location;
    if (!location) distributeType_ = dtTraditional;
}

void TCustomInstall::SetPresetupFiles(std::vector<std::string> files) {
    std::erase_if(files, [](const std::string& line) { return platform::IsBlank(line); });
    presetupFiles_ = std::move(files);
}

void TCustomInstall::SetUseLoadingProgram(bool value) {
    useLoadingProgram_ = value;
    if (value && !IsLoading())
        PutArchive(StandardPathSpecList(Context()).FindByClass<TpsMainArchiveFile>(), "");
}

// ---------------------------------------------------------------- command line

int TCustomInstall::SwitchIndex(char letter) {
    const char lower = platform::AsciiLower(letter);
    const char* found = std::strchr(kSwitchLetters, lower);
    return found && lower ? static_cast<int>(found - kSwitchLetters) : -1;
}

bool TCustomInstall::HasSwitch(char letter) const {
    const int index = SwitchIndex(letter);
    return index >= 0 && ((switches_ >> index) & 1u);
}

std::string TCustomInstall::SwitchArgument(char letter) const {
    const int index = SwitchIndex(letter);
    return index >= 0 ? switchArguments_[index] : std::string();
}

void TCustomInstall::ParseCommandLine() {
    switches_ = 0;
    for (auto& argument : switchArguments_) argument.clear();
    for (const std::string& argument : arguments_) {
        auto invalid = [&] {
            return IException(
                "Invalid parameter <%s>. Valid command line parameters are: -b (Build), -d (Debug), -f (Transfer to "
                "floppies), -e (Called by self-extractor), -r (After reboot)",
                {argument});
        };
        if (argument.size() < 2) throw invalid();
        if (argument[0] != '-' && argument[0] != '*') throw invalid();
        const int index = SwitchIndex(argument[1]);
        if (index < 0) {
            if (argument[0] == '-') throw invalid();
            continue;
        }
        switches_ |= 1u << index;
        switchArguments_[index] = argument.substr(2);
    }
}

void TCustomInstall::Loaded() {
    if (IsDesigning()) {
        TFileContainer::Loaded();
        if (madeTranslator_ && AutoCreatedTranslator()) SetAutoCreatedTranslator(nullptr);
        madeTranslator_ = false;
        return;
    }
    ParseCommandLine();
    if (HasSwitch('d') && (!HasSwitch('s') || platform::IsBlank(SwitchArgument('s'))))
        throw IEInstall(
            "You forgot to pass in the build directory. In Run | Parameters, follow this format: -d \"-sC:\\My "
            "Build\"");
    sourceDir_ = HasSwitch('s') ? SwitchArgument('s') : RemoveBackslash(platform::ExtractFileDir(exeName_));
    Context().InstallRecordKey = FindInstallRecord(false);
    // The loading steps of the container; they take the recorded local archive.
    TFileContainer::Loaded();
    if (Owner().Kind() != OwnerKind::Form && RunAutomatic)
        throw IEInstall(
            "Application.MainForm is undefined and the TInstall is not on a form. Therefore, therefore the TInstall "
            "can't run the installation automatically");
    SetActiveInstallType(itFull);
    if (InstallTypes.Contains(itDefault))
        SetActiveInstallType(itDefault);
    else if (InstallTypes.Contains(itCompact))
        SetActiveInstallType(itCompact);
    else
        SetActiveInstallType(itFull);
    if (HasSwitch('b')) {
        BuildFromInfFile();
    } else if (HasSwitch('f')) {
        TransferToFloppies("a:");
    } else if (HasSwitch('r')) {
        RunGuarded([this] { ResumeAfterReboot(); });
    } else if (Owner().Kind() == OwnerKind::Form) {
        hooked_ = true;
        if (hideMainForm_ && ownerForm_) ownerForm_->MoveOffScreen();
    }
}

void TCustomInstall::OwnerFormActivate() {
    if (!hooked_ || activated_) return;
    if (PreviousOnActivate) PreviousOnActivate();
    activated_ = true;
    if (autoMaximizeWindow_ && ownerForm_) ownerForm_->Maximize();
    if (RunAutomatic) {
        hooked_ = false;
        RunGuarded([this] { Process(); });
    }
}

// ---------------------------------------------------------------- the run

void TCustomInstall::Process() {
    EngineContext& context = Context();
    aborted_ = false;
    runStart_ = platform::Now();
    context.RaiseActiveXErrors = false;
    context.RetryActiveXList.Clear();
    deferredReboots_ = 0;
    startBatch_ = false;
    running_ = true;
    if (useLoadingProgram_ && !HasSwitch('s'))
        throw IEInstall(
            "The path of the loading program was not passed correctly. If you are running your install project in "
            "the IDE, then you need to add two command line parameters. In Run | Parameters | \"Run Parameters\", "
            "type in: -d \"-sBUILDPATH\" where BUILDPATH is the path into which you built the distributables. "
            "Example: -d \"-sC:\\My Build\".");
    context.InstallRecordKey = FindInstallRecord(true);
    ClearUnfinished();
    if (HasSwitch('e')) ReadSelfExtractorOffset();
    ReadArchiveInfo();
    if (OnAfterInitialized) OnAfterInitialized(*this);
    for (int id : {imPrepareInstall, imBeforeWelcome1, imBeforeWelcome2, imWelcome, imLicense, imReadme,
                   imBeforeInstall})
        BroadcastMessage(this, id, nullptr);
    if (aborted_) return;

    auto afterObjects = [&] {
        if (OnAfterInstallObjects)
            OnAfterInstallObjects(*this, context.GlobalCompressor && context.GlobalCompressor->Abort);
    };
    try {
        TFileContainer::Process();
        for (TCustomInstallFile* file : context.RetryActiveXList.Items()) file->RegisterActiveX();
        ProcessType(2750, "Installing ODBC drivers...");
        ProcessType(2875, "Installing ODBC sources...");
        ProcessType(3000, "Installing Borland Database Engine aliases...");
        ProcessType(7000, "Installing shell links...");
        ProcessType(8000, "Installing shell links...");
        ProcessType(4000, "Installing INI files...");
        ProcessType(8500, "Installing registry keys...");
        ProcessType(8700, "");
    } catch (...) {
        try {
            afterObjects();
        } catch (...) {
            // The first failure is the one to report.
        }
        throw;
    }
    afterObjects();

    if (deferredReboots_ > 0 || reboot_) RegisterRunOnce();
    const bool rebootWanted = reboot_;
    if (rebootWanted) {
        BroadcastMessage(this, imReboot, nullptr);
        if (reboot_ && OnBeforeReboot) OnBeforeReboot(*this, reboot_);
    }
    if (reboot_) {
        WriteLanguage();
        RebootWindows();
    }
    if (rebootWanted || reboot_) {
        Services().Terminate();  // the rest runs after the restart
        return;
    }
    NotifyGoodInstall();
    Cleanup();
    RemoveInstallRecord();
    if (RunAutomatic) ShutdownQuery();
    RunFiles();
    running_ = false;
}

void TCustomInstall::ProcessType(int registeredType, const std::string& text) {
    bool shown = false;
    try {
        for (TInstallContainer* container : Context().GlobalContainerList.Items()) {
            if (Context().GlobalContainerList.IndexOf(container) < 0) continue;
            int type = 0;
            try {
                type = container->RegisteredType();
            } catch (const platform::Exception&) {
                continue;
            }
            if (type != registeredType) continue;
            if (!shown && !platform::IsBlank(text)) {
                ShowStatus(TranslateString(text));
                shown = true;
            }
            container->Process();
        }
    } catch (...) {
        if (shown) ClearStatus();
        throw;
    }
    if (shown) ClearStatus();
}

bool TCustomInstall::QueryUserAbort() {
    bool abort = true;
    if (OnUserAbort) OnUserAbort(*this, abort);
    return abort;
}

void TCustomInstall::NotifyGoodInstall() {
    if (OnBeforeNotifyGoodInstall) OnBeforeNotifyGoodInstall(*this);
    BroadcastMessage(this, imGoodInstall, nullptr);
    BroadcastMessage(this, imAfterGoodInstall, nullptr);
    if (OnAfterNotifyGoodInstall) OnAfterNotifyGoodInstall(*this);
}

void TCustomInstall::NotifyBadInstall() {
    if (OnBeforeNotifyBadInstall) OnBeforeNotifyBadInstall(*this);
    BroadcastMessage(this, imBadInstall, nullptr);
    BroadcastMessage(this, imAfterBadInstall, nullptr);
    if (OnAfterNotifyBadInstall) OnAfterNotifyBadInstall(*this);
}

void TCustomInstall::ShutdownQuery() {
    bool shutdown = true;
    if (OnBeforeShutdown) OnBeforeShutdown(*this, shutdown);
    if (shutdown) Services().Terminate();
}

void TCustomInstall::RunFiles() {
    for (TCustomInstallFile* file : Context().GlobalInstallFileList.Items()) {
        if (!file->RunAfterInstall) continue;
        bool run = true;
        if (OnBeforeRunFile) OnBeforeRunFile(*this, *file, run);
        if (run) Services().StartProgram(file->GetFullDestDir() + "\\" + file->DestName(), {}, ShowCommand::Show);
    }
}

void TCustomInstall::ReadArchiveInfo() {
    if (archiveInfoRead_) return;
    if (OnBeforeReadArchiveInfo) OnBeforeReadArchiveInfo(*this);
    BroadcastMessage(this, imBeforeReadArchiveInfo, nullptr);
    {
        BusyCursor busy;
        ShowStatus(TranslateString("Reading file information..."));
        try {
            TFileContainer::ReadArchiveInfo();
            if (distributeType_ != dtTraditional) ReadNetFileList();
        } catch (...) {
            ClearStatus();
            throw;
        }
        ClearStatus();
    }
    archiveInfoRead_ = true;
    if (OnAfterReadArchiveInfo) OnAfterReadArchiveInfo(*this);
    BroadcastMessage(this, imAfterReadArchiveInfo, nullptr);
}

void TCustomInstall::ReadSelfExtractorOffset() {
    Context().GlobalCompressor->Offset = ReadSelfExtractorTrailer(GetArchiveFilePath()).FilesStart;
}

void TCustomInstall::ReadNetFileList() {
    TCustomNetInstallLocation* location = NetLocation();
    if (!location) return;
    const std::string local = GetTemporaryFileName(true);
    struct Remove {
        std::string path;
        ~Remove() {
            DeleteLeftover(path);
        }
    } removeAfter{local};
    location->GetFile("filelist.lst", local);
    if (NetLocations(Context()).AbortDownload) throw EAIUserAbort();
    std::string bytes;
    {
        platform::FileStream in = platform::Files().Open(local, platform::FileMode::Read);
        bytes.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, in.Size())));
        bytes.resize(in.Read(bytes.data(), bytes.size()));
    }
    auto fail = [&] { return IEInstall("Cannot read the remote list of files: %s", {local}); };
    if (bytes.size() < 4) throw fail();
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::int32_t count = GetInt32LE(data);
    if (count < 0 || (bytes.size() - 4) / kNetRecordSize < static_cast<std::size_t>(count)) throw fail();
    for (std::int32_t i = 0; i < count; ++i) {
        const unsigned char* record = data + 4 + kNetRecordSize * static_cast<std::size_t>(i);
        double date = 0;
        std::memcpy(&date, record + 4, 8);
        const std::string name(reinterpret_cast<const char*>(record + 12), strnlen(reinterpret_cast<const char*>(record + 12), 40));
        const std::string version(reinterpret_cast<const char*>(record + 52), strnlen(reinterpret_cast<const char*>(record + 52), 20));
        for (TCustomInstallFile* file : Context().GlobalInstallFileList.Items())
            if (platform::SameNameIgnoringCase(NetRecordName(file->Name()), name)) {
                file->SetNetInfo(GetInt32LE(record), date, version.substr(0, 20));
                break;
            }
    }
}

void TCustomInstall::HandleInstallException(const std::exception& e) {
    if (!running_) {
        Services().ShowException(e);
        return;
    }
    running_ = false;
    aborted_ = true;
    try {
        if (dynamic_cast<const EAIUserAbort*>(&e)) {
            NotifyBadInstall();
            Cleanup();
            RemoveInstallRecord();
            if (RunAutomatic) ShutdownQuery();
        } else {
            NotifyBadInstall();
            Services().ShowException(e);
            ShutdownQuery();
        }
    } catch (const std::exception&) {
        if (RunAutomatic) Services().Terminate();
    }
}

void TCustomInstall::RunGuarded(const std::function<void()>& body) {
    try {
        body();
    } catch (const platform::EAbort&) {
        // Silent, as the application's handler lets it pass.
    } catch (const std::exception& e) {
        HandleInstallException(e);
    }
}

// ---------------------------------------------------------------- the record

std::string TCustomInstall::FindInstallRecord(bool create) {
    auto& files = platform::Files();
    const std::int64_t size = files.FileSize(exeName_);
    const double date = files.FileDateTime(exeName_).value_or(0);
    const std::string fullName = FullPath(exeName_);
    const double now = runStart_ != 0 ? runStart_ : platform::Now();
    TtmslRegistry registry;
    registry.SetRootKey(platform::RegRoot::LocalMachine);
    if (!registry.OpenKey(kRecordsKey, create)) return {};
    const std::vector<std::string> names = registry.GetKeyNames();
    for (const std::string& name : names) {
        TtmslRegistry record;
        record.SetRootKey(platform::RegRoot::LocalMachine);
        const std::string key = std::string(kRecordsKey) + "\\" + name;
        if (!record.OpenKey(key, false)) continue;
        std::int32_t storedSize = 0;
        double storedDate = 0;
        try {
            if (!record.ValueExists("Path")) continue;
            record.ReadString("Path");
            storedDate = record.ReadFloat("CreationDate");
            storedSize = record.ReadInteger("Size");
        } catch (const platform::Exception&) {
            continue;
        }
        if (std::fabs(date - storedDate) >= 1e-7 || storedSize != size) continue;
        try {
            record.WriteFloat("LastRunDate", now);
            record.WriteString("Path", fullName);
        } catch (const platform::Exception&) {
            return {};
        }
        return key;
    }
    if (!create) return {};
    std::string name;
    for (int n = 0;; ++n) {
        name = platform::Format("Install%d", {n});
        bool taken = false;
        for (const std::string& existing : names) taken = taken || platform::SameNameIgnoringCase(existing, name);
        if (!taken) break;
    }
    const std::string key = std::string(kRecordsKey) + "\\" + name;
    try {
        TtmslRegistry record;
        record.SetRootKey(platform::RegRoot::LocalMachine);
        if (!record.OpenKey(key, true)) return {};
        record.WriteString("Path", fullName);
        record.WriteFloat("LastRunDate", now);
        record.WriteFloat("CreationDate", date);
        record.WriteInteger("Size", static_cast<std::int32_t>(size));
        if (HasSwitch('e')) record.WriteString("SelfExtract", AddBackslash(SwitchArgument('s')) + SwitchArgument('e'));
    } catch (const platform::Exception&) {
        return {};
    }
    return key;
}

std::string TCustomInstall::RecordKey() {
    const std::string& key = Context().InstallRecordKey;
    if (key.empty()) RaiseUnfinishedBusiness();
    return key;
}

void TCustomInstall::WriteLanguage() {
    TTranslator* translator = GlobalTranslator();
    const std::string& key = Context().InstallRecordKey;
    if (!translator || key.empty()) return;
    try {
        RegWriteInteger(kMachine, key, "Language", static_cast<std::int32_t>(translator->TranslateIntoLanguage()));
    } catch (const platform::Exception&) {
        // The language is a convenience for the next run, which asks again without it.
    }
}

void TCustomInstall::ApplyRecordedLanguage() {
    TTranslator* translator = GlobalTranslator();
    const std::string& key = Context().InstallRecordKey;
    if (!translator || key.empty()) return;
    const TTmslLanguage current = translator->TranslateIntoLanguage();
    translator->SetTranslateIntoLanguage(
        LanguageFromOrdinal(RegReadInteger(kMachine, key, "Language", static_cast<std::int32_t>(current)), current));
}

// ---------------------------------------------------------------- reboot, resume, cleanup

void TCustomInstall::RebootWindows() {
    bool rebooted = false;
    try {
        const int version = GetWindowsVersion();
        rebooted = (version == 1 || version == 2) && platform::RequestReboot();
    } catch (const platform::Exception&) {
        rebooted = false;
    }
    if (rebooted) return;
    if (OnFailedReboot)
        OnFailedReboot(*this);
    else
        Services().ShowMessage(TranslateString("Could not reboot windows. Please manually reboot windows."),
                               platform::MsgIcon::None, platform::mbOK);
}

std::string TCustomInstall::LoadingProgramPath() {
    if (HasSwitch('e')) return GetArchiveFilePath();
    if (!useLoadingProgram_) return FullPath(exeName_);
    return sourceDir_ + "\\" + (arguments_.size() >= 2 ? arguments_[1] : std::string());
}

void TCustomInstall::RegisterRunOnce() {
    const std::string loader = LoadingProgramPath();
    std::string command = Quoted(FullPath(exeName_)) + " -r ";
    if (HasSwitch('e')) command += Quoted("-e" + platform::ExtractFileName(loader)) + " ";
    command += Quoted("-s" + RemoveBackslash(platform::ExtractFileDir(loader)));
    if (HasSwitch('c')) command += " -c";
    if (!AddRunOnceEntry("TamselUnfinished", command, true))
        throw IEInstall("Cannot register the install to be run on reboot in the RunOnce key in the registry");
}

void TCustomInstall::AddUnfinished(const std::string& name, int kind) {
    const std::string key = RecordKey() + "\\Unfinished";
    ++deferredReboots_;
    try {
        RegWriteString(kMachine, key, name, std::to_string(kind));
    } catch (const platform::Exception&) {
        RaiseUnfinishedBusiness();
    }
}

std::vector<std::string> TCustomInstall::ReadUnfinished() {
    const std::string key = RecordKey() + "\\Unfinished";
    std::vector<std::string> lines;
    TtmslRegistry registry;
    registry.SetRootKey(platform::RegRoot::LocalMachine);
    if (!registry.OpenKey(key, false)) return lines;
    for (const std::string& name : registry.GetValueNames()) {
        std::string data;
        try {
            data = registry.ReadString(name);
        } catch (const platform::Exception&) {
            // A value that is not a string is listed with empty data.
        }
        lines.push_back(name + ";" + data);
    }
    return lines;
}

void TCustomInstall::ClearUnfinished() { RegDeleteKeyTree(kMachine, RecordKey() + "\\Unfinished"); }

void TCustomInstall::ResumeAfterReboot() {
    running_ = true;
    runStart_ = platform::Now();
    Context().InstallRecordKey = FindInstallRecord(false);
    ApplyRecordedLanguage();
    const std::vector<std::string> lines = ReadUnfinished();
    ClearUnfinished();
    for (const std::string& line : lines) {
        const std::string name = GetItem(line, 1, ';');
        const std::optional<std::int32_t> parsed = platform::ParseInteger(GetItem(line, 2, ';'));
        if (!parsed) throw IEInstall("There is an invalid entry for the unfinished install list %s", {line});
        const int kind = *parsed;
        if (kind == 1) {
            DeleteLeftover(name);
        } else if (kind == 0) {
            for (TInstallContainer* container : Context().GlobalContainerList.Items())
                if (Context().GlobalContainerList.IndexOf(container) >= 0 &&
                    platform::SameNameIgnoringCase(container->Name(), name))
                    container->ResumeAfterReboot();
        }
    }
    NotifyGoodInstall();
    Cleanup();
    RemoveInstallRecord();
    if (RunAutomatic) ShutdownQuery();
    RunFiles();
    running_ = false;
}

void TCustomInstall::Cleanup() {
    if (!useLoadingProgram_ || !HasSwitch('c') || HasSwitch('d') || IsDesigning()) return;
    bool cleanup = true;
    if (OnBeforeCleanup) OnBeforeCleanup(*this, cleanup);
    if (!cleanup) return;
    auto& files = platform::Files();
    const std::string exe = FullPath(exeName_);
    const std::string exeDir = RemoveBackslash(platform::ExtractFileDir(exe));
    for (const std::string& line : presetupFiles_) {
        const std::string name = platform::ExtractFileName(platform::TrimControls(line));
        if (name.empty()) continue;
        DeleteLeftover(exeDir + "\\" + name);
    }
    const std::string batch = CreateTempFileWithExt(".bat");
    // Only the temporary copy the loading program made is ever removed: a
    // setup started with -c from its distribution folder keeps it.
    const std::string temp = platform::CurrentSystemRoot().Facts().TempDir();
    std::string text;
    if (!temp.empty() && IsBelow(exeDir, FullPath(temp)))
        text = "ERASE " + Quoted(exe) + "\r\nDELTREE /Y " + Quoted(exeDir) + "\r\n";
    text += "ERASE " + Quoted(platform::ChangeFileExt(batch, ".PIF")) + "\r\n";
    text += "ERASE " + Quoted(batch) + "\r\n";
    platform::FileStream out = files.Open(batch, platform::FileMode::Create);
    out.WriteBuffer(text.data(), text.size());
    batchName_ = batch;
    startBatch_ = true;
}

void TCustomInstall::RemoveInstallRecord() {
    const std::string key = Context().InstallRecordKey;
    if (key.empty()) return;
    const std::string temp = FullPath(platform::CurrentSystemRoot().Facts().TempDir());
    try {
        TtmslRegistry registry;
        registry.SetRootKey(platform::RegRoot::LocalMachine);
        if (registry.OpenKey(key, false)) {
            for (const std::string& sub : registry.GetKeyNames()) {
                const std::string local = platform::TrimControls(RegReadString(kMachine, key + "\\" + sub, "LocalFile", ""));
                // Downloaded copies live in the temporary directory; nothing else is deleted.
                if (!local.empty() && IsBelow(FullPath(local), temp)) {
                    DeleteLeftover(local);
                }
                RegDeleteKeyTree(kMachine, key + "\\" + sub);
            }
        }
        RegDeleteKeyTree(kMachine, key);
        TtmslRegistry parent;
        parent.SetRootKey(platform::RegRoot::LocalMachine);
        if (parent.OpenKey(kRecordsKey, false) && !parent.HasSubKeys()) {
            RegDeleteKeyTree(kMachine, kRecordsKey);
            TtmslRegistry tamsel;
            tamsel.SetRootKey(platform::RegRoot::LocalMachine);
            if (tamsel.OpenKey("\\Software\\Tamsel", false) && !tamsel.HasSubKeys())
                RegDeleteKeyTree(kMachine, "\\Software\\Tamsel");
        }
    } catch (const platform::Exception&) {
        // Removing the record never fails the ending.
    }
}

}  // namespace installer
