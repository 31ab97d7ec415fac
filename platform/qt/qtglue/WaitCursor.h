#pragma once
// The hourglass for the length of a scope, also when the scope fails.
// Guards nest: the cursor comes back when the outermost one ends. Without a
// widget application (a console tool, a test without one) it does nothing.
namespace platform {

class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool shown_ = false;
};

}  // namespace platform
