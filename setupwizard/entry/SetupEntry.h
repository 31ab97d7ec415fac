#pragma once
// The setup program's entry once the application object exists: the
// application title, the main form built from the stored configuration
// (its install component reads the command line while it loads), then the
// message loop, unless the install ended the program before it started.
#include <functional>
#include <string>
#include <vector>

namespace setupwizard {

class TSetupForm;

inline constexpr const char* kSetupTitle = "VorelSoft - Software Installation";

// What a caller may add around the run (the unattended probe does).
struct SetupHooks {
    std::function<void(TSetupForm&)> beforeShow;  // the form is loaded
    std::function<void(TSetupForm&)> afterLoop;   // the loop has ended; the form still exists
};

// exeName: the setup executable as a Windows path of the root (empty when
// there is none); arguments: ParamStr 1 ... The program's exit code: 0 after
// a good run or build, 1 when the run ended on a failure or a Cancel, or the
// build (-b) or the diskette transfer (-f) failed.
int RunSetupProgram(const std::string& exeName, const std::vector<std::string>& arguments,
                    const SetupHooks& hooks = {});

// The setup executable as the engine sees it, a Windows path of the root:
// this program's own path when it lies inside the root. A program outside
// the root (started from the build) stands for "SETUP.EXE" in the folder its
// -s argument names, the copy a distribution holds beside its archives: its
// program folder, where the install library and BUILD.INF are looked for,
// is that folder. "" when it lies outside and has no -s.
std::string SetupExeName(const std::vector<std::string>& arguments);

}  // namespace setupwizard
