// The scan thread, run for real against the simulated back end, and against
// the hidraw back end on a fake tree for its node events.
#include "device_io/device_scan_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "fake_hidraw.h"
#include "platform/hidraw_backend.h"
#include "sim/sim_backend.h"
#include "test_descriptors.h"

namespace vandrel::device_io {
namespace {

using sim::SimBackend;
using sim::SimKind;
using sim::SimLink;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using namespace std::chrono_literals;

constexpr milliseconds kEventBound{2000};
// Changes are promised within 150 ms; the rest is margin for a loaded machine
// under sanitizers. Either way well inside the default safety pace.
constexpr milliseconds kPromptBound{1000};
// Neither a poll nor a safety pass within a test: only a change report, a
// quick retry or Wake runs a pass after the first.
constexpr ScanPace kOnReports{.unwatched = 60s, .safety = 60s};

// How the back end reports its changes to the scan.
enum class Reports {
    Announced,  // as the inner back end does
    Lost,       // it offers a watch, but no report ever comes
    None,       // it offers none
};

struct Script {
    std::string deniedPath{};  // its opens are denied `denials` times
    int denials = 0;
    int enumerateFailures = 0;
    Reports reports = Reports::Announced;
};

// A back end (the simulator, unless told otherwise) with scripted failures of
// enumeration and of opening one path, and scripted change reports.
class ScriptedBackend final : public platform::IHidBackend {
public:
    ScriptedBackend(platform::IHidBackend& inner, Script script)
        : inner_(inner),
          deniedPath_(std::move(script.deniedPath)),
          reports_(script.reports),
          denials_(script.denials),
          enumerateFailures_(script.enumerateFailures) {}

    std::optional<std::vector<std::string>> Enumerate() override {
        ++enumerations_;
        if (enumerateFailures_ > 0) {
            --enumerateFailures_;
            return std::nullopt;
        }
        return inner_.Enumerate();
    }
    std::unique_ptr<platform::IHidDevice> Open(const std::string& path, platform::OpenMode mode,
                                               platform::OpenError* error) override {
        if (path == deniedPath_ && denials_ > 0) {
            --denials_;
            if (error) *error = platform::OpenError::AccessDenied;
            return nullptr;
        }
        return inner_.Open(path, mode, error);
    }
    bool IsPresent(const std::string& path) override { return inner_.IsPresent(path); }
    std::unique_ptr<platform::ChangeWatch> WatchChanges(std::function<void()> onChange) override {
        switch (reports_) {
            case Reports::Announced: return inner_.WatchChanges(std::move(onChange));
            case Reports::Lost: return std::make_unique<platform::ChangeWatch>();
            case Reports::None: break;
        }
        return nullptr;
    }

    int Enumerations() const { return enumerations_; }

private:
    platform::IHidBackend& inner_;
    const std::string deniedPath_;
    const Reports reports_;
    std::atomic<int> denials_;
    std::atomic<int> enumerateFailures_;
    std::atomic<int> enumerations_{0};
};

struct ScanEvent {
    enum Kind { Arrived, Removed, FirstScan, Denied, DenialEnded } kind;
    std::size_t slot = 0;
    std::string path;  // the slot's path as a listener reads it during the call
    int enumerations = 0;
    Clock::time_point at = Clock::now();
};

class RecordingListener final : public IScanListener {
public:
    explicit RecordingListener(const ScriptedBackend& backend) : backend_(backend) {}
    void Watch(const DeviceScanThread& scan) { scan_ = &scan; }

    void OnDeviceArrived(std::size_t slot) override { Record(ScanEvent::Arrived, slot, scan_->Slot(slot).devicePath); }
    void OnDeviceRemoved(std::size_t slot) override { Record(ScanEvent::Removed, slot, scan_->Slot(slot).devicePath); }
    void OnFirstScanCompleted() override { Record(ScanEvent::FirstScan, 0, {}); }
    void OnAccessDenied(const std::string& path) override { Record(ScanEvent::Denied, 0, path); }
    void OnAccessDenialEnded(const std::string& path) override { Record(ScanEvent::DenialEnded, 0, path); }

