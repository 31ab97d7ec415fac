#pragma once
// A control's link to a dataset: Changed runs whenever what the current
// record shows may have changed (open, close, scroll, positioning by key,
// post). The link is removed when it is destroyed or moved to another
// dataset, so the dataset must outlive it.
#include <functional>

namespace platform {

class TDataSet;

class TDataLink {
public:
    explicit TDataLink(std::function<void()> changed) : changed_(std::move(changed)) {}
    ~TDataLink() { SetDataSet(nullptr); }
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    void SetDataSet(TDataSet* dataSet);
    TDataSet* DataSet() const { return dataSet_; }
    // The dataset is open and stands on a record.
    bool HasRecord() const;

private:
    std::function<void()> changed_;
    TDataSet* dataSet_ = nullptr;
    int id_ = 0;
};

}  // namespace platform
