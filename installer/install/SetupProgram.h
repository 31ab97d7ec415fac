#pragma once
// The entry of a setup program, and the restart that finishes an install.
//
// RunSetupProgram does what the setup program's main block does: it makes
// the main form from the configuration, hands the install its executable
// and command line, and ends loading, which reads the command line and runs
// the build, diskette and resume modes at once; a normal run starts at the
// form's first activation. The form and its components are freed at the end
// (an install that cleans up runs its batch then).
//
// PlayRestart plays a restart of the current system root: a RunOnce command
// that resumes a recorded setup runs that resume in this process, through
// RunSetupProgram with the command line recorded; any other program is not
// run and counts as failed.
#include <functional>
#include <string>
#include <vector>

#include "installer/components/TreeBuilder.h"
#include "platform/windows/restart/Restart.h"

namespace installer {

// Lays out the components of a setup program's main form; it makes exactly
// one install component.
using SetupConfiguration = std::function<void(TreeBuilder& builder)>;

// 0 when the run ended well (or was left to the form), 1 when it ended
// badly or could not start; what went wrong was shown through Services().
int RunSetupProgram(const SetupConfiguration& configuration, const std::string& exeName,
                    const std::vector<std::string>& arguments);

// Whether a command line starts, with -r, a setup program that an install
// record of this root names: the resume of that setup.
bool IsResumeCommand(const platform::RunOnceCommand& command);

platform::RestartReport PlayRestart(const SetupConfiguration& configuration);

}  // namespace installer
