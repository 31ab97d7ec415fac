#include "platform/qt/qtglue/Messenger.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdlib>

#include "platform/core/hostio/HostIo.h"

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

const char* IconName(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Information: return "information";
        case MsgIcon::Warning: return "warning";
        case MsgIcon::Error: return "error";
        case MsgIcon::Question: return "question";
        case MsgIcon::None: break;
    }
    return "none";
}

const char* AnswerName(int result) {
    switch (result) {
        case mrOk: return "ok";
        case mrCancel: return "cancel";
        case mrAbort: return "abort";
        case mrRetry: return "retry";
        case mrIgnore: return "ignore";
        case mrYes: return "yes";
        case mrNo: return "no";
        default: return "none";
    }
}

// One box is one line: line ends and tabs inside a field are written as \n and \t.
std::string LogField(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
        if (c == '\n' || c == '\r')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

// Appends the box to the file VOREL_MESSAGE_LOG names, when it names one.
void LogBox(const std::string& caption, const std::string& text, MsgIcon icon, int answer) {
    const char* log = std::getenv("VOREL_MESSAGE_LOG");
    if (!log || !*log) return;
    AppendToFile(log, LogField(caption) + '\t' + LogField(text) + '\t' + IconName(icon) + '\t' + AnswerName(answer) + '\n');
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
    const int answer = Messenger::Current().Show(text, ApplicationTitle(), icon, buttons);
    LogBox(ApplicationTitle(), text, icon, answer);
    return answer;
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
