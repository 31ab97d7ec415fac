#pragma once
// Test helpers of the engine installer: the install library and templates
// placed in a fresh root, a machine with an engine already installed, and a
// setup whose install carries the engine installer with its stored files.
#include <filesystem>
#include <string>
#include <vector>

#include "installer/bde/InstallBDE.h"
#include "installer/registry/RegistryRoutines.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/installer/RunTestSetup.h"

namespace installer::testing {

inline constexpr const char* kEngineSource = "C:\\Build\\bde";
inline constexpr const char* kLibraryDir = "C:\\Tamsel";
inline const std::filesystem::path kBinDir = VOREL_BIN_DIR;

// Copies a host file of the build into the root.
inline void PlaceBuilt(const std::string& builtName, const std::string& windowsPath) {
    platform::Files().ForceDirectories(platform::ExtractFileDir(windowsPath));
    std::filesystem::copy_file(kBinDir / builtName, platform::Files().HostPath(windowsPath),
                               std::filesystem::copy_options::overwrite_existing);
}

// The install library beside the setup program, the templates in the library directory.
inline void PlaceInstallLibrary() {
    PlaceBuilt("IDAPINST.DLL", "D:\\SETUP\\IDAPINST.DLL");
    for (const char* version : {"30", "35", "40", "45", "50"}) {
        const std::string name = std::string("idapi32_") + version + ".cnf";
        PlaceBuilt(name, std::string(kLibraryDir) + "\\" + name);
    }
}

// The stored engine files of the setup, in their child order: the core, the
// template, three locale libraries, the language DLL, Paradox and the SQL
// engine (which registers itself when it can).
inline const std::vector<std::string> kEngineFiles = {"IDAPI32.DLL",  "BLW32.DLL",   "IDDR32.DLL", "IDBAT32.DLL",
                                                      "USA.BLL",      "EUROPE.BLL",  "OTHER.BLL",  "IDR20009.DLL",
                                                      "IDPDX32.DLL",  "IDSQL32.DLL"};

inline std::string EngineFileText(const std::string& name) { return "stand-in engine file " + name + "\n"; }

// Adds the engine installer (first of the install's children) with the
// engine files and the template; the sources are laid down in the root.
inline void AddEngineInstaller(TreeBuilder& b) {
    b.add<TInstallBDE>("InstallBDE")
        .set([](TInstallBDE& bde) { bde.LanguageDLL = "0009"; })
        .ref("Container", "Install1")
        .ref("DestDirType", "psBDEDLL")
        .ref("ArchiveFileType", "psContainerArchiveFile");
    int n = 0;
    for (const std::string& name : kEngineFiles) {
        WriteRootFile(std::string(kEngineSource) + "\\" + name, EngineFileText(name));
        b.add<TInstallFile>("BDEFile" + std::to_string(++n))
            .set([&](TInstallFile& f) {
                f.SetIncludeFromDir(kEngineSource);
                f.SetFileName(name);
                f.SetDestName(name);
                f.SetFileType(iftJustADLL);
                f.OverwriteMode = TOverwriteType::owVersionDate;
                f.UpdateDLLCounter = true;
            })
            .ref("Container", "InstallBDE")
            .ref("DestDirType", "psContainerDestDir")
            .ref("ArchiveFileType", "psContainerArchiveFile");
    }
    b.add<TInstallFile>("BDEConfigFile")
        .set([](TInstallFile& f) {
            f.SetIncludeFromDir(kLibraryDir);
            f.SetFileName("idapi32_40.cnf");
            f.SetDestName("idapi32.cnf");
        })
        .ref("Container", "InstallBDE")
        .ref("DestDirType", "psContainerDestDir")
        .ref("ArchiveFileType", "psContainerArchiveFile");
}

// An engine installed at C:\BDE, with its configuration holding the user's alias.
inline const std::string kUserConfig =
    "[Databases\\SHOP\\DB INFO]\r\nTYPE=STANDARD\r\nPATH=C:\\Shop\r\n[System\\Init]\r\nLANGDRIVER=DBWINWE0\r\n";
inline void InstallExistingEngine(const std::string& dllPath = "c:\\bde;D:\\OTHER") {
    RegWriteString(4, "\\Software\\Borland\\Database Engine", "DLLPATH", dllPath);
    RegWriteString(4, "\\Software\\Borland\\Database Engine", "CONFIGFILE01", "C:\\BDE\\IDAPI32.CFG");
    RegWriteString(4, "\\Software\\Borland\\Database Engine", "RESOURCE", "0009");
    WriteRootFile("C:\\BDE\\IDAPI32.DLL", "old engine\n", platform::EncodeDateTime(1998, 1, 1, 0, 0, 0));
    WriteRootFile("C:\\BDE\\IDAPI32.CFG", kUserConfig);
}

}  // namespace installer::testing

namespace installer::testing {

// Makes dir the installer library's directory of the configuring machine.
inline void SetLibraryDir(const std::string& dir) {
    WriteRootFile(dir + "\\T32V40.TXT", "");
    platform::Registry().CreateKey(platform::RegRoot::CurrentUser, "Software\\Tamsel\\Installer");
    platform::Registry().WriteString(platform::RegRoot::CurrentUser, "Software\\Tamsel\\Installer",
                                     "LibraryPath", dir);
}

}  // namespace installer::testing
