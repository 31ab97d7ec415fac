#pragma once
// Plain-text views of a system root, read without changing anything in it.
#include <filesystem>
#include <string>

namespace platform {

// Both hives in REGEDIT4 text (keys and values sorted by name), LF line ends;
// a hive file that cannot be read is reported in a ';' line and its text left out.
std::string DumpRegistry(const std::filesystem::path& root, bool& damaged);

// One line per directory ("C:\WINDOWS\") and file ("C:\WINDOWS\WIN.INI  123")
// of every drive and share, sorted by path ignoring case; symbolic links are
// shown with their target and not followed.
std::string DumpFiles(const std::filesystem::path& root);

}  // namespace platform
