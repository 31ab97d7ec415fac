#include "platform/qt/dbcontrols/DBGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QWheelEvent>
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>

#include "platform/qt/qtglue/Guard.h"
#include "platform/tables/DataSet.h"
#include "platform/tables/Field.h"

namespace platform {

namespace {
constexpr int kCellPad = 6;
constexpr int kMaxColumnWidth = 420;
// Cell values whose advances a grid keeps; past it they are measured afresh.
constexpr size_t kMaxMeasured = 4096;
}  // namespace

TDBGrid::TDBGrid(QWidget* parent) : QAbstractScrollArea(parent), link_([this] { DataChanged(); }) {
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (updatingBars_) return;
        const int delta = value - (recNo_ - 1);
        if (delta != 0) Move([delta](TDataSet& ds) { ds.MoveBy(delta); });
    });
}

int TDBGrid::TypicalCharacters(TFieldType type, int size) {
    return type == TFieldType::ftString ? std::clamp(size, 3, 16) : 7;
}

void TDBGrid::SetFitToWidth(bool fit) {
    fitToWidth_ = fit;
    setHorizontalScrollBarPolicy(fit ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    updateGeometry();
    DataChanged();
}

void TDBGrid::SetColumns(std::vector<TColumn> columns) {
    columns_ = std::move(columns);
    widths_.clear();
    DataChanged();
}

int TDBGrid::RowHeight() const { return fontMetrics().height() + 6; }
int TDBGrid::HeaderHeight() const { return fontMetrics().height() + 8; }

int TDBGrid::VisibleRowCount() const {
    return std::max(1, (viewport()->height() - HeaderHeight()) / RowHeight());
}

QSize TDBGrid::sizeHint() const {
    int w = IndicatorWidth() + 2 * frameWidth();
    for (const auto& c : columns_) {
        const std::string& t = c.Title.empty() ? c.FieldName : c.Title;
        w += std::max(fontMetrics().horizontalAdvance(QString::fromStdString(t)),
                      fontMetrics().averageCharWidth() * 8) + 2 * kCellPad;
    }
    return {w, HeaderHeight() + 5 * RowHeight() + 2 * frameWidth()};
}

QSize TDBGrid::minimumSizeHint() const {
    int w = 80;
    if (fitToWidth_)  // every column keeps a few characters; narrower, the page scrolls instead
        w = IndicatorWidth() + static_cast<int>(columns_.size()) * MinimumColumnWidth() + 2 * frameWidth() +
            verticalScrollBar()->sizeHint().width();
    return {w, HeaderHeight() + 2 * RowHeight() + 2 * frameWidth()};
}

int TDBGrid::MinimumColumnWidth() const { return fontMetrics().averageCharWidth() * 4 + 2 * kCellPad; }

std::vector<int> TDBGrid::LaidOutWidths() const {
    int total = 0;
    for (int w : widths_) total += w;
    const int room = viewport()->width() - IndicatorWidth();
    if (!fitToWidth_ || total <= room || widths_.empty()) return widths_;
    // Each column gives up space in proportion to what it has above the floor.
    const int floor = MinimumColumnWidth();
    int spare = 0;
    for (int w : widths_) spare += std::max(0, w - floor);
    const int cut = std::min(total - room, spare);
    std::vector<int> out;
    int given = 0;
    for (size_t i = 0; i < widths_.size(); ++i) {
        const int above = std::max(0, widths_[i] - floor);
        const int take = spare > 0 ? static_cast<int>(static_cast<long long>(above) * cut / spare) : 0;
        out.push_back(widths_[i] - take);
        given += take;
    }
    // Rounding leaves a few pixels: the widest column gives them.
    auto widest = std::max_element(out.begin(), out.end());
    *widest = std::max(floor, *widest - (cut - given));
    return out;
}

void TDBGrid::DataChanged() {
    dirty_ = true;
    viewport()->update();
}

void TDBGrid::Fill() {
    if (!dirty_) return;
    dirty_ = false;
    std::vector<TRecord> previous = std::move(rows_);
    rows_.clear();
    TDataSet* ds = link_.DataSet();
    const bool open = ds && ds->Active();
    if (open && !wasOpen_) widths_.clear();  // a reopened query may hold other values
    wasOpen_ = open;
    try {
        fieldIndex_.assign(columns_.size(), -1);
        numeric_.assign(columns_.size(), false);
        if (open) {
            for (size_t i = 0; i < columns_.size(); ++i)
                if (TField* f = ds->FindField(columns_[i].FieldName)) {
                    fieldIndex_[i] = f->Index();
                    numeric_[i] = f->DataType() == TFieldType::ftFloat;
                }
        }
        if (!link_.HasRecord()) {
            count_ = recNo_ = active_ = 0;
        } else {
            const int visible = VisibleRowCount();
            // Counting every record before the current one costs a scan of
            // them; the grid needs exact figures only within its window, and
            // an estimate for the scroll bar elsewhere.
            const TGridPosition at = ds->GridPosition(visible);
            const int count = at.Count, recNo = at.RecNo;
            // The marker stays on a record still in the window; else it moves
            // by the distance the dataset moved.
            auto isCurrent = [ds](const TRecord& row) {
                if (static_cast<int>(row.size()) != ds->FieldCount()) return false;
                for (int i = 0; i < ds->FieldCount(); ++i)
                    if (!(row[static_cast<size_t>(i)] == ds->FieldValue(i))) return false;
                return true;
            };
            int inWindow = -1;
            for (size_t r = 0; r < previous.size() && inWindow < 0; ++r)
                if (isCurrent(previous[r])) inWindow = static_cast<int>(r);
            if (inWindow >= 0 && recNo_ > 0 && std::abs(recNo - recNo_) < static_cast<int>(previous.size()))
                active_ = inWindow;
            else
                active_ += recNo_ > 0 ? recNo - recNo_ : 0;
            const int before = at.Before, after = at.After;
            active_ = std::clamp(active_, 0, visible - 1);
            active_ = std::min(active_, before);
            if (active_ + after + 1 < visible) active_ = std::min(before, visible - 1 - after);
            rows_ = ds->PeekRows(-active_, visible);
            count_ = count;
            recNo_ = recNo;
        }
    } catch (const std::exception&) {
        // Painting never shows a box; the failing operation itself reports.
        rows_.clear();
        count_ = recNo_ = active_ = 0;
    }
    FitColumns();
    UpdateScrollBars();
}

void TDBGrid::FitColumns() {
    TDataSet* ds = link_.DataSet();
    const QFontMetrics fm = fontMetrics();
    if (widths_.size() != columns_.size()) {
        widths_.assign(columns_.size(), 0);
        for (size_t i = 0; i < columns_.size(); ++i) {
            const std::string& t = columns_[i].Title.empty() ? columns_[i].FieldName : columns_[i].Title;
            int w = Advance(fm, TValue(t));
            int chars = 6;
            if (ds && ds->Active())
                if (TField* f = ds->FindField(columns_[i].FieldName)) chars = TypicalCharacters(f->DataType(), f->Size());
            w = std::max(w, fm.averageCharWidth() * chars);
            widths_[i] = std::min(w + 2 * kCellPad, kMaxColumnWidth);
        }
    }
    for (const auto& row : rows_)
        for (size_t i = 0; i < columns_.size(); ++i) {
            if (fieldIndex_[i] < 0 || fieldIndex_[i] >= static_cast<int>(row.size())) continue;
            // +2: the advance is rounded, eliding measures exactly.
            const int w = Advance(fm, row[fieldIndex_[i]]) + 2;
            widths_[i] = std::max(widths_[i], std::min(w + 2 * kCellPad, kMaxColumnWidth));
        }
}

size_t TDBGrid::ValueHash::operator()(const TValue& v) const {
    if (const auto* s = std::get_if<std::string>(&v)) return std::hash<std::string>()(*s);
    if (const auto* d = std::get_if<double>(&v)) return std::hash<std::uint64_t>()(std::bit_cast<std::uint64_t>(*d));
    return 0;
}

bool TDBGrid::SameValue::operator()(const TValue& a, const TValue& b) const {
    if (a.index() != b.index()) return false;
    if (const auto* d = std::get_if<double>(&a))
        return std::bit_cast<std::uint64_t>(*d) == std::bit_cast<std::uint64_t>(std::get<double>(b));
    return a == b;
}

int TDBGrid::Advance(const QFontMetrics& fm, const TValue& value) {
    if (!measuredWith_ || !(*measuredWith_ == fm)) {  // another font or resolution
        advances_.clear();
        measuredWith_ = fm;
    }
    if (auto it = advances_.find(value); it != advances_.end()) return it->second;
    if (advances_.size() >= kMaxMeasured) advances_.clear();
    const int w = fm.horizontalAdvance(QString::fromStdString(TField::Text(value)));
    advances_.emplace(value, w);
    return w;
}

void TDBGrid::UpdateScrollBars() {
    updatingBars_ = true;
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, count_ - 1));
    v->setPageStep(VisibleRowCount());
    v->setValue(std::max(0, recNo_ - 1));
    int total = IndicatorWidth();
    for (int w : LaidOutWidths()) total += w;
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, total - viewport()->width()));
    h->setPageStep(viewport()->width());
    updatingBars_ = false;
}

