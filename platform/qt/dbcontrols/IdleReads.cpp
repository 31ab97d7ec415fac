#include "platform/qt/dbcontrols/IdleReads.h"

#include "platform/tables/Sqlite.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QPointer>
#include <QThread>

namespace platform {

void EndReadsWhenIdle() {
    // The dispatcher it was installed on: a new one (a new application
    // object in tests) needs it again.
    thread_local QPointer<QAbstractEventDispatcher> installedOn;
    if (!QCoreApplication::instance()) return;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread());
    if (!dispatcher || installedOn == dispatcher) return;
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, dispatcher, [] { sqlite::EndReadPasses(); });
    installedOn = dispatcher;
}

}  // namespace platform
