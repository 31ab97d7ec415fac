#include "platform/qt/qtglue/WaitCursor.h"

#include <QApplication>
#include <QCursor>

namespace platform {

WaitCursor::WaitCursor() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    shown_ = true;
}

WaitCursor::~WaitCursor() {
    if (shown_ && qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::restoreOverrideCursor();
}

}  // namespace platform
