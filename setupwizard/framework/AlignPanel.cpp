#include "setupwizard/framework/AlignPanel.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <algorithm>

namespace setupwizard {

TAlignPanel::TAlignPanel(QWidget* parent, int borderWidth) : QWidget(parent), border_(borderWidth) {}

void TAlignPanel::SetBorderWidth(int width) {
    border_ = width;
    Realign();
}

void TAlignPanel::AddAligned(QWidget* control, TAlign align, bool autoHeight) {
    control->setParent(this);
    items_.push_back({control, align, autoHeight});
    Realign();
}

void TAlignPanel::SetAlign(QWidget* control, TAlign align) {
    for (Item& item : items_)
        if (item.control == control) item.align = align;
    Realign();
}

int TAlignPanel::HeightOf(const Item& item, int width) const {
    if (!item.autoHeight) return item.control->height();
    if (auto* label = qobject_cast<QLabel*>(item.control); label && label->wordWrap())
        return std::max(0, label->heightForWidth(width));
    return item.control->sizeHint().height();
}

void TAlignPanel::Realign() {
    QRect free = rect().adjusted(border_, border_, -border_, -border_);
    for (const Item& item : items_) {
        if (item.control->isHidden()) continue;
        switch (item.align) {
            case TAlign::Top: {
                const int h = HeightOf(item, free.width());
                item.control->setGeometry(free.left(), free.top(), free.width(), h);
                free.setTop(free.top() + h);
                break;
            }
            case TAlign::Bottom: {
                const int h = HeightOf(item, free.width());
                item.control->setGeometry(free.left(), free.bottom() + 1 - h, free.width(), h);
                free.setBottom(free.bottom() - h);
                break;
            }
            case TAlign::Left: {
                const int w = item.control->width();
                item.control->setGeometry(free.left(), free.top(), w, free.height());
                free.setLeft(free.left() + w);
                break;
            }
            case TAlign::Right: {
                const int w = item.control->width();
                item.control->setGeometry(free.right() + 1 - w, free.top(), w, free.height());
                free.setRight(free.right() - w);
                break;
            }
            case TAlign::Client:
            case TAlign::None:
                break;
        }
    }
    for (const Item& item : items_)
        if (item.align == TAlign::Client) item.control->setGeometry(free.normalized());
}

void TAlignPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Realign();
}

bool TAlignPanel::event(QEvent* event) {
    // A child's new text or font may change the height it needs.
    if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::FontChange) Realign();
    return QWidget::event(event);
}

TImage::TImage(QWidget* parent, bool stretch) : QWidget(parent), stretch_(stretch) {}

void TImage::SetPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void TImage::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    if (stretch_) {
        painter.drawImage(rect(), picture_);
    } else {
        const QPoint at((width() - picture_.width()) / 2, (height() - picture_.height()) / 2);
        painter.drawImage(at, picture_);
    }
}

void TBevel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, 0, width() - 1, 0);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, 1, width() - 1, 1);
}

}  // namespace setupwizard
