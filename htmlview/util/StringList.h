#pragma once
// A list of names with an object each, as the viewer keeps anchors and
// pending images: names compare ignoring ASCII case.
#include <string>
#include <utility>
#include <vector>

namespace htmlview {

class TStringList {
public:
    struct Item {
        std::string Name;
        void* Object;
    };
    std::vector<Item> Items;

    int Count() const { return static_cast<int>(Items.size()); }
    void AddObject(const std::string& name, void* object) { Items.push_back({name, object}); }
    // The first entry with Name (ASCII case ignored); -1 when none.
    int IndexOf(const std::string& name) const;
    void* ObjectOf(const std::string& name) const {
        int i = IndexOf(name);
        return i < 0 ? nullptr : Items[static_cast<size_t>(i)].Object;
    }
    // Drops every entry that refers to Object.
    void RemoveObject(const void* object);
    void Clear() { Items.clear(); }
};

}  // namespace htmlview
