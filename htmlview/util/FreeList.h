#pragma once
// TFreeList: a list that owns its items; clearing or destroying it frees
// every item, index 0 upward.
#include <algorithm>
#include <memory>
#include <vector>

namespace htmlview {

template <typename T>
class TFreeList {
public:
    TFreeList() = default;
    TFreeList(const TFreeList&) = delete;
    TFreeList& operator=(const TFreeList&) = delete;
    TFreeList(TFreeList&&) noexcept = default;
    TFreeList& operator=(TFreeList&&) noexcept = default;
    virtual ~TFreeList() { Clear(); }

    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    T* operator[](int i) const { return items_[static_cast<size_t>(i)].get(); }
    T* Items(int i) const { return (*this)[i]; }
    T* Last() const { return items_.empty() ? nullptr : items_.back().get(); }

    // Takes ownership; returns the item.
    T* Add(T* item) {
        items_.emplace_back(item);
        return item;
    }
    T* Add(std::unique_ptr<T> item) { return Add(item.release()); }
    T* Insert(int index, T* item) {
        items_.emplace(items_.begin() + index, item);
        return item;
    }
    int IndexOf(const T* item) const {
        for (size_t i = 0; i < items_.size(); ++i)
            if (items_[i].get() == item) return static_cast<int>(i);
        return -1;
    }
    // Frees the item at Index and closes the gap.
    void Delete(int index) {
        std::unique_ptr<T> gone = std::move(items_[static_cast<size_t>(index)]);
        items_.erase(items_.begin() + index);
    }
    // Hands the item at Index back to the caller.
    std::unique_ptr<T> Extract(int index) {
        std::unique_ptr<T> r = std::move(items_[static_cast<size_t>(index)]);
        items_.erase(items_.begin() + index);
        return r;
    }
    // Frees every item Unwanted(item) picks, keeping the others in order.
    template <typename Pred>
    void DeleteIf(Pred unwanted) {
        std::erase_if(items_, [&](const std::unique_ptr<T>& p) { return unwanted(*p); });
    }
    // Frees every item, first to last, then empties the list.
    void Clear() {
        for (auto& p : items_) p.reset();
        items_.clear();
    }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<std::unique_ptr<T>> items_;
};

}  // namespace htmlview
