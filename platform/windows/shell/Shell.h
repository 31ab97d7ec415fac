#pragma once
// The shell's "open": hands a URL or a file to the desktop (QDesktopServices).
// When the environment variable VOREL_SHELL_LOG names a file, each request is
// appended there instead, one line per request with tab-separated fields:
// verb, target, directory, show mode. The default verb is written as "".
#include <string>

namespace platform {

enum class ShowMode { Normal, Maximized };

struct ShellRequest {
    std::string verb;       // "" = the file's default verb
    std::string target;     // a URL, or a file name relative to directory
    std::string directory;  // working directory; "" = none
    ShowMode show = ShowMode::Normal;
};

// Carries out or logs the request. Like the shell, it reports a failure in
// its own message box; the caller gets false and does nothing further.
bool ShellExecute(const ShellRequest& request);

// The text of one log line (without the line end).
std::string ShellLogLine(const ShellRequest& request);

const char* ShowModeName(ShowMode mode);

}  // namespace platform
