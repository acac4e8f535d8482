// Worker threads, detached, with a flag that says whether the job still runs.
#include "shell/worker.h"

#include <thread>

namespace kx {

bool Worker::start(std::function<void()> job) {
    bool idle = false;
    if (!running_->compare_exchange_strong(idle, true)) return false;
    std::thread([flag = running_, job = std::move(job)] {
        job();
        flag->store(false);
    }).detach();
    return true;
}

}  // namespace kx
