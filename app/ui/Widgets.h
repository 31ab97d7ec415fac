#pragma once
// Small helpers for building the window's controls.
#include <QObject>
#include <QString>

namespace vorel {

// Names a control as the program calls it, so tests and tools can find it.
template <typename T>
T* Named(T* control, const QString& name) {
    control->setObjectName(name);
    return control;
}

}  // namespace vorel
