// The interactive half of the control: layout at the control's width, the
// scroll bars, painting, keys, the mouse (link cursor, hot spots, image
// events, selection by drag and double click, autoscroll while dragging
// outside the panel).
#include "htmlview/control/HtmlDisplay.h"

#include "htmlview/layout/Canvas.h"
#include "platform/qt/qtglue/Guard.h"

#include <QKeyEvent>
#include <QWheelEvent>
#include <QPainter>
#include <algorithm>

namespace htmlview {

namespace {

constexpr int kMaxDocWidth = 2000;

bool IsWordChar(char c) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) return true;
    return b >= 192 && b != 215 && b != 247;
}

// LayoutRunning from construction to destruction.
class LayoutFlag {
public:
    explicit LayoutFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~LayoutFlag() { flag_ = false; }
    LayoutFlag(const LayoutFlag&) = delete;
    LayoutFlag& operator=(const LayoutFlag&) = delete;

private:
    bool& flag_;
};

}  // namespace

std::unique_ptr<TCanvas> THtmlDisplay::MeasuringCanvas() const { return std::make_unique<TCanvas>(ScreenMetrics()); }

int THtmlDisplay::DocumentY(int panelY) const { return panelY + Document->ScrollY - marginHeight_; }

int THtmlDisplay::MaxVScroll() const { return std::max(0, DocHeight - PaintPanel->height()); }

int THtmlDisplay::MaxHScroll() const { return std::max(0, HScrollBar->Max() - PaintPanel->width()); }

// ---- Layout and scroll bars

void THtmlDisplay::LayoutDocument() {
    DocWidth = 0;
    LayoutFlag running(layoutRunning_);
    const int inset = borderStyle_ == THTMLBorderStyle::htNone ? 1 : 3;
    auto canvas = MeasuringCanvas();
    int charIndex = 0;
    const bool vertical = scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth;
    if (vertical) {
        const int w = std::max(0, width() - ScrollBarWidth - inset - 2 * marginWidth_);
        DocHeight = Document->Arrange(*canvas, marginHeight_, w, charIndex, DocWidth) + 2 * marginHeight_;
    } else {
        const int w = std::max(0, width() - inset - 2 * marginWidth_);
        DocHeight = Document->Arrange(*canvas, marginHeight_, w, charIndex, DocWidth) + marginHeight_;
    }
    // A later resize to the same width need not lay out again.
    LastLayoutWidth = width();
    UpdateScrollBars();
}

void THtmlDisplay::UpdateScrollBars() {
    DocWidth = std::min(DocWidth, kMaxDocWidth);
    const int b = borderStyle_ == THTMLBorderStyle::htNone ? 0 : 1;
    const int need = 2 * marginWidth_ + DocWidth;
    const int sbw = ScrollBarWidth;
    const int W = width(), Hgt = height();
    const bool hAllowed = scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth;
    const bool vAllowed = scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth;
    bool V = false, H = false;
    if (!vAllowed) {
        H = hAllowed && W < need;
    } else {
        V = DocHeight >= Hgt - 2 || (hAllowed && DocHeight >= Hgt - sbw - 2 && W - sbw < need);
        H = hAllowed && (W < need || (V && W - sbw < need));
    }
    const int w = V ? W - sbw : W;
    const int panelW = std::max(0, w - 2 * b);
    const int panelH = std::max(0, Hgt - 2 * b - (H ? sbw : 0));
    PaintPanel->setGeometry(b, b, panelW, panelH);

    HScrollBar->setVisible(H);
    HScrollBar->LargeChange = std::max(1, w - 20);
    HScrollBar->setGeometry(b, Hgt - sbw - b, std::max(0, w - b), sbw);
    HScrollBar->SetScrollParams(HScrollBar->Position(), w, 0, std::max(0, std::max(need, w - 2 * b)));

    VScrollBar->setGeometry(W - sbw - b, b, sbw, panelH);
    // A tiny control still pages by at least one pixel.
    VScrollBar->LargeChange = std::max(1, panelH - VScrollBar->SmallChange);
    VScrollBar->setVisible(V);
    VScrollBar->SetScrollParams(VScrollBar->Position(), panelH + 1, 0, DocHeight);
}

void THtmlDisplay::ScrollToY(int y) {
    y = std::max(0, std::min(y, DocHeight - PaintPanel->height()));
    VScrollBar->SetPosition(y);
    Document->SetScrollY(y);
    update();
    PaintPanel->update();
}

