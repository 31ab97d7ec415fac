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

class TRegua;

// One indent marker: a small arrow the mouse drags along the ruler.
class MarcadorRegua : public QWidget {
public:
    enum class Seta { ParaBaixo, ParaCima };
    MarcadorRegua(Seta seta, TRegua* regua);
    // Half the width is the drag offset; with 10 a marker placed from an indent
    // and the indent taken back from the marker agree to the pixel.
    static constexpr int kLargura = 10;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    Seta seta_;
    TRegua* regua_;
};

class TRegua : public QWidget {
public:
    explicit TRegua(QWidget* parent = nullptr);

    MarcadorRegua *FirstInd, *LeftInd, *RightInd;
    QFrame* RulerLine;
    double DistanciaTabulacao = 80;  // pixels between tick marks

    // Mouse on a marker, x in the marker's own coordinates.
    std::function<void(MarcadorRegua*, int x)> OnMouseDown, OnMouseMove;
    std::function<void(MarcadorRegua*)> OnMouseUp;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
};

}  // namespace vorel
