#pragma once
// The end of a compress, copy or install pass of a file or container, on
// every way out: the state goes back (reset) and imPassFinished goes out.
// Finish() is the way out of a pass that worked: a failing message is then
// the pass's error. Leaving the scope without Finish() is the way out of a
// pass that failed: a failing message is dropped, since the pass's own error
// is the one to report, and onMessageFailed runs.
#include <functional>
#include <utility>

#include "installer/components/InstallContainer.h"
#include "installer/components/Messages.h"

namespace installer {

class PassEnd {
public:
    PassEnd(TInstallContainer& sender, std::function<void()> reset, std::function<void()> onMessageFailed = {})
        : sender_(sender), reset_(std::move(reset)), onMessageFailed_(std::move(onMessageFailed)) {}
    ~PassEnd() {
        if (finished_) return;
        try {
            End();
        } catch (...) {
            if (onMessageFailed_) onMessageFailed_();
        }
    }
    PassEnd(const PassEnd&) = delete;
    PassEnd& operator=(const PassEnd&) = delete;

    void Finish() {
        finished_ = true;
        try {
            End();
        } catch (...) {
            if (onMessageFailed_) onMessageFailed_();
            throw;
        }
    }

private:
    void End() {
        if (reset_) reset_();
        sender_.BroadcastMessage(&sender_, imPassFinished, nullptr);
    }

    TInstallContainer& sender_;
    std::function<void()> reset_;
    std::function<void()> onMessageFailed_;
    bool finished_ = false;
};

}  // namespace installer
