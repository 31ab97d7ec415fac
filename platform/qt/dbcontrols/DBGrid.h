#pragma once
// A read-only data grid over a dataset, as the class library's data grid:
// it shows a window of records around the current one with the current one
// marked, and moves the dataset when the user picks another row (click,
// keys, wheel, scroll bar), so the dataset's after-scroll event fires. It
// follows every change of the dataset through its data link; it never reads
// more records than it shows.
#include <QAbstractScrollArea>
#include <QFontMetrics>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/qt/dbcontrols/DataLink.h"
#include "platform/tables/FieldDefs.h"

namespace platform {

struct TColumn {
    std::string FieldName;
    std::string Title;  // "" = the field name
};

class TDBGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr);

    void SetDataSet(TDataSet* dataSet) { link_.SetDataSet(dataSet); }
    TDataSet* DataSet() const { return link_.DataSet(); }
    void SetColumns(std::vector<TColumn> columns);
    const std::vector<TColumn>& Columns() const { return columns_; }

    // Fitted to its width, the grid never scrolls sideways: when its columns
    // are wider than the grid, they shrink (each to no less than a few
    // characters) and their texts end with an ellipsis. Grids that show the
    // same records side by side then keep the same height of rows, so
    // their rows line up.
    void SetFitToWidth(bool fit);

    // How many characters a column of this field type and size is laid out
    // for before its content is known (a wider title or content widens it).
    static int TypicalCharacters(TFieldType type, int size);

    // A click on a row (after the dataset moved to it).
    std::function<void()> OnCellClick;

    // The texts of the rows on show, by column, and the index of the current one.
    std::vector<std::vector<std::string>> VisibleRows();
    int ActiveRow();
    int VisibleRowCount() const;
    // Width in pixels of column i as laid out (content and title fit, or
    // shrunk to the grid's width).
    int ColumnWidth(int i);
    int RowAt(int y) const;  // -1: header or below the rows

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void DataChanged();
    void Fill();
    void FitColumns();
    // The advance of a value's text in the grid's font, measured once while the font stays.
    int Advance(const QFontMetrics& fm, const TValue& value);
    // widths_ as laid out: shrunk to the viewport when fitted to it.
    std::vector<int> LaidOutWidths() const;
    int MinimumColumnWidth() const;
    void UpdateScrollBars();
    void Move(const std::function<void(TDataSet&)>& step);
    int RowHeight() const;
    int HeaderHeight() const;
    int IndicatorWidth() const { return 14; }

    std::vector<TColumn> columns_;
    std::vector<int> fieldIndex_;  // per column; -1 when the field is absent
    std::vector<int> widths_;      // grow with the content, reset on open
    std::vector<TRecord> rows_;
    // Cell values repeat from row to row and fill to fill, and writing and
    // shaping their texts costs far more than looking them up: advances by
    // value (a number by its bits: -0 writes another text than 0), valid
    // for the metrics they were measured with.
    struct ValueHash {
        size_t operator()(const TValue& v) const;
    };
    struct SameValue {
        bool operator()(const TValue& a, const TValue& b) const;
    };
    std::unordered_map<TValue, int, ValueHash, SameValue> advances_;
    std::optional<QFontMetrics> measuredWith_;
    std::vector<bool> numeric_;
    TDataLink link_;
    bool dirty_ = true;
    bool wasOpen_ = false;
    bool updatingBars_ = false;
    bool fitToWidth_ = false;
    int active_ = 0;   // row of the current record in the window
    int recNo_ = 0;    // current record number at the last fill
    int count_ = 0;
};

}  // namespace platform
