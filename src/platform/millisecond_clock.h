// The millisecond clock recordings measure their delays with: monotonic, so
// a change of the wall clock never shows as a pause, and behind an interface
// that tests step by hand.
#pragma once

#include <chrono>
#include <cstdint>

namespace vandrel::platform {

class IMillisecondClock {
public:
    virtual ~IMillisecondClock() = default;
    virtual std::uint64_t NowMs() const = 0;
};

class SteadyMillisecondClock : public IMillisecondClock {
public:
    std::uint64_t NowMs() const override {
        const auto since = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
    }
};

// For tests: the time is what the test sets.
class ManualMillisecondClock : public IMillisecondClock {
public:
    std::uint64_t NowMs() const override { return now_; }
    void Advance(std::uint64_t ms) { now_ += ms; }

private:
    std::uint64_t now_ = 0;
};

}  // namespace vandrel::platform
