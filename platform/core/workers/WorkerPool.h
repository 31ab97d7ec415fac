#pragma once
// A fixed set of worker threads that run posted tasks, first posted first
// started. Tasks never touch the user interface or the application's
// services: the thread that posts them keeps those, and collects the
// results in the order it needs them.
//
// Destruction runs what is still queued and joins every thread, so a task
// may refer to anything that outlives the pool; an owner that gives up
// early tells its tasks so through a flag of its own, and they end quickly.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

class WorkerPool {
public:
    // threads <= 0: one per core of the machine.
    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int Size() const { return static_cast<int>(threads_.size()); }
    // The task is given the index (0..Size()-1) of the worker that runs it,
    // so that it can reuse that worker's scratch space. A task must not throw.
    void Post(std::function<void(int worker)> task);

    // The cores this process may run on; at least 1.
    static int MachineCores();

private:
    void Work(int worker);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void(int)>> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace platform
