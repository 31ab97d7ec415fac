#include "htmlview/util/IndentManager.h"

#include <algorithm>
#include <climits>

namespace htmlview {

namespace {
constexpr int kOpenBottom = 9999999;  // a list level's band runs on until the level closes
bool holds(const IndentRec* r, int y) { return r->TopY <= y && y < r->BottomY; }
}  // namespace

void IndentManagerBasic::ClearAll() {
    LeftList.Clear();
    RightList.Clear();
    retiredLeftBottom_ = retiredRightBottom_ = INT_MIN;
    retiredLeftByOffset_.clear();
}

void IndentManagerBasic::retireAbove(int y) {
    // Only records that hold no y from here on; open list levels run on.
    LeftList.DeleteIf([&](const IndentRec& r) {
        if (r.LevelId != 0 || r.BottomY > y) return false;
        retiredLeftBottom_ = std::max(retiredLeftBottom_, r.BottomY);
        auto [it, added] = retiredLeftByOffset_.try_emplace(r.Offset, r.BottomY);
        if (!added) it->second = std::max(it->second, r.BottomY);
        return true;
    });
    RightList.DeleteIf([&](const IndentRec& r) {
        if (r.BottomY > y) return false;
        retiredRightBottom_ = std::max(retiredRightBottom_, r.BottomY);
        return true;
    });
}

void IndentManagerBasic::ResetEdges(int left, int right) {
    LeftEdge = left;
    RightEdge = right;
    Level = 0;
}

int IndentManagerBasic::LeftAt(int y) const {
    bool any = false;
    int best = 0;
    for (const auto& r : LeftList)
        if (holds(r.get(), y) && (!any || r->Offset > best)) {
            best = r->Offset;
            any = true;
        }
    return best + LeftEdge;
}

int IndentManagerBasic::RightAt(int y) const {
    bool any = false;
    int best = 0;
    for (const auto& r : RightList)
        if (holds(r.get(), y) && (!any || r->Offset < best)) {
            best = r->Offset;
            any = true;
        }
    return best + RightEdge;
}

void IndentManagerBasic::AddFloat(int y, int width, int alignment, int height) {
    if (alignment != kAlignLeft && alignment != kAlignRight) return;
    auto* r = new IndentRec;
    r->TopY = y;
    r->BottomY = y + height;
    r->LevelId = 0;
    if (alignment == kAlignLeft) {
        r->Offset = LeftAt(y) + width - LeftEdge;
        LeftList.Add(r);
    } else {
        r->Offset = RightAt(y) - RightEdge - width;
        RightList.Add(r);
    }
}

void IndentManagerBasic::SetListLevel(int y, int newLevel) {
    retireAbove(y);
    if (newLevel > Level) {
        for (int l = Level + 1; l <= newLevel; ++l) {
            auto* r = new IndentRec;
            r->LevelId = l;
            r->TopY = y;
            r->BottomY = kOpenBottom;
            r->Offset = LeftAt(y) - LeftEdge + 35;
            LeftList.Add(r);
        }
    } else if (newLevel < Level && Level > 0) {
        for (const auto& r : LeftList)
            if (r->LevelId > newLevel) {
                r->LevelId = 0;
                r->BottomY = y - 1;
            }
    }
    Level = newLevel;
}

int IndentManagerBasic::FloatBottom() const {
    int b = std::max({0, retiredLeftBottom_, retiredRightBottom_});
    for (const auto* list : {&LeftList, &RightList})
        for (const auto& r : *list)
            if (r->LevelId == 0) b = std::max(b, r->BottomY);
    return b;
}

void IndentManagerBasic::ClearPositions(int& leftY, int& rightY) const {
    auto lowest = [](const TFreeList<IndentRec>& list, int retired) {
        int b = std::max(-1, retired);
        for (const auto& r : list)
            if (r->LevelId == 0) b = std::max(b, r->BottomY);
        return b + 1;
    };
    leftY = lowest(LeftList, retiredLeftBottom_);
    rightY = lowest(RightList, retiredRightBottom_);
}

int IndentManagerBasic::LevelBottom() const {
    int offset = 0;
    for (const auto& r : LeftList)
        if (r->LevelId == Level) offset = r->Offset;
    int b = 0;
    for (const auto& r : LeftList)
        if (r->Offset > offset) b = std::max(b, r->BottomY);
    for (auto it = retiredLeftByOffset_.upper_bound(offset); it != retiredLeftByOffset_.end(); ++it)
        b = std::max(b, it->second);
    return b + 1;
}

}  // namespace htmlview
