#pragma once
// Removing an installed product: everything its uninstall key lists (the
// "Files", "Files1", ... and "ActiveX" subkeys below HKEY_LOCAL_MACHINE
// "\Software\Microsoft\Windows\CurrentVersion\Uninstall\<product>"), the
// folders that this leaves empty, and the key itself.
//
// Nothing else goes: a listed path that is a folder or no full path stays;
// one with "." or ".." elements is refused; a shared library whose
// SharedDLLs count stays above zero stays (its count goes down once per log
// entry); a file whose stamp (size and time, recorded at install) matches
// none of its entries stays as the user's, as does every file no log lists;
// folders are removed only when empty and never the system's own ones
// (drive roots, Windows, system, temporary, Program Files, Common Files and
// the shell folders); only the program's own work folder ("Data\temp"
// beside the registered uninstaller) loses files no log lists. When a file
// cannot be removed (in use) or a registry write fails (a full disk), the
// key stays, its log listing only the files left, with their stamps, so a
// later run finishes the work.
//
// A shared count is lowered in one registry save with a note of it below
// the key ("Released"): however often a killed run is started again, every
// count goes down once.
//
// The database engine: each install of it by the product (the "BDE"
// subkey's "Entries") lowered the engine's "UseCount" once; when that
// reaches 0, its registration (the values the install writes below
// "Software\Borland\Database Engine" and "Software\Borland\BLW32") and
// its merged configuration file, when unchanged, go too (EngineRelease.h).
#include <string>
#include <vector>

#include "platform/core/runtime/Exception.h"

namespace installer {

// The product cannot be uninstalled: no such key, or a name that is no key name.
class EUninstall : public platform::Exception {
public:
    using platform::Exception::Exception;
};

struct UninstallResult {
    std::vector<std::string> removed;  // files and folders, in order
    std::vector<std::string> kept;     // listed paths left on purpose, with the reason
    std::vector<std::string> failed;   // files that could not be removed, registry writes that failed
    std::vector<std::string> refused;  // log entries not followed, with the reason
    bool keyRemoved = false;
};

// The product's uninstall key ("\Software\...\Uninstall\<name>").
std::string UninstallKeyOf(const std::string& productName);

// Removes the product of that (trimmed) name; raises EUninstall.
UninstallResult UninstallProduct(const std::string& productName);

// The product whose uninstall log lists the file (a full Windows path),
// for an uninstaller started without its argument; "" when none does.
std::string FindProductListing(const std::string& path);

}  // namespace installer
