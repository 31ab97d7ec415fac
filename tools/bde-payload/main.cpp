// bde-payload DIR: writes the stand-in files of database engine 4.0 that the
// setup installs (DLLs, locale libraries, the administration tool, the SQL
// links and their help) into DIR. The main program's own table engine needs
// none of them; they exist so the engine installer has real files to pack,
// compare by version and install. Libraries and programs carry a version
// resource (file version 4.0.1.0); the others are short texts.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "testkit/generators/pe/PeFixture.h"

namespace {

const char* const kLibraries[] = {
    "IDAPI32.DLL",  "BLW32.DLL",    "IDDR32.DLL",   "IDBAT32.DLL",  "IDR20009.DLL", "IDPDX32.DLL",  "IDSQL32.DLL",
    "IDQBE32.DLL",  "IDASCI32.DLL", "IDDBAS32.DLL", "IDODBC32.DLL", "IDDAO32.DLL",  "IDDA3532.DLL", "USA.BLL",
    "EUROPE.BLL",   "OTHER.BLL",    "CHARSET.BLL",  "CEEUROPE.BLL", "FAREAST.BLL",  "JAPAN.BLL",    "BDEADMIN.EXE",
    "BDEADMIN.CPL", "SQLDB232.DLL", "SQLINF32.DLL", "SQLINT32.DLL", "SQLMSS32.DLL", "SQLORA32.DLL", "SQLSSC32.DLL",
    "SQLSYB32.DLL"};
const char* const kTexts[] = {"BDEADMIN.HLP", "BDEADMIN.CNT", "SQLLNK32.HLP", "SQLLNK32.CNT"};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bde-payload DIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "bde-payload: cannot create %s: %s\n", dir.c_str(), error.message().c_str());
        return 1;
    }
    try {
        for (const char* name : kLibraries) {
            pefixture::VersionOptions version;
            version.fileVersion = {4, 0, 1, 0};
            version.productVersion = {4, 0, 1, 0};
            version.stringTables.push_back({"040904E4",
                                            {{"FileDescription", "Stand-in database engine file"},
                                             {"FileVersion", "4.0.1.0"},
                                             {"OriginalFilename", name},
                                             {"ProductName", "Borland Database Engine"}}});
            const std::string ext = std::filesystem::path(name).extension().string();
            pefixture::WritePe(dir / name, version, ext != ".EXE");
        }
        for (const char* name : kTexts) {
            std::ofstream out(dir / name, std::ios::binary);
            out << "Stand-in database engine file " << name << "\r\n";
            if (!out) throw std::runtime_error(std::string("cannot write ") + name);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bde-payload: %s\n", e.what());
        return 1;
    }
    return 0;
}
