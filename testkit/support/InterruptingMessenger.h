#pragma once
// Test helper: a ScriptedMessenger that runs an action just before the
// first box it shows, as another program writing while a question is open.
#include <functional>
#include <string>
#include <utility>

#include "platform/qt/qtglue/Messenger.h"

namespace platform::testing {

struct InterruptingMessenger : ScriptedMessenger {
    std::function<void()> beforeFirstBox;
    int Show(const std::string& text, const std::string& caption, MsgIcon icon, int buttons) override {
        if (auto f = std::exchange(beforeFirstBox, nullptr)) f();
        return ScriptedMessenger::Show(text, caption, icon, buttons);
    }
};

}  // namespace platform::testing
