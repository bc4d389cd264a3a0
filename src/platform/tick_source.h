// Effect timing counts ticks of 1/64 s from a monotonic clock: the granularity
// the effect tables were tuned for. Threads wait for their next tick through
// the source, so tests can step time by hand.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/event.h"

namespace vandrel::platform {

inline constexpr std::chrono::microseconds kTickLength{15625};  // 1/64 s

class ITickSource {
public:
    virtual ~ITickSource() = default;
    virtual std::uint64_t Now() const = 0;
    // Waits until the tick count reaches `tick` or `stop` is set; true when stopped.
    virtual bool WaitUntil(std::uint64_t tick, const Event& stop) = 0;
    // Waits until `stop` is set, for a thread with nothing to do; true when stopped.
    virtual bool WaitForStop(const Event& stop) = 0;
};

// Ticks of the monotonic clock.
class SteadyTickSource final : public ITickSource {
public:
    SteadyTickSource();
    std::uint64_t Now() const override;
    bool WaitUntil(std::uint64_t tick, const Event& stop) override;
    bool WaitForStop(const Event& stop) override;

private:
    std::chrono::steady_clock::time_point start_;
};

}  // namespace vandrel::platform
