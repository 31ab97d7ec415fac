#pragma once
// The common root of everything that travels as a message parameter, so a
// receiver can check what it was given.
#include <vector>

namespace installer {

class TObject {
public:
    virtual ~TObject() = default;
};

// A plain list of objects, as status codes carry [file, parameter].
class TList : public TObject {
public:
    TList() = default;
    TList(std::initializer_list<TObject*> items) : Items(items) {}
    std::vector<TObject*> Items;
    int Count() const { return static_cast<int>(Items.size()); }
};

}  // namespace installer
