#pragma once
// TCanvas: where the viewer measures and draws. Measuring goes through a
// TextMetrics; drawing through a QPainter on the control's off-screen image
// when one is given (a canvas without a painter only measures). Tests can
// ask for a log of the text drawn.
#include "htmlview/layout/Font.h"
#include "htmlview/layout/TextMetrics.h"

#include <QRect>
#include <QRegion>
#include <string>
#include <string_view>
#include <vector>

class QPainter;
class QImage;

namespace htmlview {

class TCanvas {
public:
    explicit TCanvas(TextMetrics& metrics, QPainter* painter = nullptr);

    TextMetrics& Metrics;
    QPainter* Painter;

    TFont Font;
    TColor PenColor = clBlack;
    TColor BrushColor = clWhite;
    bool BrushClear = false;  // text and shapes leave the background as it is
    bool TextBaseline = false;  // y of TextOut is the baseline, else the top

    int TextWidth(std::string_view text) { return Metrics.TextWidth(Font, text); }
    int TextHeight(std::string_view) { return Metrics.Metrics(Font).Height; }
    TTextMetric GetTextMetrics() { return Metrics.Metrics(Font); }

    // Text in Font.Color; the background is filled with BrushColor unless BrushClear.
    void TextOut(int x, int y, std::string_view text);
    // The same, clipped to Clip.
    void TextOutClipped(const QRect& clip, int x, int y, std::string_view text);
    void FillRect(const QRect& r);         // BrushColor, right and bottom edges excluded
    void FillRegion(const QRegion& r);     // BrushColor
    void Rectangle(const QRect& r);        // outline in PenColor, filled unless BrushClear
    void Ellipse(const QRect& r);
    void Line(int x1, int y1, int x2, int y2);  // PenColor, the last point excluded
    void DrawImage(const QRect& target, const QImage& image);

    struct TextRecord {
        int X, Y;
        std::string Text;
        TColor Color;
        bool Opaque;
        TColor Back;
        TFontStyles Style;
        int Size;
    };
    std::vector<TextRecord>* Log = nullptr;

private:
    void textOut(const QRect* clip, int x, int y, std::string_view text);
};

}  // namespace htmlview
