#pragma once
// TSection: running text with inline images (placeholder 4) and form
// controls (placeholder 2), its font runs, and the lines layout breaks it
// into against the floats and list indents of its cell.
#include "htmlview/layout/Fonts.h"
#include "htmlview/layout/FormControls.h"
#include "htmlview/layout/ImageObj.h"
#include "htmlview/layout/SectionBase.h"

#include <memory>
#include <string>
#include <vector>

namespace htmlview {

class TCanvas;

constexpr char kImageChar = 4;
constexpr char kControlChar = 2;
constexpr int kListIndent = 35;
constexpr int kMaxSectionText = 20000;

class LineRec {
public:
    int Start = 0;
    int SpaceBefore = 0;
    int SpaceAfter = 0;
    int LineHt = 0;
    int DrawHt = 0;
    int Ln = 0;
    int Descent = 0;
    int LineIndent = 0;
    int DrawX = 0;
    int DrawY = 0;
    int Total() const { return SpaceBefore + LineHt + SpaceAfter; }
};

class TSection : public TSectionBase {
public:
    // Level: list nesting; Align: 1 left, 2 centre, others right. The first
    // run is a copy of Font with the inline style added and the link of
    // UrlTarget; State's sub/superscript mode goes back to normal.
    TSection(int level, int align, const TUrlTarget* urlTarget, const TMyFont& font, TInlineState& state);
    ~TSection() override;

    std::string Buff;  // CharCount bytes of text and placeholders
    TFontList Fonts;
    TImageObjList Images;
    TFormControlList FormControls;
    // INPUT TYPE=hidden made here: no place in the text, but they leave the
    // page with the section like the others.
    std::vector<TFormControlObj*> HiddenControls;
    int Level;
    int Indent;
    int ListNumber = 0;
    TFreeList<LineRec> Lines;
    std::unique_ptr<TMyFont> MarkerFont;
    std::uint8_t ListType = 0;  // 0 none, 1 numbered, 2 bulleted, 3 no marker
    std::uint8_t Align;
    std::uint8_t ClearAttr = 0;  // 0 none, 1 left, 2 right, 3 both
    int LeftX = 0;
    // Set by the list item classes: the numbering style ('A', 'a', 'I', 'i',
    // anything else decimal) and whether a bullet is suppressed.
    char NumberStyle = '1';
    bool Plain = false;

    virtual void AppendText(std::string_view s);
    // An empty section gets one space so that it has a line; returns Align.
    int EnsureText();
    void ReserveBuffer(int size) { Buff.reserve(static_cast<size_t>(size > 0 ? size : 0)); }
    void ChangeFont(const TDocumentFonts& document, const TMyFont& font, const TInlineState& state);
    void ChangeFontAndLink(bool isLinkStart, const TDocumentFonts& document, const TMyFont& font,
                           const TUrlTarget* urlTarget, const TInlineState& state);
    // BR's CLEAR: only when the attribute is given.
    void SetClear(const TAttributeList& attributes);
    TImageObj* AddImage(const TAttributeList* attributes, TCell* cell);
    // Puts a control made by the form code at the end of the text; hidden
    // controls take no place.
    void AddFormControl(TFormControlObj* control);

    void CopySelected() override;
    int Arrange(TCanvas& canvas, int y, int& charIndex, int& maxWidth, IndentManager& indents) override;
    int Paint(TCanvas& canvas, const QRect& clipRect, IndentManager& indents, int x, int y) override;
    bool LinkAtPoint(TCanvas& canvas, int x, int y, TFormControlObj*& formImage,
                     std::unique_ptr<TUrlTarget>& urlTarget) override;
    bool ImageAtPoint(int x, int y, int& ix, int& iy, TImageObj*& image) override;
    int IndexAtPoint(TCanvas& canvas, int x, int y, bool& inText, int& caretHeight, int& caretY, int& caretX,
                     TCell*& cell) override;
    int Search(int from, std::string_view text, bool matchCase) override;
    bool PointOfIndex(TCanvas& canvas, int index, int& y, int& x) override;
    bool CharAtIndex(int index, char& ch, TSectionBase*& block) override;
    void RefreshFonts() override;
    void WidthLimits(TCanvas& canvas, int& min, int& max) override;
    void Shift(int dy, int dChars) override;

    // Characters from Start (at most Count) that fit Width; places floats met at the line's start.
    int FitChars(TCanvas& canvas, int width, int start, int count, int y, int& floatHeight,
                 std::vector<TImageObj*>& laterFloats, IndentManager& indents);
    // Characters from Start (at most Count) whose width fits Width (hit tests).
    int FitCount(TCanvas& canvas, int width, int count, int start);
    int TextWidth(TCanvas& canvas, int start, int count, bool stripTrailing);
    void AddFloat(IndentManager& indents, int y, TImageObj* image);
    // Space a CLEAR needs below Y.
    int ClearSpace(const IndentManager& indents, int y) const;
    // The marker text of a numbered item ("3.", "C.", "iii.").
    std::string NumberMarker() const;

protected:
    // The width a line may take at Y.
    virtual int AvailableWidth(const IndentManager& indents, int y) const;
    virtual bool Preformatted() const { return false; }

private:
    int pieceEnd(int i, int end) const;
    int pieceWidth(TCanvas& canvas, int start, int len);
    // The longest prefix of a piece whose width fits Avail (its width in Width).
    int fitPrefix(TCanvas& canvas, int start, int len, int avail, int& width);
    // The next line of this layout: a record of the last layout, emptied, while
    // there is one, so that laying out again allocates nothing.
    LineRec& nextLine();
    void finishLine(TCanvas& canvas, IndentManager& indents, int start, int n, int& y, int floatHeight,
                    std::vector<TImageObj*>& laterFloats);
    void paintMarker(TCanvas& canvas, int x, int y, const LineRec& line);
    int selectionRun(int p, bool& selected) const;
    bool onlyFloatingImages() const;

    int linesUsed_ = 0;       // records of Lines filled by the running layout
    int floatingImages_ = 0;  // of Images, counted as they are added (alignment is fixed then)
};

// Preformatted text: appended as it stands, never broken for width.
class TPreFormated : public TSection {
public:
    using TSection::TSection;
    void AppendText(std::string_view s) override;
    int Arrange(TCanvas& canvas, int y, int& charIndex, int& maxWidth, IndentManager& indents) override;
    void WidthLimits(TCanvas& canvas, int& min, int& max) override;

protected:
    int AvailableWidth(const IndentManager&, int) const override { return 32000; }
    bool Preformatted() const override { return true; }
};

}  // namespace htmlview
