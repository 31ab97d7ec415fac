#include "installer/bde/BDEFileSet.h"

#include <initializer_list>

#include "installer/base/ApiRoutines.h"
#include "installer/base/Strings.h"
#include "installer/bde/BdeRegistry.h"
#include "installer/bde/BdeText.h"
#include "installer/bde/InstallBDE.h"
#include "installer/components/TamselPath.h"
#include "installer/files/InstallFile.h"
#include "installer/registry/ComponentNames.h"
#include "installer/translator/IException.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer {

using bde::SameText;

namespace {

constexpr const char* kNoLocaleFiles =
    "There is no \\Software\\Borland\\BLW32 key in the registry, no entries in this key, or the BLAPIPATH entry does "
    "not point to a valid directory. Therefore the .BLL files could not be added";

// The files of each SQL link beyond the shared help files.
const std::initializer_list<const char*> kLinkFiles = {"SQLDB232.DLL", "SQLINF32.DLL", "SQLINT32.DLL",
                                                       "SQLMSS32.DLL", "SQLORA32.DLL", "SQLSSC32.DLL",
                                                       "SQLSYB32.DLL"};
const std::initializer_list<const char*> kInterBaseFiles = {"SQLINT32.DLL", "GDS32.DLL", "SQL_LIC.DAT",
                                                            "INTERBAS.MSG", "INTERBASE.MSG"};

bool Exists(const std::string& path) {
    try {
        return platform::Files().FileExists(path);
    } catch (const std::exception&) {
        return false;
    }
}

// Runs an addition whose failure the rule lets pass.
template <typename Body>
void IgnoringErrors(Body body) {
    try {
        body();
    } catch (const std::exception&) {
        // One missing optional file leaves the others to be added.
    }
}

// The standard specifier of a destination the sets use.
TCustomPathSpecifier* DestinationSpecifier(TInstallBDE& bde, StandardSpecifier destination) {
    auto& list = StandardPathSpecList(bde.Context());
    if (destination == StandardSpecifier::System) return list.FindByClass<TpsSystem>();
    return list.FindByClass<TpsContainerDestDir>();
}

}  // namespace

std::unique_ptr<TBDEFileSet> MakeBDEFileSet(int version, TInstallBDE* installBDE) {
    switch (version) {
        case 0: return std::make_unique<TBDE30FileSet>(installBDE);
        case 1: return std::make_unique<TBDE35FileSet>(installBDE);
        case 2: return std::make_unique<TBDE40FileSet>(installBDE);
        case 3: return std::make_unique<TBDE45FileSet>(installBDE);
        default: return std::make_unique<TBDE50FileSet>(installBDE);
    }
}

TBDEFileSet::TBDEFileSet(TInstallBDE* installBDE) : container_(installBDE) {
    if (!installBDE) throw platform::Exception("Cannot create BDE file set without passing valid InstallBDE");
}

// ---------------------------------------------------------------- helpers

std::string TBDEFileSet::EngineDir() const { return GetBDEDLLDir(); }

std::string TBDEFileSet::LibraryDir() const { return GetTamselPath(true); }

bool TBDEFileSet::Has(const std::string& name) const { return container_->HasFileNamed(name); }

void TBDEFileSet::AddFromEngine(const char* name) { AddFile(AddBackslash(EngineDir()) + name); }

std::string TBDEFileSet::LanguageDLLName() const { return "IDR2" + container_->LanguageDLL + ".DLL"; }

bool TBDEFileSet::AnySQLLinkFiles() const {
    for (const char* name : kLinkFiles)
        if (Has(name)) return true;
    return false;
}

void TBDEFileSet::RemoveByExtension(const std::string& extension) {
    for (const auto& ref : container_->ChildSnapshot()) {
        if (!container_->StillChild(ref)) continue;
        auto* file = dynamic_cast<TCustomInstallFile*>(ref.component);
        if (file && SameText(platform::ExtractFileExt(platform::TrimControls(file->FileName())), extension)) file->Free();
    }
}

