#pragma once
// The uninstall log of installed files and shortcuts: below a product's
// uninstall key (HKEY_LOCAL_MACHINE), subkey "Files" holds "Entries" (a
// count) and "File1" .. "FileN" (full paths). When that subkey cannot be
// read or written, "Files1", "Files2", ... are tried in turn.
#include <string>

namespace installer {

// How many subkeys are tried before giving up.
inline constexpr int kUninstallFilesSubkeys = 100;

// Appends the path to the first subkey that takes it; false when none did.
bool AddUninstallFile(const std::string& uninstallKey, const std::string& path);

}  // namespace installer
