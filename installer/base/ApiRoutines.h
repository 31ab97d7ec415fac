#pragma once
// The installer's queries of the system, answered by the simulated Windows
// of the current system root. Failures raise EAPIRoutines with the texts
// the setup has always shown.
#include <string>

namespace installer {

// The 8.3 form of an existing path (at most 400 characters); a path that
// cannot be shortened (missing, too long) is returned as it is.
std::string GetShortPathName(const std::string& path);

// 0 Win32s, 1 Windows 95/98, 2 Windows NT 4 or later, 3 Windows NT 3.5x, 4 other.
int GetWindowsVersion();

// A fresh file "bat????.tmp" in the temporary directory, created exclusively;
// unless keep is true the file is deleted again so only the name is taken.
std::string GetTemporaryFileName(bool keep);

std::string GetSystemDir();
std::string GetWindowsDir();

}  // namespace installer
