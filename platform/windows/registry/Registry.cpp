#include "platform/windows/registry/Registry.h"

#include <cctype>
#include <cstdlib>

#include "platform/core/runtime/Format.h"

namespace platform {

namespace {
std::string trimSlashes(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] == '\\') ++b;
    while (e > b && s[e - 1] == '\\') --e;
    return s.substr(b, e - b);
}
}  // namespace

TRegistry::TRegistry() : store_(Registry()) {}
TRegistry::TRegistry(RegistryStore& store) : store_(store) {}
TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(RegRoot root) {
    CloseKey();
    root_ = root;
}

const std::string& TRegistry::CurrentKey() const {
    static const std::string none;
    return current_ ? *current_ : none;
}

std::string TRegistry::FullKey(const std::string& key) const {
    std::string k = trimSlashes(key);
    if (IsAbsolute(key) || !current_ || current_->empty()) return k;
    if (k.empty()) return *current_;
    return *current_ + "\\" + k;
}

void TRegistry::ChangeKey(const std::string& fullKey, const std::string& path, bool readOnly) {
    current_ = fullKey;
    currentPath_ = path;
    readOnly_ = readOnly;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    std::string full = FullKey(key);
    bool ok = canCreate && !key.empty() ? store_.CreateKey(root_, full) : store_.KeyExists(root_, full);
    if (!ok) return false;
    std::string k = IsAbsolute(key) ? key.substr(1) : key;
    ChangeKey(full, IsAbsolute(key) || !current_ ? k : currentPath_ + "\\" + k, false);
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
    std::string full = FullKey(key);
    if (!store_.KeyExists(root_, full)) return false;
    std::string k = IsAbsolute(key) ? key.substr(1) : key;
    ChangeKey(full, IsAbsolute(key) || !current_ ? k : currentPath_ + "\\" + k, true);
    return true;
}

bool TRegistry::KeyExists(const std::string& key) { return store_.KeyExists(root_, FullKey(key)); }

bool TRegistry::DeleteKey(const std::string& key) { return store_.DeleteKey(root_, FullKey(key)); }

bool TRegistry::CreateKey(const std::string& key) {
    if (!store_.CreateKey(root_, FullKey(key))) throw ERegistryException(Format("Failed to create key %s", {key}));
    return true;
}

void TRegistry::CloseKey() {
    current_.reset();
    currentPath_.clear();
    readOnly_ = false;
}

std::vector<std::string> TRegistry::GetKeyNames() {
    return current_ ? store_.SubKeyNames(root_, *current_) : std::vector<std::string>{};
}

std::vector<std::string> TRegistry::GetValueNames() {
    return current_ ? store_.ValueNames(root_, *current_) : std::vector<std::string>{};
}

bool TRegistry::HasSubKeys() { return !GetKeyNames().empty(); }

bool TRegistry::ValueExists(const std::string& name) {
    return current_ && store_.GetValue(root_, *current_, name).has_value();
}

bool TRegistry::DeleteValue(const std::string& name) {
    return current_ && !readOnly_ && store_.DeleteValue(root_, *current_, name);
}

std::string TRegistry::ReadString(const std::string& name) {
    auto v = current_ ? store_.GetValue(root_, *current_, name) : std::nullopt;
    if (!v) return "";
    if (v->type != REG_SZ_T && v->type != REG_EXPAND_SZ_T)
        throw ERegistryException(Format("Invalid data type for '%s'", {name}));
    return v->data;
}

std::int32_t TRegistry::ReadInteger(const std::string& name) {
    auto v = current_ ? store_.GetValue(root_, *current_, name) : std::nullopt;
    if (!v) throw ERegistryException(Format("Failed to get data for '%s'", {name}));
    if (v->type != REG_DWORD_T) throw ERegistryException(Format("Invalid data type for '%s'", {name}));
    return static_cast<std::int32_t>(v->dword);
}

double TRegistry::ReadFloat(const std::string& name) {
    auto v = current_ ? store_.GetValue(root_, *current_, name) : std::nullopt;
    if (!v) throw ERegistryException(Format("Failed to get data for '%s'", {name}));
    auto d = store_.ReadFloat(root_, *current_, name);
    if (!d) throw ERegistryException(Format("Invalid data type for '%s'", {name}));
    return *d;
}

void TRegistry::requireWritable(const std::string& name) const {
    if (!current_ || readOnly_) throw ERegistryException(Format("Failed to set data for '%s'", {name}));
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    requireWritable(name);
    if (!store_.WriteString(root_, *current_, name, value))
        throw ERegistryException(Format("Failed to set data for '%s'", {name}));
}

void TRegistry::WriteInteger(const std::string& name, std::int32_t value) {
    requireWritable(name);
    if (!store_.WriteInteger(root_, *current_, name, value))
        throw ERegistryException(Format("Failed to set data for '%s'", {name}));
}

void TRegistry::WriteFloat(const std::string& name, double value) {
    requireWritable(name);
    if (!store_.WriteFloat(root_, *current_, name, value))
        throw ERegistryException(Format("Failed to set data for '%s'", {name}));
}

std::optional<std::uint16_t> RegistryUserLangID(RegistryStore& store) {
    auto s = store.ReadString(RegRoot::CurrentUser, "Control Panel\\International", "Locale");
    if (!s || s->empty() || s->size() > 8) return std::nullopt;
    for (char c : *s)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    char* end = nullptr;
    unsigned long v = std::strtoul(s->c_str(), &end, 16);
    if (*end != '\0' || (v & 0xFFFF) == 0) return std::nullopt;
    return static_cast<std::uint16_t>(v & 0xFFFF);
}

std::optional<std::uint16_t> RegistryUserLangID() { return RegistryUserLangID(Registry()); }

}  // namespace platform
