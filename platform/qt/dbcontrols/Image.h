#pragma once
// A picture control: shows its picture scaled to fit, never stretched out of
// proportion and never enlarged beyond twice its size, centred. Empty: a
// plain panel.
#include <QImage>
#include <QWidget>

namespace platform {

class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    void SetPicture(const QImage& picture);
    void Clear() { SetPicture(QImage()); }
    const QImage& Picture() const { return picture_; }
    bool Empty() const { return picture_.isNull(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QImage picture_;
};

}  // namespace platform
