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

WakeReason WorkerThread::Wait(const std::stop_token& token) {
    std::unique_lock lock(mutex_);
    const bool woken = wake_.wait(lock, token, [this] { return woken_; });
    return Reason(woken, token);
}

WakeReason WorkerThread::WaitUntil(const std::stop_token& token, Clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    const bool woken = wake_.wait_until(lock, token, deadline, [this] { return woken_; });
    return Reason(woken, token);
}

}  // namespace vandrel::platform
