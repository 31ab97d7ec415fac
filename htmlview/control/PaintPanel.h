#pragma once
// TPaintPanel: the viewer's drawing surface. Every paint goes through an
// off-screen image of the damaged rectangle only (background first, then the
// document through PaintHook) and one copy to the screen. Mouse events go to
// the viewer; a left double click selects a word.
#include "htmlview/layout/Canvas.h"
#include "htmlview/util/Colors.h"

#include <QWidget>
#include <functional>

class QPainter;

namespace htmlview {

class THtmlDisplay;

class TPaintPanel : public QWidget {
public:
    static TPaintPanel* CreateForViewer(QWidget* owner, THtmlDisplay* viewer);

    THtmlDisplay* Viewer;
    std::function<void()> PaintHook;  // draws the document on Offscreen
    bool EraseOnce = false;           // paint the background in the next erase
    TCanvas* Offscreen = nullptr;     // alive only while painting
    TColor Color = clBtnFace;

    void SetColor(TColor c);
    void DrawBuffered(const QRect& clip, QPainter& screen);
    // Background of Clip: the document's picture tiled, else its colour.
    void TileBackground(QPainter& painter, const QRect& clip, bool firstErase);
    void EraseBackground(QPainter& painter, const QRect& clip);
    void DoubleClickSelect(Qt::MouseButtons buttons, int x, int y);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    TPaintPanel(QWidget* owner, THtmlDisplay* viewer);
};

}  // namespace htmlview
