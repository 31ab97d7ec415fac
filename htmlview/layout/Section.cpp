#include "htmlview/layout/Section.h"

#include "htmlview/layout/Canvas.h"
#include "htmlview/layout/SectionList.h"
#include "htmlview/util/HtmlUtils.h"
#include "htmlview/util/IndentManager.h"
#include "platform/core/runtime/Text.h"

#include <QWidget>
#include <algorithm>
#include <cassert>

namespace htmlview {

namespace {
constexpr int kMaxRun = 32000;

bool isPlaceholder(char c) { return c == kImageChar || c == kControlChar; }

const char* const kRoman[20] = {"i",  "ii",  "iii",  "iv",  "v",  "vi",  "vii",  "viii",  "ix",  "x",
                                "xi", "xii", "xiii", "xiv", "xv", "xvi", "xvii", "xviii", "xix", "xx"};
}  // namespace

TSection::TSection(int level, int align, const TUrlTarget* urlTarget, const TMyFont& font, TInlineState& state)
    : Level(level), Indent(level * kListIndent), Align(static_cast<std::uint8_t>(align)) {
    auto* run = new TFontObj(font, 0);
    run->TheFont->SetStyle(run->TheFont->Style() | state.StyleFlags);
    if (urlTarget) run->UrlTarget.Assign(urlTarget->LinkUrl, urlTarget->LinkTarget);
    Fonts.Add(run);
    MarkerFont = std::make_unique<TMyFont>(*run->TheFont);
    state.SubSupMode = 0;
}

TSection::~TSection() {
    // Its controls stay with their form, which outlives the blocks; a page
    // that no longer shows them (a table refused at layout) does not submit them.
    for (TFormControlObj* c : FormControls) c->LeavePage();
    for (TFormControlObj* c : HiddenControls) c->LeavePage();
    Images.Clear();  // images leave the document's lists while it is still there
    if (Document) Document->ForgetObject(this);
}

bool TSection::onlyFloatingImages() const {
    // Each image holds one character and text never carries the image code,
    // so the buffer is all floats when it is as long as their count.
    assert(floatingImages_ <= Images.Count() && Images.Count() <= static_cast<int>(Buff.size()));
    return floatingImages_ == static_cast<int>(Buff.size());
}

void TSection::AppendText(std::string_view s) {
    if (s.empty() || CharCount > kMaxSectionText) return;
    std::string t(s);
    // Placeholder codes belong to images and controls only.
    for (char& c : t)
        if (isPlaceholder(c)) c = ' ';
    if (!t.empty() && t[0] == ' ' && (Buff.empty() || Buff.back() == ' ' || onlyFloatingImages())) t.erase(0, 1);
    Buff += t;
    CharCount = static_cast<int>(Buff.size());
}

int TSection::EnsureText() {
    if (Buff.empty()) {
        Buff = " ";
        CharCount = 1;
    }
    return Align;
}

void TSection::ChangeFont(const TDocumentFonts& document, const TMyFont& font, const TInlineState& state) {
    TFontObj* run = Fonts.Last();
    if (run->Pos == CharCount) {
        run->TheFont->Assign(font);
    } else {
        auto* next = new TFontObj(font, CharCount);
        next->UrlTarget.Assign(run->UrlTarget.LinkUrl, run->UrlTarget.LinkTarget);
        Fonts.Add(next);
        run = next;
    }
    run->TheFont->SetStyle(run->TheFont->Style() | state.StyleFlags);
    run->SubSup = static_cast<std::uint8_t>(state.SubSupMode);
    if (state.SubSupMode == 1 || state.SubSupMode == 2)
        run->TheFont->SetNominalSize(document, MulDiv(run->TheFont->NominalSize, 3, 4));
}

void TSection::ChangeFontAndLink(bool isLinkStart, const TDocumentFonts& document, const TMyFont& font,
                                 const TUrlTarget* urlTarget, const TInlineState& state) {
    ChangeFont(document, font, state);
    TFontObj* run = Fonts.Last();
    run->UrlTarget.Clear();
    if (isLinkStart && urlTarget) run->UrlTarget.Assign(urlTarget->LinkUrl, urlTarget->LinkTarget);
}

void TSection::SetClear(const TAttributeList& attributes) {
    const TAttribute* a = attributes.Find(attrCLEAR);
    if (!a) return;
    std::string v = platform::AsciiLower(a->Text.substr(0, 15));
    ClearAttr = v == "left" ? 1 : v == "right" ? 2 : 3;
}

TImageObj* TSection::AddImage(const TAttributeList* attributes, TCell* cell) {
    assert(Images.Empty() || Images.Last()->Pos < CharCount);
    auto* img = new TImageObj(CharCount, attributes);
    img->Cell = cell;
    img->Document = Document;
    Images.Add(img);
    if (img->Floating()) ++floatingImages_;
    Buff += kImageChar;
    CharCount = static_cast<int>(Buff.size());
    return img;
}

void TSection::AddFormControl(TFormControlObj* control) {
    if (!control) return;
    if (control->IsHidden()) {
        HiddenControls.push_back(control);
        return;
    }
    control->Pos = CharCount;
    assert(FormControls.empty() || FormControls.back()->Pos < control->Pos);
    FormControls.push_back(control);
    Buff += kControlChar;
    CharCount = static_cast<int>(Buff.size());
}

// ---- measuring ----

int TSection::pieceEnd(int i, int end) const {
    // Placeholders stand exactly where images and controls are (text never carries their codes).
    const int runEnd = i + Fonts.GetRunLength(i, CharCount);
    return std::min({end, runEnd, i + Images.DistanceToNext(i), i + FormControls.DistanceToControl(i)});
}

int TSection::pieceWidth(TCanvas& canvas, int start, int len) {
    if (len <= 0) return 0;
    const TFontObj* run = Fonts.GetRunAt(start);
    return canvas.Metrics.TextWidth(*run->TheFont, std::string_view(Buff).substr(static_cast<size_t>(start),
                                                                              static_cast<size_t>(len))) -
           run->Overhang;
}

int TSection::fitPrefix(TCanvas& canvas, int start, int len, int avail, int& width) {
    // Galloping, then halving: the cost follows what fits, not the rest of the text.
    int lo = 0, loWidth = 0, hi = len + 1;
    for (int step = 1; lo < len;) {
        const int probe = std::min(len, lo + step);
        const int w = pieceWidth(canvas, start, probe);
        if (w > avail) {
            hi = probe;
            break;
        }
        lo = probe;
        loWidth = w;
        step *= 2;
    }
    while (hi - lo > 1) {
        const int mid = lo + (hi - lo) / 2;
        const int w = pieceWidth(canvas, start, mid);
        if (w <= avail) {
            lo = mid;
            loWidth = w;
        } else {
            hi = mid;
        }
    }
    width = loWidth;
    return lo;
}

int TSection::TextWidth(TCanvas& canvas, int start, int count, bool stripTrailing) {
    if (start < 0) start = 0;
    count = std::min(count, CharCount - start);
    if (count <= 0) return 0;
    if (stripTrailing)
        while (count > 1 && Buff[static_cast<size_t>(start + count - 1)] == ' ') --count;
    int w = 0;
    const int end = start + count;
    for (int i = start; i < end;) {
        char c = Buff[static_cast<size_t>(i)];
        if (c == kImageChar) {
            TImageObj* img = Images.FindImage(i);
            if (img && !img->Floating()) w += img->ImageWidth;
            ++i;
        } else if (c == kControlChar) {
            TFormControlObj* ctrl = FormControls.FindControl(i);
            if (ctrl) w += ctrl->Width();
            ++i;
        } else {
            int j = pieceEnd(i, end);
            w += pieceWidth(canvas, i, j - i);
            i = j;
        }
    }
    return w;
}

int TSection::FitChars(TCanvas& canvas, int width, int start, int count, int y, int& floatHeight,
                       std::vector<TImageObj*>& laterFloats, IndentManager& indents) {
    int used = 0, chars = 0;
    bool atStart = true;
    floatHeight = 0;
    const int end = start + count;
    int i = start;
    while (i < end) {
        char c = Buff[static_cast<size_t>(i)];
        if (c == kImageChar) {
            TImageObj* img = Images.FindImage(i);
            if (img && !img->Floating()) {
                if (used + img->ImageWidth > width) break;
                used += img->ImageWidth;
                atStart = false;
            } else if (img && atStart) {
                int w = img->ImageWidth + img->HSpace;
                // A float first on the line goes there even when it is wider than the line.
                if (used + w > width && chars > 0) break;
                AddFloat(indents, y, img);
                floatHeight = std::max(floatHeight, img->ImageHeight);
                used += w;
            } else if (img) {
                laterFloats.push_back(img);
            }
            ++i;
            ++chars;
        } else if (c == kControlChar) {
            TFormControlObj* ctrl = FormControls.FindControl(i);
            int w = ctrl ? ctrl->Width() : 0;
            if (used + w > width) break;
            used += w;
            atStart = false;
            ++i;
            ++chars;
        } else {
            const int j = pieceEnd(i, end);
            const int len = j - i;
            int w = 0;
            const int n = fitPrefix(canvas, i, len, width - used, w);
            atStart = false;
            chars += n;
            if (n < len) break;
            used += w;
            i = j;
        }
    }
    return std::min(chars, count);
}

int TSection::FitCount(TCanvas& canvas, int width, int count, int start) {
    int used = 0, chars = 0;
    const int end = std::min(start + count, CharCount);
    int i = start;
    while (i < end) {
        char c = Buff[static_cast<size_t>(i)];
        if (c == kImageChar || c == kControlChar) {
            int w = 0;
            if (c == kImageChar) {
                TImageObj* img = Images.FindImage(i);
                if (img && !img->Floating()) w = img->ImageWidth;
            } else if (TFormControlObj* ctrl = FormControls.FindControl(i)) {
                w = ctrl->Width();
            }
            if (used + w > width) break;
            used += w;
            ++i;
            ++chars;
        } else {
            const int j = pieceEnd(i, end);
            const int len = j - i;
            int w = 0;
            const int n = fitPrefix(canvas, i, len, width - used, w);
            chars += n;
            if (n < len) break;
            used += w;
            i = j;
        }
    }
    return chars;
}

void TSection::AddFloat(IndentManager& indents, int y, TImageObj* image) {
    const int w = image->ImageWidth + image->HSpace;
    const int h = image->ImageHeight;
    if (image->ImageAlign == iaLeft) {
        image->FloatX = indents.LeftAt(y) - indents.LeftEdge;
        indents.AddFloat(y, w, kAlignLeft, h);
    } else {
        image->FloatX = indents.RightAt(y) - indents.LeftEdge - image->ImageWidth;
        indents.AddFloat(y, w, kAlignRight, h);
    }
    image->FloatY = y;
}

int TSection::ClearSpace(const IndentManager& indents, int y) const {
    if (ClearAttr == 0) return 0;
    int cl, cr;
    indents.ClearPositions(cl, cr);
    int left = std::max(0, cl - y - 1), right = std::max(0, cr - y - 1);
    switch (ClearAttr) {
        case 1: return left;
        case 2: return right;
        default: return std::max(left, right);
    }
}

int TSection::AvailableWidth(const IndentManager& indents, int y) const {
    return indents.RightAt(y) - indents.LeftAt(y);
}

// ---- layout ----

int TSection::Arrange(TCanvas& canvas, int y, int& charIndex, int& maxWidth, IndentManager& indents) {
    TopY = y;
    FirstChar = charIndex;
    FlowHeight = 0;
    linesUsed_ = 0;
    indents.SetListLevel(y, Level);
    if (CharCount == 0) {
        Lines.Clear();
        int h = ClearSpace(indents, y);
        FlowHeight = PaintHeight = h;
        maxWidth = 0;
        return h;
    }
    LeftX = indents.LeftAt(y);
    maxWidth = indents.Width;
    const int avail = indents.RightAt(y) - indents.LeftAt(y);
    for (int i = 0; i < Images.Count(); ++i) {
        TImageObj* img = Images[i];
        img->SizeImage(Document, canvas, avail, Fonts.GetRunAt(img->Pos));
        maxWidth = std::max(maxWidth, img->ImageWidth + Indent);
    }
    for (TFormControlObj* c : FormControls)
        if (c->TheControl) maxWidth = std::max(maxWidth, c->Width() + Indent);

    std::vector<TImageObj*> later;
    int p = 0;
    bool first = true;
    while (p < CharCount) {
        if (first) {
            first = false;
            int d = ClearSpace(indents, y);
            if (d > 0) {
                LineRec& clearLine = nextLine();
                clearLine.Start = 0;
                clearLine.SpaceBefore = d;
                clearLine.DrawHt = d;
                FlowHeight += d;
                y += d;
            }
        }
        const int width = AvailableWidth(indents, y);
        const int remaining = CharCount - p;
        int floatHeight = 0;
        later.clear();
        int n = std::max(1, FitChars(canvas, width, p, remaining, y, floatHeight, later, indents));
        if (n < remaining) {
            const int c = p + n - 1;
            const auto at = [this](int i) { return Buff[static_cast<size_t>(i)]; };
            if (at(c) == ' ') {
                while (p + n < CharCount && at(p + n) == ' ') ++n;
            } else if (c + 1 < CharCount && isPlaceholder(at(c + 1))) {
                // the break falls before the image or control
            } else {
                int k = c;
                while (k >= p && at(k) != ' ' && !isPlaceholder(at(k))) --k;
                if (k > p) {
                    n = k - p + 1;
                } else {
                    // One word wider than the line stays whole, with the spaces after it.
                    int e = c + 1;
                    while (e < CharCount && at(e) != ' ' && !isPlaceholder(at(e))) ++e;
                    while (e < CharCount && at(e) == ' ') ++e;
                    n = e - p;
                }
            }
        }
        finishLine(canvas, indents, p, n, y, floatHeight, later);
        p += n;
    }
    while (Lines.Count() > linesUsed_) Lines.Delete(Lines.Count() - 1);
    charIndex = FirstChar + CharCount;
    if (Level > 0) FlowHeight = std::max(FlowHeight, indents.LevelBottom() - TopY);
    PaintHeight = std::max(FlowHeight, indents.FloatBottom() - TopY);
    return FlowHeight;
}

LineRec& TSection::nextLine() {
    if (linesUsed_ < Lines.Count()) *Lines[linesUsed_] = LineRec();
    else Lines.Add(new LineRec);
    return *Lines[linesUsed_++];
}

void TSection::finishLine(TCanvas& canvas, IndentManager& indents, int start, int n, int& y, int floatHeight,
                          std::vector<TImageObj*>& laterFloats) {
    LineRec* line = &nextLine();
    const int end = start + n;
    bool onlyPlaceholders = true;
    for (int i = start; i < end; ++i)
        if (!isPlaceholder(Buff[static_cast<size_t>(i)])) {
            onlyPlaceholders = false;
            break;
        }
    if (!onlyPlaceholders) {
        int first = 0;
        Fonts.GetRunAt(start, first);  // the runs before it end before the line
        for (int r = first; r < Fonts.Count() && Fonts[r]->Pos < end; ++r) {
            const TFontObj* run = Fonts[r];
            const int runEnd = r + 1 < Fonts.Count() ? Fonts[r + 1]->Pos : CharCount;
            if (runEnd > start) {
                line->LineHt = std::max(line->LineHt, run->FontHeight);
                line->Descent = std::max(line->Descent, run->Descent);
            }
        }
    }
    for (int i = Images.AtOrAfter(start); i < Images.Count() && Images[i]->Pos < end; ++i) {
        TImageObj* img = Images[i];
        if (img->Floating()) continue;
        const int e = img->ImageHeight;
        const int diff = e - line->LineHt;
        switch (img->ImageAlign) {
            case iaTop:
                line->SpaceAfter = std::max(line->SpaceAfter, diff);
                break;
            case iaMiddle: {
                const int half = diff / 2;
                line->SpaceAfter = std::max(line->SpaceAfter, half);
                line->SpaceBefore = std::max(line->SpaceBefore, diff - half);
                break;
            }
            default:
                line->SpaceBefore = std::max(line->SpaceBefore, e + line->Descent - line->LineHt);
                break;
        }
    }
    for (auto it = FormControls.AtOrAfter(start); it != FormControls.end() && (*it)->Pos < end; ++it) {
        TFormControlObj* c = *it;
        const int e = c->Height();
        const int need = c->OnBaseline ? e + line->Descent - line->LineHt : e - line->LineHt;
        line->SpaceBefore = std::max(line->SpaceBefore, need);
        c->LineTop = y;
    }
    line->Start = start;
    line->Ln = n;
    const int left = indents.LeftAt(y), right = indents.RightAt(y);
    if (Align == 1) {
        line->LineIndent = left;
    } else {
        const int w = TextWidth(canvas, start, n, true);
        line->LineIndent = Align == 2 ? std::max(left, (left + right - w) / 2) : right - w - 1;
    }
    const int total = line->Total();
    FlowHeight += total;
    y += total;
    line->DrawHt = std::max(total, floatHeight);
    for (TImageObj* img : laterFloats) {
        AddFloat(indents, y, img);
        line->DrawHt = std::max(line->DrawHt, total + img->ImageHeight);
    }
    laterFloats.clear();
}

void TSection::WidthLimits(TCanvas& canvas, int& min, int& max) {
    min = max = 0;
    if (CharCount == 0) return;
    int floats = 0;
    for (int i = 0; i < Images.Count(); ++i) {
        TImageObj* img = Images[i];
        img->SizeImage(Document, canvas, 0, Fonts.GetRunAt(img->Pos));
        if (img->WidthIsPercent) continue;
        if (img->Floating()) floats += img->ImageWidth + img->HSpace;
        else min = std::max(min, img->ImageWidth);
    }
    max = floats + TextWidth(canvas, 0, CharCount, false) + Indent;
    int i = 0;
    while (i < CharCount) {
        int j = i;
        while (j < CharCount && Buff[static_cast<size_t>(j)] != ' ' && Buff[static_cast<size_t>(j)] != kImageChar) ++j;
        if (j > i) min = std::max(min, TextWidth(canvas, i, j - i, false));
        i = j + 1;
    }
    min += floats + Indent;
}

void TSection::Shift(int dy, int dChars) {
    TSectionBase::Shift(dy, dChars);
    for (int i = 0; i < Images.Count(); ++i) Images[i]->FloatY += dy;
    for (TFormControlObj* c : FormControls) c->LineTop += dy;
}

// ---- painting ----

int TSection::selectionRun(int p, bool& selected) const {
    selected = false;
    if (!Document) return kMaxRun;
    const int s = Document->SelStart - FirstChar, e = Document->SelEnd - FirstChar;
    if (s >= e) return kMaxRun;
    if (p >= s && p < e) {
        selected = true;
        return std::min(e - p, kMaxRun);
    }
    if (p < s) return std::min(s - p, kMaxRun);
    return kMaxRun;
}

std::string TSection::NumberMarker() const {
    const int n = ListNumber;
    std::string r;
    switch (NumberStyle) {
        case 'A': r = std::string(1, static_cast<char>('A' + std::clamp(n - 1, 0, 25))); break;
        case 'a': r = std::string(1, static_cast<char>('a' + std::clamp(n - 1, 0, 25))); break;
        case 'I':
            r = platform::AsciiUpper(kRoman[std::clamp(n, 1, 20) - 1]);
            break;
        case 'i': r = kRoman[std::clamp(n, 1, 20) - 1]; break;
        default: r = std::to_string(n); break;
    }
    return r + ".";
}

void TSection::paintMarker(TCanvas& canvas, int x, int y, const LineRec& line) {
    const int b = LeftX + x;
    const int scrollY = Document ? Document->ScrollY : 0;
    if (ListType == 1) {
        std::string marker = NumberMarker();
        canvas.Font = *MarkerFont;
        canvas.BrushClear = true;
        int w = canvas.TextWidth(marker);
        canvas.TextOut(b - 5 - w, y - line.Descent - scrollY, marker);
    } else if (ListType == 2 && !Plain) {
        const int m = y - line.LineHt / 2 - scrollY;
        const TColor back = Document ? Document->BackColor : clWhite;
        const TColor text = Document ? Document->TextColor : clBlack;
        const TColor bare = back & ~kPaletteRelative;
        const bool light = bare == clBtnFace || (back & 0xFFFFFF) == 0xFFFFFF || (back & 0xFFFFFF) == 0xC0C0C0 ||
                           (bare == clWindow && ColorToRGB(clWindow) == 0xFFFFFF);
        if (light) {
            const TColor c = (Level == 1 || Level == 4) ? clNavy : (Level == 2 || Level == 5) ? clMaroon : clRed;
            canvas.PenColor = c;
            canvas.BrushColor = c;
            canvas.BrushClear = false;
        } else {
            canvas.PenColor = text;
            canvas.BrushClear = true;
        }
        canvas.Ellipse(QRect(QPoint(b - 10, m - 2), QPoint(b - 5 - 1, m + 3 - 1)));
        canvas.BrushClear = false;
        canvas.BrushColor = back;
        canvas.PenColor = text;
    }
}

int TSection::Paint(TCanvas& canvas, const QRect& clipRect, IndentManager& indents, int x0, int y0) {
    const int result = y0 + FlowHeight;
    const int scrollY = Document ? Document->ScrollY : 0;
    if (y0 + PaintHeight - scrollY < clipRect.top() || y0 - scrollY > clipRect.bottom()) return result;
    canvas.TextBaseline = true;
    const TColor back = Document ? Document->BackColor : clWhite;
    int y = y0;
    bool markerDone = false;
    for (int li = 0; li < Lines.Count(); ++li) {
        LineRec& line = *Lines[li];
        y += line.SpaceBefore + line.LineHt;
        if (!markerDone && line.Ln > 0) {
            markerDone = true;
            if (ListType == 1 || ListType == 2) paintMarker(canvas, x0, y, line);
        }
        int x = x0 + line.LineIndent;
        line.DrawX = x;
        line.DrawY = y - line.LineHt;
        const int lineTop = y - line.LineHt - line.SpaceBefore;
        const int end = line.Start + line.Ln;
        for (int i = line.Start; i < end;) {
            const char c = Buff[static_cast<size_t>(i)];
            if (c == kImageChar) {
                TImageObj* img = Images.FindImage(i);
                const TFontObj* run = Fonts.GetRunAt(i);
                if (img && !img->Floating()) {
                    img->DrawImage(canvas, x, run, y - line.Descent, lineTop);
                    x += img->ImageWidth;
                } else if (img) {
                    img->DrawImage(canvas, x0 + img->FloatX, run, y - line.Descent, img->FloatY);
                }
                ++i;
            } else if (c == kControlChar) {
                if (TFormControlObj* ctrl = FormControls.FindControl(i); ctrl && ctrl->TheControl) {
                    ctrl->Shown = true;
                    const int top = ctrl->OnBaseline ? y - ctrl->Height() - line.Descent - scrollY
                                                     : y - ctrl->Height() - scrollY;
                    ctrl->TheControl->move(x, top);
                    ctrl->TheControl->show();
                    ctrl->Placed(OwnerCell);
                    x += ctrl->Width();
                }
                ++i;
            } else {
                bool selected;
                const int selCount = selectionRun(i, selected);
                const int j = std::min(pieceEnd(i, end), i + selCount);
                const TFontObj* run = Fonts.GetRunAt(i);
                const std::string_view piece = std::string_view(Buff).substr(static_cast<size_t>(i),
                                                                             static_cast<size_t>(j - i));
                canvas.Font = *run->TheFont;
                if (selected) {
                    canvas.BrushClear = false;
                    canvas.BrushColor = run->TheFont->Color();
                    canvas.Font.SetColor(back);
                } else {
                    canvas.BrushClear = true;
                }
                if (Preformatted()) {
                    QRect clip(QPoint(x0, lineTop - scrollY), QPoint(x0 + indents.ClipWidth - 1, y + line.SpaceAfter - scrollY - 1));
                    canvas.TextOutClipped(clip, x - run->Overhang / 2, y - line.Descent - scrollY, piece);
                } else {
                    int shift = run->SubSup == 2 ? -run->FontHeight / 3 : run->SubSup == 1 ? run->Descent / 2 + 1 : 0;
                    canvas.TextOut(x - run->Overhang / 2, y - line.Descent - scrollY + shift, piece);
                }
                x += canvas.Metrics.TextWidth(*run->TheFont, piece) - run->Overhang;
                i = j;
            }
        }
        y += line.SpaceAfter;
    }
    canvas.BrushClear = false;
    return result;
}

// ---- hit tests ----

bool TSection::LinkAtPoint(TCanvas& canvas, int x, int y, TFormControlObj*& formImage,
                           std::unique_ptr<TUrlTarget>& urlTarget) {
    int ix = 0, iy = 0;
    TImageObj* img = Images.ImageHit(x, TopY + y, ix, iy);
    if (!img) {
        int top = 0;
        for (int li = 0; li < Lines.Count(); ++li) {
            const LineRec& line = *Lines[li];
            if (y < top + line.Total()) {
                if (x < line.DrawX) return false;
                int n = FitCount(canvas, x - line.DrawX, line.Ln, line.Start);
                if (n >= line.Ln) return false;
                const TFontObj* run = Fonts.GetRunAt(line.Start + n);
                if (!run->IsLink()) return false;
                urlTarget = std::make_unique<TUrlTarget>(run->UrlTarget);
                return true;
            }
            top += line.Total();
        }
        return false;
    }
    if (img->FormControl) {
        formImage = img->FormControl;
        img->FormControl->RecordHit(ix, iy);
        return true;
    }
    if (img->UseMap && Document) {
        for (int m = 0; m < Document->Maps.Count(); ++m)
            if (Document->Maps[m]->Name == img->MapName) return Document->Maps[m]->HitTest(ix, iy, urlTarget);
    }
    const TFontObj* run = Fonts.GetRunAt(img->Pos);
    if (!run->IsLink()) return false;
    urlTarget = std::make_unique<TUrlTarget>(run->UrlTarget);
    if (img->IsMap) urlTarget->LinkUrl += "?" + std::to_string(ix) + "," + std::to_string(iy);
    return true;
}

bool TSection::ImageAtPoint(int x, int y, int& ix, int& iy, TImageObj*& image) {
    TImageObj* img = Images.ImageHit(x, TopY + y, ix, iy);
    if (!img) return false;
    image = img;
    return true;
}

int TSection::IndexAtPoint(TCanvas& canvas, int x, int y, bool& inText, int& caretHeight, int& caretY,
                           int& caretX, TCell*&) {
    int top = 0;
    for (int li = 0; li < Lines.Count(); ++li) {
        const LineRec& line = *Lines[li];
        if (y < top + line.Total()) {
            inText = true;
            caretHeight = line.LineHt;
            caretY = top + line.SpaceBefore;
            if (x < line.DrawX) {
                inText = false;
                caretX = line.DrawX;
                return FirstChar + line.Start;
            }
            int n = FitCount(canvas, x - line.DrawX, line.Ln, line.Start);
            caretX = line.DrawX + TextWidth(canvas, line.Start, n, false);
            if (n >= line.Ln) {
                inText = false;
            } else {
                const int w = TextWidth(canvas, line.Start + n, 1, false);
                if (x > caretX + w / 2) {
                    ++n;
                    caretX += w;
                }
            }
            return FirstChar + line.Start + n;
        }
        top += line.Total();
    }
    return -1;
}

bool TSection::PointOfIndex(TCanvas& canvas, int index, int& y, int& x) {
    if (CharCount == 0 || index < FirstChar || index > FirstChar + CharCount) return false;
    const int rel = index - FirstChar;
    int yy = TopY;
    for (int li = 0; li < Lines.Count(); ++li) {
        const LineRec& line = *Lines[li];
        if (rel < line.Start + line.Ln) {
            y = yy;
            x = line.LineIndent + TextWidth(canvas, line.Start, rel - line.Start, false);
            return true;
        }
        yy += line.Total();
    }
    return false;
}

bool TSection::CharAtIndex(int index, char& ch, TSectionBase*& block) {
    if (index < FirstChar || index >= FirstChar + CharCount) return false;
    ch = Buff[static_cast<size_t>(index - FirstChar)];
    block = this;
    return true;
}

int TSection::Search(int from, std::string_view text, bool matchCase) {
    if (CharCount == 0 || text.empty() || from >= FirstChar + CharCount) return -1;
    const size_t start = static_cast<size_t>(std::max(0, from - FirstChar));
    if (matchCase) {
        size_t p = Buff.find(text, start);
        return p == std::string::npos ? -1 : FirstChar + static_cast<int>(p);
    }
    const size_t len = text.size();
    for (size_t i = start; i + len <= Buff.size(); ++i) {
        size_t k = 0;
        while (k < len && LowerCp1252(static_cast<unsigned char>(Buff[i + k])) ==
                              LowerCp1252(static_cast<unsigned char>(text[k])))
            ++k;
        if (k == len) return FirstChar + static_cast<int>(i);
    }
    return -1;
}

void TSection::CopySelected() {
    if (!Document || !Document->TextSink) return;
    const int s = Document->SelStart - FirstChar, e = Document->SelEnd - FirstChar;
    for (int li = 0; li < Lines.Count(); ++li) {
        const LineRec& line = *Lines[li];
        const int ls = line.Start, le = line.Start + line.Ln;
        if (line.Ln == 0) continue;
        if (ls >= e) break;
        if (le <= s) continue;
        const int a = std::max(ls, s), b = std::min(le, e);
        std::string out;
        if (s <= ls && line.LineIndent > 0) out.append(static_cast<size_t>(3 * (line.LineIndent / kListIndent)), ' ');
        for (int i = a; i < b; ++i)
            if (!isPlaceholder(Buff[static_cast<size_t>(i)])) out += Buff[static_cast<size_t>(i)];
        Document->TextSink->Write(out);
        if (e >= le) Document->TextSink->Write("\r\n");
    }
}

void TSection::RefreshFonts() {
    if (Document) {
        Fonts.RefreshAll(*Document);
        MarkerFont->Refresh(*Document, Document->TextColor);
    }
    RefreshSize();
}

// ---- preformatted ----

void TPreFormated::AppendText(std::string_view s) {
    if (s.empty() || CharCount > kMaxSectionText) return;
    std::string t(s);
    for (char& c : t)
        if (c == kImageChar || c == kControlChar) c = ' ';
    Buff += t;
    CharCount = static_cast<int>(Buff.size());
}

int TPreFormated::Arrange(TCanvas& canvas, int y, int& charIndex, int& maxWidth, IndentManager& indents) {
    int h = TSection::Arrange(canvas, y, charIndex, maxWidth, indents);
    int mn, mx;
    WidthLimits(canvas, mn, mx);
    maxWidth = mx;
    return h;
}

void TPreFormated::WidthLimits(TCanvas& canvas, int& min, int& max) {
    max = TextWidth(canvas, 0, CharCount, false) + Indent;
    min = std::min(500, max);
}

}  // namespace htmlview
