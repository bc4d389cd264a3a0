// The input reports waiting for one opened simulated collection: replies to
// the frames it wrote and notifications. A report can carry a time before
// which it is not readable (slow replies); reports are read in arrival order.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <vector>

#include "platform/hid_backend.h"

namespace vandrel::sim {

class SimReportQueue {
public:
    using Clock = std::chrono::steady_clock;

    void Push(std::vector<std::uint8_t> report, Clock::time_point readyAt = Clock::now());

    // Waits for the next report (timeoutMs < 0: without limit). A report
    // longer than the buffer is cut to it.
    platform::IoResult Pop(std::span<std::uint8_t> buffer, int timeoutMs);

    // Releases a waiting Pop with Cancelled; later calls return Cancelled.
    void Cancel();
    // The device went away: a waiting Pop returns Failed, and so do later calls.
    void Disconnect();
    // Ok while the queue is usable, else Cancelled or Failed.
    platform::IoStatus State() const;

private:
    struct Pending {
        std::vector<std::uint8_t> report;
        Clock::time_point readyAt;
    };

    platform::IoStatus StateLocked() const;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Pending> pending_;
    bool cancelled_ = false;
    bool disconnected_ = false;
};

}  // namespace vandrel::sim
