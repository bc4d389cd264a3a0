// The device's command worker: a burst of posts into one slot runs only the
// latest, slots run in the order they were first posted, a failure pauses the
// next job, and a stop drops what waits and joins.
#include "devices/command_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "support/eventually.h"

namespace vandrel::devices {
namespace {

using namespace std::chrono_literals;
using Slot = CommandWorker::Slot;
using protocol::Status;

// A job that blocks until released, so that others queue up behind it.
class Gate {
public:
    void Wait() {
        std::unique_lock lock(mutex_);
        entered_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    void WaitEntered() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return entered_; });
    }
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
    bool open_ = false;
};

class Log {
public:
    CommandWorker::Job Job(std::string name, Status status = Status::Ok) {
        return [this, name, status] {
            std::lock_guard lock(mutex_);
            ran_.push_back(name);
            return status;
        };
    }
    std::vector<std::string> Ran() {
        std::lock_guard lock(mutex_);
        return ran_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> ran_;
};

TEST(CommandWorker, ABurstInOneSlotRunsOnlyTheLatestInItsPlace) {
    Log log;
    Gate gate;
    std::vector<std::pair<Slot, Status>> done;
    std::mutex doneMutex;
    CommandWorker worker([&](Slot slot, Status status) {
        std::lock_guard lock(doneMutex);
        done.emplace_back(slot, status);
    });
    worker.Post(Slot::LightRecord, [&] {
        gate.Wait();
        return Status::Ok;
    });
    gate.WaitEntered();
    worker.Post(Slot::ColourPage, log.Job("page 1"));
    worker.Post(Slot::KeyMap, log.Job("key map"));
    worker.Post(Slot::ColourPage, log.Job("page 2"));
    worker.Post(Slot::ColourPage, log.Job("page 3", Status::WriteFailed));
    EXPECT_FALSE(worker.Idle());
    gate.Open();
    ASSERT_TRUE(testing::Eventually([&] { return worker.Idle(); }));
    EXPECT_EQ(log.Ran(), (std::vector<std::string>{"page 3", "key map"}));
    std::lock_guard lock(doneMutex);
    EXPECT_EQ(done, (std::vector<std::pair<Slot, Status>>{{Slot::LightRecord, Status::Ok},
                                                          {Slot::ColourPage, Status::WriteFailed},
                                                          {Slot::KeyMap, Status::Ok}}));
}

TEST(CommandWorker, AFailurePausesTheNextJobAndAPostDoesNotCutThePauseShort) {
    constexpr auto kPause = 150ms;
    Log log;
    std::chrono::steady_clock::time_point failedAt;
    std::chrono::steady_clock::time_point nextAt;
    CommandWorker worker({}, kPause);
    worker.Post(Slot::ColourPage, [&] {
        failedAt = std::chrono::steady_clock::now();
        return Status::WriteFailed;
    });
    worker.Post(Slot::KeyMap, [&] {
        nextAt = std::chrono::steady_clock::now();
        return Status::Ok;
    });
    worker.Post(Slot::LightRecord, log.Job("record"));  // a wake during the pause
    ASSERT_TRUE(testing::Eventually([&] { return worker.Idle(); }));
    EXPECT_GE(nextAt - failedAt, kPause);
    EXPECT_EQ(log.Ran(), std::vector<std::string>{"record"});
}

TEST(CommandWorker, StopDropsWhatWaitsAndIgnoresLaterPosts) {
    Log log;
    Gate gate;
    CommandWorker worker;
    worker.Post(Slot::KeyMap, [&] {
        gate.Wait();
        return Status::Ok;
    });
    gate.WaitEntered();
    worker.Post(Slot::ColourPage, log.Job("page"));
    std::thread opener([&] {
        std::this_thread::sleep_for(20ms);
        gate.Open();
    });
    worker.Stop();  // returns once the running job has finished
    opener.join();
    worker.Post(Slot::ColourPage, log.Job("after"));
    EXPECT_TRUE(log.Ran().empty());
    EXPECT_TRUE(worker.Idle());
}

}  // namespace
}  // namespace vandrel::devices
