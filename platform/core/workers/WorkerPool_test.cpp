#include "platform/core/workers/WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>

namespace platform {
namespace {

// Every task runs once, on a worker whose index is in range, and the pool
// runs what is still queued before it goes.
TEST(WorkerPool, RunsEveryTaskOnceBeforeItGoes) {
    constexpr int kTasks = 500;
    std::vector<std::atomic<int>> runs(kTasks);
    std::atomic<int> badWorker{0};
    int size = 0;
    {
        WorkerPool pool(3);
        size = pool.Size();
        for (int i = 0; i < kTasks; ++i)
            pool.Post([&, i](int worker) {
                if (worker < 0 || worker >= 3) ++badWorker;
                ++runs[static_cast<std::size_t>(i)];
            });
    }
    EXPECT_EQ(size, 3);
    EXPECT_EQ(badWorker, 0);
    for (int i = 0; i < kTasks; ++i) EXPECT_EQ(runs[static_cast<std::size_t>(i)], 1) << i;
}

TEST(WorkerPool, DefaultsToTheMachinesCores) {
    WorkerPool pool(0);
    EXPECT_EQ(pool.Size(), WorkerPool::MachineCores());
    EXPECT_GE(pool.Size(), 1);
}

}  // namespace
}  // namespace platform
