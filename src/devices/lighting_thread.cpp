#include "devices/lighting_thread.h"

#include <utility>

namespace vandrel::devices {

LightingThread::LightingThread(platform::ITickSource& ticks, LightingSchedule schedule)
    : ticks_(ticks), schedule_(std::move(schedule)) {}

LightingThread::~LightingThread() { Stop(); }

void LightingThread::Start() {
    if (worker_.Running()) return;
    stop_.Reset();
    worker_.Start([this](const std::stop_token& token) { Run(token); });
}

void LightingThread::Stop() { worker_.Stop(); }

void LightingThread::Wake() { worker_.Wake(); }

void LightingThread::Run(const std::stop_token& token) {
    // The tick source waits on an event: a stop sets it.
    const std::stop_callback stopWaits(token, [this] { stop_.Set(); });
    std::uint64_t lastStep = ticks_.Now();
    while (!token.stop_requested()) {
        const std::optional<std::uint32_t> interval = schedule_.ticksUntilNextStep();
        if (!interval) {
            if (worker_.Wait(token) == platform::WakeReason::Stopped) return;
            lastStep = ticks_.Now();
            continue;
        }
        if (ticks_.WaitUntil(lastStep + *interval, stop_)) return;
        lastStep = ticks_.Now();
        schedule_.runStep();
    }
}

}  // namespace vandrel::devices
