#include "htmlview/blocks/HorzLine.h"

#include "htmlview/blocks/Spaces.h"
#include "htmlview/layout/Canvas.h"
#include "htmlview/layout/SectionList.h"
#include "htmlview/tokenizer/HtmlTables.h"
#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Text.h"

#include <algorithm>

namespace htmlview {

THorzLine::THorzLine(const TAttributeList* attributes) {
    if (!attributes) return;
    for (int i = 0; i < attributes->Count(); ++i) {
        const TAttribute* a = (*attributes)[i];
        switch (a->Symbol) {
            case attrALIGN: {
                const std::string v = platform::AsciiLower(a->Text.substr(0, 10));
                if (v == "left") Align = 1;
                else if (v == "right") Align = 3;
                break;
            }
            case attrWIDTH:
                if (a->NumValue > 0) {
                    if (a->Text.find('%') == std::string::npos) {
                        RuleWidth = std::min(a->NumValue, 32000);  // no wider than a view, so no sum overflows
                    } else {
                        WidthInPercent = true;
                        if (a->NumValue <= 100) RuleWidth = a->NumValue;
                    }
                }
                break;
            case attrSIZE:
                if (a->NumValue >= 1 && a->NumValue <= 20) Thickness = a->NumValue;
                break;
            case attrCOLOR: {
                TColor c = 0;
                HasColor = ParseColor(a->Text, c);
                Color = c;
                break;
            }
            case attrNOSHADE:
                NoShade = true;
                break;
            default:
                break;
        }
    }
}

void THorzLine::CopySelected() { CopyEmptyLine(Document); }

void THorzLine::RefreshSize() { FlowHeight = ScaledHeight(Document, 20) + Thickness - 2; }

int THorzLine::Paint(TCanvas& canvas, const QRect& clipRect, IndentManager& indents, int x, int y) {
    const int result = TSectionBase::Paint(canvas, clipRect, indents, x, y);
    const int screenY = y - (Document ? Document->ScrollY : 0);
    if (screenY + FlowHeight < clipRect.top() || screenY > clipRect.bottom()) return result;
    const int left = indents.LeftAt(y), right = indents.RightAt(y);
    const int top = screenY + (FlowHeight - Thickness) / 2;
    int x1, x2;
    if (RuleWidth < 0) {
        x1 = left + 10;
        x2 = right - 10;
    } else {
        const int w = WidthInPercent ? MulDiv(right - left, RuleWidth, 100) : RuleWidth;
        x1 = Align == 1 ? left : Align == 3 ? right - w : left + (right - left - w) / 2;
        x2 = x1 + w;
    }
    if (x2 <= x1) return result;
    if (HasColor) {
        canvas.BrushColor = Color | kPaletteRelative;
        canvas.FillRect(QRect(x1, top, x2 - x1, Thickness));
        return result;
    }
    const bool white = Document && Document->BackgroundIsWhite();
    const TColor upper = NoShade ? clBlack : clBtnShadow;
    const TColor lower = NoShade ? clBlack : white ? clSilver : clBtnHighlight;
    const int bottom = top + Thickness - 1;
    canvas.PenColor = upper;
    canvas.Line(x1, bottom, x1, top);
    canvas.Line(x1, top, x2 - 1, top);
    canvas.PenColor = lower;
    canvas.Line(x2 - 1, top, x2 - 1, bottom);
    canvas.Line(x2 - 1, bottom, x1 - 1, bottom);
    return result;
}

}  // namespace htmlview
