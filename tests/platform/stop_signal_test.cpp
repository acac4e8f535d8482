// The stop signal: shared by its copies, watches woken once and never after
// they end, and requests racing with watches from other threads.
#include "platform/stop_signal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using kx::StopSignal;

TEST(StopSignal, WatchesAreWokenOnceAndNeverAfterTheyEnd) {
    StopSignal signal;
    StopSignal copy = signal;
    int kept = 0, ended = 0, late = 0;
    StopSignal::Watch keptWatch = copy.watch([&] { ++kept; });
    { StopSignal::Watch endedWatch = signal.watch([&] { ++ended; }); }
    EXPECT_FALSE(copy.requested());

    signal.request();
    signal.request();
    StopSignal::Watch lateWatch = signal.watch([&] { ++late; });  // already asked: woken at once
    EXPECT_TRUE(copy.requested());
    EXPECT_EQ(kept, 1);
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(late, 1);
    EXPECT_FALSE(StopSignal().requested());  // a new signal is a state of its own
}

TEST(StopSignal, RequestsRaceWithWatchesOnOtherThreads) {
    for (int round = 0; round < 20; ++round) {
        StopSignal signal;
        std::atomic<int> woken{0};
        std::vector<std::thread> threads;
        for (int i = 0; i < 4; ++i)
            threads.emplace_back([signal, &woken] {
                StopSignal::Watch watch = signal.watch([&woken] { ++woken; });
                while (!signal.requested()) std::this_thread::yield();
            });
        threads.emplace_back([signal] { signal.request(); });
        for (auto& t : threads) t.join();
        EXPECT_EQ(woken.load(), 4);
    }
}
