#pragma once
// Every message box goes through the current messenger: the program shows
// QMessageBox; tests install a ScriptedMessenger that records each box and
// answers from a queue.
#include <deque>
#include <string>
#include <vector>

#include "platform/core/runtime/MessageKinds.h"

namespace platform {

class Messenger {
public:
    virtual ~Messenger() = default;
    virtual int Show(const std::string& text, const std::string& caption, MsgIcon icon, int buttons) = 0;

    // The messenger in use; a QtMessenger unless a test installed another.
    static Messenger& Current();
    // Installs m (not owned); nullptr restores the default.
    static void Install(Messenger* m);
};

// Shows text in a box captioned with the application title. When the
// environment variable VOREL_MESSAGE_LOG names a file, the box is also
// appended there as one line of tab-separated fields: caption, text, icon
// ("information", "warning", "error", "question", "none") and the answer
// ("ok", "cancel", "yes", "no", "abort", "retry", "ignore", "none"); line
// ends and tabs inside a field are written as \n and \t.
int ShowMessage(const std::string& text, MsgIcon icon = MsgIcon::Information, int buttons = mbOK);

// The application title (caption of the program's message boxes).
const std::string& ApplicationTitle();
void SetApplicationTitle(const std::string& title);

class QtMessenger : public Messenger {
public:
    int Show(const std::string& text, const std::string& caption, MsgIcon icon, int buttons) override;
};

class ScriptedMessenger : public Messenger {
public:
    struct Box {
        std::string text, caption;
        MsgIcon icon;
        int buttons;
    };
    std::vector<Box> shown;
    std::deque<int> answers;  // consumed in order; empty: the first button of the set

    ScriptedMessenger() { Messenger::Install(this); }
    ~ScriptedMessenger() override { Messenger::Install(nullptr); }
    int Show(const std::string& text, const std::string& caption, MsgIcon icon, int buttons) override;
};

}  // namespace platform
