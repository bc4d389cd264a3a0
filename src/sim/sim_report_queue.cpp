#include "sim/sim_report_queue.h"

#include <algorithm>

namespace vandrel::sim {

using platform::IoResult;
using platform::IoStatus;

void SimReportQueue::Push(std::vector<std::uint8_t> report, Clock::time_point readyAt) {
    {
        std::lock_guard lock(mutex_);
        pending_.push_back({std::move(report), readyAt});
    }
    changed_.notify_all();
}

IoResult SimReportQueue::Pop(std::span<std::uint8_t> buffer, int timeoutMs) {
    const bool unlimited = timeoutMs < 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));

    std::unique_lock lock(mutex_);
    for (;;) {
        if (const IoStatus state = StateLocked(); state != IoStatus::Ok) return {state, 0};
        const Clock::time_point now = Clock::now();
        if (!pending_.empty() && pending_.front().readyAt <= now) {
            const std::vector<std::uint8_t> report = std::move(pending_.front().report);
            pending_.pop_front();
            const std::size_t n = std::min(report.size(), buffer.size());
            std::copy_n(report.begin(), n, buffer.begin());
            return {IoStatus::Ok, n};
        }
        if (!unlimited && now >= deadline) return {IoStatus::TimedOut, 0};

        Clock::time_point wake = unlimited ? Clock::time_point::max() : deadline;
        if (!pending_.empty()) wake = std::min(wake, pending_.front().readyAt);
        if (wake == Clock::time_point::max()) changed_.wait(lock);
        else changed_.wait_until(lock, wake);
    }
}

void SimReportQueue::Cancel() {
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    changed_.notify_all();
}

void SimReportQueue::Disconnect() {
    {
        std::lock_guard lock(mutex_);
        disconnected_ = true;
    }
    changed_.notify_all();
}

IoStatus SimReportQueue::State() const {
    std::lock_guard lock(mutex_);
    return StateLocked();
}

IoStatus SimReportQueue::StateLocked() const {
    if (cancelled_) return IoStatus::Cancelled;
    if (disconnected_) return IoStatus::Failed;
    return IoStatus::Ok;
}

}  // namespace vandrel::sim
