#pragma once
// How the viewer turns a link on a page into a host file name. The control
// follows links and fetches pictures this way, and htmlprobe does the same
// so that what it shows matches the control.
#include <string>

namespace htmlview {

// A file name as the host knows it: '\' becomes '/', the name is made
// absolute and each existing component is matched ignoring case.
std::string ExpandFileName(const std::string& name);

// The file a link names: a URL path becomes a DOS path (a leading '\' is
// taken under ServerRoot); a drive or UNC path is kept as it is, and so is
// every link when Base is "DosPath"; any other is relative to Base, or
// without one to the folder of CurrentFile, then expanded.
std::string LinkFileName(const std::string& link, const std::string& serverRoot, const std::string& base,
                         const std::string& currentFile);

}  // namespace htmlview
