// A worker: one long job on a thread of its own. The shell keeps one per
// kind and starts a new one only when the last has ended.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace kx {

class Worker {
public:
    // Starts `job` on a new thread unless the last one is still running;
    // returns false (and does nothing) in that case. The thread is not
    // joined: a job still running when the program ends ends with it. When
    // the job throws or the thread cannot start, the worker is free again
    // and then `failed` is called with what went wrong (on the worker's
    // thread, or on the caller's when no thread started).
    bool start(std::function<void()> job, std::function<void(const std::string& problem)> failed = {});
    bool running() const { return running_->load(); }

private:
    std::shared_ptr<std::atomic<bool>> running_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace kx
