#pragma once
// TBackdrop: a panel that fills itself with a colour gradient of 256 bands
// (or 128 from each edge, meeting in the middle, for the mirrored
// directions). It fills its parent unless told otherwise; no bevels.
#include <QColor>
#include <QWidget>

namespace setupwizard {

enum TDirection { bdUp, bdDown, bdLeft, bdRight, bdHorzIn, bdHorzOut, bdVertIn, bdVertOut };

class TBackdrop : public QWidget {
    Q_OBJECT
public:
    explicit TBackdrop(QWidget* parent = nullptr);
    ~TBackdrop() override;

    TDirection Direction() const { return direction_; }
    void SetDirection(TDirection direction);
    QColor StartColor() const { return startColor_; }
    void SetStartColor(const QColor& color);
    QColor EndColor() const { return endColor_; }
    void SetEndColor(const QColor& color);

    // Align alClient: the backdrop follows its parent's size.
    bool AlignClient() const { return alignClient_; }
    void SetAlignClient(bool value);

    // -1 marks the program's one main backdrop.
    int Tag() const { return tag_; }
    void SetTag(int value);

    // The gradient of the given direction painted over the whole of rect.
    static void PaintGradient(QPainter& painter, const QRect& rect, TDirection direction, const QColor& start,
                              const QColor& end);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <typename>
    friend class MainInstance;
    int& tagRef() { return tag_; }
    void FollowParent();

    TDirection direction_ = bdUp;
    QColor startColor_ = Qt::blue;
    QColor endColor_ = Qt::black;
    bool alignClient_ = true;
    int tag_ = 0;
};

}  // namespace setupwizard
