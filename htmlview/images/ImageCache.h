#pragma once
// The image cache shared by every viewer in the process: decoded pictures
// by name (upper-cased and trimmed, see ImageCacheKey), each with its mask,
// transparency kind, age (document loads since last use) and users
// (document images holding it). An entry nobody uses survives AgeLimit
// loads and goes at the next. Pictures are shared: an image still showing
// one keeps it alive when its entry goes, even through Clear.
#include "htmlview/images/ImageKinds.h"
#include "htmlview/images/Picture.h"

#include <QImage>
#include <memory>
#include <string>
#include <vector>

namespace htmlview {

struct TBitmapItem {
    std::shared_ptr<const TPicture> Picture;
    QImage MaskBitmap;  // monochrome, 1 = transparent; null when none
    int Age = 0;
    int Users = 0;
    TImageTransp TranspKind = itNone;
};

// The key a name is cached under: upper-cased, trimmed of characters <= space.
std::string ImageCacheKey(const std::string& name);

class TStringBitmapList {
public:
    int AgeLimit = 4;

    int Count() const { return static_cast<int>(entries_.size()); }
    const std::string& Name(int index) const { return entries_[static_cast<size_t>(index)].first; }
    TBitmapItem& Item(int index) { return *entries_[static_cast<size_t>(index)].second; }
    // Index of an exact key (binary search), -1 when absent.
    int IndexOf(const std::string& key) const;
    // Enters Item under Key with one user more; an entry of the same key is
    // replaced, its users carried over.
    int AddObject(const std::string& key, std::unique_ptr<TBitmapItem> item);
    // The entry's picture; its age back to 0 and one user more.
    std::shared_ptr<const TPicture> TakeImage(int index);
    // One user less for the entry under Key, when there is one (the entry stays).
    void ReleaseImage(const std::string& key);
    // Every entry one load older; unused ones older than AgeLimit go.
    void AgeEntries();
    // Unused entries older than N go; then AgeLimit := N.
    void SetAgeLimit(int n);
    // Every unused entry goes.
    void PurgeUnused();
    void Clear() { entries_.clear(); }

private:
    std::vector<std::pair<std::string, std::unique_ptr<TBitmapItem>>> entries_;  // sorted by key
    void removeIf(bool (*unwanted)(const TBitmapItem&, int), int limit);
};

// The process's one cache.
TStringBitmapList& ImageCache();

}  // namespace htmlview
