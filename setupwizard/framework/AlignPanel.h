#pragma once
// Panels that place their controls as the class library's alignment does:
// controls aligned to the top stack downwards from the top in the order
// added, bottom ones upwards from the bottom, left and right ones inwards
// from the sides, and one client control fills what remains; all inside a
// border. A word-wrapped label that sizes itself takes the height its text
// needs at the width it gets.
#include <QImage>
#include <QWidget>
#include <vector>

namespace setupwizard {

enum class TAlign { None, Top, Bottom, Left, Right, Client };

class TAlignPanel : public QWidget {
    Q_OBJECT
public:
    explicit TAlignPanel(QWidget* parent, int borderWidth = 0);

    int BorderWidth() const { return border_; }
    void SetBorderWidth(int width);
    // Adds a child control with an alignment; autoHeight: a label that sizes itself.
    void AddAligned(QWidget* control, TAlign align, bool autoHeight = false);
    // Changes the alignment of a control added before (None: left where it is).
    void SetAlign(QWidget* control, TAlign align);
    // Places the controls again (after a text or size change).
    void Realign();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Item {
        QWidget* control;
        TAlign align;
        bool autoHeight;
    };
    int HeightOf(const Item& item, int width) const;
    std::vector<Item> items_;
    int border_;
};

// A picture that covers its area, stretched, or centred at its own size.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent, bool stretch = true);
    const QImage& Picture() const { return picture_; }
    void SetPicture(const QImage& picture);
    bool Stretch() const { return stretch_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
    bool stretch_;
};

// A line along the top of its area, as a bevel shaped as a top line.
class TBevel : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace setupwizard
