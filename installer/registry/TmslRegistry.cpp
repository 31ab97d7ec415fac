#include "installer/registry/TmslRegistry.h"

namespace installer {

bool TtmslRegistry::OpenKey(const std::string& key, bool create) {
    if (!create || key.empty()) return TRegistry::OpenKey(key, false);
    if (KeyExists(key)) return TRegistry::OpenKey(key, false);
    return TRegistry::OpenKey(key, true);
}

bool TtmslRegistry::OpenKeyReadOnly(const std::string& key) { return TRegistry::OpenKeyReadOnly(key); }

bool TtmslRegistry::KeyExists(const std::string& key) { return Store().KeyExists(RootKey(), FullKey(key)); }

bool TtmslRegistry::DeleteKey(const std::string& key) {
    std::string full = FullKey(key);
    if (Store().KeyExists(RootKey(), full)) {
        // Delete the subkeys first, each by its name relative to the key, with
        // the key current for the time of the loop; then restore the previous key.
        bool hadKey = HasCurrentKey();
        std::string previousKey = CurrentKey(), previousPath = CurrentPath();
        ChangeKey(full, full, false);
        for (const auto& name : Store().SubKeyNames(RootKey(), full)) DeleteKey(name);
        if (hadKey)
            ChangeKey(previousKey, previousPath, false);
        else
            CloseKey();
    }
    return Store().DeleteKey(RootKey(), full);
}

}  // namespace installer
