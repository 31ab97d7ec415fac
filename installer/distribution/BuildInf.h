#pragma once
// BUILD.INF, the text file beside the setup program whose first line names
// the build directory.
#include <optional>
#include <string>
#include <vector>

namespace installer {

// The lines of BUILD.INF at path (a Windows path of the system root), CR LF,
// LF and CR all ending a line, a UTF-8 byte-order mark dropped; nothing when
// the file does not exist or cannot be read.
std::optional<std::vector<std::string>> ReadBuildInf(const std::string& path);

}  // namespace installer
