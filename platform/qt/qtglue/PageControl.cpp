#include "platform/qt/qtglue/PageControl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "platform/qt/qtglue/Guard.h"

namespace platform {

namespace {
// Whether a key would switch pages in QTabWidget or QTabBar, so the question
// is asked only for a real change (the cross-reference tab reloads on it).
bool IsSwitchKey(const QKeyEvent* e, const QTabBar* bar) {
    const int count = bar->count(), current = bar->currentIndex();
    if (count < 2) return false;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    switch (e->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return ctrl;
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_Home:
            return current > 0;
        case Qt::Key_Right:
        case Qt::Key_Down:
        case Qt::Key_End:
            return current < count - 1;
        default:
            return false;
    }
}
}  // namespace

TPageControl::TPageControl(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new TPageControlTabBar(this));
    connect(this, &QTabWidget::currentChanged, this, [this](int) {
        if (OnChange) Guarded(OnChange);
    });
}

bool TPageControl::MayChange() {
    if (!OnChanging) return true;
    bool allowed = false;
    Guarded([&] { allowed = OnChanging(); });
    return allowed;
}

void TPageControl::keyPressEvent(QKeyEvent* e) {
    if (IsSwitchKey(e, tabBar()) && !MayChange()) {
        e->accept();
        return;
    }
    QTabWidget::keyPressEvent(e);
}

void TPageControlTabBar::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        int index = tabAt(e->position().toPoint());
        if (index >= 0 && index != currentIndex() && !owner_->MayChange()) {
            e->accept();
            return;
        }
    }
    QTabBar::mousePressEvent(e);
}

void TPageControlTabBar::keyPressEvent(QKeyEvent* e) {
    if (IsSwitchKey(e, this) && !owner_->MayChange()) {
        e->accept();
        return;
    }
    QTabBar::keyPressEvent(e);
}

#if QT_CONFIG(wheelevent)
void TPageControlTabBar::wheelEvent(QWheelEvent* e) {
    if (count() > 1 && !owner_->MayChange()) {
        e->accept();
        return;
    }
    QTabBar::wheelEvent(e);
}
#endif

}  // namespace platform
