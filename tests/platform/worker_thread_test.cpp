// The worker thread helper: a stop ends any wait at once and joins, a wake is
// latched so that one coming before the wait is not lost, and destruction
// joins a running body.
#include <atomic>
#include <chrono>
#include <future>
#include <stop_token>

#include <gtest/gtest.h>

#include "platform/worker_thread.h"

namespace vandrel::platform {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Far longer than any test may take: a wait that lasts this long was not ended.
constexpr auto kForever = 60s;
// What "at once" may take on a loaded machine.
constexpr auto kPrompt = 2s;

TEST(WorkerThreadTest, StopEndsEveryKindOfWaitAtOnce) {
    struct Case {
        const char* name;
        WakeReason (*wait)(WorkerThread&, const std::stop_token&);
    };
    const Case cases[] = {
        {"Wait", [](WorkerThread& w, const std::stop_token& t) { return w.Wait(t); }},
        {"WaitFor", [](WorkerThread& w, const std::stop_token& t) { return w.WaitFor(t, kForever); }},
        {"WaitUntil",
         [](WorkerThread& w, const std::stop_token& t) { return w.WaitUntil(t, Clock::now() + kForever); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkerThread worker;
        std::promise<void> waiting;
        std::promise<WakeReason> reason;
        worker.Start([&](const std::stop_token& token) {
            waiting.set_value();
            reason.set_value(c.wait(worker, token));
        });
        waiting.get_future().wait();
        const auto start = Clock::now();
        worker.Stop();
        EXPECT_LT(Clock::now() - start, kPrompt);
        EXPECT_FALSE(worker.Running());
        EXPECT_EQ(reason.get_future().get(), WakeReason::Stopped);
    }
}

TEST(WorkerThreadTest, AWakeBeforeTheWaitIsKeptAndTakenOnce) {
    WorkerThread worker;
    worker.Wake();  // before the thread even runs
    std::promise<void> busy;
    std::promise<void> wokenWhileBusy;
    std::promise<WakeReason> first, second, third;
    worker.Start([&](const std::stop_token& token) {
        first.set_value(worker.WaitFor(token, kForever));
        busy.set_value();
        wokenWhileBusy.get_future().wait();  // the wake comes before this wait
        second.set_value(worker.WaitFor(token, kForever));
        third.set_value(worker.WaitFor(token, 20ms));  // both wakes were taken
    });
    EXPECT_EQ(first.get_future().get(), WakeReason::Woken);
    busy.get_future().wait();
    worker.Wake();
    wokenWhileBusy.set_value();
    EXPECT_EQ(second.get_future().get(), WakeReason::Woken);
    EXPECT_EQ(third.get_future().get(), WakeReason::TimedOut);
}

TEST(WorkerThreadTest, AWaitWithNothingToEndItRunsItsTimeOut) {
    WorkerThread worker;
    std::promise<WakeReason> reason;
    std::promise<Clock::duration> waited;
    worker.Start([&](const std::stop_token& token) {
        const auto start = Clock::now();
        reason.set_value(worker.WaitFor(token, 30ms));
        waited.set_value(Clock::now() - start);
    });
    EXPECT_EQ(reason.get_future().get(), WakeReason::TimedOut);
    EXPECT_GE(waited.get_future().get(), 30ms);
}

TEST(WorkerThreadTest, ClearWakeDropsAWakeNoWaitTook) {
    WorkerThread worker;
    worker.Wake();
    worker.ClearWake();
    std::promise<WakeReason> reason;
    worker.Start([&](const std::stop_token& token) { reason.set_value(worker.WaitFor(token, 20ms)); });
    EXPECT_EQ(reason.get_future().get(), WakeReason::TimedOut);
}

TEST(WorkerThreadTest, DestructionStopsAndJoinsTheBody) {
    std::atomic<bool> finished{false};
    std::atomic<bool> callbackRan{false};
    {
        WorkerThread worker;
        std::promise<void> waiting;
        worker.Start([&](const std::stop_token& token) {
            // The way a body releases a wait of its own (poll, a read).
            const std::stop_callback release(token, [&] { callbackRan = true; });
            waiting.set_value();
            while (worker.Wait(token) != WakeReason::Stopped) {}
            finished = true;
        });
        waiting.get_future().wait();
    }
    EXPECT_TRUE(finished);
    EXPECT_TRUE(callbackRan);
}

TEST(WorkerThreadTest, StartsAgainAfterAStopWithAFreshToken) {
    WorkerThread worker;
    for (int round = 0; round < 2; ++round) {
        std::promise<bool> stoppedAtStart;
        std::promise<WakeReason> reason;
        worker.Start([&](const std::stop_token& token) {
            stoppedAtStart.set_value(token.stop_requested());
            reason.set_value(worker.Wait(token));
        });
        EXPECT_FALSE(stoppedAtStart.get_future().get());
        worker.Wake();
        EXPECT_EQ(reason.get_future().get(), WakeReason::Woken);
        worker.Stop();
        EXPECT_FALSE(worker.Running());
    }
}

}  // namespace
}  // namespace vandrel::platform