    std::vector<ScanEvent> Events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    std::vector<ScanEvent> Of(ScanEvent::Kind kind) const {
        auto all = Events();
        std::erase_if(all, [kind](const ScanEvent& e) { return e.kind != kind; });
        return all;
    }
    std::vector<std::string> Paths(ScanEvent::Kind kind) const {
        std::vector<std::string> paths;
        for (const auto& e : Of(kind)) paths.push_back(e.path);
        std::sort(paths.begin(), paths.end());
        return paths;
    }
    std::vector<std::size_t> Slots(ScanEvent::Kind kind) const {
        std::vector<std::size_t> slots;
        for (const auto& e : Of(kind)) slots.push_back(e.slot);
        std::sort(slots.begin(), slots.end());
        return slots;
    }
    // True when the condition held before the bound ran out.
    bool WaitUntil(const std::function<bool()>& condition, milliseconds bound = kEventBound) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, bound, [&] {
            lock.unlock();
            const bool met = condition();
            lock.lock();
            return met;
        });
    }
    bool WaitForCount(ScanEvent::Kind kind, std::size_t count) {
        return WaitUntil([&] { return Of(kind).size() >= count; });
    }

private:
    void Record(ScanEvent::Kind kind, std::size_t slot, std::string path) {
        {
            std::lock_guard lock(mutex_);
            events_.push_back({kind, slot, std::move(path), backend_.Enumerations(), Clock::now()});
        }
        changed_.notify_all();
    }

    const ScriptedBackend& backend_;
    const DeviceScanThread* scan_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<ScanEvent> events_;
};

// One scan over one simulator, or over the back end given; the script is
// fixed before the start.
struct Scan {
    explicit Scan(Script script = {}, ScanPace pace = kOnReports, platform::IHidBackend* inner = nullptr)
        : backend(inner ? *inner : sim, std::move(script)), listener(backend), thread(backend, listener, pace) {
        listener.Watch(thread);
    }
    // Wakes the thread until that many passes have run from start to end
    // after this call: a resting scan runs none by itself.
    bool WaitPasses(int passes) {
        const int target = backend.Enumerations() + passes + 1;
        return Polled([&] { return backend.Enumerations() >= target; }, true);
    }
    // Waits, without waking the thread, until it has enumerated that often.
    bool WaitEnumerations(int count) {
        return Polled([&] { return backend.Enumerations() >= count; }, false);
    }
    // Passes without news notify nothing, so these are polled.
    bool Polled(const std::function<bool()>& condition, bool wake) {
        for (const auto end = Clock::now() + kEventBound; Clock::now() < end;) {
            if (condition()) return true;
            if (wake) thread.Wake();
            std::this_thread::sleep_for(milliseconds(5));
        }
        return false;
    }

    SimBackend sim;
    ScriptedBackend backend;
    RecordingListener listener;
    DeviceScanThread thread;
};

struct KindSlotsCase {
    SimKind kind;
    SimLink link;
    std::vector<std::size_t> slots;  // vendor first
};

TEST(DeviceScanThread, EachPluggedLinkArrivesOnItsSlotsWithItsPaths) {
    const KindSlotsCase cases[] = {
        {SimKind::Keyboard, SimLink::Cable, {0, 1}}, {SimKind::Keyboard, SimLink::Receiver, {2, 3}},
        {SimKind::Mouse, SimLink::Cable, {4, 5}},    {SimKind::Mouse, SimLink::Receiver, {6, 7}},
        {SimKind::MousePad, SimLink::Cable, {8, 9}}, {SimKind::Headset, SimLink::Cable, {10}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "slots from " << c.slots.front());
        Scan scan;
        scan.sim.Plug(c.kind, c.link);
        scan.thread.Start();
        ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Arrived, c.slots.size()));
        ASSERT_TRUE(scan.WaitPasses(1));
        EXPECT_EQ(scan.listener.Slots(ScanEvent::Arrived), c.slots);

        std::vector<std::string> expectedPaths{SimBackend::VendorPath(c.kind, c.link)};
        if (c.slots.size() > 1) expectedPaths.push_back(SimBackend::CompanionPath(c.kind, c.link));
        for (std::size_t i = 0; i < c.slots.size(); ++i) {
            const DeviceIdentity slot = scan.thread.Slot(c.slots[i]);
            EXPECT_EQ(slot.connected, 1);
            EXPECT_EQ(slot.devicePath, expectedPaths[i]);
            const auto arrival = scan.listener.Of(ScanEvent::Arrived);
            EXPECT_TRUE(std::any_of(arrival.begin(), arrival.end(), [&](const ScanEvent& e) {
                return e.slot == c.slots[i] && e.path == expectedPaths[i];
            })) << "the listener sees the path during the call";
        }
    }
}