// ---------------------------------------------------------------- adding

void TBDEFileSet::AddFile(const std::string& path, StandardSpecifier destination) {
    if (Has(path)) return;
    if (!Exists(path))
        throw IEBDEFileDoesNotExist("Cannot find the file %s to add to the TInstallBDE component.", {path});
    TInstallBDE& bde = *container_;
    auto& file = bde.Owner().Create<TInstallFile>();
    try {
        file.SetNet(true);
        file.SetIncludeFromDir(RemoveBackslash(platform::ExtractFileDir(path)));
        file.SetFileName(platform::ExtractFileName(path));
        file.SetContainer(&bde);
        file.UpdateDLLCounter = true;
        file.SetDestDirType(DestinationSpecifier(bde, destination));
        file.SetDestDir("");
        file.OverwriteMode = TOverwriteType::owVersionDate;
        file.SetFileType(iftJustADLL);
        MakeUniqueComponentName(file, "BDEFile");
    } catch (const IEfcDuplicateFile&) {
        file.Free();
    } catch (...) {
        file.Free();  // no half-made child stays behind
        throw;
    }
}

void TBDEFileSet::AddConfigTemplate() {
    const std::string name = ConfigTemplateName();
    if (Has(name)) return;
    const std::string dir = LibraryDir();
    if (!Exists(AddBackslash(dir) + name))
        throw IEBDEFileDoesNotExist("Cannot find the %s file in the Tamsel directory", {name});
    TInstallBDE& bde = *container_;
    auto& file = bde.Owner().Create<TInstallFile>();
    try {
        file.SetNet(true);
        file.SetIncludeFromDir(dir);
        file.SetFileName(name);
        file.SetDestName("idapi32.cnf");
        file.SetContainer(&bde);
        file.OverwriteMode = TOverwriteType::owAlways;
        MakeUniqueComponentName(file, "BDEConfigFile");
    } catch (const IEfcDuplicateFile&) {
        file.Free();
    } catch (...) {
        file.Free();
        throw;
    }
}

void TBDEFileSet::AddLocaleFiles() {
    auto& registry = platform::Registry();
    const auto machine = platform::RegRoot::LocalMachine;
    const auto names = registry.ValueNames(machine, kBlw32Key);
    if (names.empty()) throw IEInstallBDE(kNoLocaleFiles);
    for (const std::string& name : names) {
        if (platform::AsciiUpper(name).find("LOCALE_LIB") == std::string::npos) continue;
        const std::string path = registry.ReadString(machine, kBlw32Key, name).value_or(std::string());
        IgnoringErrors([&] { AddFile(path); });
    }
}

void TBDEFileSet::AddLanguageDLL() { AddFromEngine(LanguageDLLName().c_str()); }

void TBDEFileSet::AddCore() {
    for (const char* name : {"IDAPI32.DLL", "BLW32.DLL", "IDDR32.DLL", "IDBAT32.DLL"}) AddFromEngine(name);
    AddConfigTemplate();
    AddLocaleFiles();
    AddLanguageDLL();
}

void TBDEFileSet::AddSQLLinkHelp() {
    AddFromEngine("SQLLNK32.HLP");
    AddFromEngine("SQLLNK32.CNT");
}

void TBDEFileSet::AddAllDrivers(bool ignoreErrors) {
    for (void (TBDEFileSet::*add)() : {&TBDEFileSet::AddASCII, &TBDEFileSet::AddDBase, &TBDEFileSet::AddODBC,
                                       &TBDEFileSet::AddParadox, &TBDEFileSet::AddSQLEngine,
                                       &TBDEFileSet::AddQBEEngine}) {
        try {
            (this->*add)();
        } catch (const std::exception&) {
            if (!ignoreErrors) throw;
        }
    }
}

void TBDEFileSet::AddAccess() {
    AddCore();
    AddFromEngine("IDDA3532.DLL");
    AddFromEngine("IDDAO32.DLL");
}

