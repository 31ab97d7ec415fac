#include "platform/qt/dbcontrols/DataLink.h"

#include "platform/qt/dbcontrols/IdleReads.h"

#include "platform/tables/DataSet.h"

namespace platform {

void TDataLink::SetDataSet(TDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if (dataSet_) dataSet_->RemoveDataLink(id_);
    dataSet_ = dataSet;
    id_ = 0;
    if (dataSet_) EndReadsWhenIdle();
    if (dataSet_) id_ = dataSet_->AddDataLink([this](TDataSet&) { changed_(); });
    changed_();
}

bool TDataLink::HasRecord() const { return dataSet_ && dataSet_->Active() && !dataSet_->IsEmpty(); }

}  // namespace platform
