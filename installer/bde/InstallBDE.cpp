#include "installer/bde/InstallBDE.h"

#include <array>

#include "installer/base/Strings.h"
#include "installer/bde/BDEFileSet.h"
#include "installer/bde/BdeRegistry.h"
#include "installer/bde/BdeText.h"
#include "installer/bde/GrabCall.h"
#include "installer/bde/InstallLibrary.h"
#include "installer/components/EngineContext.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/components/TamselPath.h"
#include "installer/files/InstallFile.h"
#include "installer/registry/RegistryRoutines.h"
#include "installer/registry/UninstallFiles.h"
#include "installer/install/Install.h"
#include "installer/translator/IException.h"
#include "platform/core/runtime/Count.h"
#include "platform/core/runtime/Format.h"
#include "platform/core/runtime/ScopeExit.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer {

using bde::SameText;

namespace {

constexpr int kMachine = 4;
constexpr const char* kNoConfigFile = "***";

constexpr std::array<const char*, kBDEOptionCount> kOptionNames = {
    "bdAccess", "bdAscii",    "bdDBase",    "bdFull",        "bdODBC",   "bdParadox",  "bdSQLEngine", "bdQBEEngine",
    "slDB2",    "slInformix", "slIntrBase", "slMSSQLServer", "slOracle", "slSybaseCT", "slSybaseDB"};

bool IsSQLLink(TBDEOption option) { return option >= slDB2; }

// The name trimmed is not empty and the file can be opened for reading.
bool Opens(const std::string& name) {
    const std::string path = platform::TrimControls(name);
    if (path.empty()) return false;
    try {
        auto file = platform::Files().Open(path, platform::FileMode::Read);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// A plain file search: the bare name in the current directory, then each
// directory of the list; the complete path of the first hit, else "".
std::string FileSearch(const std::string& name, const std::vector<std::string>& dirs) {
    auto& files = platform::Files();
    std::vector<std::string> candidates{name};
    for (const std::string& dir : dirs)
        if (!dir.empty()) candidates.push_back(AddBackslash(dir) + name);
    for (const std::string& candidate : candidates) {
        try {
            if (files.FileExists(candidate)) return files.ExpandFileName(candidate);
        } catch (const std::exception&) {
            // a directory the file layer refuses holds nothing
        }
    }
    return {};
}

// The driver of an SQL-link header: the text after the header's opening up
// to its closing ']', blanks around it removed.
std::string HeaderDriver(const std::string& line, std::size_t start) {
    std::string driver = line.substr(start);
    if (!driver.empty() && driver.back() == ']') driver.pop_back();
    return platform::TrimControls(driver);
}

}  // namespace

std::optional<TBDEOption> BDEOptionByName(const std::string& name) {
    for (int i = 0; i < kBDEOptionCount; ++i)
        if (SameText(kOptionNames[static_cast<std::size_t>(i)], name)) return static_cast<TBDEOption>(i);
    return std::nullopt;
}

// ---------------------------------------------------------------- creation

TInstallBDE::TInstallBDE(TComponentOwner& owner) : TFileContainer(owner) {
    Description = "Borland Database Engine";
    try {
        LanguageDLL = GetInstalledLanguageDLL();
    } catch (const std::exception&) {
        LanguageDLL = "0009";
    }
    int version = 2;
    try {
        version = GetInstalledBDEVersion();
    } catch (const std::exception&) {
        // No readable engine on this machine: the 4.0 set.
    }
    fileSet_ = MakeBDEFileSet(version, this);
}

TInstallBDE::~TInstallBDE() = default;

void TInstallBDE::AfterConstruction() {
    TFileContainer::AfterConstruction();
    StoreDestDirType(StandardPathSpecList(Context()).FindByClassOrNull<TpsBDEDLL>());
    destDirTypeDefaulted_ = true;
    grabCall_ = &Owner().Create<TGrabCall>();
    grabCall_->OnCall = [this](TInstallContainer*, int id, TObject*) {
        if (id == imPrepareInstall) PrepareInstall();
    };
    AttachGrabCall();
    // While the setup is configured, the install library travels with it.
    if (IsDesigning()) {
        if (TCustomInstall* install = GlobalInstall(Context())) {
            const std::string libraryDir = GetTamselPath(false);
            if (libraryDir.empty())
                throw IEInstallBDE(
                    "The directory of the installer library was not found on the library search path, so "
                    "IDAPINST.DLL could not be added to the PresetupFiles of the TInstall component. Add it there "
                    "by hand");
            const std::string library = AddBackslash(libraryDir) + "IDAPINST.DLL";
            std::vector<std::string> files = install->PresetupFiles();
            bool listed = false;
            for (const std::string& line : files)
                listed = listed || SameText(platform::ExtractFileName(platform::TrimControls(line)), "IDAPINST.DLL");
            if (!listed) files.push_back(library);
            install->SetPresetupFiles(std::move(files));
        }
    }
}

void TInstallBDE::BeforeDestruction() {
    if (TCustomInstall* install = GlobalInstall(Context()); install && !install->IsDestroying()) {
        std::vector<std::string> files = install->PresetupFiles();
        std::erase_if(files, [](const std::string& line) {
            return platform::AsciiUpper(line).find("IDAPINST.DLL") != std::string::npos;
        });
        install->SetPresetupFiles(std::move(files));
    }
    if (grabCall_ && !grabCall_->IsDestroying()) {
        TGrabCall* grabCall = grabCall_;
        grabCall_ = nullptr;
        grabCall->Free();
    }
    TFileContainer::BeforeDestruction();
}

void TInstallBDE::Notification(TComponent& removed) {
    TFileContainer::Notification(removed);
    if (&removed == grabCall_) grabCall_ = nullptr;
}

void TInstallBDE::Loaded() {
    TFileContainer::Loaded();
    // A configuration may make the install after this component.
    AttachGrabCall();
}

void TInstallBDE::AttachGrabCall() {
    if (!grabCall_ || grabCall_->Container()) return;
    if (TInstallContainer* install = GlobalInstallComponent(Context())) grabCall_->SetContainer(install);
}

void TInstallBDE::SetContainer(TInstallContainer* container) {
    if (!container || !(container->IsInstallGroup() || container->IsFileContainer()))
        container = GlobalInstallComponent(Context());
    TFileContainer::SetContainer(container);
    SetDestDirType(StandardPathSpecList(Context()).FindByClassOrNull<TpsBDEDLL>());
    AttachGrabCall();
}

// ---------------------------------------------------------------- options

bool TInstallBDE::Option(TBDEOption option) const {
    TBDEFileSet& set = *fileSet_;
    switch (option) {
        case bdAccess: return set.HasAccess();
        case bdAscii: return set.HasASCII();
        case bdDBase: return set.HasDBase();
        case bdFull: return set.HasFull();
        case bdODBC: return set.HasODBC();
        case bdParadox: return set.HasParadox();
        case bdSQLEngine: return set.HasSQLEngine();
        case bdQBEEngine: return set.HasQBEEngine();
        case slDB2: return set.HasDB2();
        case slInformix: return set.HasInformix();
        case slIntrBase: return set.HasInterBase();
        case slMSSQLServer: return set.HasMSSQLServer();
        case slOracle: return set.HasOracle();
        case slSybaseCT: return set.HasSybaseCT();
        case slSybaseDB: return set.HasSybaseDB();
    }
    return false;
}

void TInstallBDE::SetOption(TBDEOption option, bool on) {
    if (IsLoading()) return;
    TBDEFileSet& set = *fileSet_;
    switch (option) {
        case bdAccess: on ? set.AddAccess() : set.RemoveAccess(); break;
        case bdAscii: on ? set.AddASCII() : set.RemoveASCII(); break;
        case bdDBase: on ? set.AddDBase() : set.RemoveDBase(); break;
        case bdFull: on ? set.AddAllDrivers(true) : set.RemoveAll(); break;
        case bdODBC: on ? set.AddODBC() : set.RemoveODBC(); break;
        case bdParadox: on ? set.AddParadox() : set.RemoveParadox(); break;
        case bdSQLEngine: on ? set.AddSQLEngine() : set.RemoveSQLEngine(); break;
        case bdQBEEngine: on ? set.AddQBEEngine() : set.RemoveQBEEngine(); break;
        case slDB2: on ? set.AddDB2() : set.RemoveDB2(); break;
        case slInformix: on ? set.AddInformix() : set.RemoveInformix(); break;
        case slIntrBase: on ? set.AddInterBase() : set.RemoveInterBase(); break;
        case slMSSQLServer: on ? set.AddMSSQLServer() : set.RemoveMSSQLServer(); break;
        case slOracle: on ? set.AddOracle() : set.RemoveOracle(); break;
        case slSybaseCT: on ? set.AddSybaseCT() : set.RemoveSybaseCT(); break;
        case slSybaseDB: on ? set.AddSybaseDB() : set.RemoveSybaseDB(); break;
    }
    if (IsSQLLink(option)) CaptureSQLLinkEntries();
}

// ---------------------------------------------------------------- children

TCustomInstallFile& TInstallBDE::ConfigFileComponent() const {
    TCustomInstallFile* found = nullptr;
    for (TInstallContainer* child : Helpers()) {
        auto* file = dynamic_cast<TCustomInstallFile*>(child);
        if (!file || !SameText(platform::TrimControls(file->DestName()), "IDAPI32.CNF")) continue;
        if (found) throw IEInstallBDE("More than one IDAPI.CNF file found for the BDE group");
        found = file;
    }
    if (!found) throw IEInstallBDE("Could not find a IDAPI.CNF file in the TInstallBDE");
    return *found;
}

bool TInstallBDE::HasFileNamed(const std::string& name) const {
    const std::string wanted = platform::ExtractFileName(platform::TrimControls(name));
    for (TInstallContainer* child : Helpers())
        if (auto* file = dynamic_cast<TCustomInstallFile*>(child); file && SameText(platform::TrimControls(file->FileName()), wanted))
            return true;
    return false;
}

// ---------------------------------------------------------------- prepare

void TInstallBDE::PrepareInstall() {
    existingConfigFile_ = kNoConfigFile;
    targetConfigFile_.clear();
    FindConfigFile();
    UseExistingLocations();
}

void TInstallBDE::FindConfigFile() {
    auto& files = platform::Files();
    const std::string registered = RegReadString(kMachine, kBdeKey, "CONFIGFILE01", "");
    if (Opens(registered)) {
        existingConfigFile_ = platform::TrimControls(registered);
        configDir_ = RemoveBackslash(platform::ExtractFileDir(existingConfigFile_));
        configFileName_ = platform::ExtractFileName(existingConfigFile_);
        return;
    }
    const std::vector<std::string> searchDirs = {files.CurrentDir(), files.Facts().WindowsDir(),
                                                 files.Facts().SystemDir()};
    std::string found;
    for (const auto& [section, fileName] : {std::pair{"IDAPI", "idapi.cfg"}, std::pair{"ODAPI", "odapi.cfg"}}) {
        const std::string fromWinIni = ReadIniString("WIN.INI", section, "CONFIGFILE01");
        found = Opens(fromWinIni) ? platform::TrimControls(fromWinIni) : FileSearch(fileName, searchDirs);
        if (!found.empty()) break;
    }
    const std::string configDestDir = ConfigFileComponent().GetFullDestDir();
    configFileName_ = "idapi32.cfg";
    if (!found.empty()) {
        existingConfigFile_ = found;
        configDir_ = RemoveBackslash(configDestDir);
    } else {
        existingConfigFile_ = kNoConfigFile;
        configDir_ = AddBackslash(configDestDir);
    }
}

void TInstallBDE::UseExistingLocations() {
    const std::string dllPath = RegReadString(kMachine, kBdeKey, "DLLPATH", "");
    // A blank value names no folder: the engine then goes where psBDEDLL says.
    if (!platform::TrimControls(dllPath).empty()) {
        SetDestDirType(nullptr);
        SetDestDir(platform::TrimControls(dllPath.substr(0, dllPath.find(';'))));
    }
    TCustomInstallFile& config = ConfigFileComponent();
    config.SetDestDirType(nullptr);
    config.SetDestDir(configDir_);
}

// ---------------------------------------------------------------- install

std::string TInstallBDE::ProgramDir() {
    TCustomInstall* install = GlobalInstall(Context());
    return install && !install->ExeName().empty() ? platform::ExtractFileDir(install->ExeName()) : std::string();
}

void TInstallBDE::CheckLanguage() {
    std::string installed;
    try {
        installed = GetInstalledLanguageDLL();
    } catch (const IEBDENoResourceDLLEntry&) {
        return;  // no engine installed yet
    }
    if (SameText(platform::TrimControls(installed), platform::TrimControls(LanguageDLL))) return;
    bool overwrite = true;
    if (OnLanguageDifferent) OnLanguageDifferent(*this, installed, LanguageDLL, overwrite);
    if (!overwrite)
        throw IEBDELanguageDifferent(
            "The Borland Database Engine installed on this machine is a different language from the Borland Database "
            "Engine being installed");
}

namespace {

// A name for the template in the configuration folder that no file there
// has: the template never goes over a configuration (its aliases are the
// user's), whatever that file is called.
std::string FreeTemplateName(const std::string& dir, const std::string& shipped) {
    auto& files = platform::Files();
    if (!files.FileExists(AddBackslash(dir) + shipped)) return shipped;
    for (int n = 0;; ++n) {
        const std::string name = "IDAPINEW" + (n == 0 ? std::string() : std::to_string(n)) + ".CNF";
        if (!files.FileExists(AddBackslash(dir) + name)) return name;
    }
}

}  // namespace

void TInstallBDE::Install() {
    CheckLanguage();
    // Whether another install registered the engine before this one.
    const bool registered = !platform::IsBlank(RegReadString(kMachine, kBdeKey, "DLLPATH", ""));
    TInstallLibrary library(ProgramDir());
    TCustomInstallFile& config = ConfigFileComponent();
    const std::string shippedName = config.DestName();
    config.SetDestName(FreeTemplateName(config.GetFullDestDir(), shippedName));
    {
        platform::ScopeExit restore([&] { config.SetDestName(shippedName); });
        TFileContainer::Install();
        ConfigureBDE(AddBackslash(config.GetFullDestDir()) + config.DestName(), LanguageDLL);
    }
    // A count that cannot be read is another product's use: this install
    // must not make itself the engine's only user.
    if (registered && !platform::ParseCount(RegReadString(kMachine, kBdeKey, "UseCount", "")))
        RegWriteString(kMachine, kBdeKey, "UseCount", "1");
    library.IncrementIDAPIUseCount();
}

void TInstallBDE::RenameToNewConfig(const std::string& newConfigFile, const std::string& configDir) {
    const std::string renamed = configDir + "\\IDAPINEW.CFG";
    bool moved = false;
    try {
        // A file of that name left by an earlier run is replaced.
        moved = platform::Files().MoveFile(newConfigFile, renamed, true);
    } catch (const std::exception&) {
        moved = false;
    }
    if (!moved) throw IEInstallBDE("Could not rename the file %s to %s", {newConfigFile, renamed});
    targetConfigFile_ = renamed;
}

void TInstallBDE::ConfigureBDE(const std::string& newConfigFile, const std::string& languageDLL) {
    // 1. The two directories; the template lies in the configuration's.
    const std::string engineDir = platform::AsciiUpper(RemoveBackslash(GetFullDestDir()));
    const std::string configDir = RemoveBackslash(platform::ExtractFileDir(newConfigFile));
    // 2.-5. The engine's registry values. "CONFIGFILE01" keeps the configuration
    // in use until the merged one is complete (step 11): a kill meanwhile
    // must not leave the engine pointed at the bare template.
    RegWriteString(kMachine, kBdeKey, "DLLPATH",
                   RewriteDllPath(RegReadString(kMachine, kBdeKey, "DLLPATH", ""), engineDir));
    RegWriteString(kMachine, kBlw32Key, "BLAPIPATH", engineDir);
    int localeNumber = 0;
    for (const ChildRef& ref : ChildSnapshot()) {
        auto* file = dynamic_cast<TCustomInstallFile*>(ref.component);
        if (!file || platform::AsciiUpper(file->DestName()).find(".BLL") == std::string::npos) continue;
        RegWriteString(kMachine, kBlw32Key, "LOCALE_LIB" + std::to_string(++localeNumber), file->GetDestPath());
    }
    RegWriteString(kMachine, kBdeKey, "RESOURCE", LanguageDLL);
    // 6.-8. Language, then the merge into the target.
    {
        TInstallLibrary library(ProgramDir());
        library.IntlConfig(newConfigFile, SaveFor16Bit, languageDLL);
    }
    targetConfigFile_ = AddBackslash(configDir) + configFileName_;
    int merged = 0;
    {
        TInstallLibrary library(ProgramDir());
        merged = library.MergeCfg(newConfigFile, existingConfigFile_, targetConfigFile_, SaveFor16Bit, languageDLL);
    }
    // 9.-10. A failed merge leaves the template as IDAPINEW.CFG, the configured file.
    if (merged != 0) {
        if (OnMergeFailed) OnMergeFailed(*this);
        RenameToNewConfig(newConfigFile, configDir);
    } else {
        const std::string systemNetDir = RegReadString(kMachine, kBdeSystemInitKey, "NET DIR", "");
        if (!systemNetDir.empty() && !RegReadString(kMachine, kBdeParadoxInitKey, "NET DIR", "").empty())
            RegWriteString(kMachine, kBdeParadoxInitKey, "NET DIR", systemNetDir);
        auto deleteTemplate = [&] {
            if (!SameText(newConfigFile, targetConfigFile_)) platform::Files().DeleteFile(newConfigFile);
        };
        if (SaveFor16Bit) {
            std::string odapi = ReadIniString("WIN.INI", "ODAPI", "CONFIGFILE01");
            if (odapi.empty()) odapi = "*ERROR*";
            const bool differs = platform::AsciiUpper(odapi) != platform::AsciiUpper(targetConfigFile_);
            int fixed = 0;
            {
                TInstallLibrary library(ProgramDir());
                fixed = library.FixMerge(targetConfigFile_, differs, SaveFor16Bit, languageDLL);
            }
            if (fixed != 0) {
                if (OnFixFailed) OnFixFailed(*this);
                RenameToNewConfig(newConfigFile, configDir);
            } else {
                deleteTemplate();
            }
        } else {
            deleteTemplate();
        }
    }
    // 11.-13. The configured file, the SQL links, the SQL engine's registration.
    RegWriteString(kMachine, kBdeKey, "CONFIGFILE01", targetConfigFile_);
    // The configuration as this install left it: the uninstall that takes
    // the engine removes it only when it is still so.
    RegWriteString(kMachine, kBdeKey, "ConfigStamp", FileStamp(targetConfigFile_));
    RegWriteString(kMachine, kBdeKey, "SAVECONFIG", SaveFor16Bit ? "WIN31" : "WIN32");
    WriteSQLLinkEntries();
    for (const ChildRef& ref : ChildSnapshot()) {
        auto* file = dynamic_cast<TCustomInstallFile*>(ref.component);
        if (!file || !SameText(file->FileName(), "IDSQL32.DLL")) continue;
        try {
            file->RegisterActiveX();
        } catch (const std::exception&) {
            // The engine works without it; a failed registration is no install error.
        }
    }
}

void TInstallBDE::WriteSQLLinkEntries() {
    // Nothing is written before the first header, nor under one that names no driver.
    std::string driver, section;
    for (const std::string& raw : sqlLinkEntries_) {
        const std::string line = platform::TrimControls(raw);
        if (const auto at = line.find("[DB OPEN-"); at != std::string::npos) {
            driver = HeaderDriver(line, at + 9);
            section = "DB OPEN";
        } else if (const auto init = line.find("[INIT-"); init != std::string::npos) {
            driver = HeaderDriver(line, init + 6);
            section = "INIT";
        } else if (const auto equals = raw.find('='); equals != std::string::npos && !driver.empty()) {
            const std::string rest = raw.substr(equals + 1);
            RegWriteString(kMachine, std::string(kBdeDriversKey) + "\\" + driver + "\\" + section,
                           raw.substr(0, equals), rest.substr(0, rest.find('=')));
        }
    }
}

void TInstallBDE::CaptureSQLLinkEntries() {
    auto& registry = platform::Registry();
    const auto machine = platform::RegRoot::LocalMachine;
    const std::string drivers = kBdeDriversKey;
    if (!registry.KeyExists(machine, drivers))
        throw IEInstallBDE("There is no %s key in your registry. Cannot read the information for SQL Link", {drivers});
    const std::array<std::pair<const char*, TBDEOption>, 6> links = {{{"MSSQL", slMSSQLServer},
                                                                      {"INTRBASE", slIntrBase},
                                                                      {"ORACLE", slOracle},
                                                                      {"INFORMIX", slInformix},
                                                                      {"DB2", slDB2},
                                                                      {"SYBASE", slSybaseCT}}};
    std::vector<std::string> entries;
    for (const std::string& name : registry.SubKeyNames(machine, drivers)) {
        bool wanted = false;
        for (const auto& [linkName, option] : links) wanted = wanted || (SameText(name, linkName) && Option(option));
        if (!wanted) continue;
        const std::string driverKey = drivers + "\\" + name;
        for (const char* section : {"DB OPEN", "INIT"}) {
            const std::string key = driverKey + "\\" + section;
            if (!registry.KeyExists(machine, driverKey) || !registry.KeyExists(machine, key))
                throw IEInstallBDE("Cannot open the %s key in your registry. Cannot read the information for %s SQL Link",
                                   {registry.KeyExists(machine, driverKey) ? key : driverKey, name});
            entries.push_back(platform::Format(section == std::string("INIT") ? "[INIT-%s]" : "[DB OPEN-%s]", {name}));
            for (const std::string& value : registry.ValueNames(machine, key))
                entries.push_back(platform::Format(
                    "%s=%s", {value, registry.ReadString(machine, key, value).value_or(std::string())}));
            entries.push_back("  ");
        }
    }
    sqlLinkEntries_ = std::move(entries);
}

void TInstallBDE::WriteUninstallEntries(const std::string& registryKey) {
    // The entry count is read, then written: one step for other setups.
    platform::RegistryStore::UpdateLock update(platform::Registry(), platform::RegRoot::LocalMachine);
    const std::string key = registryKey + "\\BDE";
    // An unreadable count starts again.
    const int entries = platform::ParseCount(RegReadString(kMachine, key, "Entries", "0")).value_or(0);
    RegWriteString(kMachine, key, "Entries", std::to_string(entries + 1));
}

}  // namespace installer
