// LightingThread: runs a device's lighting steps on a thread of its own.
//
// Design. Time is counted in ticks of 1/64 s from an ITickSource, the
// granularity the effect intervals were tuned for. The owner plugs in two
// functions:
//   - ticksUntilNextStep: how many ticks after the last step the next one is
//     due (the current effect's interval at its speed), or nothing when there
//     is nothing to animate (a static or switched-off effect, the transport
//     closed or paused);
//   - runStep: one step of the current effect, writing the LED buffer.
// The thread sleeps in the tick source until its next step is due, or until
// the thread is told to stop; it never polls. With nothing to animate it parks
// on its worker's wake until Wake (the effect changed, the transport reopened)
// or Stop. Stop ends either wait at once, then joins.
// A Wake while a step is pending does not cut the wait short: a new interval
// takes effect from the next step.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>

#include "platform/event.h"
#include "platform/tick_source.h"
#include "platform/worker_thread.h"

namespace vandrel::devices {

struct LightingSchedule {
    std::function<std::optional<std::uint32_t>()> ticksUntilNextStep;
    std::function<void()> runStep;
};

class LightingThread {
public:
    LightingThread(platform::ITickSource& ticks, LightingSchedule schedule);
    ~LightingThread();  // stops
    LightingThread(const LightingThread&) = delete;
    LightingThread& operator=(const LightingThread&) = delete;

    void Start();  // does nothing while running
    void Stop();   // immediate; does nothing when not running
    void Wake();
    bool Running() const { return worker_.Running(); }

private:
    void Run(const std::stop_token& token);

    platform::ITickSource& ticks_;
    const LightingSchedule schedule_;
    platform::Event stop_;  // the worker's stop, for the tick source's wait
    platform::WorkerThread worker_;
};

}  // namespace vandrel::devices
