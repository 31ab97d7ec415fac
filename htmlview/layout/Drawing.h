#pragma once
// Painting helpers shared by images, rules and tables.
#include <string>

namespace htmlview {

class TCanvas;
class TSectionList;

// Width of the first Count bytes of Text in the canvas font.
int TextWidthOf(TCanvas& canvas, const std::string& text, int count);

// Draws Text word-wrapped into the rectangle, one line of the height of
// "A" at a time while a whole line fits; a word wider than the rectangle
// stands alone on its line and is clipped.
void WrapTextInRect(TCanvas& canvas, int left, int top, int right, int bottom, const std::string& text);

// A one-pixel 3-D rectangle: left and top edges in the first colour, right
// and bottom in the second; Raised puts the light colour first.
void Draw3DBorder(const TSectionList* document, TCanvas& canvas, int x1, int y1, int x2, int y2, bool raised);

}  // namespace htmlview
