#pragma once
// Windows path texts as the installer writes them ("C:\Program Files\x",
// "data\temp", "\Windows"), parsed and taken apart without touching a disk.
#include <string>
#include <vector>

namespace platform {

// A full Windows path: a drive letter (lower case) or a UNC server and share,
// and its components with "." and ".." already applied.
struct WinPath {
    char drive = 'c';          // 0 for a UNC path
    std::string server, share;  // UNC only
    std::vector<std::string> components;

    std::string Text() const;  // "C:\a\b", "C:\" for the root, "\\server\share\a"
};

// Makes a path full against a current directory (itself a full path such as
// "C:\" or "D:\Work"): "X:\a" stays on X:, "\a" and "/a" go on the current
// drive, "a\b" and "X:a" are relative. Both '\' and '/' separate. ".." never
// climbs above a drive root or share. Returns false for texts that are no path
// (empty, a bad drive, a UNC path without share, a name with a control
// character or one of < > : " | ? *).
bool ParseWinPath(const std::string& path, const std::string& currentDir, WinPath& out);

// Whether a name can be one file name of the root as it stands: the path
// layer keeps it whole (no separators, none of < > : " | ? * or control
// characters, no trailing dot or blank, not "." or "..").
bool IsWinFileName(const std::string& name);

// The non-empty elements of a path, between '\' and '/' ("C:\a\\b" gives
// "C:", "a", "b").
std::vector<std::string> PathElements(const std::string& path);

// Whether one of the path's elements is made of dots and blanks alone, which
// Windows reads as "." or ".." ("...", ".. "): a path that names where it
// goes only after resolving.
bool HasDotElements(const std::string& path);

// The class library's file-name routines (delimiters '\' and ':'; '/' also
// separates, as the file system accepts it).
std::string ExtractFilePath(const std::string& name);  // up to and including the last delimiter
std::string ExtractFileDir(const std::string& name);   // the same without a trailing '\' (a root keeps it)
std::string ExtractFileName(const std::string& name);  // after the last delimiter
std::string ExtractFileExt(const std::string& name);   // from the last '.' of the name part, with the '.'
std::string ChangeFileExt(const std::string& name, const std::string& ext);

}  // namespace platform
