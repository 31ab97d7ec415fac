#pragma once
// Document fonts and font runs. A run (TFontObj) says which font, colour,
// link and sub/superscript state apply from its Pos on in a text section;
// TFontList keeps a section's runs in ascending Pos, the first at 0.
#include "htmlview/layout/Font.h"
#include "htmlview/util/Attributes.h"
#include "htmlview/util/FreeList.h"

#include <memory>
#include <string>

namespace htmlview {

// What fonts take from the document (the document root holds these).
struct TDocumentFonts {
    int BaseFontSize = 12;  // every nominal size scales by this over 12
    std::string BodyFontName = "Times New Roman";
    std::string FixedFontName = "Courier New";
    TColor TextColor = clBtnText;
    TColor LinkColor = 0xFF0000;
    int FontCharset = 1;
};

// The parser's inline state that font runs take over: style flags and
// 0 normal, 1 subscript, 2 superscript.
struct TInlineState {
    TFontStyles StyleFlags = 0;
    int SubSupMode = 0;
};

class TMyFont : public TFont {
public:
    TMyFont() = default;
    TMyFont(const TMyFont& o) : TFont(o), NominalSize(o.NominalSize), Fixed(o.Fixed) {}
    TMyFont& operator=(const TMyFont& o) {
        Assign(o);
        return *this;
    }

    int NominalSize = 12;  // points at a base size of 12
    bool Fixed = false;    // the font of preformatted text

    void Assign(const TFont& source) override;
    void SetNominalSize(const TDocumentFonts& document, int n);
    void Refresh(const TDocumentFonts& document, TColor colour);
};

class TFontObj {
public:
    // Takes a copy of Font; metrics follow every change of the font.
    TFontObj(const TMyFont& font, int pos);
    TFontObj(const TFontObj&) = delete;
    TFontObj& operator=(const TFontObj&) = delete;

    int Pos;
    std::unique_ptr<TMyFont> TheFont;
    int FontHeight = 0;  // text height + external leading
    int TextHeight = 0;
    int Overhang = 0;
    int Descent = 0;
    std::uint8_t SubSup = 0;
    TUrlTarget UrlTarget;

    void UpdateMetrics();
    void Refresh(const TDocumentFonts& document);
    int GetOverhang() const { return Overhang; }
    int GetHeight(int& descent) const {
        descent = Descent;
        return FontHeight;
    }
    bool IsLink() const { return !UrlTarget.LinkUrl.empty(); }
};

// A section's runs, in the order (and at the positions) their text starts.
class TFontList : public TFreeList<TFontObj> {
public:
    void RefreshAll(const TDocumentFonts& document);
    TMyFont* GetFontAt(int pos, int& overhang) const;
    // Characters from Pos to the next run; for the last run, Len - Pos.
    int GetRunLength(int pos, int len) const;
    TFontObj* GetRunAt(int pos, int& index) const;
    TFontObj* GetRunAt(int pos) const {
        int i;
        return GetRunAt(pos, i);
    }

private:
    int FirstAfter(int pos) const;  // index of the first run that starts after Pos (Count() when none)
};

}  // namespace htmlview