void THtmlDisplay::SetVScrollPos(int y) {
    const int clamped = std::max(0, std::min(y, DocHeight - PaintPanel->height()));
    if (clamped != VScrollPos()) ScrollToY(clamped);
}

// Moves the view to Y (already clamped); a single line step scrolls the
// panel's content instead of repainting all of it.
void THtmlDisplay::SetVerticalTo(int y, bool scrollContent) {
    const int old = VScrollPos();
    VScrollBar->SetPosition(y);
    Document->SetScrollY(y);
    // A partial repaint would leave form controls in the moved part unplaced,
    // and the document hides unplaced controls: with controls, paint it all.
    if (scrollContent && Document->Controls.empty()) PaintPanel->scroll(0, old - y);
    else PaintPanel->update();
}

// ---- Painting

void THtmlDisplay::DrawDocument() {
    if (layoutRunning_ || !PaintPanel->Offscreen) return;
    const QRect rect(QPoint(marginWidth_, 1), QPoint(PaintPanel->width(), PaintPanel->height()));
    Document->Paint(*PaintPanel->Offscreen, rect, marginWidth_ - HScrollPos(), marginHeight_, kMaxDocWidth);
}

TColor THtmlDisplay::BorderColor() const {
    const bool shown = (hasFocus() && borderStyle_ == THTMLBorderStyle::htFocused) ||
                       borderStyle_ == THTMLBorderStyle::htSingle;
    return shown ? clBtnText : PaintPanel->Color;
}

void THtmlDisplay::paintEvent(QPaintEvent*) {
    platform::Guarded([this] {
        QPainter p(this);
        const TColor c = ColorToRGB(BorderColor());
        p.setPen(QColor(RedOf(c), GreenOf(c), BlueOf(c)));
        p.setBrush(Qt::NoBrush);
        p.drawRect(0, 0, width() - 1, height() - 1);
    });
}

void THtmlDisplay::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    update();
}

void THtmlDisplay::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    update();
}

// ---- Resizing and scrolling by the bars

void THtmlDisplay::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    platform::Guarded([this] { HandleResize(); });
}

void THtmlDisplay::HandleResize() {
    if (width() == LastLayoutWidth || busy_) {
        UpdateScrollBars();
    } else {
        PaintPanel->EraseOnce = true;
        Relayout();
        LastLayoutWidth = width();
    }
    if (DocHeight < PaintPanel->height()) ScrollToY(0);
    else ScrollToY(VScrollPos());
    HScrollBar->SetPosition(std::max(0, std::min(HScrollPos(), MaxHScroll())));
}

void THtmlDisplay::HandleHScroll(TScrollCode code, int trackPos) {
    setFocus();
    int p = HScrollPos();
    switch (code) {
        case TScrollCode::LineUp: p -= HScrollBar->SmallChange; break;
        case TScrollCode::LineDown: p += HScrollBar->SmallChange; break;
        case TScrollCode::PageUp: p -= HScrollBar->LargeChange; break;
        case TScrollCode::PageDown: p += HScrollBar->LargeChange; break;
        case TScrollCode::ThumbTrack: p = trackPos; break;
        case TScrollCode::Top: p = 0; break;
        case TScrollCode::Bottom: p = MaxHScroll(); break;
        case TScrollCode::Other: break;
    }
    HScrollBar->SetPosition(std::clamp(p, 0, MaxHScroll()));
    PaintPanel->update();
}

void THtmlDisplay::HandleVScroll(TScrollCode code, int trackPos) {
    setFocus();
    const int pos = VScrollPos();
    int p = pos;
    switch (code) {
        case TScrollCode::ThumbTrack: p = trackPos; break;
        case TScrollCode::LineUp: p = pos - VScrollBar->SmallChange; break;
        case TScrollCode::LineDown: p = pos + VScrollBar->SmallChange; break;
        case TScrollCode::PageUp: p = pos - VScrollBar->LargeChange; break;
        case TScrollCode::PageDown: p = pos + VScrollBar->LargeChange; break;
        case TScrollCode::Top: p = 0; break;
        case TScrollCode::Bottom: p = DocHeight - PaintPanel->height(); break;
        case TScrollCode::Other: break;
    }
    p = std::clamp(p, 0, MaxVScroll());
    SetVerticalTo(p, true);
}

// ---- Keys

void THtmlDisplay::keyPressEvent(QKeyEvent* e) {
    platform::Guarded([&] {
        int key = e->key();
        if (OnKeyDown) OnKeyDown(this, key, e->modifiers());
        HandleKeyDown(key);
    });
}

