#include "htmlview/util/Attributes.h"

namespace htmlview {

TAttribute* TAttributeList::Find(std::uint8_t symbol) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Symbol == symbol) return Items(i);
    return nullptr;
}

bool TAttributeList::Find(std::uint8_t symbol, TAttribute*& attr) const {
    TAttribute* a = Find(symbol);
    if (!a) return false;
    attr = a;
    return true;
}

}  // namespace htmlview
