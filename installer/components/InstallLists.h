#pragma once
// The typed lists of install components. Adding nothing is refused with the
// list's own error; the lists never own their items.
#include <algorithm>
#include <vector>

namespace installer {

class TInstallContainer;
class TCustomInstallFile;

template <typename T, typename Error>
class TTypedList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    T* Get(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    T* operator[](int index) const { return Get(index); }
    int IndexOf(const T* item) const {
        auto it = std::find(items_.begin(), items_.end(), item);
        return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
    }
    int Add(T* item) {
        if (!item) Error::Raise();
        items_.push_back(item);
        return Count() - 1;
    }
    // Removes the first occurrence; the index it had, or -1.
    int Remove(const T* item) {
        const int index = IndexOf(item);
        if (index >= 0) items_.erase(items_.begin() + index);
        return index;
    }
    void Clear() { items_.clear(); }
    // A copy, for walks during which items may leave the list.
    std::vector<T*> Items() const { return items_; }

private:
    std::vector<T*> items_;
};

struct ContainerListError {
    [[noreturn]] static void Raise();
};
struct InstallFileListError {
    [[noreturn]] static void Raise();
};

using TInstallContainerList = TTypedList<TInstallContainer, ContainerListError>;
using TCustomInstallFileList = TTypedList<TCustomInstallFile, InstallFileListError>;

}  // namespace installer