void THtmlDisplay::HandleKeyDown(int key) {
    const int pos = VScrollPos();
    int p = pos;
    switch (key) {
        case Qt::Key_PageUp: p = pos - VScrollBar->LargeChange; break;
        case Qt::Key_PageDown: p = pos + VScrollBar->LargeChange; break;
        case Qt::Key_End: p = DocHeight; break;
        case Qt::Key_Home: p = 0; break;
        case Qt::Key_Up: p = pos - VScrollBar->SmallChange; break;
        case Qt::Key_Down: p = pos + VScrollBar->SmallChange; break;
        case Qt::Key_Left:
        case Qt::Key_Right: {
            const int step = key == Qt::Key_Left ? -HScrollBar->SmallChange : HScrollBar->SmallChange;
            HScrollBar->SetPosition(std::clamp(HScrollPos() + step, 0, MaxHScroll()));
            PaintPanel->update();
            return;
        }
        default: return;
    }
    p = std::clamp(p, 0, MaxVScroll());
    SetVerticalTo(p, std::abs(p - pos) == VScrollBar->SmallChange);
}

// The wheel moves three lines a notch, as scrolling views do on the desktop.
void THtmlDisplay::wheelEvent(QWheelEvent* e) {
    platform::Guarded([&] {
        const int notches = e->angleDelta().y() / 120;
        if (notches == 0) return;
        const int p = std::clamp(VScrollPos() - notches * 3 * VScrollBar->SmallChange, 0, MaxVScroll());
        SetVerticalTo(p, false);
    });
    e->accept();
}

// ---- Mouse

void THtmlDisplay::PanelMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
    setFocus();
    LinkFollowed = false;
    if (button != Qt::LeftButton) return;
    LinkPressPending = true;
    Selecting = true;
    auto canvas = MeasuringCanvas();
    bool inText = false;
    int caretHeight = 0, caretY = 0, caretX = 0;
    TCell* cell = nullptr;
    MouseDownIndex = Document->IndexAtPoint(*canvas, x, DocumentY(y), inText, caretHeight, caretY, caretX, cell);
    if (MouseDownIndex < 0) return;
    if (Document->SelStart != Document->SelEnd) PaintPanel->update();
    Document->SelStart = Document->SelEnd = MouseDownIndex;
    CaretIndex = MouseDownIndex;
}

void THtmlDisplay::PanelMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) {
    lastMouse_ = QPoint(x, y);
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
    auto canvas = MeasuringCanvas();
    const int docY = DocumentY(y);
    std::string url, target;
    TFormControlObj* formImage = nullptr;
    std::unique_ptr<TUrlTarget> link;
    int ix = 0, iy = 0;
    TImageObj* image = nullptr;
    if (Document->LinkAtPoint(*canvas, x, docY, formImage, link)) {
        PaintPanel->setCursor(Qt::PointingHandCursor);
        if (link) {
            url = link->LinkUrl;
            target = link->LinkTarget;
        }
    } else if ((OnImageClick || OnImageOver) && Document->ImageAtPoint(x, docY, ix, iy, image)) {
        PaintPanel->setCursor(Qt::ArrowCursor);
        if (OnImageOver) OnImageOver(this, image, shift, ix, iy);
    } else {
        bool inText = false;
        int caretHeight = 0, caretY = 0, caretX = 0;
        TCell* cell = nullptr;
        const int i = Document->IndexAtPoint(*canvas, x, docY, inText, caretHeight, caretY, caretX, cell);
        PaintPanel->setCursor(i >= 0 && inText ? cursor() : QCursor(Qt::ArrowCursor));
    }
    if (url != HotSpotUrl) {
        HotSpotUrl = url;
        HotSpotTarget = target;
        if (OnHotSpotCovered) OnHotSpotCovered(this, url);
    }
    if (buttons & Qt::LeftButton) {
        if (!AutoScrolling && (y <= 0 || y > height())) {
            AutoScrolling = true;
            lastAutoScroll_ = TickCount() - 100;
            autoScrollTimer_.start();
        }
        if (!noSelect_) ExtendSelection(x, y);
    }
}

