#pragma once
// Unique component naming: the base name, else base + "1", base + "2", ...,
// the first one the component accepts. A base name that is no identifier
// raises at once, since no number would make it one.
#include <string>

#include "platform/core/runtime/Exception.h"
#include "platform/core/runtime/Format.h"

namespace installer {

bool IsIdentifier(const std::string& name);

// C::SetName(const std::string&) raises platform::Exception when it refuses a name.
template <typename C>
void MakeUniqueComponentName(C& component, const std::string& baseName) {
    if (!IsIdentifier(baseName))
        throw platform::Exception(platform::Format("'%s' is not a valid component name", {baseName}));
    std::string name = baseName;
    for (long n = 1;; ++n) {
        try {
            component.SetName(name);
            return;
        } catch (const platform::Exception&) {
            // A component count can never reach this: something else refuses every name.
            if (n == 1000000) throw;
        }
        name = baseName + std::to_string(n);
    }
}

}  // namespace installer
