#include "platform/tick_source.h"

namespace vandrel::platform {

SteadyTickSource::SteadyTickSource() : start_(std::chrono::steady_clock::now()) {}

std::uint64_t SteadyTickSource::Now() const {
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    return static_cast<std::uint64_t>(elapsed / kTickLength);
}

bool SteadyTickSource::WaitUntil(std::uint64_t tick, const Event& stop) {
    const auto deadline = start_ + kTickLength * static_cast<std::int64_t>(tick);
    while (true) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return stop.IsSet();
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        if (stop.WaitFor(left)) return true;
    }
}

bool SteadyTickSource::WaitForStop(const Event& stop) {
    stop.Wait();
    return true;
}

}  // namespace vandrel::platform
