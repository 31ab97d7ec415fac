#include "platform/windows/registry/RegistryStore.h"

#include <cassert>
#include <cstring>
#include <sys/stat.h>

#include "platform/core/hostio/HostIo.h"
#include "platform/core/hostio/ReplaceLock.h"
#include "platform/core/runtime/Format.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> splitKey(const std::string& key) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : key) {
        if (c == '\\') {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}

std::string upperPath(const std::vector<std::string>& parts) {
    std::string r;
    for (const auto& p : parts) {
        if (!r.empty()) r += '\\';
        r += AsciiUpper(p);
    }
    return r;
}

// REGEDIT4 text has one line per key and per value: names with line breaks
// cannot be kept, and a key name never holds a control character. Nor can
// a key be deeper than a hive file may hold.
bool storableKey(const std::vector<std::string>& parts) {
    if (parts.size() > kMaxRegKeyDepth) return false;
    for (const auto& p : parts)
        for (unsigned char c : p)
            if (c < 0x20) return false;
    return true;
}

bool storableValueName(const std::string& name) { return name.find_first_of("\r\n") == std::string::npos; }

struct FileStamp {
    bool exists = false;
    std::int64_t size = 0, mtimeNs = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const fs::path& p) {
    struct stat st {};
    FileStamp s;
    if (::stat(p.c_str(), &st) != 0) return s;
    s.exists = true;
    s.size = st.st_size;
    s.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.inode = st.st_ino;
    return s;
}

}  // namespace

struct RegistryStore::Hive {
    RegRoot root;
    fs::path file;
    std::unique_ptr<RegKeyNode> tree = std::make_unique<RegKeyNode>();
    FileStamp stamp;
    bool loaded = false;
    std::string loadError;
};

// Both hive files live in the root folder, which ReplaceLock locks: one lock
// of the store covers both, counted so that calls nest inside an UpdateLock.
bool RegistryStore::acquire() {
    if (lockDepth_ == 0) {
        try {
            lock_.emplace(root_ / "HKLM.reg");
        } catch (const Exception&) {
            return false;
        }
    }
    ++lockDepth_;
    return true;
}

void RegistryStore::release() {
    if (lockDepth_ > 0 && --lockDepth_ == 0) lock_.reset();
}