void TBDEFileSet::AddASCII() {
    AddCore();
    AddFromEngine("IDASCI32.DLL");
}

void TBDEFileSet::AddDBase() {
    AddCore();
    AddFromEngine("IDDBAS32.DLL");
}

void TBDEFileSet::AddODBC() {
    AddCore();
    AddFromEngine("IDODBC32.DLL");
    if (ODBCNeedsDAO()) AddFromEngine("IDDAO32.DLL");
}

void TBDEFileSet::AddParadox() {
    AddCore();
    AddFromEngine("IDPDX32.DLL");
}

void TBDEFileSet::AddSQLEngine() {
    AddCore();
    AddFromEngine("IDSQL32.DLL");
    AddFromEngine("IDPDX32.DLL");
}

void TBDEFileSet::AddQBEEngine() {
    AddCore();
    AddFromEngine("IDQBE32.DLL");
    AddFromEngine("IDPDX32.DLL");
}

void TBDEFileSet::AddDB2() {
    AddSQLLinkHelp();
    AddFromEngine("SQLDB232.DLL");
}

void TBDEFileSet::AddInformix() {
    AddSQLLinkHelp();
    AddFromEngine("SQLINF32.DLL");
}

void TBDEFileSet::AddInterBase() {
    AddSQLLinkHelp();
    AddFromEngine("SQLINT32.DLL");
    AddFile(AddBackslash(GetSystemDir()) + "GDS32.DLL");
    AddFile(AddBackslash(LibraryDir()) + "SQL_LIC.DAT");
    const std::string root = AddBackslash(GetInterBaseRootDir());
    if (Exists(root + "INTERBASE.MSG"))
        AddFile(root + "INTERBASE.MSG");
    else if (Exists(root + "INTERBAS.MSG"))
        AddFile(root + "INTERBAS.MSG");
    else
        throw IEBDENoIntrbaseMsgFile("The Interbase MSG file could not be found");
}

void TBDEFileSet::AddMSSQLServer() {
    AddSQLLinkHelp();
    AddFromEngine("SQLMSS32.DLL");
}

void TBDEFileSet::AddOracle() {
    AddSQLLinkHelp();
    AddFromEngine("SQLORA32.DLL");
}

void TBDEFileSet::AddSybaseCT() {
    AddSQLLinkHelp();
    AddFromEngine("SQLSSC32.DLL");
}

void TBDEFileSet::AddSybaseDB() {
    AddSQLLinkHelp();
    AddFromEngine("SQLSYB32.DLL");
}

// ---------------------------------------------------------------- asking

bool TBDEFileSet::HasCore() const {
    return Has(ConfigTemplateName()) && Has("IDAPI32.DLL") && Has("BLW32.DLL") && Has(LanguageDLLName()) &&
           Has("IDBAT32.DLL") && Has("IDDR32.DLL");
}

bool TBDEFileSet::HasFull() const {
    return HasCore() && HasASCII() && HasDBase() && HasODBC() && HasParadox() && HasSQLEngine() && HasQBEEngine();
}

bool TBDEFileSet::HasAccess() const { return HasCore() && Has("IDDA3532.DLL") && Has("IDDAO32.DLL"); }
bool TBDEFileSet::HasASCII() const { return HasCore() && Has("IDASCI32.DLL"); }
bool TBDEFileSet::HasDBase() const { return HasCore() && Has("IDDBAS32.DLL"); }
bool TBDEFileSet::HasODBC() const {
    return HasCore() && Has("IDODBC32.DLL") && (!ODBCNeedsDAO() || Has("IDDAO32.DLL"));
}
bool TBDEFileSet::HasParadox() const { return HasCore() && Has("IDPDX32.DLL"); }
bool TBDEFileSet::HasSQLEngine() const { return HasCore() && Has("IDSQL32.DLL") && Has("IDPDX32.DLL"); }
bool TBDEFileSet::HasQBEEngine() const { return HasCore() && Has("IDQBE32.DLL") && Has("IDPDX32.DLL"); }

