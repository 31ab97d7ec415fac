// Retiring records above the line must not change a single answer: the
// manager is run side by side with a plain model that keeps every record,
// through random floats and list levels at y going down the page.
#include "htmlview/util/IndentManager.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace htmlview;

namespace {
// Every record kept for ever; the answers by their definitions.
struct KeepEverything {
    struct Rec {
        int offset, top, bottom, level;
        bool left;
    };
    std::vector<Rec> recs;
    int level = 0, leftEdge = 0, rightEdge = 600;

    int leftAt(int y) const {
        int best = 0;
        bool any = false;
        for (const Rec& r : recs)
            if (r.left && r.top <= y && y < r.bottom && (!any || r.offset > best)) best = r.offset, any = true;
        return best + leftEdge;
    }
    int rightAt(int y) const {
        int best = 0;
        bool any = false;
        for (const Rec& r : recs)
            if (!r.left && r.top <= y && y < r.bottom && (!any || r.offset < best)) best = r.offset, any = true;
        return best + rightEdge;
    }
    void addFloat(int y, int w, int align, int h) {
        if (align == kAlignLeft) recs.push_back({leftAt(y) + w - leftEdge, y, y + h, 0, true});
        if (align == kAlignRight) recs.push_back({rightAt(y) - rightEdge - w, y, y + h, 0, false});
    }
    void setLevel(int y, int n) {
        if (n > level) {
            for (int l = level + 1; l <= n; ++l) recs.push_back({leftAt(y) - leftEdge + 35, y, 9999999, l, true});
        } else if (n < level) {
            for (Rec& r : recs)
                if (r.left && r.level > n) r.level = 0, r.bottom = y - 1;
        }
        level = n;
    }
    int floatBottom() const {
        int b = 0;
        for (const Rec& r : recs)
            if (r.level == 0) b = std::max(b, r.bottom);
        return b;
    }
    int lowest(bool left) const {
        int b = -1;
        for (const Rec& r : recs)
            if (r.left == left && r.level == 0) b = std::max(b, r.bottom);
        return b + 1;
    }
    int levelBottom() const {
        int offset = 0;
        for (const Rec& r : recs)
            if (r.left && r.level == level) offset = r.offset;
        int b = 0;
        for (const Rec& r : recs)
            if (r.left && r.offset > offset) b = std::max(b, r.bottom);
        return b + 1;
    }
};
}  // namespace

TEST(IndentManager, RetiringRecordsAboveTheLineChangesNoAnswer) {
    for (unsigned seed : {1u, 2u, 3u, 2026u}) {
        std::mt19937 rng(seed);
        IndentManagerBasic m;
        m.ResetEdges(0, 600);
        KeepEverything model;
        int y = 0;
        for (int step = 0; step < 3000; ++step) {
            y += std::uniform_int_distribution<int>(0, 30)(rng);
            switch (std::uniform_int_distribution<int>(0, 3)(rng)) {
                case 0: {
                    const int w = std::uniform_int_distribution<int>(5, 80)(rng);
                    const int h = std::uniform_int_distribution<int>(1, 200)(rng);
                    const int align = std::uniform_int_distribution<int>(1, 3)(rng);
                    m.AddFloat(y, w, align, h);
                    model.addFloat(y, w, align, h);
                    break;
                }
                default: {
                    const int n = std::uniform_int_distribution<int>(0, 4)(rng);
                    m.SetListLevel(y, n);
                    model.setLevel(y, n);
                    break;
                }
            }
            for (int probe : {y, y + 1, y + 17, y + 150}) {
                ASSERT_EQ(m.LeftAt(probe), model.leftAt(probe)) << seed << " " << step;
                ASSERT_EQ(m.RightAt(probe), model.rightAt(probe)) << seed << " " << step;
            }
            ASSERT_EQ(m.FloatBottom(), model.floatBottom()) << seed << " " << step;
            int l = 0, r = 0;
            m.ClearPositions(l, r);
            ASSERT_EQ(l, model.lowest(true)) << seed << " " << step;
            ASSERT_EQ(r, model.lowest(false)) << seed << " " << step;
            // Asked only inside a list (at level 0 it would name whichever float came last).
            if (model.level > 0) {
                ASSERT_EQ(m.LevelBottom(), model.levelBottom()) << seed << " " << step;
            }
        }
    }
}

TEST(IndentManager, ClosedListLevelsDoNotPileUp) {
    IndentManagerBasic m;
    m.ResetEdges(0, 600);
    int y = 0;
    for (int list = 0; list < 10000; ++list) {
        m.SetListLevel(y, 1);
        m.SetListLevel(y + 16, 2);
        m.SetListLevel(y + 32, 0);
        y += 48;
    }
    m.SetListLevel(y, 0);
    EXPECT_LE(m.LeftList.Count(), 2);
    EXPECT_EQ(m.LeftAt(y), 0);
    // A new layout starts from nothing.
    m.ClearAll();
    EXPECT_EQ(m.FloatBottom(), 0);
    int l = 0, r = 0;
    m.ClearPositions(l, r);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(r, 0);
}
