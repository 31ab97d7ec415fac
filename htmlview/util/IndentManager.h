#pragma once
// The margins taken by floating images and list levels: each record claims
// a horizontal range for a band of Y (TopY <= y < BottomY).
#include "htmlview/util/FreeList.h"

#include <climits>
#include <map>

namespace htmlview {

class IndentRec {
public:
    int Offset = 0;   // left: right edge from LeftEdge; right: (negative) left edge from RightEdge
    int TopY = 0;
    int BottomY = 0;
    int LevelId = 0;  // 0 floating image, else the list level that owns it
};

class IndentManagerBasic {
public:
    IndentManagerBasic() = default;
    virtual ~IndentManagerBasic() = default;

    TFreeList<IndentRec> LeftList;
    TFreeList<IndentRec> RightList;
    int Level = 0;
    int LeftEdge = 0;
    int RightEdge = 0;

    void ClearAll();
    void ResetEdges(int left, int right);
    // The first free X at height Y.
    int LeftAt(int y) const;
    // The last free X at height Y.
    int RightAt(int y) const;
    // Claims Width for an image at Y (alignment 1 left, 3 right; others nothing).
    void AddFloat(int y, int width, int alignment, int height);
    void SetListLevel(int y, int newLevel);
    // The largest BottomY of the floating-image records; 0 when none.
    int FloatBottom() const;
    // One more than the lowest float bottom on each side; 0 for a side without floats.
    void ClearPositions(int& leftY, int& rightY) const;
    // One more than the lowest bottom of left records that lie right of the
    // current level; asked inside a list only (Level > 0).
    int LevelBottom() const;

private:
    // Records wholly above the line being laid out can no longer hold any
    // y asked about (layout only goes down); SetListLevel retires them so
    // that pages of many lists do not scan every closed level at every
    // line. What the bottoms they leave still answer is kept here.
    int retiredLeftBottom_ = INT_MIN;
    int retiredRightBottom_ = INT_MIN;
    std::map<int, int> retiredLeftByOffset_;  // offset -> lowest bottom
    void retireAbove(int y);
};

// The cell's manager: adds the cell width and the clip width of painting.
class IndentManager : public IndentManagerBasic {
public:
    int Width = 0;
    int ClipWidth = 0;
};

// Alignment codes of AddFloat.
constexpr int kAlignLeft = 1;
constexpr int kAlignCenter = 2;
constexpr int kAlignRight = 3;

}  // namespace htmlview
