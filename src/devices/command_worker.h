// CommandWorker: the device commands that must not hold up the window
// (colour pages, key-map uploads), run one at a time on a thread of their own.
//
// A job is posted into a slot. A job posted while another waits in the same
// slot replaces it, keeping its place in the queue, so a burst of paints
// sends only the latest page. After a job that failed, the worker pauses
// before the next one (the device gets a moment to recover). The thread is
// started by the first post and sleeps while nothing waits: no timer, no
// polling. Stop lets a running job finish, drops the waiting ones and joins.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>

#include "platform/worker_thread.h"
#include "protocol/status.h"

namespace vandrel::devices {

class CommandWorker {
public:
    enum class Slot : std::uint8_t { ColourPage, KeyMap, LightRecord };
    static constexpr std::size_t kSlots = 3;
    static constexpr std::chrono::milliseconds kPauseAfterFailure{200};

    using Job = std::function<protocol::Status()>;
    // Told on the worker's thread when a job has run.
    using Done = std::function<void(Slot, protocol::Status)>;

    explicit CommandWorker(Done done = {}, std::chrono::milliseconds pauseAfterFailure = kPauseAfterFailure);
    ~CommandWorker();  // stops
    CommandWorker(const CommandWorker&) = delete;
    CommandWorker& operator=(const CommandWorker&) = delete;

    // From any thread; nothing once stopped.
    void Post(Slot slot, Job job);
    void Stop();
    // True when no job waits or runs (for tests and orderly shutdown).
    bool Idle() const;
    // True when a job of `slot` waits or runs.
    bool Pending(Slot slot) const;

private:
    void Run(const std::stop_token& token);
    // The next job to run, taken out of its slot; nothing when none waits.
    std::optional<std::pair<Slot, Job>> Take();

    const Done done_;
    const std::chrono::milliseconds pause_;
    mutable std::mutex mutex_;
    std::array<Job, kSlots> waiting_;
    std::deque<Slot> order_;               // the slots with a waiting job, first posted first
    bool running_ = false;                 // a job is running
    Slot runningSlot_ = Slot::ColourPage;  // its slot, while running_
    bool stopped_ = false;
    platform::WorkerThread worker_;
};

}  // namespace vandrel::devices