bool TBDEFileSet::HasSQLLinkHelp() const { return Has("SQLLNK32.HLP") && Has("SQLLNK32.CNT"); }
bool TBDEFileSet::HasDB2() const { return HasSQLLinkHelp() && Has("SQLDB232.DLL"); }
bool TBDEFileSet::HasInformix() const { return HasSQLLinkHelp() && Has("SQLINF32.DLL"); }
bool TBDEFileSet::HasInterBase() const {
    return HasSQLLinkHelp() && Has("SQLINT32.DLL") && Has("GDS32.DLL") && Has("SQL_LIC.DAT") &&
           (Has("INTERBASE.MSG") || Has("INTERBAS.MSG"));
}
bool TBDEFileSet::HasMSSQLServer() const { return HasSQLLinkHelp() && Has("SQLMSS32.DLL"); }
bool TBDEFileSet::HasOracle() const { return HasSQLLinkHelp() && Has("SQLORA32.DLL"); }
bool TBDEFileSet::HasSybaseCT() const { return HasSQLLinkHelp() && Has("SQLSSC32.DLL"); }
bool TBDEFileSet::HasSybaseDB() const { return HasSQLLinkHelp() && Has("SQLSYB32.DLL"); }

// ---------------------------------------------------------------- removing

void TBDEFileSet::RemoveFile(const std::string& name) {
    const std::string wanted = platform::TrimControls(name);
    for (const auto& ref : container_->ChildSnapshot()) {
        auto* file = dynamic_cast<TCustomInstallFile*>(ref.component);
        if (file && container_->StillChild(ref) && SameText(platform::TrimControls(file->FileName()), wanted)) {
            file->Free();
            return;
        }
    }
}

void TBDEFileSet::RemoveLocaleFiles() { RemoveByExtension(".BLL"); }

void TBDEFileSet::RemoveCore() {
    if (HasASCII() || HasDBase() || HasParadox() || HasSQLEngine() || HasQBEEngine() || HasODBC() || HasFull())
        return;
    for (const std::string& name : {std::string("IDAPI32.DLL"), LanguageDLLName(), std::string("BLW32.DLL"),
                                    ConfigTemplateName(), std::string("IDDR32.DLL"), std::string("IDBAT32.DLL")})
        RemoveFile(name);
    RemoveLocaleFiles();
}

void TBDEFileSet::RemoveAll() { RemoveCore(); }

void TBDEFileSet::RemoveSQLLinkHelp() {
    if (AnySQLLinkFiles()) return;  // another link still needs them
    RemoveFile("SQLLNK32.HLP");
    RemoveFile("SQLLNK32.CNT");
}

void TBDEFileSet::RemoveAccess() {
    RemoveFile("IDDA3532.DLL");
    if (!HasODBC()) RemoveFile("IDDAO32.DLL");
    RemoveCore();
}

void TBDEFileSet::RemoveASCII() {
    RemoveFile("IDASCI32.DLL");
    RemoveCore();
}

void TBDEFileSet::RemoveDBase() {
    RemoveFile("IDDBAS32.DLL");
    RemoveCore();
}

void TBDEFileSet::RemoveODBC() {
    RemoveFile("IDODBC32.DLL");
    // Access needs the DAO layer too.
    if (ODBCNeedsDAO() && !HasAccess()) RemoveFile("IDDAO32.DLL");
    RemoveCore();
}

void TBDEFileSet::RemoveParadox() {
    if (!HasSQLEngine() && !HasQBEEngine()) RemoveFile("IDPDX32.DLL");
    RemoveCore();
}

void TBDEFileSet::RemoveSQLEngine() {
    RemoveFile("IDSQL32.DLL");
    if (!HasParadox()) RemoveFile("IDPDX32.DLL");
    RemoveCore();
}

void TBDEFileSet::RemoveQBEEngine() {
    RemoveFile("IDQBE32.DLL");
    if (!HasParadox()) RemoveFile("IDPDX32.DLL");
    RemoveCore();
}

