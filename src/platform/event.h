// A manual-reset event: once set it stays set until reset, and every waiter is
// released. Used as the stop signal of worker threads, so every wait is bounded
// or ends as soon as the thread is told to stop.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vandrel::platform {

class Event {
public:
    void Set();
    void Reset();
    bool IsSet() const;
    // True when the event is set before the time-out runs out.
    bool WaitFor(std::chrono::milliseconds timeout) const;
    void Wait() const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool set_ = false;
};

}  // namespace vandrel::platform
