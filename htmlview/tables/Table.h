#pragma once
// ThtmlTable: the block of a TABLE element. Rows of cells (each a TCellObj
// whose content is a TCell) and a caption; spans are expanded into a
// regular grid of at most 30 columns, column widths come from the cells'
// minimum and maximum widths with pixel and percentage wishes.
#include "htmlview/layout/Cell.h"
#include "htmlview/layout/SectionBase.h"
#include "htmlview/util/Colors.h"
#include "htmlview/util/FreeList.h"

#include <QRegion>
#include <array>
#include <memory>
#include <vector>

namespace htmlview {

constexpr int kMaxTableColumns = 30;
using TColumnArray = std::array<int, kMaxTableColumns + 1>;

// One table row; owns its cells (span fillers have no content).
class TCellList : public TFreeList<TCellObj> {
public:
    int RowHeight = 0;
    int SpanHeight = 0;  // the tallest cell that starts in the row, with its row span
    bool HasBackColor = false;
    TColor BackColor = 0;

    // TR's attributes: BGCOLOR only.
    void SetAttributes(const TAttributeList& attributes);
};

class ThtmlTable : public TSectionBase {
public:
    ThtmlTable(TSectionList* document, int level, TCell* outerCell, int justify, const TAttributeList* attributes);

    TFreeList<TCellList> Rows;
    std::unique_ptr<TCellObj> Caption;
    bool Ready = false;
    bool Border = false;
    bool CaptionOnTop = true;
    int BodyIndent = 0;
    int Indent = 0;
    int Justify;
    bool Floating = false;
    int NumCols = 0;
    int TableWidth = 0;
    int TotalWidth = 0;
    int WantWidth = 0;  // pixels, or tenths of a percent with WidthInTenths
    bool WidthInTenths = false;
    bool HasPixelCells = false;
    int CaptionHeight = 0;
    int BodyHeight = 0;
    int CellPadding = 1;
    int CellSpacing = 2;
    int CaptionMinWidth = 0;
    TColumnArray Widths{};
    TColumnArray Percents{};  // tenths of a percent
    int HSpace = 5;
    int Level;
    int DrawX = 0;
    int DrawY = 0;
    int CaptionDrawX = 0;
    bool HasBackColor = false;
    TColor BackColor = 0;
    bool HasBorderColor = false;
    TColor BorderColor = 0;
    TCell* OuterCell;

    // Expands the spans once; more than 30 columns raise EProcessError.
    void Initialize();

    int Arrange(TCanvas& canvas, int y, int& charIndex, int& maxWidth, IndentManager& indents) override;
    int Paint(TCanvas& canvas, const QRect& clipRect, IndentManager& indents, int x, int y) override;
    void WidthLimits(TCanvas& canvas, int& min, int& max) override;
    bool LinkAtPoint(TCanvas& canvas, int x, int y, TFormControlObj*& formImage,
                     std::unique_ptr<TUrlTarget>& urlTarget) override;
    bool ImageAtPoint(int x, int y, int& ix, int& iy, TImageObj*& image) override;
    int IndexAtPoint(TCanvas& canvas, int x, int y, bool& inText, int& caretHeight, int& caretY, int& caretX,
                     TCell*& cell) override;
    int Search(int from, std::string_view text, bool matchCase) override;
    bool PointOfIndex(TCanvas& canvas, int index, int& y, int& x) override;
    bool CharAtIndex(int index, char& ch, TSectionBase*& block) override;
    void CopySelected() override;
    void RefreshFonts() override;
    void Shift(int dy, int dChars) override;

    // Column minimum and maximum widths without percentages.
    void SimpleWidths(TCanvas& canvas, TColumnArray& minArr, TColumnArray& maxArr, int& totalMin, int& totalMax);
    // The same with percentages; pixel widths count as a share of Denominator.
    void PercentWidths(TCanvas& canvas, int denominator, TColumnArray& minArr, TColumnArray& maxArr,
                       int& totalMin, int& totalMax);
    void FitSimple(int width, const TColumnArray& minArr, const TColumnArray& maxArr, int totalMin, int totalMax);
    // A table of given width: percent columns get their share.
    void FitPercents(int width, const TColumnArray& minArr, const TColumnArray& maxArr);
    // A table of automatic width with percent columns: true when Width lets
    // every column have its maximum at its share (the widths are set); else
    // the percentages that cannot be met are dropped or scaled down, the
    // rest become fixed limits, and the caller fits between the limits.
    bool FitAutoPercents(int width, TColumnArray& minArr, TColumnArray& maxArr, int& totalMin, int& totalMax);
    // Each column between its minimum and maximum, in proportion.
    void FitBetweenLimits(int width, const TColumnArray& minArr, const TColumnArray& maxArr, int totalMin,
                          int totalMax);

private:
    // Visits every cell with content, single-column cells first, then by
    // growing span, with its width limits padded by cell padding and spacing.
    template <typename Visit>
    void visitCellsBySpan(TCanvas& canvas, Visit visit);

    // Cell content offset from the row top.
    int contentTop(const TCellObj& cell) const { return CellSpacing + CellPadding + cell.ContentOffset; }
    int contentWidth(const TCellObj& cell) const {
        return std::max(0, cell.CellWidth - CellSpacing - 2 * CellPadding);
    }
    int columnX(int column) const;
    // Widths of the columns for an inner width.
    void ChooseWidths(TCanvas& canvas, int inner);
    // Measures and places every row from y; the body's height without spacing.
    int arrangeRows(TCanvas& canvas, int y, int& charIndex);
    void setCellWidths(TCellList& row);
    // Lays out the row's cells that span Span rows; the height they ask of the row(s).
    int measureRow(TCanvas& canvas, TCellList& row, int span);
    // Every row's height, in passes by row span.
    void measureRowHeights(TCanvas& canvas, std::vector<int>& heights);
    void arrangeRow(TCellList& row, int y, int& charIndex);
    void paintRow(TCanvas& canvas, const QRect& clipRect, TCellList& row, int y, QRegion* borderRegion);
    // The cell under a point of the body (Y relative to the body's top);
    // RowTop is the cell's row top relative to the body.
    TCellObj* cellAt(int x, int y, int& rowTop) const;
    // Where a point relative to the table lands: the caption's or a body
    // cell's content, with Y relative to that content.
    TCell* contentAt(int x, int y, int& contentY) const;
    template <typename F>
    bool visitCells(F&& f);

    int maxRowSpan_ = 1;  // the longest row span, known after Initialize
};

}  // namespace htmlview
