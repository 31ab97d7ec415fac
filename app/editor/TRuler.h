#pragma once
// The ruler over the editor: tick marks at the tab stops, a base line, and
// three indent markers the user drags (first line, left, right). The ruler
// only moves markers; what a drag means is the editor's business, told
// through the three callbacks.
#include <QLabel>
#include <QWidget>
#include <functional>

class QFrame;

namespace vorel {

class TRuler;

// One indent marker: a small arrow the mouse drags along the ruler.
class RulerMarker : public QWidget {
public:
    enum class Arrow { Down, Up };
    RulerMarker(Arrow arrow, TRuler* ruler);
    // Half the width is the drag offset; with 10 a marker placed from an indent
    // and the indent taken back from the marker agree to the pixel.
    static constexpr int kWidth = 10;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    Arrow arrow_;
    TRuler* ruler_;
};

class TRuler : public QWidget {
public:
    explicit TRuler(QWidget* parent = nullptr);

    RulerMarker *FirstInd, *LeftInd, *RightInd;
    QFrame* RulerLine;
    double TabStopDistance = 80;  // pixels between tick marks

    // Mouse on a marker, x in the marker's own coordinates.
    std::function<void(RulerMarker*, int x)> OnMouseDown, OnMouseMove;
    std::function<void(RulerMarker*)> OnMouseUp;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
};

}  // namespace vorel
