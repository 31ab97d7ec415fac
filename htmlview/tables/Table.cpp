#include "htmlview/tables/Table.h"

#include "htmlview/layout/Canvas.h"
#include "htmlview/layout/Drawing.h"
#include "htmlview/layout/SectionList.h"
#include "htmlview/tokenizer/HtmlTables.h"
#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Text.h"

#include <QRegion>
#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <limits>
#include <numeric>

namespace htmlview {

namespace {
const char* const kTooManyColumns = "Table has too many Columns";

TCellObj* makeFiller(TSectionList* document, int spanRows) {
    auto* f = new TCellObj(document, nullptr, 0);
    f->Content.reset();
    f->SpanCols = 0;
    f->SpanRows = spanRows;
    return f;
}

// Pixel sizes from the page are kept within what a view can show, so that
// no sum of widths or heights overflows.
constexpr int kMaxPixels = 32000;

bool pixelWidth(const TCellObj& c) { return c.WantWidth > 0 && !c.WidthInTenths; }
int wantWidth(const TCellObj& c) { return std::min(c.WantWidth, kMaxPixels); }
int wantHeight(const TCellObj& c) { return std::clamp(c.WantHeight, -kMaxPixels, kMaxPixels); }

// Grows Arr[from..from+span) by Shortfall in proportion to the present
// values; columns that are all zero share it evenly.
void growInProportion(TColumnArray& arr, int from, int span, int shortfall) {
    int sum = 0;
    for (int k = from; k < from + span; ++k) sum += arr[static_cast<size_t>(k)];
    if (sum > 0) {
        for (int k = from; k < from + span; ++k) arr[static_cast<size_t>(k)] += MulDiv(arr[static_cast<size_t>(k)], shortfall, sum);
    } else {
        for (int k = 0; k < span; ++k) arr[static_cast<size_t>(from + k)] += shortfall / span + (k < shortfall % span ? 1 : 0);
    }
}
}  // namespace

void TCellList::SetAttributes(const TAttributeList& attributes) {
    const TAttribute* a = attributes.Find(attrBGCOLOR);
    TColor c;
    if (a && ParseColor(a->Text, c)) {
        HasBackColor = true;
        BackColor = c | kPaletteRelative;
    }
}

ThtmlTable::ThtmlTable(TSectionList* document, int level, TCell* outerCell, int justify,
                       const TAttributeList* attributes)
    : Caption(std::make_unique<TCellObj>(document, nullptr, 0)), Justify(justify), Level(level), OuterCell(outerCell) {
    Document = document;
    if (attributes)
        for (int i = 0; i < attributes->Count(); ++i) {
            const TAttribute* a = (*attributes)[i];
            TColor c;
            switch (a->Symbol) {
                case attrALIGN: {
                    const std::string v = platform::AsciiUpper(a->Text);
                    if (v == "CENTER") {
                        Justify = 2;
                    } else if (v == "LEFT" || v == "RIGHT") {
                        Justify = v == "LEFT" ? 1 : 3;
                        Floating = true;
                    }
                    break;
                }
                case attrBGCOLOR:
                    if (ParseColor(a->Text, c)) {
                        HasBackColor = true;
                        BackColor = c | kPaletteRelative;
                    }
                    break;
                case attrBORDERCOLOR:
                    if (ParseColor(a->Text, c)) {
                        HasBorderColor = true;
                        BorderColor = c | kPaletteRelative;
                    }
                    break;
                case attrBORDER: Border = a->NumValue > 0; break;
                case attrCELLPADDING:
                    if (a->NumValue >= 0) CellPadding = std::min(a->NumValue, 50);
                    break;
                case attrCELLSPACING:
                    if (a->NumValue >= 0) CellSpacing = std::min(a->NumValue, 40);
                    break;
                case attrWIDTH:
                    if (a->Text.find('%') != std::string::npos) {
                        WidthInTenths = true;
                        if (a->NumValue >= 1 && a->NumValue <= 100) WantWidth = a->NumValue * 10;
                    } else {
                        WantWidth = std::min(a->NumValue, kMaxPixels);
                    }
                    break;
                case attrHSPACE:
                    HSpace = a->NumValue == std::numeric_limits<int>::min() ? 20 : std::min(20, std::abs(a->NumValue));
                    break;
                default:
                    break;
            }
        }
    if (Border) CellSpacing = std::max(1, CellSpacing + 2);
}

// ---- spans ----

void ThtmlTable::Initialize() {
    if (Ready) return;
    if (!HasBackColor && OuterCell && OuterCell->HasBackColor) {
        HasBackColor = true;
        BackColor = OuterCell->BackColor;
    }
    NumCols = 0;
    for (int r = 0; r < Rows.Count(); ++r) {
        TCellList& row = *Rows[r];
        // The width a row asks for is checked before any filler is made,
        // so a huge COLSPAN ends at once.
        long long asked = 0;
        for (int i = 0; i < row.Count(); ++i) asked += std::max(1, row[i]->SpanCols);
        if (asked > kMaxTableColumns) throw EProcessError(kTooManyColumns);
        for (int i = 0; i < row.Count(); ++i) {
            TCell* content = row[i]->Content.get();
            if (content && !content->HasBackColor && row.HasBackColor) {
                content->HasBackColor = true;
                content->BackColor = row.BackColor;
            }
        }
        for (int i = row.Count() - 1; i >= 0; --i) {
            TCellObj* cell = row[i];
            if (pixelWidth(*cell)) HasPixelCells = true;
            if (cell->Content && !cell->Content->HasBackColor && HasBackColor) {
                cell->Content->HasBackColor = true;
                cell->Content->BackColor = BackColor;
            }
            for (int k = 1; k < cell->SpanCols; ++k) row.Insert(i + 1, makeFiller(Document, cell->SpanRows));
        }
        NumCols = std::max(NumCols, row.Count());
    }
    const int rowCount = Rows.Count();
    for (int i = 0; i < NumCols; ++i) {
        for (int j = 0; j < rowCount; ++j) {
            TCellList& row = *Rows[j];
            if (i >= row.Count()) continue;
            TCellObj* cell = row[i];
            cell->SpanRows = std::min(cell->SpanRows, rowCount - j);
            for (int k = 1; k < cell->SpanRows; ++k) {
                TCellList& below = *Rows[j + k];
                while (below.Count() < i) below.Add(makeFiller(Document, 0));
                below.Insert(i, makeFiller(Document, 0));
                if (below.Count() > kMaxTableColumns) throw EProcessError(kTooManyColumns);
                NumCols = std::max(NumCols, below.Count());
            }
        }
    }
    if (NumCols > kMaxTableColumns) throw EProcessError(kTooManyColumns);
    maxRowSpan_ = 1;
    for (int j = 0; j < rowCount; ++j)
        for (int i = 0; i < Rows[j]->Count(); ++i) maxRowSpan_ = std::max(maxRowSpan_, (*Rows[j])[i]->SpanRows);
    Ready = true;
}

// ---- column widths ----

template <typename Visit>
void ThtmlTable::visitCellsBySpan(TCanvas& canvas, Visit visit) {
    const int e = 2 * CellPadding + CellSpacing;
    int maxSpan = 1;
    for (int s = 1; s <= maxSpan; ++s) {
        for (int r = 0; r < Rows.Count(); ++r) {
            TCellList& row = *Rows[r];
            for (int i = 0; i < row.Count(); ++i) {
                TCellObj* cell = row[i];
                const int span = std::min(cell->SpanCols, NumCols - i);
                maxSpan = std::max(maxSpan, span);
                if (span != s || !cell->Content) continue;
                int mn = 0, mx = 0;
                cell->Content->WidthLimits(canvas, mn, mx);
                visit(cell, i, s, mn + e, mx + e);
            }
        }
    }
}

void ThtmlTable::SimpleWidths(TCanvas& canvas, TColumnArray& minArr, TColumnArray& maxArr, int& totalMin,
                              int& totalMax) {
    minArr.fill(0);
    maxArr.fill(0);
    const int e = 2 * CellPadding + CellSpacing;
    visitCellsBySpan(canvas, [&](TCellObj* cell, int i, int s, int mn, int mx) {
        if (s == 1) {
            if (pixelWidth(*cell)) {
                mn = std::max(mn, wantWidth(*cell) + e);
                mx = std::max(mn, wantWidth(*cell) + e);
            }
            minArr[static_cast<size_t>(i)] = std::max(minArr[static_cast<size_t>(i)], mn);
            maxArr[static_cast<size_t>(i)] = std::max(maxArr[static_cast<size_t>(i)], mx);
        } else {
            int sumMin = 0, sumMax = 0;
            for (int k = i; k < i + s; ++k) {
                sumMin += minArr[static_cast<size_t>(k)];
                sumMax += maxArr[static_cast<size_t>(k)];
            }
            if (sumMin < mn) growInProportion(minArr, i, s, mn - sumMin);
            if (sumMax < mx) growInProportion(maxArr, i, s, mx - sumMax);
        }
    });
    totalMin = std::accumulate(minArr.begin(), minArr.begin() + NumCols, 0);
    totalMax = std::accumulate(maxArr.begin(), maxArr.begin() + NumCols, 0);
}

void ThtmlTable::PercentWidths(TCanvas& canvas, int denominator, TColumnArray& minArr, TColumnArray& maxArr,
                               int& totalMin, int& totalMax) {
    minArr.fill(0);
    maxArr.fill(0);
    Percents.fill(0);
    visitCellsBySpan(canvas, [&](TCellObj* cell, int i, int s, int mn, int mx) {
        int pct = 0;
        if (cell->WidthInTenths) pct = cell->WantWidth;
        else if (cell->WantWidth > 0 && denominator > 0)
            pct = std::min(1000, MulDiv(wantWidth(*cell), 1000, denominator));
        auto at = [](TColumnArray& a, int k) -> int& { return a[static_cast<size_t>(k)]; };
        if (s == 1) {
            at(minArr, i) = std::max(at(minArr, i), mn);
            at(maxArr, i) = std::max(at(maxArr, i), mx);
            at(Percents, i) = std::max(at(Percents, i), pct);
            return;
        }
        int sumMin = 0, sumMax = 0, p = 0, z = 0;
        for (int k = i; k < i + s; ++k) {
            sumMin += at(minArr, k);
            sumMax += at(maxArr, k);
            if (at(Percents, k) > 0) p += at(Percents, k);
            else ++z;
        }
        const int minShort = mn - sumMin, maxShort = mx - sumMax;
        if (pct > 0 || p > 0) {
            std::vector<bool> without(static_cast<size_t>(s));
            for (int k = 0; k < s; ++k) without[static_cast<size_t>(k)] = at(Percents, i + k) <= 0;
            const int c = z > 0 ? std::max(0, (pct - p) / z) : 0;
            if (z == 0 && p < pct) {
                for (int k = i; k < i + s; ++k) at(Percents, k) = MulDiv(at(Percents, k), pct, p);
            } else if (c > 0) {
                for (int k = i; k < i + s; ++k)
                    if (at(Percents, k) == 0) at(Percents, k) = c;
            }
            const int t = std::max(p, pct);
            if (minShort > 0) {
                if (z <= 0) {
                    for (int k = i; k < i + s; ++k)
                        at(minArr, k) = std::max(MulDiv(mn, at(Percents, k), t), at(minArr, k));
                } else {
                    int sumFree = 0;
                    for (int k = 0; k < s; ++k)
                        if (without[static_cast<size_t>(k)]) sumFree += at(maxArr, i + k);
                    for (int k = 0; k < s; ++k) {
                        if (!without[static_cast<size_t>(k)]) continue;
                        at(minArr, i + k) += sumFree > 0 ? MulDiv(minShort, at(maxArr, i + k), sumFree) : minShort / z;
                    }
                }
            }
            if (maxShort > 0) {
                if (z <= 0) {
                    for (int k = i; k < i + s; ++k)
                        at(maxArr, k) = std::max(MulDiv(mx, at(Percents, k), t), at(maxArr, k));
                } else {
                    for (int k = 0; k < s; ++k)
                        if (without[static_cast<size_t>(k)]) at(maxArr, i + k) += maxShort / z;
                }
            }
        } else {
            // Empty columns share evenly, the remainder included, so the span fits.
            const auto share = [s, i](int total, int k) { return total / s + (k - i < total % s ? 1 : 0); };
            if (minShort > 0)
                for (int k = i; k < i + s; ++k)
                    at(minArr, k) = sumMin > 0 ? MulDiv(mn, at(minArr, k), sumMin) : share(mn, k);
            if (maxShort > 0)
                for (int k = i; k < i + s; ++k)
                    at(maxArr, k) = sumMax > 0 ? MulDiv(mx, at(maxArr, k), sumMax) : share(mx, k);
        }
    });
    totalMin = std::accumulate(minArr.begin(), minArr.begin() + NumCols, 0);
    totalMax = std::accumulate(maxArr.begin(), maxArr.begin() + NumCols, 0);
}

void ThtmlTable::FitSimple(int width, const TColumnArray& minArr, const TColumnArray& maxArr, int totalMin,
                           int totalMax) {
    if (totalMin >= width) {
        Widths = minArr;
    } else if (width < totalMax || WantWidth > 0) {
        const int d = totalMax - totalMin;
        for (int i = 0; i < NumCols; ++i) {
            const size_t k = static_cast<size_t>(i);
            if (d <= 0)
                Widths[k] = minArr[k] + (totalMin > 0 ? MulDiv(minArr[k], width - totalMin, totalMin)
                                                      : (width - totalMin) / std::max(1, NumCols));
            else
                Widths[k] = minArr[k] + MulDiv(maxArr[k] - minArr[k], width - totalMin, d);
        }
    } else {
        Widths = maxArr;
    }
}

void ThtmlTable::FitPercents(int width, const TColumnArray& minArr, const TColumnArray& maxArr) {
    std::array<bool, kMaxTableColumns + 1> fixed{};
    int sum = 0, without = 0, freePct = 0;
    for (int i = 0; i < NumCols; ++i) {
        const size_t k = static_cast<size_t>(i);
        if (Percents[k] > 0) {
            const int w = MulDiv(width, Percents[k], 1000);
            if (w < minArr[k]) {
                Widths[k] = minArr[k];
                fixed[k] = true;
            } else {
                Widths[k] = w;
                freePct += Percents[k];
            }
        } else {
            Widths[k] = minArr[k];
            ++without;
        }
        sum += Widths[k];
    }
    int diff = sum - width;
    if (diff < 0) {
        const int extra = -diff;
        if (without == 0) {
            if (freePct > 0)
                for (int i = 0; i < NumCols; ++i) {
                    const size_t k = static_cast<size_t>(i);
                    if (Percents[k] > 0 && !fixed[k]) Widths[k] += MulDiv(extra, Percents[k], freePct);
                }
        } else {
            int room = 0;
            for (int i = 0; i < NumCols; ++i)
                if (Percents[static_cast<size_t>(i)] <= 0) room += maxArr[static_cast<size_t>(i)] - minArr[static_cast<size_t>(i)];
            for (int i = 0; i < NumCols; ++i) {
                const size_t k = static_cast<size_t>(i);
                if (Percents[k] > 0) continue;
                Widths[k] += room <= 0 ? extra / without : MulDiv(extra, maxArr[k] - minArr[k], room);
            }
        }
    } else if (diff > 0) {
        for (int round = 0; round < 4 && freePct > 0; ++round) {
            bool changed = false;
            for (int i = 0; i < NumCols; ++i) {
                const size_t k = static_cast<size_t>(i);
                if (Percents[k] <= 0 || fixed[k] || freePct <= 0) continue;
                if (Widths[k] - MulDiv(diff, Percents[k], freePct) < minArr[k]) {
                    diff -= Widths[k] - minArr[k];
                    freePct -= Percents[k];
                    Widths[k] = minArr[k];
                    fixed[k] = true;
                    changed = true;
                }
            }
            if (!changed) break;
        }
        if (freePct > 0 && diff > 0)
            for (int i = 0; i < NumCols; ++i) {
                const size_t k = static_cast<size_t>(i);
                if (Percents[k] > 0 && !fixed[k]) Widths[k] -= MulDiv(diff, Percents[k], freePct);
            }
    }
    sum = 0;
    for (int i = 0; i < NumCols; ++i) sum += Widths[static_cast<size_t>(i)];
    if (NumCols > 0 && sum < width) {
        Widths[0] += width - sum;
    } else if (sum > width) {
        for (int i = 0; i < NumCols; ++i)
            if (!fixed[static_cast<size_t>(i)]) {
                Widths[static_cast<size_t>(i)] -= sum - width;
                break;
            }
    }
}

void ThtmlTable::WidthLimits(TCanvas& canvas, int& min, int& max) {
    Initialize();
    TColumnArray mn, mx;
    int totalMin = 0, totalMax = 0;
    const bool pixelTable = WantWidth > 0 && !WidthInTenths;
    if (!HasPixelCells || WantWidth > 0)
        PercentWidths(canvas, pixelTable ? WantWidth : 0, mn, mx, totalMin, totalMax);
    else
        SimpleWidths(canvas, mn, mx, totalMin, totalMax);
    totalMin += CellSpacing;
    totalMax += CellSpacing;
    if (pixelTable) {
        totalMin = std::max(totalMin, WantWidth);
        totalMax = std::max(totalMax, WantWidth);
    }
    int cmn = 0, cmx = 0;
    Caption->Content->WidthLimits(canvas, cmn, cmx);
    CaptionMinWidth = cmn;
    min = std::max(CaptionMinWidth, totalMin);
    max = std::max(CaptionMinWidth, totalMax);
}

// ---- layout ----

int ThtmlTable::columnX(int column) const {
    int x = 0;
    for (int i = 0; i < column && i < NumCols; ++i) x += Widths[static_cast<size_t>(i)];
    return x;
}

// Lays the table out in four stages: the column widths for the width
// available (ChooseWidths), the caption and the table's widths, the rows
// measured and placed top to bottom (arrangeRows), then the table's place
// between the margins and around floats.
int ThtmlTable::Arrange(TCanvas& canvas, int y, int& charIndex, int& maxWidth, IndentManager& indents) {
    TopY = y;
    FirstChar = charIndex;
    indents.SetListLevel(y, Level);
    const int leftEdge = indents.LeftAt(y);
    const int avail = indents.RightAt(y) - leftEdge;
    const int w = WantWidth >= 1 ? (WidthInTenths ? MulDiv(avail, WantWidth, 1000) : WantWidth) : avail;
    const int inner = std::max(w - CellSpacing, 20);
    Initialize();

    // Stage 1: column widths.
    ChooseWidths(canvas, inner);

    // Stage 2: the table's and the caption's widths.
    TableWidth = CellSpacing + columnX(NumCols);
    int cmn = 0, cmx = 0;
    Caption->Content->WidthLimits(canvas, cmn, cmx);
    CaptionMinWidth = cmn;
    TotalWidth = std::max(TableWidth, CaptionMinWidth);

    // Stage 3: the caption and the rows, top to bottom.
    FlowHeight = 0;
    if (CaptionOnTop) {
        int mw = 0;
        CaptionHeight = Caption->Content->Arrange(canvas, y, TotalWidth, charIndex, mw);
        FlowHeight = CaptionHeight;
        y += CaptionHeight;
    }
    BodyHeight = arrangeRows(canvas, y, charIndex) + CellSpacing;
    FlowHeight += BodyHeight;
    if (!CaptionOnTop) {
        int mw = 0;
        CaptionHeight = Caption->Content->Arrange(canvas, TopY + BodyHeight, TotalWidth, charIndex, mw);
        FlowHeight += CaptionHeight;
    }

    // Stage 4: the place between the margins; a floating table takes no height of the flow.
    Indent = 0;
    if (TotalWidth < avail) {
        if (Justify == 2) Indent = (avail - TotalWidth) / 2;
        else if (Justify == 3) Indent = avail - TotalWidth;
    }
    Indent += leftEdge;
    BodyIndent = Indent + (TotalWidth - TableWidth) / 2;
    CharCount = charIndex - FirstChar;
    maxWidth = TotalWidth;
    PaintHeight = FlowHeight;
    if (Floating) {
        indents.AddFloat(TopY, TotalWidth + HSpace + 1, Justify == 1 ? kAlignLeft : kAlignRight, FlowHeight);
        FlowHeight = 0;
    }
    return FlowHeight;
}

void ThtmlTable::ChooseWidths(TCanvas& canvas, int inner) {
    assert(NumCols >= 0 && NumCols <= kMaxTableColumns);
    Widths.fill(0);
    TColumnArray mn, mx;
    int totalMin = 0, totalMax = 0;
    if (HasPixelCells && WantWidth <= 0) {
        SimpleWidths(canvas, mn, mx, totalMin, totalMax);
        FitSimple(inner, mn, mx, totalMin, totalMax);
    } else {
        PercentWidths(canvas, inner, mn, mx, totalMin, totalMax);
        if (totalMin >= inner)
            Widths = mn;
        else if (WantWidth > 0)
            FitPercents(inner, mn, mx);
        else if (!FitAutoPercents(inner, mn, mx, totalMin, totalMax))
            FitBetweenLimits(inner, mn, mx, totalMin, totalMax);
    }
    for (int i = 0; i < NumCols; ++i) Widths[static_cast<size_t>(i)] = std::max(0, Widths[static_cast<size_t>(i)]);
}

bool ThtmlTable::FitAutoPercents(int width, TColumnArray& minArr, TColumnArray& maxArr, int& totalMin,
                                 int& totalMax) {
    int percentSum = 0;
    for (int i = 0; i < NumCols; ++i) percentSum += Percents[static_cast<size_t>(i)];
    if (percentSum <= 0 || percentSum > 1000) return false;

    // The width at which every column gets its maximum: the widest a
    // percent column asks for its share, or what the other columns need
    // for the share left to them.
    int widestByPercent = 0, restMax = 0;
    for (int i = 0; i < NumCols; ++i) {
        const size_t k = static_cast<size_t>(i);
        if (Percents[k] > 0) widestByPercent = std::max(widestByPercent, MulDiv(maxArr[k], 1000, Percents[k]));
        else restMax += maxArr[k];
    }
    const int restNeeds =
        percentSum > 999 ? (restMax < 1 ? 0 : 30000) : MulDiv(restMax, 1000, 1000 - percentSum);
    const int natural = std::max(widestByPercent, restNeeds);
    if (width >= natural) {
        const int restShare = MulDiv(natural, 1000 - percentSum, 1000);
        for (int i = 0; i < NumCols; ++i) {
            const size_t k = static_cast<size_t>(i);
            Widths[k] = Percents[k] > 0 ? MulDiv(natural, Percents[k], 1000)
                        : restMax < 1   ? 0
                                        : MulDiv(maxArr[k], restShare, restMax);
        }
        return true;
    }

    // Too narrow: percentages that cannot be met give way, and the rest are
    // scaled into what the other columns leave. The loop is capped because
    // integer scaling need not converge.
    for (int pass = 0; pass < 4 * kMaxTableColumns; ++pass) {
        int percentWidth = 0, restMin = 0, percentColumns = 0;
        for (int i = 0; i < NumCols; ++i) {
            const size_t k = static_cast<size_t>(i);
            if (Percents[k] > 0 && MulDiv(width, Percents[k], 1000) - 1 < minArr[k]) Percents[k] = 0;
            if (Percents[k] > 0) {
                percentWidth += MulDiv(width, Percents[k], 1000) - 1;
                ++percentColumns;
            } else {
                restMin += minArr[k];
            }
        }
        if (percentColumns == 0) break;
        if (width < restMin + percentWidth) {
            if (percentWidth <= 0) break;
            for (int i = 0; i < NumCols; ++i) {
                const size_t k = static_cast<size_t>(i);
                if (Percents[k] > 0)
                    Percents[k] =
                        static_cast<int>(static_cast<long long>(Percents[k]) * (width - restMin) / percentWidth);
            }
            continue;
        }
        // The percentages now fit: they become fixed limits.
        for (int i = 0; i < NumCols; ++i) {
            const size_t k = static_cast<size_t>(i);
            if (Percents[k] > 0) minArr[k] = maxArr[k] = MulDiv(width, Percents[k], 1000);
        }
        totalMin = std::accumulate(minArr.begin(), minArr.begin() + NumCols, 0);
        totalMax = std::accumulate(maxArr.begin(), maxArr.begin() + NumCols, 0);
        break;
    }
    return false;
}

void ThtmlTable::FitBetweenLimits(int width, const TColumnArray& minArr, const TColumnArray& maxArr, int totalMin,
                                  int totalMax) {
    if (width < totalMax && totalMax != totalMin) {
        for (int i = 0; i < NumCols; ++i) {
            const size_t k = static_cast<size_t>(i);
            Widths[k] = minArr[k] + MulDiv(maxArr[k] - minArr[k], width - totalMin, totalMax - totalMin);
        }
    } else {
        Widths = maxArr;
    }
}

int ThtmlTable::arrangeRows(TCanvas& canvas, int y, int& charIndex) {
    // A row's height is known once every cell reaching into it is measured.
    // Without row spans that is the row itself, so each row is measured and
    // placed in one visit, while its cells are still in the cache.
    const int rowCount = Rows.Count();
    std::vector<int> heights(static_cast<size_t>(rowCount), 0);
    if (maxRowSpan_ > 1) measureRowHeights(canvas, heights);
    int body = 0;
    for (int r = 0; r < rowCount; ++r) {
        TCellList& row = *Rows[r];
        assert(row.Count() <= NumCols);
        if (maxRowSpan_ == 1) {
            setCellWidths(row);
            heights[static_cast<size_t>(r)] = measureRow(canvas, row, 1);
        }
        row.RowHeight = heights[static_cast<size_t>(r)];
        row.SpanHeight = 0;
        for (int i = 0; i < row.Count(); ++i) {
            TCellObj* cell = row[i];
            cell->CellHeight = 0;
            for (int k = r; k < std::min(rowCount, r + std::max(1, cell->SpanRows)); ++k) cell->CellHeight += heights[static_cast<size_t>(k)];
            row.SpanHeight = std::max(row.SpanHeight, cell->CellHeight);
        }
        arrangeRow(row, y, charIndex);
        y += row.RowHeight;
        body += row.RowHeight;
    }
    return body;
}

void ThtmlTable::arrangeRow(TCellList& row, int y, int& charIndex) {
    for (int i = 0; i < row.Count(); ++i) {
        TCellObj* cell = row[i];
        if (!cell->Content) continue;
        const int slack = cell->CellHeight - cell->ContentHeight - CellSpacing - 2 * CellPadding;
        cell->ContentOffset = cell->VertAlign == 1 ? slack / 2 : cell->VertAlign == 2 ? slack : 0;
        // The content was laid out at y 0 and index 0 at this width when its
        // height was measured; moving it there costs less than a second
        // layout, which would double at every level of nested tables.
        cell->Content->Shift(y + contentTop(*cell), charIndex);
        charIndex += cell->Content->CharCount;
    }
}

void ThtmlTable::setCellWidths(TCellList& row) {
    for (int i = 0; i < row.Count(); ++i) {
        TCellObj* cell = row[i];
        cell->CellWidth = 0;
        for (int k = i; k < std::min(NumCols, i + std::max(1, cell->SpanCols)); ++k) cell->CellWidth += Widths[static_cast<size_t>(k)];
    }
}

int ThtmlTable::measureRow(TCanvas& canvas, TCellList& row, int span) {
    // Each cell is laid out at y 0 and index 0; arrangeRow moves it into place.
    const int e = 2 * CellPadding + CellSpacing;
    int h = 0;
    for (int i = 0; i < row.Count(); ++i) {
        TCellObj* cell = row[i];
        if (cell->SpanRows != span || !cell->Content) continue;
        int ci = 0, mw = 0;
        cell->ContentHeight = cell->Content->Arrange(canvas, 0, contentWidth(*cell), ci, mw);
        h = std::max(h, std::max(cell->ContentHeight, wantHeight(*cell) - 2 * CellPadding) + e);
    }
    return h;
}

void ThtmlTable::measureRowHeights(TCanvas& canvas, std::vector<int>& heights) {
    const int rowCount = Rows.Count();
    for (int r = 0; r < rowCount; ++r) setCellWidths(*Rows[r]);
    for (int s = 1; s <= maxRowSpan_; ++s) {
        for (int r = 0; r + s <= rowCount; ++r) {
            const int h = measureRow(canvas, *Rows[r], s);
            if (s == 1) {
                heights[static_cast<size_t>(r)] = h;
            } else {
                int sum = 0;
                for (int k = r; k < r + s; ++k) sum += heights[static_cast<size_t>(k)];
                if (sum < h) {
                    const int add = (h - sum) / s;
                    for (int k = r; k < r + s; ++k) heights[static_cast<size_t>(k)] += add;
                    heights[static_cast<size_t>(r + s - 1)] += (h - sum) - add * s;
                }
            }
        }
    }
}

void ThtmlTable::Shift(int dy, int dChars) {
    TSectionBase::Shift(dy, dChars);
    visitCells([dy, dChars](TCell& c) {
        c.Shift(dy, dChars);
        return false;
    });
}

// ---- painting ----

int ThtmlTable::Paint(TCanvas& canvas, const QRect& clipRect, IndentManager&, int x, int y) {
    const int result = y + FlowHeight;
    const int scrollY = Document ? Document->ScrollY : 0;
    if (y + PaintHeight - scrollY < clipRect.top() || y - scrollY > clipRect.bottom()) return result;
    DrawX = x + BodyIndent;
    DrawY = y;
    CaptionDrawX = x + Indent;
    int t = y;
    if (CaptionOnTop) {
        Caption->Content->Paint(canvas, clipRect, CaptionDrawX, y, TotalWidth);
        t = y + CaptionHeight;
    }
    std::unique_ptr<QRegion> region;
    if (HasBorderColor) {
        const int top = std::max(clipRect.top() - 1, t - scrollY);
        const int bottom = std::min(clipRect.bottom() + 1, t + BodyHeight - scrollY);
        if (bottom > top) region = std::make_unique<QRegion>(DrawX, top, TableWidth, bottom - top);
    }
    int rowY = t;
    for (int r = 0; r < Rows.Count(); ++r) {
        paintRow(canvas, clipRect, *Rows[r], rowY, region.get());
        rowY += Rows[r]->RowHeight;
    }
    if (region) {
        canvas.BrushColor = BorderColor;
        canvas.FillRegion(*region);
    }
    if (Border)
        Draw3DBorder(Document, canvas, DrawX, t - scrollY, DrawX + TableWidth - 1, rowY + CellSpacing - scrollY - 1, true);
    if (!CaptionOnTop) Caption->Content->Paint(canvas, clipRect, CaptionDrawX, t + BodyHeight, TotalWidth);
    return result;
}

void ThtmlTable::paintRow(TCanvas& canvas, const QRect& clipRect, TCellList& row, int y, QRegion* borderRegion) {
    const int scrollY = Document ? Document->ScrollY : 0;
    if (y + row.SpanHeight - scrollY < clipRect.top() || y - scrollY > clipRect.bottom()) return;
    int x = DrawX;
    for (int i = 0; i < row.Count(); ++i) {
        TCellObj* cell = row[i];
        const int colWidth = i < NumCols ? Widths[static_cast<size_t>(i)] : 0;
        if (cell->Content) {
            const QRect box(QPoint(x + CellSpacing, y - scrollY + CellSpacing),
                            QPoint(x + cell->CellWidth - 1, y - scrollY + cell->CellHeight - 1));
            if (cell->Content->HasBackColor && box.isValid()) {
                canvas.BrushColor = cell->Content->BackColor;
                canvas.FillRect(box);
            }
            cell->Content->Paint(canvas, clipRect, x + CellSpacing + CellPadding, y + contentTop(*cell),
                                 contentWidth(*cell));
            if (Border)
                Draw3DBorder(Document, canvas, box.left() - 1, box.top() - 1, box.right() + 1, box.bottom() + 1, false);
            if (borderRegion) *borderRegion -= QRegion(Border ? box.adjusted(-1, -1, 1, 1) : box);
        }
        x += colWidth;
    }
}

// ---- hit tests and visits ----

TCellObj* ThtmlTable::cellAt(int x, int y, int& rowTop) const {
    if (x < DrawX || x > DrawX + TableWidth) return nullptr;
    int top = 0;
    for (int r = 0; r < Rows.Count(); ++r) {
        const TCellList& row = *Rows[r];
        for (int i = 0; i < row.Count(); ++i) {
            TCellObj* cell = row[i];
            if (!cell->Content) continue;
            const int cx = DrawX + columnX(i);
            if (x >= cx && x < cx + cell->CellWidth && y >= top && y < top + cell->CellHeight) {
                rowTop = top;
                return cell;
            }
        }
        top += row.RowHeight;
    }
    return nullptr;
}

TCell* ThtmlTable::contentAt(int x, int y, int& contentY) const {
    if (y < 0 || y >= PaintHeight) return nullptr;
    const bool inCaptionSpan = x >= CaptionDrawX && x <= CaptionDrawX + TotalWidth;
    int bodyY;
    if (CaptionOnTop) {
        if (y < CaptionHeight) {
            contentY = y;
            return inCaptionSpan ? Caption->Content.get() : nullptr;
        }
        bodyY = y - CaptionHeight;
    } else {
        if (y >= BodyHeight) {
            contentY = y - BodyHeight;
            return inCaptionSpan ? Caption->Content.get() : nullptr;
        }
        bodyY = y;
    }
    int rowTop = 0;
    TCellObj* cell = cellAt(x, bodyY, rowTop);
    if (!cell) return nullptr;
    contentY = bodyY - rowTop - contentTop(*cell);
    return cell->Content.get();
}

bool ThtmlTable::LinkAtPoint(TCanvas& canvas, int x, int y, TFormControlObj*& formImage,
                             std::unique_ptr<TUrlTarget>& urlTarget) {
    int cy = 0;
    TCell* c = contentAt(x, y, cy);
    return c && c->LinkAtPoint(canvas, x, cy, formImage, urlTarget);
}

bool ThtmlTable::ImageAtPoint(int x, int y, int& ix, int& iy, TImageObj*& image) {
    int cy = 0;
    TCell* c = contentAt(x, y, cy);
    return c && c->ImageAtPoint(x, cy, ix, iy, image);
}

int ThtmlTable::IndexAtPoint(TCanvas& canvas, int x, int y, bool& inText, int& caretHeight, int& caretY,
                             int& caretX, TCell*& cell) {
    int cy = 0;
    TCell* c = contentAt(x, y, cy);
    if (!c) return -1;
    const int r = c->IndexAtPoint(canvas, x, cy, inText, caretHeight, caretY, caretX, cell);
    if (r >= 0) caretY += y - cy;
    return r;
}

template <typename F>
bool ThtmlTable::visitCells(F&& f) {
    if (CaptionOnTop && f(*Caption->Content)) return true;
    for (int r = 0; r < Rows.Count(); ++r) {
        TCellList& row = *Rows[r];
        for (int i = 0; i < row.Count(); ++i)
            if (row[i]->Content && f(*row[i]->Content)) return true;
    }
    return !CaptionOnTop && f(*Caption->Content);
}

int ThtmlTable::Search(int from, std::string_view text, bool matchCase) {
    int found = -1;
    visitCells([&](TCell& c) {
        found = c.Search(from, text, matchCase);
        return found >= 0;
    });
    return found;
}

bool ThtmlTable::PointOfIndex(TCanvas& canvas, int index, int& y, int& x) {
    if (index < FirstChar || index > FirstChar + CharCount) return false;
    return visitCells([&](TCell& c) { return c.PointOfIndex(canvas, index, y, x); });
}

bool ThtmlTable::CharAtIndex(int index, char& ch, TSectionBase*& block) {
    if (index < FirstChar || index > FirstChar + CharCount) return false;
    return visitCells([&](TCell& c) { return c.CharAtIndex(index, ch, block); });
}

void ThtmlTable::CopySelected() {
    visitCells([](TCell& c) {
        c.CopySelected();
        return false;
    });
}

void ThtmlTable::RefreshFonts() {
    visitCells([](TCell& c) {
        c.RefreshFonts();
        return false;
    });
    RefreshSize();
}

}  // namespace htmlview
