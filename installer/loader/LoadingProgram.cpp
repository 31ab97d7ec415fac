#include "installer/loader/LoadingProgram.h"

#include <cstring>
#include <iostream>

#include "installer/archive/ArchiveCodec.h"
#include "installer/base/Strings.h"
#include "installer/distribution/trailer/Trailer.h"
#include "installer/registry/RegistryRoutines.h"
#include "installer/registry/TmslRegistry.h"
#include "platform/core/hostio/HostIo.h"
#include "platform/core/hostio/HostProgram.h"
#include "platform/core/runtime/Format.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer {
namespace fs = std::filesystem;
namespace {

// The Windows path of a host file inside the root, whichever way either
// path reaches it (the root may be named through a symbolic link).
std::string WinPathInRoot(const fs::path& host) {
    auto& files = platform::Files();
    std::error_code ec;
    const fs::path real = fs::canonical(host, ec);
    const fs::path root = fs::canonical(files.Root(), ec);
    if (!real.empty() && !root.empty()) {
        const fs::path rel = real.lexically_relative(root);
        if (!rel.empty() && *rel.begin() != "..") return files.WinPathOf(files.Root() / rel);
    }
    return files.WinPathOf(host);
}

struct Source {
    std::string archive;     // Windows path of the file holding setup.1
    std::int32_t offset = 0;  // where setup.1 starts in it
    bool selfExtracting = false;
};

Source FindSetupArchive(const std::string& exe) {
    if (const std::optional<SelfExtractorTrailer> trailer = FindTrailer(exe)) return {exe, trailer->SetupStart, true};
    // A plain loading program: setup.1 lies beside it.
    const std::string beside = platform::ExtractFilePath(exe) + "setup.1";
    if (!platform::Files().FileExists(beside))
        throw ELoadingProgram(platform::Format("%s holds no setup archive and no setup.1 lies beside it", {exe}));
    return {beside, 0, false};
}

// A new folder only this user may enter, below the root's temporary directory.
fs::path MakePrivateFolder() {
    auto& files = platform::Files();
    const std::string temp = files.Facts().TempDir();
    if (temp.empty() || !files.ForceDirectories(temp))
        throw ELoadingProgram(platform::Format("Cannot create the temporary directory %s", {temp}));
    int error = 0;
    const std::optional<fs::path> folder = platform::MakePrivateFolder(files.HostPath(temp), "setup", error);
    if (!folder)
        throw ELoadingProgram(platform::Format("Cannot create a folder in %s: %s", {temp, std::strerror(error)}));
    return *folder;
}

void RemoveFolder(const fs::path& folder) {
    std::error_code ec;
    fs::remove_all(folder, ec);
}

}  // namespace

SetupStart UnpackSetup(const fs::path& self, const std::vector<std::string>& arguments) {
    std::string exe;
    try {
        exe = WinPathInRoot(self);
    } catch (const platform::Exception&) {
        throw ELoadingProgram(platform::Format(
            "%s lies outside the system root %s; copy it into the root or set VOREL_SYSROOT",
            {self.string(), platform::Files().Root().string()}));
    }
    const Source source = FindSetupArchive(exe);
    SetupStart start;
    start.Folder = MakePrivateFolder();
    try {
        const std::string folder = WinPathInRoot(start.Folder);
        ArchiveCodec codec;
        codec.SetCompressedFile(source.archive);
        codec.Offset = source.offset;
        std::vector<std::string> members;
        for (int i = 0; i < codec.Count(); ++i) members.push_back(codec.Headers().FileHeaders(i).FileName);
        if (members.empty())
            throw ELoadingProgram(platform::Format("The setup archive in %s is empty", {source.archive}));
        codec.ExtractDirectory = folder;
        codec.SetFilesToProcess(members);
        codec.Extract();
        // The first member is the setup program.
        start.Program = start.Folder / platform::ExtractFileName(members.front());
        std::error_code denied;
        fs::permissions(start.Program, fs::perms::owner_all, fs::perm_options::replace, denied);
        if (denied)
            throw ELoadingProgram(platform::Format("Cannot make %s executable", {start.Program.string()}));
    } catch (...) {
        RemoveFolder(start.Folder);
        throw;
    }
    // The second argument names the loading program; "*l" is a switch the setup skips.
    start.Arguments.push_back("-s" + RemoveBackslash(platform::ExtractFileDir(exe)));
    start.Arguments.push_back((source.selfExtracting ? "-e" : "*l") + platform::ExtractFileName(exe));
    start.Arguments.push_back("-c");
    for (const std::string& argument : arguments)
        start.Arguments.push_back(platform::SameNameIgnoringCase(argument, "*TODISK") ? "-f" : argument);
    return start;
}

bool NeededAfterRestart(const fs::path& folder) {
    std::string win;
    try {
        win = AddBackslash(WinPathInRoot(folder));
    } catch (const platform::Exception&) {
        return false;
    }
    TtmslRegistry registry;
    registry.SetRootKey(platform::RegRoot::LocalMachine);
    if (!registry.OpenKey(kRunOnceKey, false)) return false;
    for (const std::string& name : registry.GetValueNames()) {
        std::string command;
        try {
            command = registry.ReadString(name);
        } catch (const platform::Exception&) {
            continue;
        }
        if (platform::AsciiUpper(command).find(platform::AsciiUpper(win)) != std::string::npos) return true;
    }
    return false;
}

int RunLoadingProgram(const fs::path& self, const std::vector<std::string>& arguments) {
    SetupStart start;
    try {
        start = UnpackSetup(self, arguments);
    } catch (const std::exception& e) {
        std::cerr << "setup: " << e.what() << '\n';
        return 1;
    }
    const platform::HostProgramRun run = platform::RunHostProgram(start.Program, start.Arguments, start.Folder);
    if (!run.started)
        std::cerr << "setup: cannot start " << start.Program.string() << ": " << std::strerror(run.error) << '\n';
    const int status = run.started ? run.exitStatus : 1;
    if (!NeededAfterRestart(start.Folder)) RemoveFolder(start.Folder);
    return status;
}

}  // namespace installer
