#pragma once
// Small helpers for building windows' controls.
#include <QObject>
#include <QScrollArea>
#include <QString>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace platform {

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

// A flat tool button with a standard icon and a hint, named as above.
inline QToolButton* ToolButton(QWidget* owner, const QString& name, const QString& hint, QStyle::StandardPixmap icon) {
    auto* b = Named(new QToolButton, name);
    b->setIcon(owner->style()->standardIcon(icon));
    b->setToolTip(hint);
    b->setAutoRaise(true);
    return b;
}

}  // namespace platform
