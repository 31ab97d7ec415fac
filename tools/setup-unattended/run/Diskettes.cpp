#include "tools/setup-unattended/run/Diskettes.h"

#include "installer/loader/LoadingProgram.h"
#include "platform/core/inifile/IniFile.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "setupwizard/entry/SetupEntry.h"

namespace unattended {

namespace fs = std::filesystem;

fs::path DisketteSet(const fs::path& root) { return root / "diskettes"; }

bool DisketteServices::Swapped(const std::string& text) {
    const auto disk = installer::DisketteShelf::AskedDisk(text);
    if (!shelf_ || !disk) return false;
    if (asked_) asked_->push_back(text);
    shelf_->Insert(*disk);
    return true;
}

int DisketteServices::ShowMessage(const std::string& text, platform::MsgIcon icon, int buttons) {
    return Swapped(text) ? platform::mrOk : QtAppServices::ShowMessage(text, icon, buttons);
}

bool DisketteServices::PromptForDisk(const std::string& text) {
    return Swapped(text) || QtAppServices::PromptForDisk(text);
}

Outcome TransferToDiskettes(const fs::path& root) {
    Outcome outcome;
    platform::ScopedSystemRoot scoped(root);
    auto& files = platform::Files();
    const std::string exe = std::string(kDistributionDir) + "\\setup.exe";
    if (!files.FileExists(exe)) {
        outcome.problems.push_back("no " + exe + " in the root: build the distribution first (setup -b)");
        return outcome;
    }
    if (!platform::CurrentSystemRoot().Facts().DriveCapacity('a'))
        platform::IniFile(root / "platform.ini").WriteString("Drives", "A", kDisketteCapacity);
    // A new set: nothing of an older one may join it.
    const fs::path set = DisketteSet(root);
    fs::remove_all(set);
    fs::remove_all(files.HostPath("A:\\"));
    files.ForceDirectories("A:\\");
    installer::DisketteShelf shelf([&](int disk) { return set / std::to_string(disk); });

    platform::ScriptedMessenger messenger;
    DisketteServices services(&shelf, &outcome.diskPrompts);
    installer::AppServices::Install(&services);
    try {
        const installer::SetupStart start = installer::UnpackSetup(files.HostPath(exe), {"*TODISK"});
        outcome.exitCode = setupwizard::RunSetupProgram(files.WinPathOf(start.Program), start.Arguments);
        fs::remove_all(start.Folder);
        shelf.Eject();
    } catch (const std::exception& e) {
        outcome.problems.push_back(std::string("the transfer failed: ") + e.what());
    }
    installer::AppServices::Install(nullptr);
    for (const auto& box : messenger.shown) outcome.problems.push_back("the setup said: " + box.text);
    if (outcome.exitCode != 0) outcome.problems.push_back("the setup exited with " + std::to_string(outcome.exitCode));
    if (!fs::is_regular_file(set / "1" / "setup.exe")) outcome.problems.push_back("disk 1 holds no setup.exe");
    return outcome;
}

Outcome InstallFromDiskettes(Options options, const fs::path& set) {
    Outcome refused;
    fs::create_directories(options.root);
    {
        // Whatever lies in the drive would join disk 1 when it is ejected.
        platform::ScopedSystemRoot scoped(options.root);
        const bool driveEmpty = platform::Files().FindFiles("A:\\").empty();
        if (!fs::is_regular_file(set / "1" / "setup.exe"))
            refused.problems.push_back("no diskette set in " + set.string() + " (its 1/setup.exe is missing)");
        else if (!driveEmpty)
            refused.problems.push_back("drive a: of the root is not empty");
    }
    if (!refused.Good()) return refused;
    installer::DisketteShelf shelf([&](int disk) { return set / std::to_string(disk); });
    installer::SetupStart start;
    try {
        platform::ScopedSystemRoot scoped(options.root);
        shelf.Insert(1);
        // What a user starts: the loading program on disk 1.
        start = installer::UnpackSetup(platform::Files().HostPath("A:\\setup.exe"), {});
        options.setupExe = platform::Files().WinPathOf(start.Program);
    } catch (const std::exception& e) {
        refused.problems.push_back(std::string("disk 1 cannot start: ") + e.what());
        platform::ScopedSystemRoot scoped(options.root);
        shelf.Eject();
        return refused;
    }
    options.setupArguments = start.Arguments;
    options.diskettes = &shelf;
    Outcome outcome = RunUnattended(options);
    platform::ScopedSystemRoot scoped(options.root);
    shelf.Eject();
    fs::remove_all(start.Folder);
    return outcome;
}

}  // namespace unattended