TEST(DeviceScanThread, MouseLinksComeAndGoIndependently) {
    Scan scan;
    scan.sim.Plug(SimKind::Mouse, SimLink::Cable);
    scan.thread.Start();
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Arrived, 2));

    scan.sim.Plug(SimKind::Mouse, SimLink::Receiver);
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Arrived, 4));
    EXPECT_EQ(scan.listener.Slots(ScanEvent::Arrived), (std::vector<std::size_t>{4, 5, 6, 7}));

    const auto unplugged = Clock::now();
    scan.sim.Unplug(SimKind::Mouse, SimLink::Cable);
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Removed, 2));
    const auto removals = scan.listener.Of(ScanEvent::Removed);
    const auto seenAfter = std::chrono::duration_cast<milliseconds>(removals.back().at - unplugged);
    EXPECT_LT(seenAfter, kPromptBound);
    RecordProperty("removal_seen_after_ms", static_cast<int>(seenAfter.count()));
    EXPECT_EQ(scan.listener.Slots(ScanEvent::Removed), (std::vector<std::size_t>{4, 5}));
    for (const auto& removal : removals) EXPECT_EQ(removal.path, "") << "the slot is free during the call";
    EXPECT_EQ(scan.thread.Slot(6).connected, 1);

    scan.sim.Unplug(SimKind::Mouse, SimLink::Receiver);
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Removed, 4));
    EXPECT_EQ(scan.listener.Slots(ScanEvent::Removed), (std::vector<std::size_t>{4, 5, 6, 7}));

    scan.sim.Plug(SimKind::Mouse, SimLink::Cable);
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Arrived, 6));
    for (const auto& slot : scan.thread.Slots())
        EXPECT_EQ(slot.connected == 1, slot.productId == 0x221C) << "only the cable mouse is back";
}

TEST(DeviceScanThread, FirstScanNoticeComesOnceAfterTheFirstPassArrivals) {
    Scan scan;
    scan.sim.Plug(SimKind::Mouse);
    scan.sim.Plug(SimKind::Headset);
    scan.thread.Start();
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::FirstScan, 1));
    ASSERT_TRUE(scan.WaitPasses(3));

    const auto events = scan.listener.Events();
    const auto notice =
        std::find_if(events.begin(), events.end(), [](const ScanEvent& e) { return e.kind == ScanEvent::FirstScan; });
    EXPECT_EQ(
        std::count_if(events.begin(), events.end(), [](const ScanEvent& e) { return e.kind == ScanEvent::FirstScan; }),
        1);
    EXPECT_EQ(std::count_if(events.begin(), notice, [](const ScanEvent& e) { return e.kind == ScanEvent::Arrived; }),
              3);
}

// The retries come without a change report.
TEST(DeviceScanThread, FailedEnumerationsAreSkippedAndTheScanGoesOn) {
    Scan scan({.enumerateFailures = 2});
    scan.sim.Plug(SimKind::MousePad);
    scan.thread.Start();
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::FirstScan, 1));
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Arrived, 2));
    for (const auto& arrival : scan.listener.Of(ScanEvent::Arrived)) EXPECT_EQ(arrival.enumerations, 3);
    EXPECT_TRUE(scan.thread.IsRunning());
}

struct DenialCase {
    int denials;
    int expectedReports;
    std::optional<int> arrivalPass;  // none: never opens during the test
};

