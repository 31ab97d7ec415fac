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
    int b = 0;
    for (const auto* list : {&LeftList, &RightList})
        for (const auto& r : *list)
            if (r->LevelId == 0) b = std::max(b, r->BottomY);
    return b;
}

void IndentManagerBasic::ClearPositions(int& leftY, int& rightY) const {
    auto lowest = [](const TFreeList<IndentRec>& list) {
        int b = -1;
        for (const auto& r : list)
            if (r->LevelId == 0) b = std::max(b, r->BottomY);
        return b + 1;
    };
    leftY = lowest(LeftList);
    rightY = lowest(RightList);
}

int IndentManagerBasic::LevelBottom() const {
    int offset = 0;
    for (const auto& r : LeftList)
        if (r->LevelId == Level) offset = r->Offset;
    int b = 0;
    for (const auto& r : LeftList)
        if (r->Offset > offset) b = std::max(b, r->BottomY);
    return b + 1;
}

}  // namespace htmlview
