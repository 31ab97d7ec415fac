#pragma once
// Test helper: a step that must end within a time of its own. A step that
// hangs would otherwise hold the whole suite until the runner's timeout,
// which names no test; past the deadline the process ends here, naming it.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace platform::testing {

class Deadline {
public:
    Deadline(std::chrono::seconds limit, std::string what) : what_(std::move(what)) {
        watcher_ = std::thread([this, limit] {
            std::unique_lock lock(mutex_);
            if (!ended_.wait_for(lock, limit, [this] { return met_; })) {
                std::fprintf(stderr, "Deadline missed: %s did not end within %lld s\n", what_.c_str(),
                             static_cast<long long>(limit.count()));
                std::fflush(stderr);
                std::_Exit(1);
            }
        });
    }
    ~Deadline() {
        {
            std::lock_guard lock(mutex_);
            met_ = true;
        }
        ended_.notify_one();
        watcher_.join();
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

private:
    std::string what_;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool met_ = false;
    std::thread watcher_;
};

}  // namespace platform::testing
