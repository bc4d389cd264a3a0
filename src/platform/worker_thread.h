// WorkerThread: one background thread with a stop request and a wake-up.
//
// The owner starts a body on the thread. The body gets the thread's stop
// token, loops until a stop is requested and sleeps only in Wait, WaitFor or
// WaitUntil, which return as soon as the thread is woken or told to stop, or
// when the time-out runs out. A wake is latched: one that comes while the body
// is busy, or before Start, makes the next wait return at once, so no wake is
// lost between the body's look at its state and its wait. A wait consumes the
// wake it returns for.
//
// Stop asks the thread to stop, which ends a wait at once, and joins; the
// thread is never detached or killed. A body that also waits on something
// else (poll(), a blocking read, a tick source) registers a std::stop_callback
// on its token that releases that wait. Stopping takes as long as the body's
// longest step between two waits.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

namespace vandrel::platform {

enum class WakeReason { Woken, TimedOut, Stopped };

class WorkerThread {
public:
    using Clock = std::chrono::steady_clock;
    using Body = std::function<void(std::stop_token)>;

    WorkerThread() = default;
    ~WorkerThread();  // stops
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs `body` on a new thread; does nothing while a thread runs (also one
    // whose body has returned but that was not stopped yet).
    void Start(Body body);
    // Asks the thread to stop, without waiting for it.
    void RequestStop();
    // Asks the thread to stop and joins it; does nothing when not running.
    void Stop();
    bool Running() const { return thread_.joinable(); }

    // Makes the current or the next wait return; callable from any thread.
    void Wake();
    // Drops a wake that no wait has taken yet.
    void ClearWake();

    // For the body, with the token it was given.
    WakeReason Wait(const std::stop_token& token);
    WakeReason WaitFor(const std::stop_token& token, std::chrono::milliseconds timeout) {
        return WaitUntil(token, Clock::now() + timeout);
    }
    WakeReason WaitUntil(const std::stop_token& token, Clock::time_point deadline);

private:
    // Called with the lock held; a stop wins over a wake.
    WakeReason Reason(bool woken, const std::stop_token& token);
    // Wakes the waits when a stop is requested.
    void NotifyStop();

    std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false;
    std::jthread thread_;
};

}  // namespace vandrel::platform