// One write's hold of the store's lock; a root with no hive needs none.
class RegistryStore::WriteLock {
public:
    WriteLock(RegistryStore& store, RegRoot root) : store_(store), needed_(store.hiveOf(root) != nullptr) {
        if (needed_) held_ = store_.acquire();
    }
    ~WriteLock() {
        if (needed_ && held_) store_.release();
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;
    // False when the lock could not be taken: the write must not go on.
    bool Held() const { return !needed_ || held_; }

private:
    RegistryStore& store_;
    bool needed_;
    bool held_ = false;
};

RegistryStore::UpdateLock::UpdateLock(RegistryStore& store, RegRoot root) : store_(store) {
    held_ = store.hiveOf(root) != nullptr && store.acquire();
}

RegistryStore::UpdateLock::~UpdateLock() {
    if (held_) store_.release();
}

RegistryStore::Batch::Batch(RegistryStore& store, RegRoot root)
    : store_(store), lock_(store, root), hive_(store.hiveOf(root)) {
    assert(!store.batched_ && "batches do not nest");
    store_.batched_ = hive_;
}

RegistryStore::Batch::~Batch() {
    if (!open_) return;
    store_.batched_ = nullptr;
    if (hive_) hive_->loaded = false;  // read back what the file still holds
}

bool RegistryStore::Batch::Commit() {
    assert(open_);
    open_ = false;
    store_.batched_ = nullptr;
    return !hive_ || store_.save(*hive_);
}

RegistryStore::Hive* RegistryStore::hiveOf(RegRoot root) {
    switch (root) {
    case RegRoot::LocalMachine:
    case RegRoot::ClassesRoot:
    case RegRoot::CurrentConfig: return machine_.get();
    case RegRoot::CurrentUser: return user_.get();
    case RegRoot::Users:
    case RegRoot::DynData: break;
    }
    return nullptr;
}

struct RegistryStore::Target {
    Hive* hive = nullptr;  // none for the empty roots
    std::vector<std::string> path;
};

std::optional<RegRoot> RegRootFromNumber(int number) {
    int n = number & 0x7F;
    if (n > 5) return std::nullopt;
    return static_cast<RegRoot>(n);
}

std::string RegRootName(RegRoot root) {
    switch (root) {
    case RegRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case RegRoot::CurrentConfig: return "HKEY_CURRENT_CONFIG";
    case RegRoot::CurrentUser: return "HKEY_CURRENT_USER";
    case RegRoot::DynData: return "HKEY_DYN_DATA";
    case RegRoot::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case RegRoot::Users: return "HKEY_USERS";
    }
    return "";
}

fs::path RegistryStore::HiveFileName(const fs::path& root, RegRoot hive) {
    return root / (hive == RegRoot::CurrentUser ? "HKCU.reg" : "HKLM.reg");
}

RegistryStore::RegistryStore(fs::path root) : root_(std::move(root)) {
    machine_ = std::make_unique<Hive>();
    machine_->root = RegRoot::LocalMachine;
    machine_->file = HiveFileName(root_, RegRoot::LocalMachine);
    user_ = std::make_unique<Hive>();
    user_->root = RegRoot::CurrentUser;
    user_->file = HiveFileName(root_, RegRoot::CurrentUser);
    RemoveKilledSaves(machine_->file);
    RemoveKilledSaves(user_->file);
}

RegistryStore::~RegistryStore() = default;

void RegistryStore::refresh(Hive& h) {
    FileStamp now = stampOf(h.file);
    if (h.loaded && now == h.stamp) return;
    h.loaded = true;
    h.stamp = now;
    h.loadError.clear();
    h.tree = std::make_unique<RegKeyNode>();
    try {
        auto bytes = ReadWholeFile(h.file);
        if (bytes) h.tree = ParseRegedit4(*bytes, RegRootName(h.root));
    } catch (const Exception& e) {
        h.loadError = Format("The registry file %s cannot be read: %s", {h.file.string(), e.Message()});
        h.tree = std::make_unique<RegKeyNode>();
    }
}

namespace {
std::function<void(const fs::path&)>& BeforeSave() {
    static std::function<void(const fs::path&)> hook;
    return hook;
}
}  // namespace

void RegistryStore::SetBeforeSave(std::function<void(const fs::path&)> hook) { BeforeSave() = std::move(hook); }

bool RegistryStore::save(Hive& h) {
    if (&h == batched_) return true;  // saved at the batch's commit
    try {
        if (BeforeSave()) BeforeSave()(h.file);
        WriteFileAtomically(h.file, PrintRegedit4(*h.tree, RegRootName(h.root)));
    } catch (const Exception&) {
        h.loaded = false;  // read back what the file still holds
        return false;
    }
    h.stamp = stampOf(h.file);
    return true;
}

std::optional<RegistryStore::Target> RegistryStore::target(RegRoot root, const std::string& key) {
    Target t;
    t.path = splitKey(key);
    auto below = [&](Hive* h, const char* prefix) {
        t.hive = h;
        auto p = splitKey(prefix);
        t.path.insert(t.path.begin(), p.begin(), p.end());
    };
    switch (root) {
    case RegRoot::LocalMachine: t.hive = machine_.get(); break;
    case RegRoot::CurrentUser: t.hive = user_.get(); break;
    case RegRoot::ClassesRoot: below(machine_.get(), "SOFTWARE\\Classes"); break;
    case RegRoot::CurrentConfig: below(machine_.get(), "System\\CurrentControlSet\\Hardware Profiles\\Current"); break;
    case RegRoot::Users:
    case RegRoot::DynData: return t;
    }
    refresh(*t.hive);
    return t;
}

namespace {
RegKeyNode* findNode(RegKeyNode* node, const std::vector<std::string>& path) {
    for (const auto& part : path) {
        auto it = node->subkeys.find(part);
        if (it == node->subkeys.end()) return nullptr;
        node = it->second.get();
    }
    return node;
}
}  // namespace

bool RegistryStore::writable(const Target& t) const {
    if (!t.hive || !t.hive->loadError.empty()) return false;
    int hive = static_cast<int>(t.hive->root);
    for (size_t n = 0; n <= t.path.size(); ++n) {
        std::vector<std::string> prefix(t.path.begin(), t.path.begin() + static_cast<std::ptrdiff_t>(n));
        if (failing_.count({hive, upperPath(prefix)})) return false;
    }
    return true;
}

bool RegistryStore::KeyExists(RegRoot root, const std::string& key) {
    auto t = target(root, key);
    if (!t->hive) return t->path.empty();
    return findNode(t->hive->tree.get(), t->path) != nullptr;
}

bool RegistryStore::CreateKey(RegRoot root, const std::string& key) {
    WriteLock lock(*this, root);
    if (!lock.Held()) return false;
    auto t = target(root, key);
    if (!t->hive) return t->path.empty();
    if (findNode(t->hive->tree.get(), t->path)) return true;
    if (!writable(*t) || !storableKey(t->path)) return false;
    RegKeyNode* node = t->hive->tree.get();
    for (const auto& part : t->path) {
        auto it = node->subkeys.find(part);
        if (it == node->subkeys.end()) {
            auto child = std::make_unique<RegKeyNode>();
            child->name = part;
            it = node->subkeys.emplace(part, std::move(child)).first;
        }
        node = it->second.get();
    }
    return save(*t->hive);
}

bool RegistryStore::DeleteKey(RegRoot root, const std::string& key) {
    WriteLock lock(*this, root);
    if (!lock.Held()) return false;
    auto t = target(root, key);
    if (!t->hive || t->path.empty() || !writable(*t)) return false;
    // A failing key anywhere in the tree keeps the whole tree.
    std::string below = upperPath(t->path) + "\\";
    for (const auto& [hive, path] : failing_)
        if (hive == static_cast<int>(t->hive->root) && path.compare(0, below.size(), below) == 0) return false;
    std::vector<std::string> parentPath(t->path.begin(), t->path.end() - 1);
    RegKeyNode* parent = findNode(t->hive->tree.get(), parentPath);
    if (!parent || parent->subkeys.erase(t->path.back()) == 0) return false;
    return save(*t->hive);
}

std::vector<std::string> RegistryStore::SubKeyNames(RegRoot root, const std::string& key) {
    std::vector<std::string> out;
    auto t = target(root, key);
    RegKeyNode* node = t->hive ? findNode(t->hive->tree.get(), t->path) : nullptr;
    if (node)
        for (const auto& [name, child] : node->subkeys) out.push_back(child->name);
    return out;
}

std::vector<std::string> RegistryStore::ValueNames(RegRoot root, const std::string& key) {
    std::vector<std::string> out;
    auto t = target(root, key);
    RegKeyNode* node = t->hive ? findNode(t->hive->tree.get(), t->path) : nullptr;
    if (node)
        for (const auto& [name, v] : node->values) out.push_back(v.name);
    return out;
}

std::optional<RegValue> RegistryStore::GetValue(RegRoot root, const std::string& key, const std::string& name) {
    auto t = target(root, key);
    RegKeyNode* node = t->hive ? findNode(t->hive->tree.get(), t->path) : nullptr;
    if (!node) return std::nullopt;
    auto it = node->values.find(name);
    if (it == node->values.end()) return std::nullopt;
    return it->second;
}

bool RegistryStore::SetValue(RegRoot root, const std::string& key, const RegValue& value) {
    WriteLock lock(*this, root);
    if (!lock.Held()) return false;
    auto t = target(root, key);
    if (!t->hive || !writable(*t) || !storableValueName(value.name)) return false;
    RegKeyNode* node = findNode(t->hive->tree.get(), t->path);
    if (!node) return false;
    auto it = node->values.find(value.name);
    if (it != node->values.end()) {
        std::string keep = it->second.name;  // the name keeps the case it was created with
        it->second = value;
        it->second.name = keep;
    } else {
        node->values.emplace(value.name, value);
    }
    return save(*t->hive);
}

bool RegistryStore::DeleteValue(RegRoot root, const std::string& key, const std::string& name) {
    WriteLock lock(*this, root);
    if (!lock.Held()) return false;
    auto t = target(root, key);
    if (!t->hive || !writable(*t)) return false;
    RegKeyNode* node = findNode(t->hive->tree.get(), t->path);
    if (!node || node->values.erase(name) == 0) return false;
    return save(*t->hive);
}

std::optional<std::vector<RegValue>> RegistryStore::TakeValues(RegRoot root, const std::string& key) {
    WriteLock lock(*this, root);
    if (!lock.Held()) return std::nullopt;
    auto t = target(root, key);
    RegKeyNode* node = t->hive ? findNode(t->hive->tree.get(), t->path) : nullptr;
    if (!node || node->values.empty()) {
        if (t->hive && !t->hive->loadError.empty()) return std::nullopt;
        return std::vector<RegValue>{};
    }
    if (!writable(*t)) return std::nullopt;
    std::vector<RegValue> taken;
    taken.reserve(node->values.size());
    for (const auto& [name, v] : node->values) taken.push_back(v);
    auto kept = std::move(node->values);
    node->values.clear();
    if (!save(*t->hive)) {
        node->values = std::move(kept);
        return std::nullopt;
    }
    return taken;
}

std::optional<std::string> RegistryStore::ReadString(RegRoot root, const std::string& key, const std::string& name) {
    auto v = GetValue(root, key, name);
    if (!v || (v->type != REG_SZ_T && v->type != REG_EXPAND_SZ_T)) return std::nullopt;
    return v->data;
}

std::optional<std::int32_t> RegistryStore::ReadInteger(RegRoot root, const std::string& key, const std::string& name) {
    auto v = GetValue(root, key, name);
    if (!v || v->type != REG_DWORD_T) return std::nullopt;
    return static_cast<std::int32_t>(v->dword);
}

std::optional<double> RegistryStore::ReadFloat(RegRoot root, const std::string& key, const std::string& name) {
    auto v = GetValue(root, key, name);
    if (!v || v->type != REG_BINARY_T || v->data.size() != sizeof(double)) return std::nullopt;
    double d;
    std::memcpy(&d, v->data.data(), sizeof d);  // little-endian, as the system stores it
    return d;
}

bool RegistryStore::WriteString(RegRoot root, const std::string& key, const std::string& name,
                                const std::string& value) {
    RegValue v;
    v.name = name;
    v.type = REG_SZ_T;
    v.data = value;
    return SetValue(root, key, v);
}

bool RegistryStore::WriteInteger(RegRoot root, const std::string& key, const std::string& name, std::int32_t value) {
    RegValue v;
    v.name = name;
    v.type = REG_DWORD_T;
    v.dword = static_cast<std::uint32_t>(value);
    return SetValue(root, key, v);
}

bool RegistryStore::WriteFloat(RegRoot root, const std::string& key, const std::string& name, double value) {
    RegValue v;
    v.name = name;
    v.type = REG_BINARY_T;
    v.data.assign(reinterpret_cast<const char*>(&value), sizeof value);
    return SetValue(root, key, v);
}

void RegistryStore::FailWritesAt(RegRoot root, const std::string& key) {
    auto t = target(root, key);
    if (t->hive) failing_.insert({static_cast<int>(t->hive->root), upperPath(t->path)});
}

void RegistryStore::ClearWriteFailures() { failing_.clear(); }

std::string RegistryStore::ExportText(RegRoot hive) {
    Hive& h = hive == RegRoot::CurrentUser ? *user_ : *machine_;
    refresh(h);
    return PrintRegedit4(*h.tree, RegRootName(h.root));
}

std::string RegistryStore::LoadError(RegRoot hive) {
    Hive& h = hive == RegRoot::CurrentUser ? *user_ : *machine_;
    refresh(h);
    return h.loadError;
}

RegistryStore& Registry() {
    static std::unique_ptr<RegistryStore> store;
    const fs::path& root = CurrentSystemRoot().Path();
    if (!store || store->Root() != root) store = std::make_unique<RegistryStore>(root);
    return *store;
}

}  // namespace platform