std::vector<std::vector<std::string>> TDBGrid::VisibleRows() {
    Fill();
    std::vector<std::vector<std::string>> out;
    for (const auto& row : rows_) {
        std::vector<std::string> texts;
        for (int idx : fieldIndex_)
            texts.push_back(idx >= 0 && idx < static_cast<int>(row.size()) ? TField::Text(row[idx]) : "");
        out.push_back(std::move(texts));
    }
    return out;
}

int TDBGrid::ActiveRow() {
    Fill();
    return rows_.empty() ? -1 : active_;
}

int TDBGrid::ColumnWidth(int i) {
    Fill();
    const std::vector<int> widths = LaidOutWidths();
    return i >= 0 && i < static_cast<int>(widths.size()) ? widths[i] : 0;
}

int TDBGrid::RowAt(int y) const {
    if (y < HeaderHeight()) return -1;
    const int row = (y - HeaderHeight()) / RowHeight();
    return row < static_cast<int>(rows_.size()) ? row : -1;
}

void TDBGrid::paintEvent(QPaintEvent*) {
    Fill();
    QPainter p(viewport());
    const QPalette& pal = palette();
    const int hh = HeaderHeight(), rh = RowHeight(), vw = viewport()->width();
    const int x0 = -horizontalScrollBar()->value();

    // Column geometry.
    const std::vector<int> widths = LaidOutWidths();
    std::vector<QRect> cols;
    int x = x0 + IndicatorWidth();
    for (size_t i = 0; i < columns_.size(); ++i) {
        cols.emplace_back(x, 0, widths[i], hh);
        x += widths[i];
    }
    const int headerMargin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);

    // Header. The style leaves an empty clip region behind: keep it inside save/restore.
    p.save();
    QStyleOptionHeader opt;
    opt.initFrom(this);
    opt.state |= QStyle::State_Raised;
    opt.rect = QRect(x0, 0, IndicatorWidth(), hh);
    opt.position = QStyleOptionHeader::Beginning;
    style()->drawControl(QStyle::CE_Header, &opt, &p, this);
    for (size_t i = 0; i < columns_.size(); ++i) {
        opt.rect = cols[i];
        opt.section = static_cast<int>(i);
        // A title cut by the column's width ends with an ellipsis.
        opt.text = fontMetrics().elidedText(
            QString::fromStdString(columns_[i].Title.empty() ? columns_[i].FieldName : columns_[i].Title),
            Qt::ElideRight, cols[i].width() - 2 * headerMargin);
        opt.textAlignment = numeric_.size() > i && numeric_[i] ? Qt::AlignRight | Qt::AlignVCenter
                                                              : Qt::AlignLeft | Qt::AlignVCenter;
        opt.position = i + 1 == columns_.size() ? QStyleOptionHeader::End : QStyleOptionHeader::Middle;
        style()->drawControl(QStyle::CE_Header, &opt, &p, this);
    }
    if (x < vw) {  // the header goes on, empty, to the right edge
        opt.rect = QRect(x, 0, vw - x, hh);
        opt.text.clear();
        opt.position = QStyleOptionHeader::End;
        style()->drawControl(QStyle::CE_Header, &opt, &p, this);
    }
    p.restore();

    // Rows.
    const bool focused = hasFocus();
    for (size_t r = 0; r < rows_.size(); ++r) {
        const int y = hh + static_cast<int>(r) * rh;
        const bool current = static_cast<int>(r) == active_;
        QColor back = (r % 2) ? pal.color(QPalette::AlternateBase) : pal.color(QPalette::Base);
        if (current) back = pal.color(focused ? QPalette::Active : QPalette::Inactive, QPalette::Highlight);
        p.fillRect(QRect(x0, y, std::max(vw - x0, x - x0), rh), back);
        p.setPen(current ? pal.color(focused ? QPalette::Active : QPalette::Inactive, QPalette::HighlightedText)
                         : pal.color(QPalette::Text));
        if (current) {  // the record marker
            const int cx = x0 + IndicatorWidth() / 2 - 2, cy = y + rh / 2;
            const QPolygon tri({QPoint(cx - 2, cy - 4), QPoint(cx + 3, cy), QPoint(cx - 2, cy + 4)});
            p.save();
            p.setRenderHint(QPainter::Antialiasing);
            p.setBrush(p.pen().color());
            p.drawPolygon(tri);
            p.restore();
        }
        for (size_t i = 0; i < columns_.size(); ++i) {
            const int idx = fieldIndex_[i];
            if (idx < 0 || idx >= static_cast<int>(rows_[r].size())) continue;
            const QRect cell = QRect(cols[i].x() + kCellPad, y, cols[i].width() - 2 * kCellPad, rh);
            const QString text = fontMetrics().elidedText(QString::fromStdString(TField::Text(rows_[r][idx])),
                                                          Qt::ElideRight, cell.width());
            p.drawText(cell, (numeric_[i] ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, text);
        }
        p.setPen(pal.color(QPalette::Midlight));
        p.drawLine(x0, y + rh - 1, std::max(vw, x), y + rh - 1);
    }
    // Column lines below the header.
    p.setPen(pal.color(QPalette::Midlight));
    const int bottom = hh + static_cast<int>(rows_.size()) * rh;
    for (const QRect& c : cols) p.drawLine(c.right(), hh, c.right(), bottom - 1);
}

