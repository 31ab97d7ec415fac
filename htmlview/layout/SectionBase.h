#pragma once
// The block contract. A parsed document is a tree of blocks; every block
// derives from TSectionBase and answers these operations. Coordinates: Y of
// Arrange and Paint is the block's top in document coordinates; the hit
// tests take Y relative to the block's top. Every block occupies CharCount
// positions of the document's running character index from FirstChar on.
#include "htmlview/util/Attributes.h"
#include "htmlview/util/HtmlSymbols.h"
#include "platform/core/runtime/Exception.h"

#include <QRect>
#include <memory>
#include <string_view>

namespace htmlview {

class TCanvas;
class TCell;
class TFormControlObj;
class TImageObj;
class TSectionList;
class IndentManager;

// A block that cannot be laid out; the cell drops it and the document
// reports the message after layout.
class EProcessError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

class TSectionBase {
public:
    TSectionBase() = default;
    TSectionBase(const TSectionBase&) = delete;
    TSectionBase& operator=(const TSectionBase&) = delete;
    virtual ~TSectionBase() = default;

    TSectionList* Document = nullptr;  // set when the block is added to a cell
    // The cell that owns the block (set when it is added): what the block
    // places inside it (form controls) reads the cell through this, never
    // through a pointer of its own that could outlive the cell.
    TCell* OwnerCell = nullptr;
    int FlowHeight = 0;   // vertical space taken in the flow
    int PaintHeight = 0;  // what painting and hit tests cover (>= FlowHeight)
    int TopY = 0;
    int FirstChar = 0;
    int CharCount = 0;

    // Writes the selected part of the block to the document's text sink.
    virtual void CopySelected() {}
    // Lays the block out at Y; advances CharIndex; reports the widest content.
    virtual int Arrange(TCanvas& canvas, int y, int& charIndex, int& maxWidth, IndentManager& indents);
    // Paints at (X, Y) and returns the Y of the next block.
    virtual int Paint(TCanvas& canvas, const QRect& clipRect, IndentManager& indents, int x, int y);
    // A link or image-submit control under a point; a found target is the caller's.
    virtual bool LinkAtPoint(TCanvas& canvas, int x, int y, TFormControlObj*& formImage,
                             std::unique_ptr<TUrlTarget>& urlTarget);
    virtual bool ImageAtPoint(int x, int y, int& ix, int& iy, TImageObj*& image);
    // The character index at a point, -1 when none; a block holding cells
    // sets Cell to the innermost cell that answered.
    virtual int IndexAtPoint(TCanvas& canvas, int x, int y, bool& inText, int& caretHeight, int& caretY,
                             int& caretX, TCell*& cell);
    // The first occurrence of Text at or after index From; -1 when none.
    virtual int Search(int from, std::string_view text, bool matchCase);
    virtual bool PointOfIndex(TCanvas& canvas, int index, int& y, int& x);
    virtual bool CharAtIndex(int index, char& ch, TSectionBase*& block);
    // Re-derives fonts from the document defaults, then RefreshSize.
    virtual void RefreshFonts() { RefreshSize(); }
    // Recomputes size-dependent values (on attaching and on a new base font size).
    virtual void RefreshSize() {}
    virtual void WidthLimits(TCanvas& canvas, int& min, int& max);
    // Moves a laid-out block down by DY pixels and on by DChars characters,
    // as if it had been laid out there (layout does not depend on where).
    virtual void Shift(int dy, int dChars) {
        TopY += dy;
        FirstChar += dChars;
    }
};

}  // namespace htmlview
