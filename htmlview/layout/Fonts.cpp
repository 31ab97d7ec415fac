#include "htmlview/layout/Fonts.h"

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

TFontObj* TFontList::GetRunAt(int pos, int& index) const {
    index = 0;
    for (int i = 1; i < Count(); ++i) {
        if (Items(i)->Pos > pos) break;
        index = i;
    }
    return Count() ? Items(index) : nullptr;
}

TMyFont* TFontList::GetFontAt(int pos, int& overhang) const {
    TFontObj* run = GetRunAt(pos);
    if (!run) return nullptr;
    overhang = run->Overhang;
    return run->TheFont.get();
}

int TFontList::GetRunLength(int pos, int len) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Pos > pos) return Items(i)->Pos - pos;
    return len - pos;
}

}  // namespace htmlview
