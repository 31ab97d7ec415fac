#include "htmlview/layout/Fonts.h"

#include <algorithm>

#include "htmlview/layout/TextMetrics.h"
#include "htmlview/util/HtmlUtils.h"

namespace htmlview {

void TMyFont::Assign(const TFont& source) {
    if (auto* my = dynamic_cast<const TMyFont*>(&source)) {
        NominalSize = my->NominalSize;
        Fixed = my->Fixed;
    }
    TFont::Assign(source);
}

void TMyFont::SetNominalSize(const TDocumentFonts& document, int n) {
    NominalSize = n;
    SetSize(MulDiv(document.BaseFontSize, n, 12));
}

void TMyFont::Refresh(const TDocumentFonts& document, TColor colour) {
    SetName(Fixed ? document.FixedFontName : document.BodyFontName);
    SetCharset(document.FontCharset);
    SetSize(MulDiv(document.BaseFontSize, NominalSize, 12));
    SetColor(colour | kPaletteRelative);
}

TFontObj::TFontObj(const TMyFont& font, int pos) : Pos(pos), TheFont(std::make_unique<TMyFont>(font)) {
    TheFont->OnChange = [this] { UpdateMetrics(); };
    UpdateMetrics();
}

void TFontObj::UpdateMetrics() {
    TTextMetric m = ScreenMetrics().Metrics(*TheFont);
    FontHeight = m.Height + m.ExternalLeading;
    TextHeight = m.Height;
    Overhang = m.Overhang;
    Descent = m.Descent;
}

void TFontObj::Refresh(const TDocumentFonts& document) {
    TheFont->Refresh(document, IsLink() ? document.LinkColor : document.TextColor);
}

void TFontList::RefreshAll(const TDocumentFonts& document) {
    for (int i = 0; i < Count(); ++i) Items(i)->Refresh(document);
}

// Runs start in text order, so the run at a position is found by halving:
// a paragraph of many runs costs no walk over them per lookup.
int TFontList::FirstAfter(int pos) const {
    int lo = 0, hi = Count();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (Items(mid)->Pos > pos) hi = mid;
        else lo = mid + 1;
    }
    return lo;
}

TFontObj* TFontList::GetRunAt(int pos, int& index) const {
    index = std::max(0, FirstAfter(pos) - 1);
    return Count() ? Items(index) : nullptr;
}

TMyFont* TFontList::GetFontAt(int pos, int& overhang) const {
    TFontObj* run = GetRunAt(pos);
    if (!run) return nullptr;
    overhang = run->Overhang;
    return run->TheFont.get();
}

int TFontList::GetRunLength(int pos, int len) const {
    const int next = FirstAfter(pos);
    return next < Count() ? Items(next)->Pos - pos : len - pos;
}

}  // namespace htmlview
