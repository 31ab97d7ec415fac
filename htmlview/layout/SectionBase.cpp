#include "htmlview/layout/SectionBase.h"

#include "htmlview/util/IndentManager.h"

namespace htmlview {

int TSectionBase::Arrange(TCanvas&, int, int& charIndex, int& maxWidth, IndentManager& indents) {
    FirstChar = charIndex;
    PaintHeight = FlowHeight;
    maxWidth = indents.Width;
    return FlowHeight;
}

int TSectionBase::Paint(TCanvas&, const QRect&, IndentManager&, int, int y) {
    TopY = y;
    return y + FlowHeight;
}

bool TSectionBase::LinkAtPoint(TCanvas&, int, int, TFormControlObj*&, std::unique_ptr<TUrlTarget>&) {
    return false;
}

bool TSectionBase::ImageAtPoint(int, int, int&, int&, TImageObj*&) { return false; }

int TSectionBase::IndexAtPoint(TCanvas&, int, int, bool&, int&, int&, int&, TCell*&) { return -1; }

int TSectionBase::Search(int, std::string_view, bool) { return -1; }

bool TSectionBase::PointOfIndex(TCanvas&, int, int&, int&) { return false; }

bool TSectionBase::CharAtIndex(int, char&, TSectionBase*&) { return false; }

void TSectionBase::WidthLimits(TCanvas&, int& min, int& max) {
    min = 0;
    max = 0;
}

}  // namespace htmlview
