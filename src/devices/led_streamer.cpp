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

LedStreamer::LedStreamer(std::function<int()> send) : send_(std::move(send)), worker_([this] { Run(); }) {}

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

void LedStreamer::Enable() {
    std::lock_guard lock(mutex_);
    enabled_ = true;
}

void LedStreamer::Disable() {
    std::unique_lock lock(mutex_);
    enabled_ = false;
    pending_ = false;
    changed_.notify_all();  // ends a back-off pause
    changed_.wait(lock, [this] { return !sending_; });
}

bool LedStreamer::Enabled() const {
    std::lock_guard lock(mutex_);
    return enabled_;
}

void LedStreamer::Run() {
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return stopping_ || (pending_ && enabled_); });
        if (stopping_) return;
        pending_ = false;
        sending_ = true;
        lock.unlock();
        const int status = send_();
        lock.lock();
        sending_ = false;
        changed_.notify_all();
        if (status != 1) {
            // The device did not take the stream: give it a rest, unless the
            // stream is stopped meanwhile.
            changed_.wait_for(lock, kStreamBackOff, [this] { return stopping_ || !enabled_; });
        }
    }
}

}  // namespace vandrel::devices
