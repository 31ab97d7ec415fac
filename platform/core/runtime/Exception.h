#pragma once
// The one base of every failure the system raises: a message shown to the
// user as it stands. EAbort is the silent exception: handlers let it pass
// without a message.
#include <stdexcept>
#include <string>

namespace platform {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
    explicit EAbort(const std::string& message) : Exception(message) {}
};

}  // namespace platform
