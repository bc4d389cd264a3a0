#include "platform/hidraw_watcher.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

#include "fake_hidraw.h"
#include "platform/hidraw_backend.h"
#include "support/temp_folder.h"

namespace vandrel::platform {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kEventWait{2};

// Counts the watcher's calls and lets a test wait for the next one.
class CallCounter {
public:
    void operator()() {
        {
            std::lock_guard lock(mutex_);
            ++calls_;
        }
        changed_.notify_all();
    }
    int Calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    // True when the count reaches `count` within the bound.
    bool WaitFor(int count) const {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kEventWait, [&] { return calls_ >= count; });
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    int calls_ = 0;
};

class HidrawWatcherTest : public ::testing::Test {
protected:
    void Create(const std::string& name) const {
        const int fd = ::open((folder / name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    void Chmod(const std::string& name) const { ASSERT_EQ(::chmod((folder / name).c_str(), 0660), 0); }
    void Remove(const std::string& name) const { ASSERT_TRUE(fs::remove(folder / name)); }

    const testing::TempFolder temp;
    const fs::path folder{temp.Path()};
    CallCounter counter;
};

TEST(HidrawName, OnlyHidrawEntriesCount) {
    EXPECT_TRUE(IsHidrawName("hidraw0"));
    EXPECT_TRUE(IsHidrawName("hidraw17"));
    EXPECT_FALSE(IsHidrawName("hidra"));
    EXPECT_FALSE(IsHidrawName("input"));
    EXPECT_FALSE(IsHidrawName("xhidraw1"));
}

TEST_F(HidrawWatcherTest, CreateAttributeChangeAndDeleteOfANodeEachCallBack) {
    HidrawWatcher nodes(std::ref(counter), folder.string());
    ASSERT_TRUE(nodes.Start());

    Create("hidraw7");
    EXPECT_TRUE(counter.WaitFor(1));
    Chmod("hidraw7");  // udev granting access
    EXPECT_TRUE(counter.WaitFor(2));
    Remove("hidraw7");
    EXPECT_TRUE(counter.WaitFor(3));
}

TEST_F(HidrawWatcherTest, OtherEntriesDoNotCallBack) {
    HidrawWatcher nodes(std::ref(counter), folder.string());
    ASSERT_TRUE(nodes.Start());

    Create("other");
    Chmod("other");
    Remove("other");
    // inotify keeps the order of events: once the node created after them is
    // reported, the other entry's events have been seen too.
    Create("hidraw8");
    ASSERT_TRUE(counter.WaitFor(1));
    nodes.Stop();
    EXPECT_EQ(counter.Calls(), 1);
}

TEST_F(HidrawWatcherTest, StopIsImmediateAndEndsTheCalls) {
    HidrawWatcher nodes(std::ref(counter), folder.string());
    ASSERT_TRUE(nodes.Start());
    EXPECT_TRUE(nodes.Start());  // already running

    const auto before = Clock::now();
    nodes.Stop();
    EXPECT_LT(Clock::now() - before, std::chrono::seconds(1));
    EXPECT_FALSE(nodes.Running());

    Create("hidraw9");
    nodes.Stop();  // a second Stop does nothing
    EXPECT_EQ(counter.Calls(), 0);

    // It can watch again after a stop.
    ASSERT_TRUE(nodes.Start());
    Remove("hidraw9");
    EXPECT_TRUE(counter.WaitFor(1));
}

TEST_F(HidrawWatcherTest, AFolderThatCannotBeWatchedDoesNotStart) {
    HidrawWatcher missing(std::ref(counter), (folder / "missing").string());
    EXPECT_FALSE(missing.Start());
    EXPECT_FALSE(missing.Running());
    missing.Stop();  // harmless

    Create("plain");
    HidrawWatcher notAFolder(std::ref(counter), (folder / "plain").string());
    EXPECT_FALSE(notAFolder.Start());

    // The back end over such a folder says that it cannot report changes.
    HidrawBackend backend((folder / "missing").string(), (folder / "missing").string());
    EXPECT_EQ(backend.WatchChanges(std::ref(counter)), nullptr);
}

// The back end's change reports come from a watcher on its own node folder.
TEST(HidrawBackendChanges, ANodeComingGettingAccessAndGoingIsReported) {
    test::FakeHidraw fake;
    HidrawBackend backend = fake.Backend();
    CallCounter counter;
    const auto watch = backend.WatchChanges(std::ref(counter));
    ASSERT_NE(watch, nullptr);

    fake.Plug(3, {});
    EXPECT_TRUE(counter.WaitFor(1));
    fake.GrantAccess(3);
    EXPECT_TRUE(counter.WaitFor(2));
    fake.Unplug(3);
    EXPECT_TRUE(counter.WaitFor(3));
}

}  // namespace
}  // namespace vandrel::platform
