#include "installer/translator/TextCompare.h"

#include <QString>

namespace installer {

std::string FoldCase(const std::string& utf8) {
    return QString::fromStdString(utf8).toCaseFolded().toStdString();
}

bool SameTextIgnoreCase(const std::string& a, const std::string& b) {
    return QString::compare(QString::fromStdString(a), QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

}  // namespace installer