TEST(DeviceScanThread, DeniedOpensAreRetriedAndALastingDenialIsReportedOnce) {
    const DenialCase cases[] = {
        {1, 0, 2},  // the udev rule was a moment late: nothing to report
        {2, 1, 3},
        {1000, 1, std::nullopt},
    };
    const std::string path = SimBackend::VendorPath(SimKind::Mouse);
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.denials << " denials");
        Scan scan({.deniedPath = path, .denials = c.denials});
        scan.sim.Plug(SimKind::Mouse);
        scan.thread.Start();
        ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Arrived, 1));  // the companion opens at once
        ASSERT_TRUE(scan.WaitPasses(5));

        const auto vendor = scan.listener.Of(ScanEvent::Arrived);
        const auto arrival = std::find_if(vendor.begin(), vendor.end(), [](const ScanEvent& e) { return e.slot == 4; });
        if (c.arrivalPass) {
            ASSERT_NE(arrival, vendor.end());
            EXPECT_EQ(arrival->enumerations, *c.arrivalPass);
        } else {
            EXPECT_EQ(arrival, vendor.end());
        }
        const auto reports = scan.listener.Of(ScanEvent::Denied);
        ASSERT_EQ(static_cast<int>(reports.size()), c.expectedReports);
        for (const auto& report : reports) EXPECT_EQ(report.path, path);
    }
}

struct DenialEndCase {
    const char* what;
    std::function<void(Scan&)> end;
    bool opens;
};

// Each reported denial ends once: the path opened, or it is no longer there.
TEST(DeviceScanThread, ALastingDenialEndsOnceWhenThePathOpensOrGoes) {
    const DenialEndCase cases[] = {
        {"access given", [](Scan& scan) { scan.sim.SetAccessDenied(SimKind::Mouse, SimLink::Cable, false); }, true},
        {"unplugged", [](Scan& scan) { scan.sim.Unplug(SimKind::Mouse); }, false},
        {"access given while the scan was stopped",
         [](Scan& scan) {
             scan.thread.Stop();
             scan.sim.SetAccessDenied(SimKind::Mouse, SimLink::Cable, false);
             scan.thread.Start();
         },
         true},
    };
    const std::vector<std::string> paths = [] {
        std::vector<std::string> both{SimBackend::VendorPath(SimKind::Mouse),
                                      SimBackend::CompanionPath(SimKind::Mouse)};
        std::sort(both.begin(), both.end());
        return both;
    }();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scan scan;
        scan.sim.Plug(SimKind::Mouse);
        scan.sim.SetAccessDenied(SimKind::Mouse, SimLink::Cable, true);
        scan.thread.Start();
        ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Denied, 2));
        ASSERT_TRUE(scan.WaitPasses(2));
        EXPECT_EQ(scan.listener.Paths(ScanEvent::Denied), paths);
        EXPECT_TRUE(scan.listener.Of(ScanEvent::DenialEnded).empty()) << "still denied";

        c.end(scan);
        ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::DenialEnded, 2));
        if (c.opens) {
            ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Arrived, 2));
        }
        ASSERT_TRUE(scan.WaitPasses(2));
        EXPECT_EQ(scan.listener.Paths(ScanEvent::DenialEnded), paths);
        EXPECT_EQ(scan.listener.Of(ScanEvent::Denied).size(), 2u) << "reported once";
        EXPECT_EQ(scan.listener.Of(ScanEvent::Arrived).size(), c.opens ? 2u : 0u);
        // A listener hears of the end before it hears of the arrival.
        const auto events = scan.listener.Events();
        const auto first = [&](ScanEvent::Kind kind, const std::string& path) {
            return std::find_if(events.begin(), events.end(),
                                [&](const ScanEvent& e) { return e.kind == kind && e.path == path; });
        };
        for (const auto& arrival : scan.listener.Of(ScanEvent::Arrived))
            EXPECT_LT(first(ScanEvent::DenialEnded, arrival.path), first(ScanEvent::Arrived, arrival.path));
    }
}

struct RestCase {
    const char* what;
    Script script;
    int passesBeforeRest;
};

