#pragma once
// TCell: blocks laid out one below the other (the document root, a table
// cell, a caption). Hit tests take Y relative to the cell's top.
// TCellObj: a table cell, a TCell with the cell's attributes.
#include "htmlview/layout/SectionBase.h"
#include "htmlview/util/Colors.h"
#include "htmlview/util/FreeList.h"
#include "htmlview/util/IndentManager.h"

#include <memory>

namespace htmlview {

class TAttributeList;

class TCell : public TFreeList<TSectionBase> {
public:
    explicit TCell(TSectionList* document);
    ~TCell() override;

    TSectionList* Document;
    int TopY = 0;
    int FirstChar = 0;
    int CharCount = 0;
    std::unique_ptr<IndentManager> Indents;
    bool HasBackColor = false;
    TColor BackColor = 0;

    // Adds a block built by the parser (nullptr is ignored) and attaches it.
    void AddBlock(TSectionBase* block);
    virtual int Arrange(TCanvas& canvas, int y, int width, int& charIndex, int& maxWidth);
    virtual void WidthLimits(TCanvas& canvas, int& min, int& max);
    virtual int Paint(TCanvas& canvas, const QRect& clipRect, int x, int y, int clipWidth);
    virtual bool LinkAtPoint(TCanvas& canvas, int x, int y, TFormControlObj*& formImage,
                             std::unique_ptr<TUrlTarget>& urlTarget);
    void RefreshFonts();
    // The block whose flow band holds Y; nullptr past the last one.
    TSectionBase* BlockAtY(int y, int& blockTop, int& blockIndex) const;
    bool ImageAtPoint(int x, int y, int& ix, int& iy, TImageObj*& image);
    int IndexAtPoint(TCanvas& canvas, int x, int y, bool& inText, int& caretHeight, int& caretY, int& caretX,
                     TCell*& cell);
    int Search(int from, std::string_view text, bool matchCase);
    bool PointOfIndex(TCanvas& canvas, int index, int& y, int& x);
    bool CharAtIndex(int index, char& ch, TSectionBase*& block);
    void CopySelected();
    // Moves the laid-out cell and its blocks (see TSectionBase::Shift).
    void Shift(int dy, int dChars);
};

class TCellObj {
public:
    TCellObj(TSectionList* document, const TAttributeList* attributes, int vertAlign);

    int SpanCols = 1;
    int SpanRows = 1;
    int CellWidth = 0;
    int CellHeight = 0;
    int ContentHeight = 0;
    int WantHeight = 0;
    int ContentOffset = 0;
    int VertAlign = 0;  // 0 top, 1 middle, 2 bottom
    int WantWidth = 0;  // pixels, or tenths of a percent with WidthInTenths
    bool WidthInTenths = false;
    std::unique_ptr<TCell> Content;

    void RefreshFonts() { Content->RefreshFonts(); }
};

}  // namespace htmlview
