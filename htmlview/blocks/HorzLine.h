#pragma once
// THorzLine: the HR rule, a solid bar in its colour or a 3-D groove.
#include "htmlview/layout/SectionBase.h"
#include "htmlview/util/Colors.h"

namespace htmlview {

class THorzLine : public TSectionBase {
public:
    explicit THorzLine(const TAttributeList* attributes);

    int Thickness = 2;
    int RuleWidth = -1;  // -1: not given
    int Align = 2;       // 1 left, 2 centre, 3 right
    bool HasColor = false;
    TColor Color = 0;
    bool NoShade = false;
    bool WidthInPercent = false;

    void CopySelected() override;
    int Paint(TCanvas& canvas, const QRect& clipRect, IndentManager& indents, int x, int y) override;
    void RefreshSize() override;
};

}  // namespace htmlview
