#pragma once
// Test helper: the message of what fn raises, or "(no error)".
#include <exception>
#include <string>

namespace platform::testing {

template <typename Fn>
std::string ErrorOf(Fn fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace platform::testing
