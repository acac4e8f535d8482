// Worker threads, detached, with a flag that says whether the job still runs
// and a condition that wakes whoever waits for its end. A job that throws, or
// a thread that cannot start, frees its kind and is reported, so the program
// stays usable.
#include "shell/worker.h"

#include <exception>
#include <system_error>
#include <thread>

namespace kx {

void Worker::State::set(bool value) {
    {
        std::lock_guard lock(mutex);
        running = value;
    }
    if (!value) ended.notify_all();
}

bool Worker::running() const {
    std::lock_guard lock(state_->mutex);
    return state_->running;
}

bool Worker::waitIdle(Clock::time_point deadline) const {
    std::unique_lock lock(state_->mutex);
    auto idle = [this] { return !state_->running; };
    if (deadline == Clock::time_point::max()) {
        state_->ended.wait(lock, idle);
        return true;
    }
    return state_->ended.wait_until(lock, deadline, idle);
}

bool Worker::start(std::function<void()> job, std::function<void(const std::string&)> failed) {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->running) return false;
        state_->running = true;
    }
    try {
        std::thread([state = state_, job = std::move(job), failed] {
            std::string problem;
            try {
                job();
            } catch (const std::exception& e) {
                problem = e.what();
                if (problem.empty()) problem = "?";
            } catch (...) {
                problem = "?";
            }
            state->set(false);
            if (!problem.empty() && failed) failed(problem);
        }).detach();
    } catch (const std::system_error& e) {
        state_->set(false);
        if (failed) failed(e.what());
        return false;
    }
    return true;
}

}  // namespace kx
