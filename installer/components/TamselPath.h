#pragma once
// Design time only: where the installer library lies on the developer's
// machine, found by its marker file "T32V40.TXT" among the directories of
// the library search path kept under the key \Software\Tamsel\Installer.
#include <optional>
#include <string>

namespace installer {

// The installer library's own key: its search path (the current user's
// value LibraryPath) and its root directory (the machine's value RootDir).
inline constexpr const char* kTamselLibraryKey = "\\Software\\Tamsel\\Installer";

// The first candidate directory holding the marker, without trailing '\'.
// Candidates: programDirectory alone when given, else the items of the
// current user's value LibraryPath (';'-separated) with "$(TAMSEL)"
// replaced by the machine's value RootDir of the same key.
// Nothing found: IENoTamselPath when raiseIfMissing, else "".
std::string GetTamselPath(bool raiseIfMissing, const std::optional<std::string>& programDirectory = std::nullopt);

}  // namespace installer
