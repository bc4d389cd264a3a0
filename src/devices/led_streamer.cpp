#include "devices/led_streamer.h"

#include <utility>

namespace vandrel::devices {

LightStream BuildLightStream(const lighting::LedBuffer& leds) {
    LightStream stream{};
    for (std::size_t i = 0; i < leds.Size(); ++i) {
        const lighting::LedColor c = leds.Get(i);
        stream[3 * i] = lighting::LedColor::Scaled(c.red, c.brightness);
        stream[3 * i + 1] = lighting::LedColor::Scaled(c.green, c.brightness);
        stream[3 * i + 2] = lighting::LedColor::Scaled(c.blue, c.brightness);
    }
    return stream;
}

LedStreamer::LedStreamer(StreamPort port, StreamTiming timing)
    : port_(std::move(port)), timing_(timing), worker_([this] { Run(); }) {}

LedStreamer::~LedStreamer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void LedStreamer::Wake() {
    {
        std::lock_guard lock(mutex_);
        if (!enabled_) return;
        pending_ = true;
    }
    changed_.notify_all();
}

void LedStreamer::Resend() {
    {
        std::lock_guard lock(mutex_);
        if (!enabled_) return;
        pending_ = true;
        forceNext_ = true;
    }
    changed_.notify_all();
}

void LedStreamer::Enable() {
    {
        std::lock_guard lock(mutex_);
        enabled_ = true;
        pending_ = true;
        forceNext_ = true;
    }
    changed_.notify_all();
}

void LedStreamer::Disable() {
    std::unique_lock lock(mutex_);
    enabled_ = false;
    pending_ = false;
    retryAt_.reset();
    changed_.notify_all();
    changed_.wait(lock, [this] { return !sending_; });
}

bool LedStreamer::Enabled() const {
    std::lock_guard lock(mutex_);
    return enabled_;
}

std::optional<LedStreamer::Clock::time_point> LedStreamer::Deadline() const {
    if (!enabled_) return std::nullopt;
    if (retryAt_) return retryAt_;
    if (accepted_) return lastSent_ + timing_.refresh;
    return std::nullopt;
}

void LedStreamer::Run() {
    std::unique_lock lock(mutex_);
    while (true) {
        const auto woken = [this] { return stopping_ || (pending_ && enabled_); };
        const std::optional<Clock::time_point> deadline = Deadline();
        if (deadline) changed_.wait_until(lock, *deadline, woken);
        else changed_.wait(lock, woken);
        if (stopping_) return;
        if (!enabled_) continue;
        const bool due = deadline && Clock::now() >= *deadline;
        if (!pending_ && !due) continue;
        // A retry, a refresh or a reconnect sends even what the device has.
        const bool force = due || forceNext_;
        pending_ = false;
        forceNext_ = false;

        sending_ = true;
        lock.unlock();
        const std::optional<LightFrame> frame = port_.current();
        const bool needed = frame && (force || !accepted_ || *frame != *accepted_);
        const protocol::Status status = needed ? port_.send(*frame) : protocol::Status::Ok;
        lock.lock();
        sending_ = false;
        changed_.notify_all();

        if (!frame) {
            // Nothing to stream now: sleep until woken, and send from scratch then.
            accepted_.reset();
            retryAt_.reset();
            failures_ = 0;
            continue;
        }
        if (!needed) continue;
        if (status == protocol::Status::Ok) {
            accepted_ = *frame;
            lastSent_ = Clock::now();
            retryAt_.reset();
            failures_ = 0;
            continue;
        }
        // A dropped frame only gave way to another command; a refused one
        // counts towards the slower retries.
        if (status != protocol::Status::Dropped) ++failures_;
        const bool slow = failures_ >= timing_.failuresBeforeBackOff;
        retryAt_ = Clock::now() + (slow ? timing_.backOff : timing_.retry);
    }
}

}  // namespace vandrel::devices
