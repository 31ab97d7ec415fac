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

struct RestartReport {
    std::vector<std::string> done;      // "source -> destination" or "delete source", in the order carried out
    std::vector<std::string> failed;    // the same for operations that could not be carried out
    std::vector<std::string> runOnce;   // RunOnce command lines, HKLM then HKCU, each in value-name order
};

// Plays a restart: files stop being in use, the pending renames and the
// WININIT.INI renames are carried out (WININIT.INI then becomes WININIT.BAK),
// the reboot request is cleared, and the RunOnce values are removed and
// handed back for the caller to run.
RestartReport SimulateRestart();

}  // namespace platform
