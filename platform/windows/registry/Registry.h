#pragma once
// The class library's registry object over the registry stand-in: a root
// key, one open ("current") key at a time, and typed value access on it.
// A key text that begins with '\' is taken below the root key, any other
// below the current key (or the root key when none is open).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/runtime/Exception.h"
#include "platform/windows/registry/RegistryStore.h"

namespace platform {

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

class TRegistry {
public:
    TRegistry();  // on the current system root's registry, root key HKEY_CURRENT_USER
    explicit TRegistry(RegistryStore& store);
    virtual ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    RegRoot RootKey() const { return root_; }
    void SetRootKey(RegRoot root);  // closes the current key

    bool HasCurrentKey() const { return current_.has_value(); }
    // Full path of the open key below the root key (no leading '\').
    const std::string& CurrentKey() const;
    // The path as the caller built it up (see OpenKey).
    const std::string& CurrentPath() const { return currentPath_; }

    virtual bool OpenKey(const std::string& key, bool canCreate);
    virtual bool OpenKeyReadOnly(const std::string& key);
    virtual bool KeyExists(const std::string& key);
    virtual bool DeleteKey(const std::string& key);
    // Creates the key (an existing one is fine) without opening it; a failure
    // raises "Failed to create key %s".
    bool CreateKey(const std::string& key);
    void CloseKey();

    // Of the current key.
    std::vector<std::string> GetKeyNames();
    std::vector<std::string> GetValueNames();
    bool HasSubKeys();
    bool ValueExists(const std::string& name);
    bool DeleteValue(const std::string& name);

    // "" for a missing value; another type raises "Invalid data type for '%s'".
    std::string ReadString(const std::string& name);
    // A missing value raises "Failed to get data for '%s'", another type
    // "Invalid data type for '%s'".
    std::int32_t ReadInteger(const std::string& name);
    double ReadFloat(const std::string& name);
    // Failures raise "Failed to set data for '%s'".
    void WriteString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, std::int32_t value);
    void WriteFloat(const std::string& name, double value);

    RegistryStore& Store() { return store_; }

protected:
    // The full key path for a key text, by the absolute/relative rule above.
    std::string FullKey(const std::string& key) const;
    static bool IsAbsolute(const std::string& key) { return !key.empty() && key[0] == '\\'; }
    // Makes a key current; the caller has checked that it exists.
    void ChangeKey(const std::string& fullKey, const std::string& path, bool readOnly);

private:
    void requireWritable(const std::string& name) const;
    RegistryStore& store_;
    RegRoot root_ = RegRoot::CurrentUser;
    std::optional<std::string> current_;
    std::string currentPath_;
    bool readOnly_ = false;
};

// The user's language as the locale value of the registry stand-in holds it:
// HKEY_CURRENT_USER\Control Panel\International, string "Locale", eight
// hexadecimal digits of the locale id ("00000407"); its low 16 bits are the
// language id. Nothing when the value is missing or malformed.
std::optional<std::uint16_t> RegistryUserLangID();
std::optional<std::uint16_t> RegistryUserLangID(RegistryStore& store);

}  // namespace platform
