#pragma once
// The installer's registry object: a key text that begins with '\' is taken
// below the root key (the '\' removed), any other below the open key (or the
// root key when none is open); deleting a key removes its whole tree.
#include <string>

#include "platform/windows/registry/Registry.h"

namespace installer {

class TtmslRegistry : public platform::TRegistry {
public:
    using platform::TRegistry::TRegistry;

    // Without create (or for an empty key text): open the existing key. With
    // create: open it when KeyExists says so, else create it. On success the
    // key becomes current; its path is the key text when absolute or with no
    // key open, else the previous path + '\' + the key text.
    bool OpenKey(const std::string& key, bool create) override;
    // The read-only open; true when the key exists (it becomes current, read-only).
    bool OpenKeyReadOnly(const std::string& key) override;
    bool KeyExists(const std::string& key) override;
    // Deletes every subkey of every level, then the key; true when that last delete succeeds.
    bool DeleteKey(const std::string& key) override;
};

}  // namespace installer
