#pragma once
// Starting a host program (one the programs unpacked themselves) and
// waiting for it to end.
#include <filesystem>
#include <string>
#include <vector>

namespace platform {

struct HostProgramRun {
    bool started = false;
    int error = 0;       // errno when not started
    int exitStatus = 1;  // its exit status; 1 when a signal ended it
};

// Runs program with the arguments after its own name, in workingFolder,
// with this process's environment, and waits until it ends.
HostProgramRun RunHostProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                              const std::filesystem::path& workingFolder);

}  // namespace platform
