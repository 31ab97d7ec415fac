#pragma once
// The database-engine installer: a file container whose children are the
// engine's DLLs, locale libraries and configuration template. Besides
// installing them like any container it finds where an engine already
// lives, checks that its language matches, merges the template into the
// engine's configuration through the engine's install library, and writes
// the engine's registry settings. The tree always puts it first among the
// install's children, so the engine is in place before the program's files.
//
// What was there stays: the template is written under a free name beside a
// configuration file of its name, "CONFIGFILE01" names the merged file only
// once it is complete (with its stamp in "ConfigStamp", for the uninstall),
// and an engine registered with a "UseCount" no number holds counts as used
// by another product.
//
// Which files it carries is decided while the setup is configured, through
// its driver and SQL-link options and the file set of the installed engine's
// version (BDEFileSet.h); during a run the stored children are the engine.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "installer/files/FileContainer.h"

namespace installer {

class TBDEFileSet;
class TCustomInstallFile;
class TGrabCall;

// The driver (bd) and SQL-link (sl) options.
enum TBDEOption {
    bdAccess, bdAscii, bdDBase, bdFull, bdODBC, bdParadox, bdSQLEngine, bdQBEEngine,
    slDB2, slInformix, slIntrBase, slMSSQLServer, slOracle, slSybaseCT, slSybaseDB
};
inline constexpr int kBDEOptionCount = 15;
// The option of a property name ("bdParadox"), ignoring case.
std::optional<TBDEOption> BDEOptionByName(const std::string& name);

class TInstallBDE;
using TBDELanguageDifferentEvent = std::function<void(TObject& sender, const std::string& installedResourceCode,
                                                      const std::string& installingResourceCode, bool& overwrite)>;
using TBDENotifyEvent = std::function<void(TInstallBDE& sender)>;

class TInstallBDE : public TFileContainer {
public:
    explicit TInstallBDE(TComponentOwner& owner);
    ~TInstallBDE() override;

    static constexpr const char* StaticClassName = "TInstallBDE";
    std::string ClassName() const override { return StaticClassName; }

    // ---- properties
    // Reading asks the file set whether the option's files are children;
    // setting adds or removes them (ignored while loading); setting an SQL
    // link also captures SQLLinkEntries again.
    bool Option(TBDEOption option) const;
    void SetOption(TBDEOption option, bool on);
    // The engine language being installed (the code of IDR2<code>.DLL).
    std::string LanguageDLL;
    bool SaveFor16Bit = false;
    // Driver settings to write: "[DB OPEN-<driver>]" and "[INIT-<driver>]"
    // headers, then "name=value" lines.
    const std::vector<std::string>& SQLLinkEntries() const { return sqlLinkEntries_; }
    void SetSQLLinkEntries(const std::vector<std::string>& entries) { sqlLinkEntries_ = entries; }
    TBDELanguageDifferentEvent OnLanguageDifferent;
    TBDENotifyEvent OnMergeFailed, OnFixFailed;

    // ---- run state
    TBDEFileSet& FileSet() const { return *fileSet_; }
    TGrabCall* GrabCall() const { return grabCall_; }
    // "***": no configuration file was found.
    const std::string& ExistingConfigFile() const { return existingConfigFile_; }
    const std::string& TargetConfigFile() const { return targetConfigFile_; }
    const std::string& ConfigDir() const { return configDir_; }
    const std::string& ConfigFileName() const { return configFileName_; }

    // ---- operations
    void Install() override;
    void WriteUninstallEntries(const std::string& registryKey) override;
    void SetContainer(TInstallContainer* container) override;
    virtual void ConfigureBDE(const std::string& newConfigFile, const std::string& languageDLL);
    virtual void FindConfigFile();
    virtual void WriteSQLLinkEntries();
    // What the install message imPrepareInstall starts: find the existing
    // configuration, then install where the existing engine lives.
    void PrepareInstall();
    void UseExistingLocations();
    // The driver settings of the configuring machine for the SQL links that are on.
    void CaptureSQLLinkEntries();
    // The child file installed as "IDAPI32.CNF"; IEInstallBDE for none or several.
    TCustomInstallFile& ConfigFileComponent() const;
    // Whether a child file's FileName is the file-name part of name (ignoring case).
    bool HasFileNamed(const std::string& name) const;

protected:
    void AfterConstruction() override;
    void BeforeDestruction() override;
    void Loaded() override;
    void Notification(TComponent& removed) override;

private:
    void CheckLanguage();
    void AttachGrabCall();
    void RenameToNewConfig(const std::string& newConfigFile, const std::string& configDir);
    std::string ProgramDir();

    std::unique_ptr<TBDEFileSet> fileSet_;
    TGrabCall* grabCall_ = nullptr;
    std::vector<std::string> sqlLinkEntries_;
    std::string existingConfigFile_ = "***";
    std::string targetConfigFile_;
    std::string configDir_;
    std::string configFileName_;
};

}  // namespace installer
