#include "htmlview/images/ImageCache.h"

#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Text.h"

#include <algorithm>

namespace htmlview {

std::string ImageCacheKey(const std::string& name) { return platform::AsciiUpper(platform::TrimControls(name)); }

int TStringBitmapList::IndexOf(const std::string& key) const {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                               [](const auto& e, const std::string& k) { return e.first < k; });
    return it != entries_.end() && it->first == key ? static_cast<int>(it - entries_.begin()) : -1;
}

int TStringBitmapList::AddObject(const std::string& key, std::unique_ptr<TBitmapItem> item) {
    item->Users += 1;
    auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                               [](const auto& e, const std::string& k) { return e.first < k; });
    if (it != entries_.end() && it->first == key) {
        item->Users += it->second->Users;  // the images holding the old picture still give theirs back
        it->second = std::move(item);
    } else {
        it = entries_.emplace(it, key, std::move(item));
    }
    return static_cast<int>(it - entries_.begin());
}

std::shared_ptr<const TPicture> TStringBitmapList::TakeImage(int index) {
    TBitmapItem& e = Item(index);
    e.Age = 0;
    e.Users += 1;
    return e.Picture;
}

void TStringBitmapList::ReleaseImage(const std::string& key) {
    const int i = IndexOf(key);
    if (i >= 0) Item(i).Users -= 1;
}

void TStringBitmapList::removeIf(bool (*unwanted)(const TBitmapItem&, int), int limit) {
    std::erase_if(entries_, [&](const auto& e) { return unwanted(*e.second, limit); });
}

void TStringBitmapList::AgeEntries() {
    for (auto& e : entries_) e.second->Age += e.second->Age < 0x7FFFFFFF ? 1 : 0;
    removeIf([](const TBitmapItem& e, int limit) { return e.Age > limit && e.Users < 1; }, AgeLimit);
}

void TStringBitmapList::SetAgeLimit(int n) {
    removeIf([](const TBitmapItem& e, int limit) { return e.Age > limit && e.Users <= 0; }, n);
    AgeLimit = n;
}

void TStringBitmapList::PurgeUnused() {
    removeIf([](const TBitmapItem& e, int) { return e.Users < 1; }, 0);
}

TStringBitmapList& ImageCache() {
    static TStringBitmapList cache;
    return cache;
}

}  // namespace htmlview
