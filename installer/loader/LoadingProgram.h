#pragma once
// The loading program of a distribution ("setup.exe"). It finds setup.1 (the
// setup program, then its presetup files) embedded in itself, as the trailer
// of a self-extracting executable tells, or else beside itself; unpacks it
// into a new private folder (mode 0700) below the system root's temporary
// directory; starts the setup program from there with
//
//   -s<its own folder>  -e<its own file name>  -c  [its own arguments]
//
// (when not self-extracting, "*l<its own file name>" in place of -e, a
// switch the setup skips: the second argument always names the loading
// program; "*TODISK" among its own arguments becomes -f),
// waits for it, and removes the folder, unless a restart entry still names
// the setup program there. Paths given to the setup are Windows paths of the
// system root; the loading program must lie inside that root.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/runtime/Exception.h"

namespace installer {

class ELoadingProgram : public platform::Exception {
public:
    using platform::Exception::Exception;
};

// What the setup program is started with.
struct SetupStart {
    std::filesystem::path Program;      // host path of the unpacked setup program
    std::vector<std::string> Arguments;
    std::filesystem::path Folder;       // the private folder it lies in
};

// Unpacks setup.1 for the loading program at self (a host path); raises
// ELoadingProgram or an archive error, leaving no folder behind.
SetupStart UnpackSetup(const std::filesystem::path& self, const std::vector<std::string>& arguments);

// Whether a pending restart entry (RunOnce) names something in the folder.
bool NeededAfterRestart(const std::filesystem::path& folder);

// The whole program: unpack, run, clean up. The setup's exit status, or 1
// after a failure reported on stderr.
int RunLoadingProgram(const std::filesystem::path& self, const std::vector<std::string>& arguments);

}  // namespace installer