// Quick retries only while a failure is fresh; then, and while all is well,
// no pass runs without a change report until the safety pass.
TEST(DeviceScanThread, QuickRetriesEndAndTheScanThenRests) {
    const std::string vendor = SimBackend::VendorPath(SimKind::Mouse);
    const RestCase cases[] = {
        {"all is well", {}, 1},
        {"a lasting denial", {.deniedPath = vendor, .denials = 1000}, DeviceScanThread::kQuickRetryPasses},
        {"enumeration failing", {.enumerateFailures = 1000}, DeviceScanThread::kQuickRetryPasses},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scan scan(c.script, {.safety = 60s, .retry = 5ms});  // ignoring reports, it would poll at 100 ms
        scan.sim.Plug(SimKind::Mouse);
        scan.thread.Start();
        ASSERT_TRUE(scan.WaitEnumerations(c.passesBeforeRest));
        const int settled = scan.backend.Enumerations();
        std::this_thread::sleep_for(300ms);  // beyond the poll of a back end without reports
        EXPECT_EQ(scan.backend.Enumerations(), settled);
    }
}

struct ReportCase {
    const char* what;
    Reports reports;
    ScanPace pace;
    bool seen;
};

TEST(DeviceScanThread, AChangeIsSeenThroughItsReportTheUnwatchedPollOrTheSafetyPass) {
    const ReportCase cases[] = {
        {"reported", Reports::Announced, kOnReports, true},
        {"no reports offered: polled", Reports::None, {.unwatched = 20ms, .safety = 60s}, true},
        {"report lost: the safety pass", Reports::Lost, {.safety = 20ms}, true},
        {"report lost, no safety pass within the test", Reports::Lost, kOnReports, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scan scan({.reports = c.reports}, c.pace);
        scan.thread.Start();
        ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::FirstScan, 1));
        const auto plugged = Clock::now();
        scan.sim.Plug(SimKind::MousePad);
        if (c.seen) {
            ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Arrived, 2));
            EXPECT_LT(scan.listener.Of(ScanEvent::Arrived).back().at - plugged, kPromptBound);
        } else {
            EXPECT_FALSE(scan.listener.WaitUntil([&] { return !scan.listener.Of(ScanEvent::Arrived).empty(); }, 300ms));
        }
    }
}

TEST(DeviceScanThread, StopReturnsPromptlyInTheMiddleOfTheWait) {
    for (const ScanPace pace : {ScanPace{}, kOnReports}) {
        Scan scan({}, pace);
        scan.sim.Plug(SimKind::Keyboard);
        scan.thread.Start();
        ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::FirstScan, 1));
        std::this_thread::sleep_for(milliseconds(30));  // inside the wait that follows the pass
        const auto asked = Clock::now();
        scan.thread.Stop();
        EXPECT_LT(Clock::now() - asked, milliseconds(500)) << "safety pace " << pace.safety.count() << " ms";
        EXPECT_FALSE(scan.thread.IsRunning());
        scan.thread.Stop();  // a second stop is harmless
    }
}

TEST(DeviceScanThread, WakeRunsTheNextPassAtOnce) {
    Scan scan({.reports = Reports::None}, {.unwatched = 30s});
    scan.thread.Start();
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::FirstScan, 1));
    scan.sim.Plug(SimKind::MousePad);
    scan.thread.Wake();
    EXPECT_TRUE(scan.listener.WaitForCount(ScanEvent::Arrived, 2));
    scan.sim.Unplug(SimKind::MousePad);
    scan.thread.Wake();
    EXPECT_TRUE(scan.listener.WaitForCount(ScanEvent::Removed, 2));
}

TEST(DeviceScanThread, RestartedScanSeesChangesMadeWhileStopped) {
    Scan scan;
    scan.sim.Plug(SimKind::Headset);
    scan.thread.Start();
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::FirstScan, 1));
    scan.thread.Stop();

    scan.sim.Unplug(SimKind::Headset);
    scan.thread.Start();
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Removed, 1));
    EXPECT_EQ(scan.listener.Of(ScanEvent::Removed).front().slot, 10u);
    EXPECT_TRUE(scan.listener.WaitForCount(ScanEvent::FirstScan, 2));

    scan.sim.Plug(SimKind::Headset);  // reported again to the restarted scan
    EXPECT_TRUE(scan.listener.WaitForCount(ScanEvent::Arrived, 2));
}

