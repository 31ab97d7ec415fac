#pragma once
// Test helper: a forked child that tells its parent of its progress one
// signal at a time through a pipe, and that the parent can kill mid-way.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <stdexcept>

namespace platform::testing {

class ChildProcess {
public:
    // Runs body in a forked child; the child ends when body returns or throws.
    explicit ChildProcess(const std::function<void(ChildProcess&)>& body) {
        int fds[2];
        if (::pipe(fds) != 0) throw std::runtime_error("Cannot make a pipe");
        pid_ = ::fork();
        if (pid_ < 0) throw std::runtime_error("Cannot start a child process");
        if (pid_ == 0) {
            ::close(fds[0]);
            fd_ = fds[1];
            try {
                body(*this);
            } catch (...) {
                // The parent sees the child end; what failed is the test's to check.
            }
            ::_exit(0);
        }
        ::close(fds[1]);
        fd_ = fds[0];
    }
    ~ChildProcess() {
        if (pid_ > 0 && !reaped_) Kill();
        if (fd_ >= 0) ::close(fd_);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // In the child: one signal to the parent; false when the parent is gone.
    bool Signal() {
        const char c = 1;
        return ::write(fd_, &c, 1) == 1;
    }
    // In the child: ends it at once, as a crash would.
    [[noreturn]] static void Exit(int status) { ::_exit(status); }
    // In the parent: waits for the next signal; false when the child ended.
    bool WaitSignal() {
        char c = 0;
        return ::read(fd_, &c, 1) == 1;
    }
    // In the parent: kills the child and reaps it; true when the signal
    // ended it (it had not ended on its own before).
    bool Kill() {
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        reaped_ = true;
        return WIFSIGNALED(status);
    }

private:
    pid_t pid_ = -1;
    int fd_ = -1;
    bool reaped_ = false;
};

}  // namespace platform::testing
