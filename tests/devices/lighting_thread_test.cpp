// The lighting-thread runner on a hand-stepped clock: steps at their ticks,
// no waking while there is nothing to animate, and an immediate stop.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "devices/lighting_thread.h"
#include "platform/manual_tick_source.h"

namespace vandrel::devices {
namespace {

using namespace std::chrono_literals;

class LightingThreadTest : public ::testing::Test {
protected:
    LightingThreadTest()
        : thread(ticks, {[this]() -> std::optional<std::uint32_t> {
                             const int i = interval.load();
                             return i > 0 ? std::optional<std::uint32_t>(i) : std::nullopt;
                         },
                         [this] {
                             std::lock_guard lock(mutex);
                             steps.push_back(ticks.Now());
                             stepped.notify_all();
                         }}) {}

    // Steps time to `tick` once the thread waits, and returns the tick it waited for.
    std::optional<std::uint64_t> AdvanceTo(std::uint64_t tick) {
        const auto waitingFor = ticks.WaitForWaiter(2s);
        if (waitingFor) ticks.Advance(tick - ticks.Now());
        return waitingFor;
    }
    std::vector<std::uint64_t> StepsOnceThereAre(std::size_t n) {
        std::unique_lock lock(mutex);
        stepped.wait_for(lock, 2s, [&] { return steps.size() >= n; });
        return steps;
    }

    platform::ManualTickSource ticks;
    std::atomic<int> interval{0};  // 0: nothing to animate
    std::mutex mutex;
    std::condition_variable stepped;
    std::vector<std::uint64_t> steps;
    LightingThread thread;
};

TEST_F(LightingThreadTest, StepsRunAtTheirTicks) {
    // Each row: the tick time is moved to, the tick the thread waited for, the
    // steps so far. A late clock runs one step, and the next is counted from it.
    struct Move {
        std::uint64_t to;
        std::uint64_t waitedFor;
        std::vector<std::uint64_t> steps;
    };
    const Move moves[] = {
        {7, 7, {7}},
        {14, 14, {7, 14}},
        {30, 21, {7, 14, 30}},
        {37, 37, {7, 14, 30, 37}},
    };
    interval = 7;  // speed 4: about 110 ms
    thread.Start();
    for (const Move& m : moves) {
        SCOPED_TRACE(m.to);
        EXPECT_EQ(AdvanceTo(m.to), m.waitedFor);
        EXPECT_EQ(StepsOnceThereAre(m.steps.size()), m.steps);
    }
}

TEST_F(LightingThreadTest, NothingToAnimateParksUntilWoken) {
    thread.Start();
    ticks.Advance(100);
    EXPECT_EQ(ticks.WaitForWaiter(50ms), std::nullopt);  // parked, not counting ticks
    EXPECT_TRUE(StepsOnceThereAre(0).empty());

    interval = 3;
    thread.Wake();
    EXPECT_EQ(AdvanceTo(103), 103u);
    EXPECT_EQ(StepsOnceThereAre(1), std::vector<std::uint64_t>{103});
}

TEST_F(LightingThreadTest, StopIsImmediateWhetherWaitingOrParked) {
    for (const int each : {1000, 0}) {
        SCOPED_TRACE(each);
        interval = each;
        thread.Start();
        if (each > 0) {
            ASSERT_TRUE(ticks.WaitForWaiter(2s).has_value());
        }
        const auto start = std::chrono::steady_clock::now();
        thread.Stop();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
        EXPECT_FALSE(thread.Running());
    }
    EXPECT_TRUE(StepsOnceThereAre(0).empty());
}

}  // namespace
}  // namespace vandrel::devices
