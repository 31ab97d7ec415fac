#pragma once
// The uninstall log of installed files and shortcuts: below a product's
// uninstall key (HKEY_LOCAL_MACHINE), subkey "Files" holds "Entries" (a
// count) and "File1" .. "FileN" (full paths). When that subkey cannot be
// read or written, "Files1", "Files2", ... are tried in turn. Beside
// "File<n>" a file may have "Stamp<n>": what it was when the setup left it,
// so the uninstaller can tell it from a file the user changed since. Readers
// that know only "File<n>" and "Entries" read the log as before.
#include <string>
#include <utility>
#include <vector>

namespace installer {

// How many subkeys are tried before giving up.
inline constexpr int kUninstallFilesSubkeys = 100;

// The stamp of a file as it stands: "<size>;<last write, ms since 1970>";
// "" when it does not exist.
std::string FileStamp(const std::string& path);
// The stamp of a file the setup found there and left alone: not the setup's to remove.
inline constexpr const char* kFoundStamp = "found";

// Appends the path (and its stamp, when not empty) to the first subkey that
// takes it; false when none did.
bool AddUninstallFile(const std::string& uninstallKey, const std::string& path, const std::string& stamp = {});

// The logged files (path, stamp) of every "Files" subkey, in log order; an
// "Entries" count beyond the values present reads no further than them.
std::vector<std::pair<std::string, std::string>> ReadUninstallFiles(const std::string& uninstallKey);

}  // namespace installer
