#pragma once
// A plain-text picture of a window: one line per control, indented by
// depth, with its class, object name, geometry, whether it is visible (its
// own flag), its text and its string number, e.g.
//   TTranslateBitBtn ProceedBtn (288,15 75x33) visible "Next >" GLID=5
// Qt's own helper widgets (names starting "qt_") and unnamed widgets are left out.
#include <QString>
#include <string>
#include <vector>

class QWidget;

namespace setupwizard::testing {

struct UiEntry {
    std::string className;
    std::string name;
    int x = 0, y = 0, width = 0, height = 0;
    bool visible = false;
    std::string text;
    int glid = -1;  // -1: the control carries no number
    int depth = 0;
};

std::vector<UiEntry> UiEntries(QWidget* root);
std::string UiDump(QWidget* root);
// The entry of the control with that object name; throws when none.
UiEntry UiFind(QWidget* root, const std::string& name);

}  // namespace setupwizard::testing