void THtmlDisplay::ExtendSelection(int x, int y) {
    if (!Selecting || MouseDownIndex < 0) return;
    y = std::clamp(y, 0, height());
    auto canvas = MeasuringCanvas();
    bool inText = false;
    int caretHeight = 0, caretY = 0, caretX = 0;
    TCell* cell = nullptr;
    const int index = Document->IndexAtPoint(*canvas, x, DocumentY(y), inText, caretHeight, caretY, caretX, cell);
    if (index >= 0 && index != CaretIndex && !noSelect_) {
        Document->SelStart = std::min(MouseDownIndex, index);
        Document->SelEnd = std::max(MouseDownIndex, index);
        PaintPanel->update();
    }
    if (index >= 0) CaretIndex = index;
}

void THtmlDisplay::DragAutoScrollStep() {
    // Viewer coordinates of the mouse.
    const int y = lastMouse_.y() + PaintPanel->y();
    if (!AutoScrolling || !(y <= 0 || y > height())) {
        AutoScrolling = false;
        autoScrollTimer_.stop();
        return;
    }
    const std::int64_t now = TickCount();
    if (now - lastAutoScroll_ < 100) return;
    lastAutoScroll_ = now;
    const int outside = y <= 0 ? -y : y - height();
    const int step = outside > 15 ? 8 * VScrollBar->SmallChange : VScrollBar->SmallChange;
    const int p = std::clamp(VScrollPos() + (y <= 0 ? -step : step), 0, MaxVScroll());
    VScrollBar->SetPosition(p);
    Document->SetScrollY(p);
    ExtendSelection(lastMouse_.x(), lastMouse_.y());
    PaintPanel->update();
}

void THtmlDisplay::PanelMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
    auto canvas = MeasuringCanvas();
    const int docY = DocumentY(y);
    if (OnImageClick || OnRightClick) {
        int ix = 0, iy = 0;
        TImageObj* image = nullptr;
        const bool hit = Document->ImageAtPoint(x, docY, ix, iy, image);
        if (hit && OnImageClick) OnImageClick(this, image, button, shift, ix, iy);
        if (button == Qt::RightButton && OnRightClick) {
            TRightClickParameters params;
            if (hit) {
                params.Image = image;
                params.ImageX = ix;
                params.ImageY = iy;
            }
            TFormControlObj* formImage = nullptr;
            std::unique_ptr<TUrlTarget> link;
            if (Document->LinkAtPoint(*canvas, x, docY, formImage, link) && link) {
                params.URL = link->LinkUrl;
                params.Target = link->LinkTarget;
            }
            OnRightClick(this, params);
        }
    }
    if (button != Qt::LeftButton) return;
    ExtendSelection(x, y);
    Selecting = false;
    AutoScrolling = false;
    autoScrollTimer_.stop();
    TFormControlObj* formImage = nullptr;
    std::unique_ptr<TUrlTarget> link;
    if (LinkPressPending && Document->SelStart >= Document->SelEnd &&
        Document->LinkAtPoint(*canvas, x, docY, formImage, link)) {
        LinkPressPending = false;
        if (formImage) {  // an image submit control noted where it was hit
            formImage->ImageClicked();
            return;
        }
        if (!link) return;
        HotSpotUrl = link->LinkUrl;
        HotSpotTarget = link->LinkTarget;
        LinkFollowed = true;
        FollowLink();
    } else {
        LinkPressPending = false;
    }
}

void THtmlDisplay::SelectWordAt(int x, int y) {
    if (noSelect_ || busy_ || LinkFollowed) return;
    auto canvas = MeasuringCanvas();
    bool inText = false;
    int caretHeight = 0, caretY = 0, caretX = 0;
    TCell* cell = nullptr;
    const int docY = DocumentY(y);
    CaretIndex = Document->IndexAtPoint(*canvas, x, docY, inText, caretHeight, caretY, caretX, cell);
    if (CaretIndex < 0) return;
    // The caret's point must lie on the clicked line: an index at a line's
    // end belongs to the next one.
    int py = 0, px = 0;
    if (!Document->PointOfIndex(*canvas, CaretIndex, py, px) || py > docY + Document->TopY) return;
    char ch = 0;
    TSectionBase* block = nullptr;
    if (!Document->CharAtIndex(CaretIndex, ch, block) || !IsWordChar(ch)) return;
    auto wordAt = [&](int i) {
        char c = 0;
        TSectionBase* b = nullptr;
        return Document->CharAtIndex(i, c, b) && b == block && IsWordChar(c);
    };
    int first = CaretIndex, last = CaretIndex;
    while (wordAt(last + 1)) ++last;
    while (first > 0 && wordAt(first - 1)) --first;
    Document->SelStart = first;
    Document->SelEnd = last + 1;
    PaintPanel->update();
}

}  // namespace htmlview
