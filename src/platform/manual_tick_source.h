// A tick source for tests: time moves only when the test calls Advance. A
// thread waiting for a tick is released as soon as the count reaches it, or
// when its stop event is set. The stop event has no hook to wake this source,
// so waiters look at it every millisecond; that cost is a test's only.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

#include "platform/event.h"
#include "platform/tick_source.h"

namespace vandrel::platform {

class ManualTickSource final : public ITickSource {
public:
    std::uint64_t Now() const override {
        std::lock_guard lock(mutex_);
        return now_;
    }

    void Advance(std::uint64_t ticks = 1) {
        {
            std::lock_guard lock(mutex_);
            now_ += ticks;
        }
        changed_.notify_all();
    }

    bool WaitUntil(std::uint64_t tick, const Event& stop) override {
        std::unique_lock lock(mutex_);
        waitingFor_ = tick;
        changed_.notify_all();
        while (now_ < tick && !stop.IsSet()) changed_.wait_for(lock, kStopPoll);
        waitingFor_.reset();
        changed_.notify_all();
        return stop.IsSet();
    }

    bool WaitForStop(const Event& stop) override {
        stop.Wait();
        return true;
    }

    // The tick a thread waits for in WaitUntil, once one does (nothing when
    // no thread waits by the time-out). Lets a test step time only when the
    // thread under test is parked.
    std::optional<std::uint64_t> WaitForWaiter(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [this] { return waitingFor_.has_value(); });
        return waitingFor_;
    }

private:
    static constexpr std::chrono::milliseconds kStopPoll{1};

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t now_ = 0;
    std::optional<std::uint64_t> waitingFor_;
};

}  // namespace vandrel::platform
