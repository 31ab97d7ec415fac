#include "htmlview/layout/Drawing.h"

#include "htmlview/layout/Canvas.h"
#include "htmlview/layout/SectionList.h"
#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Text.h"

namespace htmlview {

int TextWidthOf(TCanvas& canvas, const std::string& text, int count) {
    if (count <= 0) return 0;
    return canvas.TextWidth(std::string_view(text).substr(0, static_cast<size_t>(count)));
}

void WrapTextInRect(TCanvas& canvas, int left, int top, int right, int bottom, const std::string& text) {
    const int lineHeight = canvas.TextHeight("A");
    const QRect clip(QPoint(left, top), QPoint(right - 1, bottom - 1));
    const bool baseline = canvas.TextBaseline;
    canvas.TextBaseline = false;
    std::string rest = text, line;
    int y = top;
    while (!rest.empty() && y + lineHeight <= bottom) {
        rest = platform::TrimControls(rest);
        if (rest.empty()) break;
        size_t sp = rest.find(' ');
        std::string word = sp == std::string::npos ? rest : rest.substr(0, sp);
        rest = sp == std::string::npos ? std::string() : rest.substr(sp + 1);
        if (canvas.TextWidth(line + word) > right - left) {
            if (!line.empty()) {
                canvas.TextOutClipped(clip, left, y, line);
                y += lineHeight;
            }
            line = word + " ";
        } else {
            line += word + " ";
        }
    }
    if (!line.empty() && y + lineHeight <= bottom) canvas.TextOutClipped(clip, left, y, line);
    canvas.TextBaseline = baseline;
}

void Draw3DBorder(const TSectionList* document, TCanvas& canvas, int x1, int y1, int x2, int y2, bool raised) {
    const bool white = document && document->BackgroundIsWhite();
    const TColor light = white ? clSilver : clBtnHighlight;
    const TColor dark = clBtnShadow;
    const TColor first = raised ? light : dark, second = raised ? dark : light;
    canvas.PenColor = first;
    canvas.Line(x1, y2, x1, y1);
    canvas.Line(x1, y1, x2, y1);
    canvas.PenColor = second;
    canvas.Line(x2, y1, x2, y2);
    canvas.Line(x2, y2, x1, y2);
}

}  // namespace htmlview
