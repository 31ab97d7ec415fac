#include "platform/core/workers/WorkerPool.h"

#include <sched.h>

#include <cassert>

namespace platform {

int WorkerPool::MachineCores() {
    cpu_set_t set;
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        const int n = CPU_COUNT(&set);
        if (n > 0) return n;
    }
    const unsigned n = std::thread::hardware_concurrency();
    return n > 0 ? static_cast<int>(n) : 1;
}

WorkerPool::WorkerPool(int threads) {
    const int n = threads > 0 ? threads : MachineCores();
    threads_.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) threads_.emplace_back([this, i] { Work(i); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
    assert(queue_.empty());
}

void WorkerPool::Post(std::function<void(int)> task) {
    {
        std::lock_guard lock(mutex_);
        assert(!stopping_);
        queue_.push_back(std::move(task));
    }
    wake_.notify_one();
}

void WorkerPool::Work(int worker) {
    for (;;) {
        std::function<void(int)> task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;  // stopping, and nothing left to run
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        task(worker);
    }
}

}  // namespace platform
