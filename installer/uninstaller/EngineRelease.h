#pragma once
// The database engine's part of an uninstall: the product's installs of the
// engine (its uninstall key's "BDE" subkey, "Entries") are taken off the
// engine's "UseCount", in one save with the removal of that subkey, so a run
// killed and started again counts them off once. When no use is left, the
// engine's registration goes too, and its merged configuration file when it
// is as the last install left it (its "ConfigStamp"); a changed one stays
// with the user's aliases. A "UseCount" that cannot be read counts other
// users: the engine stays. The engine's files are in the product's file log
// and go by their own counts.
#include <string>
#include <vector>

#include "installer/uninstaller/Uninstaller.h"

namespace installer {

// uninstallKey is below HKEY_LOCAL_MACHINE without a leading '\'. A removed
// configuration file is added to result.removed and its folder to folders;
// a failed registry write to result.failed, the engine then left as it was.
void ReleaseDatabaseEngine(const std::string& uninstallKey, UninstallResult& result, std::vector<std::string>& folders);

}  // namespace installer
