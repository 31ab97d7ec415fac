#pragma once
// The install engine: the root of the install component tree, one per
// setup program (GlobalInstall). It reads the command line when its
// configuration is loaded, picks a mode (build, diskettes, resume after a
// restart, debug or normal run), keeps one registry record per setup
// executable, and runs the install: wizard broadcasts, every component, the
// passes by component type, reboot and resume, the good or bad ending,
// cleanup and starting programs.
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include <QImage>

#include "installer/files/FileContainer.h"
#include "installer/files/InstallEngine.h"
#include "installer/registry/InstallInformation.h"

namespace installer {

class TCustomInstall;
class TCustomInstallFile;

// Build settings of the distribution (read by the build).
struct TBuildInfo {
    void Assign(const TBuildInfo& source) { *this = source; }
};

using TInstallNotifyEvent = std::function<void(TCustomInstall& sender)>;
using TRebootWindowsEvent = std::function<void(TCustomInstall& sender, bool& reboot)>;
using TBeforeRunFileEvent = std::function<void(TCustomInstall& sender, TCustomInstallFile& file, bool& run)>;
using TUserAbortEvent = std::function<void(TCustomInstall& sender, bool& flag)>;
using TCleanupEvent = std::function<void(TCustomInstall& sender, bool& cleanup)>;

// The form the install sits on, as far as the install moves it.
class TOwnerForm {
public:
    virtual ~TOwnerForm() = default;
    virtual void Maximize() = 0;
    // Left := -2 x Width, Top := -2 x Height.
    virtual void MoveOffScreen() = 0;
};

class TCustomInstall : public TFileContainer, public TInstallEngine {
public:
    explicit TCustomInstall(TComponentOwner& owner);
    ~TCustomInstall() override;

    static constexpr const char* StaticClassName = "TCustomInstall";
    std::string ClassName() const override { return StaticClassName; }

    // ---- properties (defaults as the constructor sets them)
    bool AutoMaximizeWindow() const { return autoMaximizeWindow_; }
    void SetAutoMaximizeWindow(bool value);
    const TBuildInfo& BuildInfo() const { return buildInfo_; }
    void SetBuildInfo(const TBuildInfo& info) { buildInfo_.Assign(info); }
    // The pictures of the wizard pages (117 x 290 by default).
    const QImage& DialogThemeBitmap() const { return dialogThemeBitmap_; }
    void SetDialogThemeBitmap(const QImage& picture) { dialogThemeBitmap_ = picture.copy(); }
    TDistributeType DistributeType() const override { return distributeType_; }
    void SetDistributeType(TDistributeType type);
    bool HideMainForm() const { return hideMainForm_; }
    void SetHideMainForm(bool value);
    TInstallInformation Information;
    const std::vector<std::string>& PresetupFiles() const { return presetupFiles_; }
    void SetPresetupFiles(std::vector<std::string> files);
    bool Reboot() const override { return reboot_; }
    void SetReboot(bool reboot) override { reboot_ = reboot; }
    bool RunAutomatic = true;
    bool UseLoadingProgram() const { return useLoadingProgram_; }
    void SetUseLoadingProgram(bool value);
    void SetNetLocation(TCustomNetInstallLocation* location) override;

    // ---- events
    TInstallNotifyEvent OnAfterInitialized, OnAfterNotifyBadInstall, OnAfterNotifyGoodInstall, OnAfterReadArchiveInfo,
        OnBeforeNotifyBadInstall, OnBeforeNotifyGoodInstall, OnBeforeReadArchiveInfo, OnFailedReboot;
    TRebootWindowsEvent OnBeforeReboot;
    TBeforeRunFileEvent OnBeforeRunFile;
    TUserAbortEvent OnBeforeShutdown, OnUserAbort;
    TCleanupEvent OnBeforeCleanup;

    // ---- what the program around the install gives it
    // The setup executable (a Windows path of the system root) and its
    // arguments (ParamStr 1 ..).
    void SetExeName(const std::string& exeName) { exeName_ = exeName; }
    const std::string& ExeName() const { return exeName_; }
    void SetArguments(std::vector<std::string> arguments) { arguments_ = std::move(arguments); }
    const std::vector<std::string>& Arguments() const { return arguments_; }
    // The form the install sits on; nullptr when it is not on a shown form.
    void SetOwnerForm(TOwnerForm* form) { ownerForm_ = form; }
    // The form's own activation handler, called on its first activation.
    std::function<void()> PreviousOnActivate;

