#pragma once
// Building blocks shared by the two calculators.
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <string>
#include <vector>

namespace vorel::calc {

inline QComboBox* Combo(const char* name, const std::vector<std::string>& items) {
    auto* c = new QComboBox;
    c->setObjectName(name);
    for (const auto& item : items) c->addItem(QString::fromStdString(item));
    c->setMaxVisibleItems(static_cast<int>(items.size()));
    c->setMinimumWidth(150);
    return c;
}

// A result label: large and bold, "n/a" until computed.
inline QLabel* ResultLabel(const char* name) {
    auto* l = new QLabel("n/a");
    l->setObjectName(name);
    QFont f = l->font();
    f.setPointSizeF(f.pointSizeF() * 1.5);
    f.setBold(true);
    l->setFont(f);
    return l;
}

}  // namespace vorel::calc
