#include "platform/qt/qtglue/EventLoop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace platform {

void ProcessPendingEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

void QuitEventLoop() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    // exit() only ends a loop that runs; a quit queued now ends the loop the
    // moment it starts.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
    else
        QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
}

}  // namespace platform
