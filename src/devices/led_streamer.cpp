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

LedStreamer::LedStreamer(StreamPort port, StreamTiming timing) : port_(std::move(port)), timing_(timing) {
    worker_.Start([this](const std::stop_token& token) { Run(token); });
}

LedStreamer::~LedStreamer() { worker_.Stop(); }

void LedStreamer::Want(bool force, bool enable) {
    {
        std::lock_guard lock(mutex_);
        if (enable) enabled_ = true;
        if (!enabled_) return;
        pending_ = true;
        forceNext_ = forceNext_ || force;
    }
    worker_.Wake();
}

void LedStreamer::Wake() { Want(false, false); }

void LedStreamer::Resend() { Want(true, false); }

void LedStreamer::Enable() { Want(true, true); }

void LedStreamer::Disable() {
    std::unique_lock lock(mutex_);
    enabled_ = false;
    pending_ = false;
    retryAt_.reset();
    sent_.wait(lock, [this] { return !sending_; });
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

void LedStreamer::Run(const std::stop_token& token) {
    std::unique_lock lock(mutex_);
    while (true) {
        const std::optional<Clock::time_point> deadline = Deadline();
        if (!pending_ || !enabled_) {
            // A wake between the look above and the wait is kept by the worker.
            lock.unlock();
            if (deadline) worker_.WaitUntil(token, *deadline);
            else worker_.Wait(token);
            lock.lock();
        }
        if (token.stop_requested()) return;
        if (!enabled_) continue;
        const bool due = deadline && Clock::now() >= *deadline;
        if (!pending_ && !due) continue;
        // A retry, a refresh or a reconnect sends even what the device has.
        const bool force = due || forceNext_;
        pending_ = false;
        forceNext_ = false;
        // This send serves every change asked for so far: a wake they left
        // behind would only find nothing to send.
        worker_.ClearWake();

        sending_ = true;
        lock.unlock();
        const std::optional<LightFrame> frame = port_.current();
        const bool needed = frame && (force || !accepted_ || *frame != *accepted_);
        const protocol::Status status = needed ? port_.send(*frame) : protocol::Status::Ok;
        lock.lock();
        sending_ = false;
        sent_.notify_all();

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
