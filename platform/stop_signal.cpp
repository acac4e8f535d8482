// The stop signal: a flag read without a lock, and the watches woken once
// under the signal's lock, so that an ended watch is never called again.
#include "platform/stop_signal.h"

#include <atomic>
#include <map>
#include <mutex>

namespace kx {

struct StopSignal::Watch::State {
    std::atomic<bool> requested{false};
    std::mutex mutex;
    std::uint64_t nextId = 1;
    std::map<std::uint64_t, std::function<void()>> watchers;  // under `mutex`
};

StopSignal::StopSignal() : state_(std::make_shared<Watch::State>()) {}

void StopSignal::request() const {
    std::lock_guard lock(state_->mutex);
    if (state_->requested.exchange(true)) return;
    for (auto& [id, wake] : state_->watchers) wake();
    state_->watchers.clear();
}

bool StopSignal::requested() const { return state_->requested.load(); }

StopSignal::Watch StopSignal::watch(std::function<void()> wake) const {
    std::lock_guard lock(state_->mutex);
    if (state_->requested.load()) {
        wake();
        return {};
    }
    std::uint64_t id = state_->nextId++;
    state_->watchers.emplace(id, std::move(wake));
    return Watch(state_, id);
}

StopSignal::Watch::Watch(Watch&& other) noexcept : state_(std::move(other.state_)), id_(other.id_) {}

StopSignal::Watch& StopSignal::Watch::operator=(Watch&& other) noexcept {
    if (this != &other) {
        end();
        state_ = std::move(other.state_);
        id_ = other.id_;
    }
    return *this;
}

StopSignal::Watch::~Watch() { end(); }

void StopSignal::Watch::end() {
    std::shared_ptr<State> state = std::move(state_);
    if (!state) return;
    std::lock_guard lock(state->mutex);
    state->watchers.erase(id_);
}

}  // namespace kx
