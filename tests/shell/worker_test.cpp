// Workers: one job at a time per kind, and a job that throws frees its kind
// and is reported instead of ending the program.
#include <gtest/gtest.h>

#include <future>
#include <stdexcept>
#include <thread>

#include "shell/worker.h"

using namespace kx;

TEST(Worker, AThrowingJobIsReportedAndFreesItsKind) {
    Worker worker;
    std::promise<std::string> reported;
    std::promise<void> release;
    auto released = release.get_future().share();
    ASSERT_TRUE(worker.start(
        [released] {
            released.wait();
            throw std::runtime_error("disque plein");
        },
        [&reported](const std::string& problem) { reported.set_value(problem); }));
    EXPECT_TRUE(worker.running());
    EXPECT_FALSE(worker.start([] {}));  // one job of a kind at a time
    release.set_value();
    EXPECT_EQ(reported.get_future().get(), "disque plein");
    EXPECT_FALSE(worker.running());

    std::promise<void> ran;
    ASSERT_TRUE(worker.start([&ran] { ran.set_value(); }));
    ran.get_future().wait();
}

TEST(Worker, WaitingForTheEndIsWokenByIt) {
    Worker worker;
    EXPECT_TRUE(worker.waitIdle());  // nothing runs
    std::promise<void> release;
    auto released = release.get_future().share();
    int result = 0;
    ASSERT_TRUE(worker.start([released, &result] {
        released.wait();
        result = 42;
    }));
    EXPECT_FALSE(worker.waitIdle(Worker::Clock::now()));  // a deadline already passed
    std::thread releaser([&release] { release.set_value(); });
    EXPECT_TRUE(worker.waitIdle());
    EXPECT_EQ(result, 42);  // the job's work is seen once its end is
    EXPECT_FALSE(worker.running());
    releaser.join();
}