    // ---- the run
    void ParseCommandLine();
    // The owner form's activation while hooked: the first one starts the run.
    void OwnerFormActivate();
    void Process() override;
    void ProcessType(int registeredType, const std::string& text);
    // Fires OnUserAbort with the answer preset to True; the wizard's Cancel asks it.
    bool QueryUserAbort();
    void NotifyGoodInstall();
    void NotifyBadInstall();
    void RunFiles();
    // This executable's record key; without create, a missing record (or
    // records key) gives "" and no key is made.
    std::string FindInstallRecord(bool create);
    void ReadArchiveInfo() override;
    // The application's exception handler while the install lives.
    void HandleInstallException(const std::exception& e);
    // Runs body; a failure goes to HandleInstallException (an EAbort passes silently).
    void RunGuarded(const std::function<void()>& body);

    // ---- the distribution build (-b) and the diskette transfer (-f)
    void BuildFromInfFile();
    void BuildDistributables(const std::string& exe, const std::string& directory, bool selfExtract);
    void CopyLoadingProgram(const std::string& directory, const std::string& exe);
    void CreateSetupArchive(const std::string& directory, const std::string& exe);
    // Clears every install file's pack mark, then the compress pass.
    void Compress(TCompressOptions options) override;
    void WriteNetFileList();
    void CreateSelfExtractor(const std::string& exe, const std::string& setup1, const std::string& files1);
    void TransferToFloppies(const std::string& drive);
    // Adds a presetup file; with check, not when one of that file name is listed.
    void AddPresetupFile(const std::string& fileName, bool check);

    // ---- reboot, resume and cleanup
    void RebootWindows();
    void RegisterRunOnce();
    void AddUnfinished(const std::string& name, int kind) override;
    std::vector<std::string> ReadUnfinished();
    void ClearUnfinished();
    void ResumeAfterReboot() override;
    void Cleanup();
    // Runs the batch Cleanup wrote, once (the install's destruction runs it
    // when nobody did before); lines that could not be carried out are shown.
    void RunCleanupBatch();
    void RemoveInstallRecord();

    // ---- run state
    bool InstallRunning() const override { return running_; }
    // The run ended on a failure or a Cancel, or the build or the diskette
    // transfer failed.
    bool Aborted() const { return aborted_; }
    int DeferredRebootEntries() const { return deferredReboots_; }
    const std::string& CleanupBatch() const { return batchName_; }
    std::string SourceDir() const override { return sourceDir_; }
    bool HasSwitch(char letter) const override;
    std::string SwitchArgument(char letter) const override;
    TInstallContainer& InstallComponent() override { return *this; }
    std::string ProductName() const override { return Information.ProductName; }

    bool CreatesPathSpecifier() const override { return false; }

protected:
    void AfterConstruction() override;
    void BeforeDestruction() override;
    void Loaded() override;
    void Notification(TComponent& removed) override;

private:
    void ShutdownQuery();
    void ReadSelfExtractorOffset();
    void ReadNetFileList();
    std::string LoadingProgramPath();
    void WriteLanguage();
    void ApplyRecordedLanguage();
    std::string RecordKey();
    static int SwitchIndex(char letter);

    bool autoMaximizeWindow_ = true;
    TBuildInfo buildInfo_;
    QImage dialogThemeBitmap_;
    TDistributeType distributeType_ = dtTraditional;
    bool hideMainForm_ = false;
    std::vector<std::string> presetupFiles_;
    bool reboot_ = false;
    bool useLoadingProgram_ = true;

    std::string exeName_;
    std::vector<std::string> arguments_;
    TOwnerForm* ownerForm_ = nullptr;
    bool hooked_ = false;
    bool activated_ = false;

    unsigned switches_ = 0;
    std::string switchArguments_[7];
    std::string sourceDir_;
    bool running_ = false;
    bool aborted_ = false;
    int deferredReboots_ = 0;
    std::string batchName_;
    bool startBatch_ = false;
    bool archiveInfoRead_ = false;
    double runStart_ = 0;  // written to the record as LastRunDate
    bool madeTranslator_ = false;
};

class TInstall : public TCustomInstall {
public:
    using TCustomInstall::TCustomInstall;
    static constexpr const char* StaticClassName = "TInstall";
    std::string ClassName() const override { return StaticClassName; }
};

// GlobalInstall of a context as the install component, or nullptr.
TCustomInstall* GlobalInstall(EngineContext& context);

// The picture of the wizard pages when the configuration gives none.
QImage DefaultDialogThemeBitmap();

}  // namespace installer
