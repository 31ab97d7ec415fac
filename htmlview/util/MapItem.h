#pragma once
// A client-side image map (MAP element): one region per AREA with its URL
// and target, tried in the order the areas were added.
#include "htmlview/util/Attributes.h"

#include <QRegion>
#include <memory>
#include <string>
#include <vector>

namespace htmlview {

class TMapItem {
public:
    std::string Name;
    struct Area {
        std::string Url;
        std::string Target;
        QRegion Region;
    };
    std::vector<Area> Areas;  // UrlRegions and UrlTargets, index for index

    // Adds the area an AREA tag describes; too few coordinates add nothing.
    void AppendArea(const TAttributeList& attributes);
    // The first area holding (X, Y) decides: a URL gives a new target
    // (owned by the caller), a NOHREF area gives false.
    bool HitTest(int x, int y, std::unique_ptr<TUrlTarget>& urlTarget) const;
};

// Comma-separated numbers as AREA COORDS gives them (at most 201).
std::vector<int> ParseCoords(const std::string& text);

}  // namespace htmlview
