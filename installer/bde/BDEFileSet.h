#pragma once
// Which engine files belong to which driver and SQL-link option, for each
// engine version. Switching an option on adds its files, taken from the
// engine installed on the configuring machine, as children of the engine
// installer; switching it off frees them; asking tells whether they are all
// there. Used only while the setup is configured.
//
// Directories: the engine directory is GetBDEDLLDir (the first item of the
// installed engine's DLLPATH), the library directory the installer
// library's own (where IDAPINST.DLL and the configuration templates lie),
// the system directory the Windows system directory.
#include <memory>
#include <string>

#include "installer/components/StandardPathSpecifiers.h"

namespace installer {

class TInstallBDE;

class TBDEFileSet {
public:
    // A plain exception without an engine installer.
    explicit TBDEFileSet(TInstallBDE* installBDE);
    virtual ~TBDEFileSet() = default;
    TBDEFileSet(const TBDEFileSet&) = delete;
    TBDEFileSet& operator=(const TBDEFileSet&) = delete;

    virtual void AddLocaleFiles();
    virtual void AddConfigTemplate();
    virtual void AddCore();
    virtual void AddSQLLinkHelp();
    // Adds the file at path (a Windows path) unless a child has its name;
    // IEBDEFileDoesNotExist when it is missing.
    virtual void AddFile(const std::string& path, StandardSpecifier destination = StandardSpecifier::ContainerDestDir);
    virtual void AddAllDrivers(bool ignoreErrors);
    virtual void AddLanguageDLL();

    virtual void AddAccess();
    virtual void AddASCII();
    virtual void AddDBase();
    virtual void AddODBC();
    virtual void AddParadox();
    virtual void AddSQLEngine();
    virtual void AddQBEEngine();

    virtual void AddDB2();
    virtual void AddInformix();
    virtual void AddInterBase();
    virtual void AddMSSQLServer();
    virtual void AddOracle();
    virtual void AddSybaseCT();
    virtual void AddSybaseDB();

    virtual std::string ConfigTemplateName() const = 0;

    virtual bool HasCore() const;
    virtual bool HasFull() const;
    virtual bool HasAccess() const;
    virtual bool HasASCII() const;
    virtual bool HasDBase() const;
    virtual bool HasODBC() const;
    virtual bool HasParadox() const;
    virtual bool HasSQLEngine() const;
    virtual bool HasQBEEngine() const;
    virtual bool HasDB2() const;
    virtual bool HasInformix() const;
    virtual bool HasInterBase() const;
    virtual bool HasMSSQLServer() const;
    virtual bool HasOracle() const;
    virtual bool HasSybaseCT() const;
    virtual bool HasSybaseDB() const;

    virtual void RemoveLocaleFiles();
    virtual void RemoveCore();
    // The shared help files go only when no SQL link's own files remain.
    virtual void RemoveSQLLinkHelp();
    // Frees the first child whose FileName is name (ignoring case); none: nothing.
    virtual void RemoveFile(const std::string& name);
    virtual void RemoveAll();

    virtual void RemoveAccess();
    virtual void RemoveASCII();
    virtual void RemoveDBase();
    virtual void RemoveODBC();
    virtual void RemoveParadox();
    virtual void RemoveSQLEngine();
    virtual void RemoveQBEEngine();
    virtual void RemoveDB2();
    virtual void RemoveInformix();
    virtual void RemoveInterBase();
    virtual void RemoveMSSQLServer();
    virtual void RemoveOracle();
    virtual void RemoveSybaseCT();
    virtual void RemoveSybaseDB();

    bool HasSQLLinkHelp() const;

protected:
    TInstallBDE& Container() const { return *container_; }
    std::string EngineDir() const;
    std::string LibraryDir() const;
    bool Has(const std::string& name) const;
    void AddFromEngine(const char* name);
    std::string LanguageDLLName() const;
    // The ODBC driver's files beyond IDODBC32.DLL (4.0 and later: the DAO layer).
    virtual bool ODBCNeedsDAO() const { return false; }
    // Whether any SQL link's own files are children.
    bool AnySQLLinkFiles() const;
    // Frees every child whose FileName ends with the extension (with '.').
    void RemoveByExtension(const std::string& extension);

private:
    TInstallBDE* container_;
};

class TBDE30FileSet : public TBDEFileSet {
public:
    using TBDEFileSet::TBDEFileSet;
    std::string ConfigTemplateName() const override { return "idapi32_30.cnf"; }
    void AddCore() override;
    void RemoveCore() override;
};

class TBDE35FileSet : public TBDE30FileSet {
public:
    using TBDE30FileSet::TBDE30FileSet;
    std::string ConfigTemplateName() const override { return "idapi32_35.cnf"; }
};

class TBDE40FileSet : public TBDEFileSet {
public:
    using TBDEFileSet::TBDEFileSet;
    std::string ConfigTemplateName() const override { return "idapi32_40.cnf"; }
    void AddCore() override;
    void RemoveCore() override;

protected:
    bool ODBCNeedsDAO() const override { return true; }
};

class TBDE45FileSet : public TBDE40FileSet {
public:
    using TBDE40FileSet::TBDE40FileSet;
    std::string ConfigTemplateName() const override { return "idapi32_45.cnf"; }
    void AddAllDrivers(bool ignoreErrors) override;
    bool HasFull() const override;
    void RemoveCore() override;
};

class TBDE50FileSet : public TBDE45FileSet {
public:
    using TBDE45FileSet::TBDE45FileSet;
    std::string ConfigTemplateName() const override { return "idapi32_50.cnf"; }
    void AddLocaleFiles() override;
    void RemoveLocaleFiles() override;
};

// The set of an engine version number (GetInstalledBDEVersion: 0 3.0 ... 4 5.0).
std::unique_ptr<TBDEFileSet> MakeBDEFileSet(int version, TInstallBDE* installBDE);

}  // namespace installer
