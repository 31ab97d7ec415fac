#include "platform/qt/dbcontrols/Image.h"

#include <QPainter>

namespace platform {

TImage::TImage(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(64, 48);
}

void TImage::SetPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

QSize TImage::sizeHint() const { return picture_.isNull() ? QSize(160, 120) : picture_.size(); }

void TImage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    p.setPen(palette().mid().color());
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (picture_.isNull()) return;
    const QRect area = rect().adjusted(4, 4, -4, -4);
    if (area.width() <= 0 || area.height() <= 0) return;
    QSize size = picture_.size();
    const QSize limit(std::min(area.width(), picture_.width() * 2), std::min(area.height(), picture_.height() * 2));
    size.scale(limit, Qt::KeepAspectRatio);
    const QRect target(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2,
                       size.width(), size.height());
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, picture_);
}

}  // namespace platform
