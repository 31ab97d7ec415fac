#pragma once
// One-call registry reads and writes of the installer engine, with the root
// key given as a root number (0 HKEY_CLASSES_ROOT, 1 HKEY_CURRENT_CONFIG,
// 2 HKEY_CURRENT_USER, 3 HKEY_DYN_DATA, 4 HKEY_LOCAL_MACHINE, 5 HKEY_USERS;
// only the low 7 bits count). Key texts follow TtmslRegistry's rule.
#include <cstdint>
#include <string>

#include "installer/registry/TmslRegistry.h"
#include "platform/core/runtime/Exception.h"

namespace installer {

// A registry write failed.
class EIRCannotWriteValue : public platform::Exception {
public:
    using platform::Exception::Exception;
};

// The system's handles of the root keys.
constexpr std::uint32_t HKEY_CLASSES_ROOT = 0x80000000u;
constexpr std::uint32_t HKEY_CURRENT_USER = 0x80000001u;
constexpr std::uint32_t HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr std::uint32_t HKEY_USERS = 0x80000003u;
constexpr std::uint32_t HKEY_CURRENT_CONFIG = 0x80000005u;
constexpr std::uint32_t HKEY_DYN_DATA = 0x80000006u;

// Sets the registry's root key by number; other numbers leave it unchanged.
void SetRegistryRoot(platform::TRegistry& registry, int rootNumber);
// The root number of a root key handle; the default for any other handle.
int RootKeyFromHKEY(std::uint32_t rootKey, int defaultNumber);

// Raise EIRCannotWriteValue: "Cannot install into registry. Key: %s Ident: %s
// Value %s" for strings, the key text alone for integers.
void RegWriteString(int root, const std::string& key, const std::string& ident, const std::string& value);
void RegWriteInteger(int root, const std::string& key, const std::string& ident, std::int32_t value);

// The default unless the key exists and holds the value with the right type.
std::string RegReadString(int root, const std::string& key, const std::string& ident,
                          const std::string& defaultValue);
std::int32_t RegReadInteger(int root, const std::string& key, const std::string& ident,
                            std::int32_t defaultValue);

// Why the root's registry takes no writes: the hive file that could not be
// read, with its line and reason; "" when both hives were read well.
std::string RegistryFileProblem();

// Deletes the key with its whole tree; every error is swallowed.
void RegDeleteKeyTree(int root, const std::string& key);

// Deletes a HKEY_LOCAL_MACHINE key (no leading '\') that holds neither
// values nor subkeys, then each parent that is left so, up to but not
// including the key top (one of its parents).
void RegDeleteEmptyKeys(const std::string& key, const std::string& top);

constexpr const char* kRunOnceKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// Registers a command line to run at the next start under HKEY_LOCAL_MACHINE
// RunOnce. With unique, the value name is the first of name, name1, name2, ...
// that does not exist yet; otherwise an existing value is overwritten. False
// when the key cannot be opened or the write fails.
bool AddRunOnceEntry(const std::string& name, const std::string& commandLine, bool unique);

// The value of an INI file of the simulated Windows; "" when missing. A file
// name without a directory is looked for in the Windows directory.
std::string ReadIniString(const std::string& fileName, const std::string& section, const std::string& ident);

}  // namespace installer
