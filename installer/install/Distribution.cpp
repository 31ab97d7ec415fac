// The install engine's build mode (-b: archives, net file list and the
// self-extracting setup.exe in the build directory) and its diskette mode
// (-f: the self-extracting executable written onto diskettes).
#include <array>

#include "installer/base/Strings.h"
#include "installer/components/EngineContext.h"
#include "installer/components/TamselPath.h"
#include "installer/distribution/BuildInf.h"
#include "installer/distribution/SelfExtractor.h"
#include "installer/files/InstallFile.h"
#include "installer/install/Install.h"
#include "installer/base/services/AppServices.h"
#include "installer/translator/IException.h"
#include "installer/translator/Translator.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer {
namespace {

constexpr const char* kLoaderName = "TamselLoadProgram.exe";
constexpr std::size_t kDiskBlock = 8192;

// D + name, with '\' only when D lacks one.
std::string InDirectory(const std::string& directory, const std::string& name) {
    return AddBackslash(directory) + name;
}

// Shows a failure of the build or the transfer and marks it in failed;
// the program then ends.
void ShowAndTerminate(const std::function<void()>& body, bool& failed) {
    try {
        body();
    } catch (const std::exception& e) {
        failed = true;
        Services().ShowException(e);
    }
    Services().Terminate();
}

// Writes count bytes of in, from its current position, into a new file;
// false when the file cannot be made or takes fewer bytes. A file cut short
// is removed, so a diskette never holds a truncated program.
bool CopyBytes(platform::FileStream& in, std::int64_t count, const std::string& to) {
    platform::FileStream out;
    try {
        out = platform::Files().Open(to, platform::FileMode::Create);
    } catch (const platform::Exception&) {
        return false;
    }
    std::array<char, kDiskBlock> block;
    while (count > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(count, kDiskBlock));
        const std::size_t got = in.Read(block.data(), want);
        if (got != want || out.Write(block.data(), got) != got) {
            out = platform::FileStream();
            try {
                platform::Files().DeleteFile(to);
            } catch (const platform::Exception&) {
                // What stays is reported with the failure all the same.
            }
            return false;
        }
        count -= static_cast<std::int64_t>(got);
        Services().ProcessMessages();
    }
    return true;
}

}  // namespace

// ---------------------------------------------------------------- build

void TCustomInstall::BuildFromInfFile() {
    ShowAndTerminate([this] {
        const std::string inf = platform::ExtractFilePath(exeName_) + "BUILD.INF";
        const auto lines = ReadBuildInf(inf);
        if (!lines)
            throw IEInstall(
                "Need to have a BUILD.INF file in this directory with the first line specifying the build directory");
        if (lines->empty())
            throw IEInstall("Must be 1 line in BUILD.INF. This line should specify the build directory");
        BuildDistributables(exeName_, lines->front(), true);
    }, aborted_);
}

void TCustomInstall::BuildDistributables(const std::string& exe, const std::string& directory, bool selfExtract) {
    if (selfExtract && !useLoadingProgram_)
        throw IEInstall(
            "Cannot build a stand alone executable if the UseLoadingProgram property of the TInstall is set to False");
    CopyLoadingProgram(directory, exe);
    TCustomPathSpecifier* savedType = ArchiveFileType();
    const std::string savedFile = ArchiveFile();
    PutArchive(nullptr, InDirectory(directory, "files.1"));
    try {
        switch (distributeType_) {
            case dtTraditional:
                Compress({coRelocateArchives, coUnused2, coForceNetFilesLocal, coIncludeExcluded});
                break;
            case dtWeb:
                Compress({coRelocateArchives, coUnused2, coForceFilesNet, coIncludeExcluded});
                WriteNetFileList();
                break;
            case dtTraditionalNet:
                Compress({coRelocateArchives, coUnused2, coIncludeExcluded});
                WriteNetFileList();
                break;
        }
    } catch (...) {
        PutArchive(savedType, savedFile);
        throw;
    }
    PutArchive(savedType, savedFile);
    if (selfExtract)
        CreateSelfExtractor(InDirectory(directory, "setup.exe"), InDirectory(directory, "setup.1"),
                            InDirectory(directory, "files.1"));
}

void TCustomInstall::CopyLoadingProgram(const std::string& directory, const std::string& exe) {
    auto& files = platform::Files();
    if (!useLoadingProgram_) {
        const std::string target = InDirectory(directory, platform::ExtractFileName(exe));
        files.ForceDirectories(directory);
        if (!files.CopyFile(exe, target, false))
            throw IEInstall("Cannot copy the installation application from %s to %s", {exe, target});
        return;
    }
    try {
        CreateSetupArchive(directory, exe);
    } catch (const EtcDiskFull&) {
        throw IEInstall(
            "The disk that you have specified has been determined to be either too full or is corrupt while trying "
            "to copy the SETUP.1 archive file. You should probably clear all files off of the drive. Minimally, you "
            "should leave enough space on the drive for the SETUP.1 archive file.");
    }
    const std::string library = GetTamselPath(false);
    if (library.empty())
        throw IEInstall("The HKEY_LOCAL_MACHINE | %s key in the registry is either missing or points to an invalid "
                        "Tamsel directory",
                        {kTamselLibraryKey});
    const std::string loader = library + "\\" + kLoaderName;
    if (!files.FileExists(loader)) throw IEInstall("The loader program %s was not found", {loader});
    const std::string target = InDirectory(directory, "setup.exe");
    if (!files.CopyFile(loader, target, false) || !files.MarkExecutable(target))
        throw IEInstall("Cannot copy the loading program from %s to %s", {loader, target});
}

