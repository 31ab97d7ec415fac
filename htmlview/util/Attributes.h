#pragma once
// Parsed tag attributes as the tokeniser delivers them, and the link/target
// pair of anchors and image-map areas.
#include "htmlview/util/FreeList.h"

#include <cstdint>
#include <string>

namespace htmlview {

class TAttribute {
public:
    TAttribute(std::uint8_t symbol, std::string text, int numValue)
        : Symbol(symbol), NumValue(numValue), Text(std::move(text)) {}
    std::uint8_t Symbol;
    int NumValue;
    std::string Text;
};

class TAttributeList : public TFreeList<TAttribute> {
public:
    // The first attribute with Symbol, in list order; nullptr when none.
    TAttribute* Find(std::uint8_t symbol) const;
    bool Find(std::uint8_t symbol, TAttribute*& attr) const;
};

class TUrlTarget {
public:
    std::string LinkUrl;
    std::string LinkTarget;
    // Each argument that is given replaces its field.
    void Assign(const std::string* url, const std::string* target) {
        if (url) LinkUrl = *url;
        if (target) LinkTarget = *target;
    }
    void Assign(const std::string& url, const std::string& target) { Assign(&url, &target); }
    void Clear() {
        LinkUrl.clear();
        LinkTarget.clear();
    }
};

}  // namespace htmlview