void TDBGrid::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    DataChanged();
}

void TDBGrid::scrollContentsBy(int, int) { viewport()->update(); }

void TDBGrid::Move(const std::function<void(TDataSet&)>& step) {
    TDataSet* ds = link_.DataSet();
    if (!link_.HasRecord()) return;
    Guarded([&] { step(*ds); });
}

void TDBGrid::mousePressEvent(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);
    if (e->button() != Qt::LeftButton) return;
    Fill();
    const int row = RowAt(e->position().toPoint().y());
    if (row < 0) return;
    const int delta = row - active_;
    if (delta != 0) Move([delta](TDataSet& ds) { ds.MoveBy(delta); });
    if (OnCellClick) Guarded(OnCellClick);
}

void TDBGrid::keyPressEvent(QKeyEvent* e) {
    const int page = VisibleRowCount();
    switch (e->key()) {
        case Qt::Key_Up: Move([](TDataSet& ds) { ds.MoveBy(-1); }); break;
        case Qt::Key_Down: Move([](TDataSet& ds) { ds.MoveBy(1); }); break;
        case Qt::Key_PageUp: Move([page](TDataSet& ds) { ds.MoveBy(-page); }); break;
        case Qt::Key_PageDown: Move([page](TDataSet& ds) { ds.MoveBy(page); }); break;
        case Qt::Key_Home: Move([](TDataSet& ds) { ds.First(); }); break;
        case Qt::Key_End: Move([](TDataSet& ds) { ds.Last(); }); break;
        default: QAbstractScrollArea::keyPressEvent(e); return;
    }
    e->accept();
}

void TDBGrid::wheelEvent(QWheelEvent* e) {
    const int notches = e->angleDelta().y() / 120;
    if (notches == 0) {
        QAbstractScrollArea::wheelEvent(e);
        return;
    }
    Move([notches](TDataSet& ds) { ds.MoveBy(-3 * notches); });
    e->accept();
}

}  // namespace platform
