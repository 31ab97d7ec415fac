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

// exeName: the setup executable as a Windows path of the root (empty when it
// lies outside); arguments: ParamStr 1 ... The program's exit code.
int RunSetupProgram(const std::string& exeName, const std::vector<std::string>& arguments,
                    const SetupHooks& hooks = {});

// The Windows path of this program in the system root, or "" when it lies outside.
std::string SetupExeName();

}  // namespace setupwizard
