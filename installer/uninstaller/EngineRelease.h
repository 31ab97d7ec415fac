#pragma once
// The database engine's part of an uninstall: the product's installs of the
// engine (its uninstall key's "BDE" subkey, "Entries") are taken off the
// engine's "UseCount"; when no use is left, the engine's registration and
// its merged configuration file go. The engine's files are in the product's
// file log and go by their own counts.
#include <string>
#include <vector>

#include "installer/uninstaller/Uninstaller.h"

namespace installer {

// uninstallKey is below HKEY_LOCAL_MACHINE without a leading '\'. A removed
// configuration file is added to result.removed and its folder to folders.
void ReleaseDatabaseEngine(const std::string& uninstallKey, UninstallResult& result, std::vector<std::string>& folders);

}  // namespace installer
