#include "htmlview/util/StringList.h"

#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Text.h"

#include <algorithm>

namespace htmlview {

int TStringList::IndexOf(const std::string& name) const {
    const std::string key = platform::AsciiUpper(name);
    for (size_t i = 0; i < Items.size(); ++i)
        if (platform::AsciiUpper(Items[i].Name) == key) return static_cast<int>(i);
    return -1;
}

void TStringList::RemoveObject(const void* object) {
    std::erase_if(Items, [object](const Item& it) { return it.Object == object; });
}

}  // namespace htmlview
