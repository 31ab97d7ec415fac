#pragma once
// A step that runs when a scope ends, however it ends. The destructor never
// throws: a step that fails while the scope is left is dropped, since the
// error that left it matters more. A caller whose step's own error must be
// seen calls Run() on the normal path.
#include <utility>

namespace platform {

template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F step) : step_(std::move(step)) {}
    ~ScopeExit() noexcept {
        if (!armed_) return;
        try {
            step_();
        } catch (...) {
            // Nowhere to report it: a destructor must not throw.
        }
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

    // Runs the step now, once; its errors reach the caller.
    void Run() {
        armed_ = false;
        step_();
    }

private:
    F step_;
    bool armed_ = true;
};

}  // namespace platform
