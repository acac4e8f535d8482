// A request to stop something that runs, made on one thread and seen on
// another: a copyable handle on shared state, so that the one who may ask
// and the one who runs each hold a copy. Waiting code is woken by a watch.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace kx {

class StopSignal {
public:
    StopSignal();

    // Asks for the stop. The first time, every watch's `wake` is called, on
    // this thread, before the call returns.
    void request() const;
    bool requested() const;

    // Calls `wake` once when the stop is requested (at once, on this thread,
    // when it already is), unless the watch has ended first. Once the watch is
    // destroyed `wake` is never called any more. `wake` must return quickly and
    // must not call request() (it runs under the signal's lock).
    class Watch {
    public:
        Watch() = default;
        Watch(Watch&& other) noexcept;
        Watch& operator=(Watch&& other) noexcept;
        ~Watch();

    private:
        friend class StopSignal;
        struct State;
        Watch(std::shared_ptr<State> state, std::uint64_t id) : state_(std::move(state)), id_(id) {}
        void end();
        std::shared_ptr<State> state_;
        std::uint64_t id_ = 0;
    };
    [[nodiscard]] Watch watch(std::function<void()> wake) const;

private:
    std::shared_ptr<Watch::State> state_;
};

}  // namespace kx