void TBDEFileSet::RemoveDB2() {
    RemoveFile("SQLDB232.DLL");
    RemoveSQLLinkHelp();
}

void TBDEFileSet::RemoveInformix() {
    RemoveFile("SQLINF32.DLL");
    RemoveSQLLinkHelp();
}

void TBDEFileSet::RemoveInterBase() {
    for (const char* name : kInterBaseFiles) RemoveFile(name);
    RemoveSQLLinkHelp();
}

void TBDEFileSet::RemoveMSSQLServer() {
    RemoveFile("SQLMSS32.DLL");
    RemoveSQLLinkHelp();
}

void TBDEFileSet::RemoveOracle() {
    RemoveFile("SQLORA32.DLL");
    RemoveSQLLinkHelp();
}

void TBDEFileSet::RemoveSybaseCT() {
    RemoveFile("SQLSSC32.DLL");
    RemoveSQLLinkHelp();
}

void TBDEFileSet::RemoveSybaseDB() {
    RemoveFile("SQLSYB32.DLL");
    RemoveSQLLinkHelp();
}

// ---------------------------------------------------------------- versions

void TBDE30FileSet::AddCore() {
    TBDEFileSet::AddCore();
    for (const char* name : {"BDECFG32.EXE", "BDECFG32.HLP", "BDECFG32.CNT"}) AddFromEngine(name);
}

void TBDE30FileSet::RemoveCore() {
    TBDEFileSet::RemoveCore();
    for (const char* name : {"BDECFG32.EXE", "BDECFG32.HLP", "BDECFG32.CNT"}) RemoveFile(name);
}

void TBDE40FileSet::AddCore() {
    TBDEFileSet::AddCore();
    for (const char* name : {"BDEADMIN.EXE", "BDEADMIN.HLP", "BDEADMIN.CNT"}) AddFromEngine(name);
    IgnoringErrors([&] {
        const std::string fromEngine = AddBackslash(EngineDir()) + "BDEADMIN.CPL";
        AddFile(Exists(fromEngine) ? fromEngine : AddBackslash(GetSystemDir()) + "BDEADMIN.CPL",
                StandardSpecifier::System);
    });
}

void TBDE40FileSet::RemoveCore() {
    TBDEFileSet::RemoveCore();
    for (const char* name : {"BDEADMIN.EXE", "BDEADMIN.HLP", "BDEADMIN.CNT", "BDEADMIN.CPL"}) RemoveFile(name);
}

void TBDE45FileSet::AddAllDrivers(bool ignoreErrors) {
    try {
        AddAccess();
    } catch (const std::exception&) {
        if (!ignoreErrors) throw;
    }
    TBDE40FileSet::AddAllDrivers(ignoreErrors);
}

bool TBDE45FileSet::HasFull() const { return TBDE40FileSet::HasFull() && HasAccess(); }

void TBDE45FileSet::RemoveCore() {
    if (HasAccess()) return;
    TBDE40FileSet::RemoveCore();
}

void TBDE50FileSet::AddLocaleFiles() {
    const auto dir = platform::Registry().ReadString(platform::RegRoot::LocalMachine, kBlw32Key, "BLAPIPATH");
    if (!dir || dir->empty()) throw IEInstallBDE(kNoLocaleFiles);
    bool isDir = false;
    try {
        isDir = platform::Files().DirectoryExists(*dir);
    } catch (const std::exception&) {
        // A folder that cannot be looked at counts as missing.
    }
    if (!isDir) throw IEInstallBDE(kNoLocaleFiles);
    for (const char* name :
         {"ceeurope.btl", "europe.btl", "fareast.btl", "japan.btl", "other.btl", "usa.btl", "charset.cvb", "bantam.dll"})
        IgnoringErrors([&] { AddFile(AddBackslash(*dir) + name); });
}

void TBDE50FileSet::RemoveLocaleFiles() {
    RemoveByExtension(".BTL");
    RemoveFile("CHARSET.CVB");
}

}  // namespace installer
