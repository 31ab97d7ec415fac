#pragma once
// The registry of the simulated Windows, kept in the system root as
// "HKLM.reg" and "HKCU.reg" in REGEDIT4 text. Key and value names match
// ignoring case and keep the case they were created with; enumerations come
// sorted by name. Every change is saved at once, atomically (temporary file
// and rename); a hive file changed on disk by someone else is read again
// before the next access.
//
// HKEY_CLASSES_ROOT is HKLM\SOFTWARE\Classes and HKEY_CURRENT_CONFIG is
// HKLM\System\CurrentControlSet\Hardware Profiles\Current, as on Windows;
// HKEY_USERS and HKEY_DYN_DATA are empty and refuse writes.
//
// A hive file that cannot be read as REGEDIT4 is never overwritten: its keys
// read as missing and every write fails; LoadError() tells why (the file,
// its line and what is wrong there).
//
// Every change is a read-modify-write of the hive file held under a lock
// that other processes changing the same root wait for, so two programs
// writing at once lose nothing. UpdateLock holds it across several calls.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/core/hostio/ReplaceLock.h"
#include "platform/core/runtime/Exception.h"

namespace platform {

enum class RegRoot : std::uint8_t {
    ClassesRoot = 0,
    CurrentConfig = 1,
    CurrentUser = 2,
    DynData = 3,
    LocalMachine = 4,
    Users = 5
};

// The root of a root number (only the low 7 bits count); nothing outside 0..5.
std::optional<RegRoot> RegRootFromNumber(int number);
std::string RegRootName(RegRoot root);  // "HKEY_LOCAL_MACHINE"

// Value types as the system numbers them.
enum RegType : std::uint32_t {
    REG_NONE_T = 0,
    REG_SZ_T = 1,
    REG_EXPAND_SZ_T = 2,
    REG_BINARY_T = 3,
    REG_DWORD_T = 4,
    REG_MULTI_SZ_T = 7
};

struct RegValue {
    std::string name;        // as created; "" is the default value
    std::uint32_t type = REG_SZ_T;
    std::string data;        // text for REG_SZ / REG_EXPAND_SZ, raw bytes otherwise
    std::uint32_t dword = 0;  // REG_DWORD
};

class RegistryStore {
public:
    explicit RegistryStore(std::filesystem::path root);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    const std::filesystem::path& Root() const { return root_; }

    // Key paths are below the root key, components separated by '\'
    // ("Software\Microsoft"); empty components are ignored; "" is the root key.
    bool KeyExists(RegRoot root, const std::string& key);
    bool CreateKey(RegRoot root, const std::string& key);  // with its parents; true when it exists afterwards
    bool DeleteKey(RegRoot root, const std::string& key);  // with its whole tree; false when missing
    std::vector<std::string> SubKeyNames(RegRoot root, const std::string& key);
    std::vector<std::string> ValueNames(RegRoot root, const std::string& key);

    std::optional<RegValue> GetValue(RegRoot root, const std::string& key, const std::string& name);
    bool SetValue(RegRoot root, const std::string& key, const RegValue& value);  // the key must exist
    bool DeleteValue(RegRoot root, const std::string& key, const std::string& name);
    // Removes every value of a key in one change and gives them back (none
    // when the key is missing); nothing, and every value kept, when the
    // change cannot be made.
    std::optional<std::vector<RegValue>> TakeValues(RegRoot root, const std::string& key);

    // Typed reads: nothing when the key or value is missing or of another type
    // (strings: REG_SZ and REG_EXPAND_SZ; integers: REG_DWORD; floats: 8-byte REG_BINARY).
    std::optional<std::string> ReadString(RegRoot root, const std::string& key, const std::string& name);
    std::optional<std::int32_t> ReadInteger(RegRoot root, const std::string& key, const std::string& name);
    std::optional<double> ReadFloat(RegRoot root, const std::string& key, const std::string& name);
    bool WriteString(RegRoot root, const std::string& key, const std::string& name, const std::string& value);
    bool WriteInteger(RegRoot root, const std::string& key, const std::string& name, std::int32_t value);
    bool WriteFloat(RegRoot root, const std::string& key, const std::string& name, double value);

    // For tests: every write to this key or below it fails (creating, deleting,
    // setting or deleting values; deleting a tree that holds it), until
    // ClearWriteFailures().
    void FailWritesAt(RegRoot root, const std::string& key);
    void ClearWriteFailures();

    // Holds the lock of the hive a root lives in for its lifetime, so that a
    // read and the write depending on it (a counter's increment) are one step
    // for other processes too. Calls of this store nest inside it; the store
    // must outlive it.
    class UpdateLock {
    public:
        UpdateLock(RegistryStore& store, RegRoot root);
        ~UpdateLock();
        UpdateLock(const UpdateLock&) = delete;
        UpdateLock& operator=(const UpdateLock&) = delete;

    private:
        RegistryStore& store_;
        bool held_ = false;
    };

private:
    struct Hive;

public:
    // Holds the lock like UpdateLock and saves the root's hive once, at
    // Commit(), with every change made meanwhile: a kill or a full disk keeps
    // all of them or none. Without Commit() the changes are dropped.
    class Batch {
    public:
        Batch(RegistryStore& store, RegRoot root);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        bool Commit();  // false when the hive could not be saved

    private:
        RegistryStore& store_;
        UpdateLock lock_;
        Hive* hive_;
        bool open_ = true;
    };

    // For tests: called in every process before each hive save, with the
    // hive file (a test's child process may end there, as a kill would).
    static void SetBeforeSave(std::function<void(const std::filesystem::path&)> hook);

    // The REGEDIT4 text of a hive as it is saved: LocalMachine or CurrentUser.
    std::string ExportText(RegRoot hive);
    std::string LoadError(RegRoot hive);  // "" when the hive file was read well

    static std::filesystem::path HiveFileName(const std::filesystem::path& root, RegRoot hive);

private:
    struct Target;
    class WriteLock;
    Hive* hiveOf(RegRoot root);
    bool acquire();
    void release();
    std::optional<Target> target(RegRoot root, const std::string& key);
    bool writable(const Target& t) const;
    void refresh(Hive& h);
    bool save(Hive& h);

    std::filesystem::path root_;
    std::unique_ptr<Hive> machine_, user_;
    std::optional<ReplaceLock> lock_;
    int lockDepth_ = 0;
    Hive* batched_ = nullptr;  // the hive whose saves wait for a Batch's Commit()
    std::set<std::pair<int, std::string>> failing_;  // (hive, upper-cased full key path)
};

// The store of the current system root.
RegistryStore& Registry();

class ERegistryFileError : public Exception {
public:
    using Exception::Exception;
};

// Keys nest at most this deep below a root key, as on Windows: a hive file
// with a deeper key cannot be read and no deeper key can be created, so
// every walk of a key tree stays within a bounded depth.
constexpr std::size_t kMaxRegKeyDepth = 512;

// Parses and prints REGEDIT4 text (used by the store; public for tests and tools).
struct RegKeyNode;
std::unique_ptr<RegKeyNode> ParseRegedit4(const std::string& text, const std::string& rootName);  // raises ERegistryFileError
std::string PrintRegedit4(const RegKeyNode& rootNode, const std::string& rootName);

struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

struct RegKeyNode {
    std::string name;
    std::map<std::string, std::unique_ptr<RegKeyNode>, CaseLess> subkeys;
    std::map<std::string, RegValue, CaseLess> values;
};

}  // namespace platform
