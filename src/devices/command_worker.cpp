#include "devices/command_worker.h"

#include <utility>

namespace vandrel::devices {

CommandWorker::CommandWorker(Done done, std::chrono::milliseconds pauseAfterFailure)
    : done_(std::move(done)), pause_(pauseAfterFailure) {}

CommandWorker::~CommandWorker() { Stop(); }

void CommandWorker::Post(Slot slot, Job job) {
    {
        std::lock_guard lock(mutex_);
        if (stopped_ || !job) return;
        Job& waiting = waiting_[static_cast<std::size_t>(slot)];
        if (!waiting) order_.push_back(slot);
        waiting = std::move(job);
        if (!worker_.Running()) worker_.Start([this](const std::stop_token& token) { Run(token); });
    }
    worker_.Wake();
}

void CommandWorker::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        order_.clear();
        waiting_ = {};
    }
    worker_.Stop();
}

bool CommandWorker::Idle() const {
    std::lock_guard lock(mutex_);
    return order_.empty() && !running_;
}

bool CommandWorker::Pending(Slot slot) const {
    std::lock_guard lock(mutex_);
    return static_cast<bool>(waiting_[static_cast<std::size_t>(slot)]) || (running_ && runningSlot_ == slot);
}

std::optional<std::pair<CommandWorker::Slot, CommandWorker::Job>> CommandWorker::Take() {
    std::lock_guard lock(mutex_);
    running_ = false;
    if (order_.empty()) return std::nullopt;
    const Slot slot = order_.front();
    order_.pop_front();
    running_ = true;
    runningSlot_ = slot;
    return std::pair{slot, std::exchange(waiting_[static_cast<std::size_t>(slot)], Job{})};
}

void CommandWorker::Run(const std::stop_token& token) {
    while (!token.stop_requested()) {
        auto next = Take();
        if (!next) {
            worker_.Wait(token);
            continue;
        }
        const protocol::Status status = next->second();
        if (done_) done_(next->first, status);
        {
            std::lock_guard lock(mutex_);
            running_ = false;  // the pause below runs no job
        }
        if (status != protocol::Status::Ok) {
            // The pause must not end early for a post; only a stop ends it.
            const auto until = platform::WorkerThread::Clock::now() + pause_;
            while (!token.stop_requested() && worker_.WaitUntil(token, until) == platform::WakeReason::Woken) {}
            // Wakes taken during the pause are for jobs still waiting: Take finds them.
        }
    }
    std::lock_guard lock(mutex_);
    running_ = false;
}

}  // namespace vandrel::devices
