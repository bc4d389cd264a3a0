#include "platform/worker_thread.h"

#include <utility>

namespace vandrel::platform {

WorkerThread::~WorkerThread() { Stop(); }

void WorkerThread::Start(Body body) {
    if (Running()) return;
    thread_ = std::jthread(std::move(body));
}

// The condition's waits with a token end as soon as a stop is requested, and
// the token's own callbacks run here, in the stopping thread.
void WorkerThread::RequestStop() { thread_.request_stop(); }

void WorkerThread::Stop() {
    if (!Running()) return;
    RequestStop();
    thread_.join();
}

void WorkerThread::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wake_.notify_all();
}

void WorkerThread::ClearWake() {
    std::lock_guard lock(mutex_);
    woken_ = false;
}

WakeReason WorkerThread::Reason(bool woken, const std::stop_token& token) {
    if (token.stop_requested()) return WakeReason::Stopped;
    if (!woken) return WakeReason::TimedOut;
    woken_ = false;
    return WakeReason::Woken;
}

// The waits use a plain condition and a stop callback rather than the
// token-aware condition_variable_any: that one takes a second, inner lock on
// every wake, which costs the waiter one more switch per wake-up.
//
// The callback is registered before the lock is taken: for a stop already
// requested it runs at once, in this thread. Taking the lock before the
// notify means a waiter has either seen the stop or is waiting for the notify.
void WorkerThread::NotifyStop() {
    { const std::lock_guard lock(mutex_); }
    wake_.notify_all();
}

WakeReason WorkerThread::Wait(const std::stop_token& token) {
    const std::stop_callback onStop(token, [this] { NotifyStop(); });
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [&] { return woken_ || token.stop_requested(); });
    return Reason(woken_, token);
}

WakeReason WorkerThread::WaitUntil(const std::stop_token& token, Clock::time_point deadline) {
    const std::stop_callback onStop(token, [this] { NotifyStop(); });
    std::unique_lock lock(mutex_);
    wake_.wait_until(lock, deadline, [&] { return woken_ || token.stop_requested(); });
    return Reason(woken_, token);
}

}  // namespace vandrel::platform
