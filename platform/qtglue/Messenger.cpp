#include "platform/qtglue/Messenger.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

namespace {
Messenger* g_installed = nullptr;
std::string g_title;

struct ButtonMap {
    int flag;
    QMessageBox::StandardButton qt;
    int result;
};
// In the order a default answer is taken: the first button of the set.
constexpr ButtonMap kButtons[] = {
    {mbOK, QMessageBox::Ok, mrOk},          {mbYes, QMessageBox::Yes, mrYes},
    {mbNo, QMessageBox::No, mrNo},          {mbAbort, QMessageBox::Abort, mrAbort},
    {mbRetry, QMessageBox::Retry, mrRetry}, {mbIgnore, QMessageBox::Ignore, mrIgnore},
    {mbCancel, QMessageBox::Cancel, mrCancel},
};

int firstResult(int buttons) {
    for (const auto& b : kButtons)
        if (buttons & b.flag) return b.result;
    return mrOk;
}
}  // namespace

Messenger& Messenger::Current() {
    static QtMessenger qtMessenger;
    return g_installed ? *g_installed : qtMessenger;
}

void Messenger::Install(Messenger* m) { g_installed = m; }

const std::string& ApplicationTitle() { return g_title; }
void SetApplicationTitle(const std::string& title) {
    g_title = title;
    if (qApp) QApplication::setApplicationDisplayName(QString::fromStdString(title));
}

int ShowMessage(const std::string& text, MsgIcon icon, int buttons) {
    return Messenger::Current().Show(text, ApplicationTitle(), icon, buttons);
}

int QtMessenger::Show(const std::string& text, const std::string& caption, MsgIcon icon, int buttons) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    switch (icon) {
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::None: break;
    }
    QMessageBox::StandardButtons set;
    for (const auto& b : kButtons)
        if (buttons & b.flag) set |= b.qt;
    if (!set) set = QMessageBox::Ok;
    box.setStandardButtons(set);
    int pressed = box.exec();
    for (const auto& b : kButtons)
        if (pressed == b.qt) return b.result;
    return (buttons & mbCancel) ? mrCancel : firstResult(buttons);
}

int ScriptedMessenger::Show(const std::string& text, const std::string& caption, MsgIcon icon, int buttons) {
    shown.push_back({text, caption, icon, buttons});
    if (answers.empty()) return firstResult(buttons);
    int a = answers.front();
    answers.pop_front();
    return a;
}

}  // namespace platform
