#pragma once
// Small helpers for building the window's controls.
#include <QObject>
#include <QScrollArea>
#include <QString>
#include <QVBoxLayout>

namespace vorel {

// Names a control as the program calls it, so tests and tools can find it.
template <typename T>
T* Named(T* control, const QString& name) {
    control->setObjectName(name);
    return control;
}

// Fills page with a frameless scroll area and returns the widget inside it:
// on a small screen the page scrolls instead of cutting its controls.
inline QWidget* ScrolledContent(QWidget* page) {
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(0, 0, 0, 0);
    auto* area = new QScrollArea;
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    auto* content = new QWidget;
    area->setWidget(content);
    v->addWidget(area);
    return content;
}

}  // namespace vorel
