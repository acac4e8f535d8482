// A worker: one long job on a thread of its own. The shell keeps one per
// kind and starts a new one only when the last has ended.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

namespace kx {

class Worker {
public:
    // Starts `job` on a new thread unless the last one is still running;
    // returns false (and does nothing) in that case. The thread is not
    // joined: a job still running when the program ends ends with it.
    bool start(std::function<void()> job);
    bool running() const { return running_->load(); }

private:
    std::shared_ptr<std::atomic<bool>> running_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace kx
