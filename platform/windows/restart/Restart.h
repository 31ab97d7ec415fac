#pragma once
// The restart services of the simulated Windows. Nothing here restarts the
// host: a delayed rename and a reboot request are recorded in the system
// root, and SimulateRestart plays what Windows does when it starts again.
//
// Delayed renames are kept as Windows NT keeps them: the REG_MULTI_SZ value
// "PendingFileRenameOperations" of the HKEY_LOCAL_MACHINE key
// "SYSTEM\CurrentControlSet\Control\Session Manager", pairs of "\??\source" and "\??\destination" ('!'
// before the destination when it may be replaced; an empty destination
// deletes the source). Windows 95/98 has no such service and uses the
// [Rename] section of WININIT.INI in the Windows directory instead
// ("destination=source", "NUL=source" deletes).
#include <functional>
#include <string>
#include <vector>

namespace platform {

// MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT (and MOVEFILE_REPLACE_EXISTING
// when replaceExisting). False on Windows 95/98 (platform id 1), for a missing
// source, or when the registry cannot be written. An empty destination
// deletes the source at the restart.
bool MoveFileDelayUntilReboot(const std::string& from, const std::string& to, bool replaceExisting);

// ExitWindowsEx(EWX_REBOOT): records the request ([Restart] Requested=1 in
// platform.ini). Fails when platform.ini says [Restart] Refuse=1.
bool RequestReboot();
bool RebootRequested();

// A RunOnce command that names a program: the command line as recorded, and
// its words (the program first, unquoted).
struct RunOnceCommand {
    std::string line;
    std::string program;
    std::vector<std::string> arguments;
};
// Runs such a command; false when it could not be run.
using ProgramRunner = std::function<bool(const RunOnceCommand& command)>;

struct RestartReport {
    std::vector<std::string> done;     // "source -> destination" or "delete source", in the order carried out
    std::vector<std::string> failed;   // renames that could not be carried out, batch lines the file
                                       // system said no to, commands that could not be run
    std::vector<std::string> refused;  // batch lines not run (see BatchFile.h)
    std::vector<std::string> runOnce;  // RunOnce command lines, in the order taken

    bool Clean() const { return failed.empty() && refused.empty(); }
};

// Plays a restart in the order Windows starts: files stop being in use; the
// pending renames, then the WININIT.INI renames are carried out
// (WININIT.INI then becomes WININIT.BAK); then each RunOnce value (those of
// HKEY_LOCAL_MACHINE, then HKEY_CURRENT_USER, each in name order ignoring
// case) is removed and run: a batch file (".bat") by the batch interpreter,
// any other program by runProgram (without one, the command counts as not
// run). Values added meanwhile wait for the next restart. The reboot
// request is cleared at the end. A hive file that cannot be read raises
// ERegistryFileError (its file, line and why) before anything is done.
RestartReport SimulateRestart(const ProgramRunner& runProgram = {});

}  // namespace platform