void TCustomInstall::CreateSetupArchive(const std::string& directory, const std::string& exe) {
    if (platform::IsBlank(exe)) throw IEInstall("Cannot create setup file. Executable is blank");
    if (!platform::Files().FileExists(exe)) throw IEInstall("TInstall: Cannot find the executable file %s", {exe});
    const std::string archive = InDirectory(directory, "setup.1");
    // Each file packs through a temporary install file without container.
    auto pack = [&](const std::string& path, TlzhCommand mode) {
        auto& file = Owner().Create<TCustomInstallFile>(path);
        try {
            file.SetNet(false);
            file.AddToArchive = mode;
            file.PutArchive(nullptr, archive);
            file.CompressFile();
        } catch (...) {
            file.Free();
            throw;
        }
        file.Free();
    };
    pack(exe, lzcOverwrite);
    for (const std::string& presetup : presetupFiles_) pack(presetup, lzcOnlyAdd);
}

void TCustomInstall::Compress(TCompressOptions options) {
    for (TCustomInstallFile* file : Context().GlobalInstallFileList.Items()) file->MarkDistributionNetFile(false);
    TFileContainer::Compress(options);
}

void TCustomInstall::WriteNetFileList() {
    const std::string directory =
        RemoveBackslash(platform::ExtractFileDir(ArchiveFile())) + "\\" + NetSubdirectory();
    platform::Files().ForceDirectories(directory);
    std::string bytes(4, '\0');
    std::uint32_t count = 0;
    for (TCustomInstallFile* file : Context().GlobalInstallFileList.Items()) {
        if (!file->IsDistributionNetFile()) continue;
        file->WriteNetFileRecord(bytes);
        ++count;
    }
    for (std::size_t i = 0; i < 4; ++i) bytes[i] = static_cast<char>((count >> (8 * i)) & 0xFFu);
    platform::FileStream out = platform::Files().Open(directory + "\\filelist.lst", platform::FileMode::Create);
    out.WriteBuffer(bytes.data(), bytes.size());
}

void TCustomInstall::CreateSelfExtractor(const std::string& exe, const std::string& setup1, const std::string& files1) {
    installer::CreateSelfExtractor(exe, setup1, files1);
}

void TCustomInstall::AddPresetupFile(const std::string& fileName, bool check) {
    if (check) {
        const std::string name = platform::ExtractFileName(fileName);
        for (const std::string& line : presetupFiles_)
            if (platform::SameNameIgnoringCase(platform::ExtractFileName(line), name)) return;
    }
    presetupFiles_.push_back(fileName);
}

// ---------------------------------------------------------------- diskettes

void TCustomInstall::TransferToFloppies(const std::string& drive) {
    auto body = [&] {
        BusyCursor busy;
        if (!HasSwitch('e'))
            throw IEInstall(
                "Sorry... You can only transfer this installation to floppies through the self-extracting file. "
                "Usage example: setup.exe *TODISK");
        const std::string exe = GetArchiveFilePath();
        const SelfExtractorTrailer trailer = ReadSelfExtractorTrailer(exe);
        const std::string disk = AddBackslash(drive);
        // A drive that is not there is missing, not full.
        if (!platform::Files().DirectoryExists(disk)) throw IEInstall("The drive %s is missing", {drive});
        ShowStatus(TranslateString("Transferring this installation to floppies. Please wait..."));
        try {
            platform::FileStream in = platform::Files().Open(exe, platform::FileMode::Read);
            if (!CopyBytes(in, trailer.SetupStart, disk + "setup.exe") ||
                !platform::Files().MarkExecutable(disk + "setup.exe"))
                throw IEInstall("Cannot create setup.exe on the A drive. Probably not enough room");
            if (!CopyBytes(in, std::int64_t{trailer.SetupEnd} - trailer.SetupStart + 1, disk + "setup.1"))
                throw IEInstall("Cannot create setup.1 on the A drive. Probably not enough room");
        } catch (...) {
            ClearStatus();
            throw;
        }
        ClearStatus();
        // A distribution without files.1 has nothing more to span.
        if (!trailer.HasFiles()) return;
        TTmslCompress& compressor = *Context().GlobalCompressor;
        compressor.OnNewDisk = [](TTmslCompress&, int diskNumber, std::string&) {
            Services().EndBusy();
            const int answer = Services().ShowMessage(TranslateFmt("Please insert disk %d", {diskNumber}),
                                                      platform::MsgIcon::Question, platform::mbOKCancel);
            Services().BeginBusy();
            if (answer == platform::mrCancel) throw IEInstall("Aborted by user");
        };
        compressor.OnStatus = [](TTmslCompress&, TlzhFileStats&) { Services().ProcessMessages(); };
        auto clear = [&] {
            compressor.OnNewDisk = nullptr;
            compressor.OnStatus = nullptr;
        };
        try {
            compressor.SetCompressedFile(exe);
            compressor.Offset = trailer.FilesStart;
            compressor.SpanToDisks(RemoveBackslash(disk), "files.1");
        } catch (...) {
            clear();
            throw;
        }
        clear();
    };
    ShowAndTerminate(body, aborted_);
}

}  // namespace installer
