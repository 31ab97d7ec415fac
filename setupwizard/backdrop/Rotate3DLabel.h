#pragma once
// TRotate3DLabel: a label that draws its caption turned by its style's
// angle about the label's centre, with a recessed, raised or drop-shadow
// copy, and, when not transparent, on a turned rectangle of its Color.
// Painting with MyTransparent off leaves the style without 3-D effect.
#include <QColor>
#include <QWidget>

#include "setupwizard/backdrop/LabelStyle.h"

namespace setupwizard {

class TRotate3DLabel : public QWidget {
    Q_OBJECT
public:
    explicit TRotate3DLabel(QWidget* parent = nullptr);
    ~TRotate3DLabel() override;

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    Qt::Alignment Alignment() const { return alignment_; }
    // Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter.
    void SetAlignment(Qt::Alignment alignment);
    QColor Color() const { return color_; }
    void SetColor(const QColor& color);
    bool MyTransparent() const { return myTransparent_; }
    void SetMyTransparent(bool value);

    TLabelStyle& LabelStyle() { return style_; }
    const TLabelStyle& LabelStyle() const { return style_; }
    void SetLabelStyle(const TLabelStyle& style);

    // Align alTop: the label spans its parent's width at the top.
    bool AlignTop() const { return alignTop_; }
    void SetAlignTop(bool value);

    // -1 marks the program's one main label.
    int Tag() const { return tag_; }
    void SetTag(int value);

    // Caption, style, font, alignment to the parent, geometry and MyTransparent.
    void Assign(const TRotate3DLabel& source);

    // Cosine and sine of the angle of the last paint (1 and 0 before any).
    double LastCos() const { return cos_; }
    double LastSin() const { return sin_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <typename>
    friend class MainInstance;
    int& tagRef() { return tag_; }
    void FollowParent();

    QString caption_;
    Qt::Alignment alignment_ = Qt::AlignLeft;
    QColor color_{Qt::lightGray};
    bool myTransparent_ = true;
    bool alignTop_ = false;
    TLabelStyle style_;
    int tag_ = 0;
    double cos_ = 1;
    double sin_ = 0;
};

}  // namespace setupwizard
