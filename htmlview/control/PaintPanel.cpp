#include "htmlview/control/PaintPanel.h"

#include "htmlview/control/BackgroundTiles.h"
#include "htmlview/control/HtmlDisplay.h"
#include "platform/qt/qtglue/Guard.h"

#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace htmlview {

namespace {
QColor ToQColor(TColor c) {
    const TColor rgb = ColorToRGB(c);
    return QColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

// Offscreen for the life of the object.
class OffscreenScope {
public:
    OffscreenScope(TCanvas*& slot, TCanvas* canvas) : slot_(slot) { slot_ = canvas; }
    ~OffscreenScope() { slot_ = nullptr; }
    OffscreenScope(const OffscreenScope&) = delete;
    OffscreenScope& operator=(const OffscreenScope&) = delete;

private:
    TCanvas*& slot_;
};
}  // namespace

TPaintPanel::TPaintPanel(QWidget* owner, THtmlDisplay* viewer) : QWidget(owner), Viewer(viewer) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setMouseTracking(true);
}

TPaintPanel* TPaintPanel::CreateForViewer(QWidget* owner, THtmlDisplay* viewer) {
    return new TPaintPanel(owner, viewer);
}

void TPaintPanel::SetColor(TColor c) {
    Color = c;
    update();
}

void TPaintPanel::paintEvent(QPaintEvent* e) {
    platform::Guarded([&] {
        QPainter screen(this);
        if (EraseOnce) EraseBackground(screen, e->rect());
        DrawBuffered(e->rect(), screen);
    });
}

void TPaintPanel::EraseBackground(QPainter& painter, const QRect& clip) {
    TileBackground(painter, clip, true);
    EraseOnce = false;
}

void TPaintPanel::DrawBuffered(const QRect& clip, QPainter& screen) {
    if (Viewer && Viewer->LayoutRunning()) return;
    if (clip.isEmpty()) return;
    QImage image(clip.size(), QImage::Format_RGB32);
    if (image.isNull()) throw platform::Exception("Out of Resources");
    {
        QPainter painter(&image);
        // Drawing keeps panel coordinates.
        painter.translate(-clip.topLeft());
        painter.setClipRect(clip);
        painter.setFont(font());
        TCanvas canvas(ScreenMetrics(), &painter);
        OffscreenScope scope(Offscreen, &canvas);
        TileBackground(painter, clip, false);
        if (PaintHook) PaintHook();
    }
    screen.drawImage(clip.topLeft(), image);
}

void TPaintPanel::TileBackground(QPainter& painter, const QRect& clip, bool /*firstErase*/) {
    const QColor brush = ToQColor(Color | kPaletteRelative);
    const TSectionList* doc = Viewer ? Viewer->Document : nullptr;
    const TPicture* back = doc && doc->ImagesOn && doc->BackBitmap ? doc->BackBitmap.get() : nullptr;
    if (!back) {
        painter.fillRect(clip, brush);
        return;
    }
    try {
        PaintBackground(painter, clip, back->Bitmap, Viewer->HScrollPos(), doc->ScrollY, brush);
    } catch (...) {
        painter.fillRect(clip, brush);
    }
}

void TPaintPanel::DoubleClickSelect(Qt::MouseButtons buttons, int x, int y) {
    if (Viewer && (buttons & Qt::LeftButton)) Viewer->SelectWordAt(x, y);
}

void TPaintPanel::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    platform::Guarded([&] { Viewer->PanelMouseDown(e->button(), e->modifiers(), p.x(), p.y()); });
}

void TPaintPanel::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    platform::Guarded([&] { Viewer->PanelMouseMove(e->buttons(), e->modifiers(), p.x(), p.y()); });
}

void TPaintPanel::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    platform::Guarded([&] { Viewer->PanelMouseUp(e->button(), e->modifiers(), p.x(), p.y()); });
}

void TPaintPanel::mouseDoubleClickEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    platform::Guarded([&] { DoubleClickSelect(e->button(), p.x(), p.y()); });
}

}  // namespace htmlview
