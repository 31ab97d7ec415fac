#include "htmlview/util/MapItem.h"

#include "htmlview/util/HtmlSymbols.h"
#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Text.h"

#include <QPolygon>

namespace htmlview {

namespace {
// Coordinates far outside any page are clamped so that region arithmetic stays in range.
int clampCoord(int v) { return v < -1000000 ? -1000000 : v > 1000000 ? 1000000 : v; }
}  // namespace

std::vector<int> ParseCoords(const std::string& text) {
    std::vector<int> nums;
    size_t i = 0;
    while (nums.size() < 201) {
        size_t comma = text.find(',', i);
        std::string field = text.substr(i, comma == std::string::npos ? std::string::npos : comma - i);
        if (field.size() > 20) field.resize(20);
        while (!field.empty() && field.back() == ' ') field.pop_back();
        if (field.empty()) break;
        nums.push_back(StrToIntDef(platform::TrimControls(field), 0));
        if (comma == std::string::npos) break;
        i = comma + 1;
    }
    return nums;
}

void TMapItem::AppendArea(const TAttributeList& attributes) {
    enum { Rect, Circle, Poly } shape = Rect;
    Area area;
    std::vector<int> nums;
    for (int i = 0; i < attributes.Count(); ++i) {
        const TAttribute* a = attributes[i];
        if (a->Symbol == attrHREF) area.Url = a->Text;
        else if (a->Symbol == attrNOHREF) area.Url.clear();
        else if (a->Symbol == attrTARGET) area.Target = a->Text;
        else if (a->Symbol == attrSHAPE) {
            std::string s = platform::AsciiLower(a->Text.substr(0, 4));
            shape = s == "circ" ? Circle : s == "poly" ? Poly : Rect;
        } else if (a->Symbol == attrCOORDS) {
            nums = ParseCoords(a->Text);
            for (int& v : nums) v = clampCoord(v);
        }
    }
    const size_t n = nums.size();
    switch (shape) {
        case Rect:
            if (n < 4) return;
            area.Region = QRegion(QRect(QPoint(nums[0], nums[1]), QPoint(nums[2], nums[3])).normalized());
            break;
        case Circle: {
            if (n < 3) return;
            long long r = nums[2];
            if (r < 0) return;  // a negative radius describes no area
            long long x = nums[0], y = nums[1];
            if (x - r < -1000000 || x + r > 1000000 || y - r < -1000000 || y + r > 1000000) return;
            area.Region = QRegion(QRect(static_cast<int>(x - r), static_cast<int>(y - r),
                                        static_cast<int>(2 * r + 1), static_cast<int>(2 * r + 1)),
                                  QRegion::Ellipse);
            break;
        }
        case Poly: {
            if (n < 6) return;
            QPolygon poly;
            for (size_t k = 0; k + 1 < n; k += 2) poly << QPoint(nums[k], nums[k + 1]);
            area.Region = QRegion(poly, Qt::WindingFill);
            break;
        }
    }
    Areas.push_back(std::move(area));
}

bool TMapItem::HitTest(int x, int y, std::unique_ptr<TUrlTarget>& urlTarget) const {
    for (const Area& a : Areas) {
        if (!a.Region.contains(QPoint(x, y))) continue;
        if (a.Url.empty()) return false;
        urlTarget = std::make_unique<TUrlTarget>();
        urlTarget->Assign(a.Url, a.Target);
        return true;
    }
    return false;
}

}  // namespace htmlview
