#include "devices/lighting_thread.h"

#include <utility>

namespace vandrel::devices {

LightingThread::LightingThread(platform::ITickSource& ticks, LightingSchedule schedule)
    : ticks_(ticks), schedule_(std::move(schedule)) {}

LightingThread::~LightingThread() { Stop(); }

void LightingThread::Start() {
    if (worker_.joinable()) return;
    stop_.Reset();
    worker_ = std::thread([this] { Run(); });
}

void LightingThread::Stop() {
    if (!worker_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stop_.Set();
    }
    wake_.notify_all();
    worker_.join();
}

void LightingThread::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wake_.notify_all();
}

bool LightingThread::Idle() {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return woken_ || stop_.IsSet(); });
    woken_ = false;
    return stop_.IsSet();
}

void LightingThread::Run() {
    std::uint64_t lastStep = ticks_.Now();
    while (!stop_.IsSet()) {
        const std::optional<std::uint32_t> interval = schedule_.ticksUntilNextStep();
        if (!interval) {
            if (Idle()) return;
            lastStep = ticks_.Now();
            continue;
        }
        if (ticks_.WaitUntil(lastStep + *interval, stop_)) return;
        lastStep = ticks_.Now();
        schedule_.runStep();
    }
}

}  // namespace vandrel::devices
