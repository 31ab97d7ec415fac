#pragma once
// What the machine says of an installed database engine: its registry
// values (HKEY_LOCAL_MACHINE), its DLL directory, version and language, the
// InterBase client's directory, and the rewrite of the engine's DLL path.
#include <string>

namespace installer {

inline constexpr const char* kBdeKey = "\\Software\\Borland\\Database Engine";
inline constexpr const char* kBlw32Key = "\\Software\\Borland\\BLW32";
inline constexpr const char* kBdeSystemInitKey = "\\Software\\Borland\\Database Engine\\Settings\\System\\Init";
inline constexpr const char* kBdeParadoxInitKey =
    "\\Software\\Borland\\Database Engine\\Settings\\Drivers\\Paradox\\Init";
inline constexpr const char* kBdeDriversKey = "\\Software\\Borland\\Database Engine\\Settings\\Drivers";

// The first ';'-separated item of "DLLPATH", without a trailing '\'.
// IEBDENoDLLEntry when the value is missing or empty, IEBDEDLLMissing when
// that directory holds no "idapi32.dll".
std::string GetBDEDLLDir();

// Engine versions by the first three characters of idapi32.dll's file
// version: "3.0" 0, "3.5" 1, "4.0" 2, "4.5" 3, anything else 4. Raises as
// GetBDEDLLDir, and IEBDEVersionInvalid for a version shorter than three.
int GetInstalledBDEVersion();

// "RESOURCE" of the engine's key; IEBDENoResourceDLLEntry when missing or empty.
std::string GetInstalledLanguageDLL();

// "RootDirectory" of the InterBase client (the newer key first), without a
// trailing '\'; IEBDENoIntrbaseEntry when neither has one.
std::string GetInterBaseRootDir();

// The new "DLLPATH": engineDir first and once, then the other items of the
// stored value in their order, each upper-cased; an empty (blank) stored
// value gives engineDir alone.
std::string RewriteDllPath(const std::string& stored, const std::string& engineDir);

}  // namespace installer
