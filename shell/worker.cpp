// Worker threads, detached, with a flag that says whether the job still runs.
// A job that throws, or a thread that cannot start, frees its kind and is
// reported, so the program stays usable.
#include "shell/worker.h"

#include <exception>
#include <system_error>
#include <thread>

namespace kx {

bool Worker::start(std::function<void()> job, std::function<void(const std::string&)> failed) {
    bool idle = false;
    if (!running_->compare_exchange_strong(idle, true)) return false;
    try {
        std::thread([flag = running_, job = std::move(job), failed] {
            std::string problem;
            try {
                job();
            } catch (const std::exception& e) {
                problem = e.what();
                if (problem.empty()) problem = "?";
            } catch (...) {
                problem = "?";
            }
            flag->store(false);
            if (!problem.empty() && failed) failed(problem);
        }).detach();
    } catch (const std::system_error& e) {
        running_->store(false);
        if (failed) failed(e.what());
        return false;
    }
    return true;
}

}  // namespace kx