// The hidraw back end on a fake tree: its node events wake the scan, which
// otherwise rests (no safety pass within a test).
class HidrawScanTest : public ::testing::Test {
protected:
    static constexpr unsigned kNode = 5;
    static constexpr milliseconds kRetry{5};

    static test::FakeNode Keyboard() {
        test::FakeNode node;
        node.descriptor = test::kKeyboardInterface;
        return node;
    }
    milliseconds SinceLast(ScanEvent::Kind kind, Clock::time_point since) const {
        return std::chrono::duration_cast<milliseconds>(scan.listener.Of(kind).back().at - since);
    }

    test::FakeHidraw fake;
    platform::HidrawBackend hidraw = fake.Backend();
    Scan scan{{}, {.unwatched = 60s, .safety = 60s, .retry = kRetry}, &hidraw};
};

TEST_F(HidrawScanTest, ANodeIsSeenPromptlyWhenItComesAndWhenItGoes) {
    scan.thread.Start();
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::FirstScan, 1));

    const auto plugged = Clock::now();
    fake.Plug(kNode, Keyboard());
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Arrived, 2));
    EXPECT_LT(SinceLast(ScanEvent::Arrived, plugged), kPromptBound);
    EXPECT_EQ(scan.listener.Slots(ScanEvent::Arrived), (std::vector<std::size_t>{0, 1}));

    const auto unplugged = Clock::now();
    fake.Unplug(kNode);
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Removed, 2));
    const milliseconds removedAfter = SinceLast(ScanEvent::Removed, unplugged);
    RecordProperty("removal_seen_after_ms", static_cast<int>(removedAfter.count()));
    EXPECT_LT(removedAfter, kPromptBound);
}

// The udev rule's access comes as an attribute change of the node, long after
// the quick retries have given up.
TEST_F(HidrawScanTest, ANodeDeniedUntilItsAccessChangesOpensOnTheAttributeChange) {
    fake.FailOpens(kNode, EACCES);
    scan.thread.Start();
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::FirstScan, 1));
    fake.Plug(kNode, Keyboard());
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Denied, 2));  // both collections
    ASSERT_TRUE(scan.WaitEnumerations(1 + DeviceScanThread::kQuickRetryPasses));
    std::this_thread::sleep_for(10 * kRetry);  // the last quick retry is over
    ASSERT_TRUE(scan.listener.Of(ScanEvent::Arrived).empty());

    const auto granted = Clock::now();
    fake.GrantAccess(kNode);
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Arrived, 2));
    EXPECT_LT(SinceLast(ScanEvent::Arrived, granted), kPromptBound);
}

// A second keyboard that opens takes the slots the denied one waited for: the
// denied one is not offered any more, and its denial ends in the same pass.
TEST_F(HidrawScanTest, ADeniedNodeWhoseSlotsAnotherNodeTakesIsNoLongerDenied) {
    constexpr unsigned kOther = kNode + 1;
    fake.FailOpens(kNode, EACCES);
    scan.thread.Start();
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::FirstScan, 1));
    fake.Plug(kNode, Keyboard());
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Denied, 2));

    fake.Plug(kOther, Keyboard());
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::Arrived, 2));
    ASSERT_TRUE(scan.listener.WaitForCount(ScanEvent::DenialEnded, 2));
    EXPECT_EQ(scan.listener.Paths(ScanEvent::DenialEnded), scan.listener.Paths(ScanEvent::Denied));
    const std::string otherNode = fake.DevRoot() + "/hidraw" + std::to_string(kOther) + "?";
    for (const auto& arrival : scan.listener.Of(ScanEvent::Arrived)) EXPECT_EQ(arrival.path.rfind(otherNode, 0), 0u);
    const int arrivalPass = scan.listener.Of(ScanEvent::Arrived).back().enumerations;
    for (const auto& end : scan.listener.Of(ScanEvent::DenialEnded)) EXPECT_EQ(end.enumerations, arrivalPass);
}

}  // namespace
}  // namespace vandrel::device_io
