// A worker: one long job on a thread of its own. The shell keeps one per
// kind and starts a new one only when the last has ended.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace kx {

class Worker {
public:
    using Clock = std::chrono::steady_clock;

    // Starts `job` on a new thread unless the last one is still running;
    // returns false (and does nothing) in that case. The thread is not
    // joined: a job still running when the program ends ends with it. When
    // the job throws or the thread cannot start, the worker is free again
    // and then `failed` is called with what went wrong (on the worker's
    // thread, or on the caller's when no thread started).
    bool start(std::function<void()> job, std::function<void(const std::string& problem)> failed = {});
    bool running() const;
    // Blocks until the job has ended (woken by its end, no polling), or until
    // `deadline`; true when it has ended.
    bool waitIdle(Clock::time_point deadline = Clock::time_point::max()) const;

private:
    struct State {
        mutable std::mutex mutex;
        std::condition_variable ended;
        bool running = false;
        void set(bool value);
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace kx
