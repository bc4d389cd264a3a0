// Hot-plug end to end: simulated devices, the real scan thread (woken by the
// simulator's plug and unplug reports; neither a poll nor a safety pass within
// a test), and the device manager on a "UI thread" that runs queued work, as
// the window's event loop would. Everything the test reads of the manager, the
// devices and the hosts it reads on that thread.
#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "device_io/device_scan_thread.h"
#include "devices/device_manager.h"
#include "protocol/commands.h"
#include "sim/sim_backend.h"
#include "support/fake_device_host.h"
#include "support/sim_device_fixture.h"

namespace vandrel::devices {
namespace {

using namespace std::chrono_literals;
using sim::SimKind;
using sim::SimLink;

using device_io::Index;
using device_io::KindRow;

constexpr KindRow kMouseRow = KindRow::Mouse, kKeyboardRow = KindRow::Keyboard, kPadRow = KindRow::MousePad,
                  kHeadsetRow = KindRow::Headset;
constexpr std::size_t kMouseCable = 4, kMouseCableCompanion = 5, kMouseReceiver = 6, kMouseReceiverCompanion = 7;
constexpr auto kWait = 3s;
constexpr device_io::ScanPace kOnReports{.unwatched = 60s, .safety = 60s};

// A UI thread: runs queued work in order and lets RunSync wait for it. Once
// closed it runs nothing more, and a RunSync waiting or arriving returns.
class LoopUiDispatcher : public IUiDispatcher {
public:
    LoopUiDispatcher() : thread_([this] { Run(); }) {}
    ~LoopUiDispatcher() override {
        Close();
        Join();
    }

    void RunSync(std::function<void()> work) override {
        std::unique_lock lock(mutex_);
        if (closing_) return;
        const std::uint64_t ticket = ++queued_;
        queue_.push_back(std::move(work));
        changed_.notify_all();
        // Closing releases work not yet started; started work is waited for.
        changed_.wait(lock, [&] { return done_ >= ticket || (closing_ && started_ < ticket); });
    }
    void Close() {
        const std::lock_guard lock(mutex_);
        closing_ = true;
        changed_.notify_all();
    }
    void Join() {
        if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
    }
    std::size_t Waiting() const {
        const std::lock_guard lock(mutex_);
        return queue_.size();
    }

private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return closing_ || !queue_.empty(); });
            if (closing_) return;
            std::function<void()> work = std::move(queue_.front());
            queue_.pop_front();
            ++started_;
            lock.unlock();
            work();
            lock.lock();
            ++done_;
            changed_.notify_all();
        }
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> queue_;
    std::uint64_t queued_ = 0;
    std::uint64_t started_ = 0;
    std::uint64_t done_ = 0;
    bool closing_ = false;
    std::thread thread_;
};

// Plain device objects with a recording host, one per kind row.
class PlainDeviceFactory : public IDeviceFactory {
public:
    explicit PlainDeviceFactory(platform::IHidBackend& backend) : backend_(backend) {}

    std::optional<DeviceObjects> Create(KindRow kindRow) override {
        auto host = std::make_unique<testing::FakeDeviceHost>();
        hosts[Index(kindRow)] = host.get();
        ++created[Index(kindRow)];
        return DeviceObjects{std::move(host), std::make_unique<CMorvaneUSBDevice>(backend_)};
    }
    void AttachPage(KindRow, CMorvaneUSBDevice&) override {}

    // By Index of the kind row.
    std::array<testing::FakeDeviceHost*, device_io::kKindCount> hosts{};
    std::array<int, device_io::kKindCount> created{};

private:
    platform::IHidBackend& backend_;
};

// Counts the reports that reached the manager, per slot (UI thread only).
class CountingListener : public device_io::IScanListener {
public:
    explicit CountingListener(device_io::IScanListener& target) : target_(target) {}
    void OnDeviceArrived(std::size_t slot) override {
        ++arrived[slot];
        target_.OnDeviceArrived(slot);
    }
    void OnDeviceRemoved(std::size_t slot) override {
        ++removed[slot];
        target_.OnDeviceRemoved(slot);
    }
    void OnFirstScanCompleted() override {
        ++firstScans;
        target_.OnFirstScanCompleted();
    }
    void OnAccessDenied(const std::string& path) override { target_.OnAccessDenied(path); }
    void OnAccessDenialEnded(const std::string& path) override { target_.OnAccessDenialEnded(path); }

    std::array<int, 11> arrived{};
    std::array<int, 11> removed{};
    int firstScans = 0;

private:
    device_io::IScanListener& target_;
};

class HotPlugTest : public ::testing::Test {
protected:
    HotPlugTest() { scan = std::make_unique<device_io::DeviceScanThread>(backend, listener, kOnReports); }
    void SetUp() override { scan->Start(); }
    void TearDown() override {
        ui.Close();
        scan->Stop();
        ui.Join();
    }

    // Evaluates `check` on the UI thread.
    bool OnUi(const std::function<bool()>& check) {
        bool result = false;
        ui.RunSync([&] { result = check(); });
        return result;
    }
    bool EventuallyOnUi(const std::function<bool()>& check) {
        return testing::Eventually([&] { return OnUi(check); }, kWait);
    }
    bool WaitArrived(std::size_t slot, int times = 1) {
        return EventuallyOnUi([&] { return counter.arrived[slot] >= times; });
    }
    bool WaitRemoved(std::size_t slot, int times = 1) {
        return EventuallyOnUi([&] { return counter.removed[slot] >= times; });
    }

    protocol::CDeviceTransport& Vendor(KindRow row) { return manager.Device(row)->Transport(); }
    protocol::CDeviceTransport& Companion(KindRow row) { return manager.Device(row)->CompanionTransport(); }
    testing::FakeDeviceHost& HostOf(KindRow row) { return *factory.hosts[Index(row)]; }

    sim::SimBackend backend;
    PlainDeviceFactory factory{backend};
    LoopUiDispatcher ui;
    std::unique_ptr<device_io::DeviceScanThread> scan;
    CDeviceManager manager{backend, [this] { return scan->Slots(); }, factory};
    CountingListener counter{manager};
    ScanListenerOnUiThread listener{ui, counter};
};

struct LinkState {
    bool open;
    bool wireless;
    int chunk;
    int timeoutMs;
    bool wiredOpen;
    bool wirelessOpen;
};

LinkState StateOf(protocol::CDeviceTransport& t) {
    return {t.IsOpen(),
            t.IsWireless(),
            t.ChunkSize(),
            t.ReadTimeoutMs(),
            t.WiredChannel().IsOpen(),
            t.WirelessChannel().IsOpen()};
}

void ExpectLink(const LinkState& actual, const LinkState& expected) {
    EXPECT_EQ(actual.open, expected.open);
    EXPECT_EQ(actual.wireless, expected.wireless);
    EXPECT_EQ(actual.chunk, expected.chunk);
    EXPECT_EQ(actual.timeoutMs, expected.timeoutMs);
    EXPECT_EQ(actual.wiredOpen, expected.wiredOpen);
    EXPECT_EQ(actual.wirelessOpen, expected.wirelessOpen);
}

constexpr LinkState kOnCable{true, false, 56, 1000, true, false};
constexpr LinkState kOnReceiver{true, true, 24, 5000, false, true};
constexpr LinkState kClosed{false, true, 24, 5000, false, false};

int LinkQueriesOnReceiver(const sim::SimFirmware& firmware) {
    int count = 0;
    for (const auto& record : firmware.Frames())
        if (record.link == SimLink::Receiver && record.frame[protocol::frame::kCommand] == protocol::cmd::kLinkQuery)
            ++count;
    return count;
}

TEST_F(HotPlugTest, MouseFollowsItsCableAndReceiverAndComesBackAsTheSameObject) {
    sim::SimFirmware& firmware = backend.Plug(SimKind::Mouse, SimLink::Cable);

    // On the cable: open, link mode 1, shown, selected, first sync armed.
    ASSERT_TRUE(WaitArrived(kMouseCable));
    CMorvaneUSBDevice* mouse = nullptr;
    ui.RunSync([&] { mouse = manager.Device(kMouseRow); });
    ASSERT_NE(mouse, nullptr);
    ui.RunSync([&] {
        ExpectLink(StateOf(Vendor(kMouseRow)), kOnCable);
        EXPECT_TRUE(Companion(kMouseRow).IsOpen());
        EXPECT_TRUE(HostOf(kMouseRow).OptionVisible());
        EXPECT_EQ(manager.Selected(), kMouseRow);
    });
    EXPECT_TRUE(HostOf(kMouseRow).WaitForLine("arm 1001 500", 0ms));

    // Its receiver arrives: nothing changes, it stays on the cable.
    backend.Plug(SimKind::Mouse, SimLink::Receiver);
    ASSERT_TRUE(WaitArrived(kMouseReceiver));
    ASSERT_TRUE(WaitArrived(kMouseReceiverCompanion));
    ui.RunSync([&] { ExpectLink(StateOf(Vendor(kMouseRow)), kOnCable); });

    // The cable goes: the mouse moves to the receiver and is polled with 0xAA.
    firmware.ClearFrames();
    backend.Unplug(SimKind::Mouse, SimLink::Cable);
    ASSERT_TRUE(WaitRemoved(kMouseCable));
    ASSERT_TRUE(WaitRemoved(kMouseCableCompanion));
    ui.RunSync([&] {
        ExpectLink(StateOf(Vendor(kMouseRow)), kOnReceiver);
        EXPECT_TRUE(HostOf(kMouseRow).OptionVisible());
    });
    EXPECT_GE(LinkQueriesOnReceiver(firmware), 1);
    EXPECT_TRUE(HostOf(kMouseRow).WaitForLine("arm 1007 2000", 0ms));

    // The receiver's notification thread is live: a 0x401 arms the resync.
    firmware.SendNotificationValue(kUsageResync);
    EXPECT_TRUE(HostOf(kMouseRow).WaitForLine("arm 1002 50", kWait));

    // The receiver goes: the device closes everything and its tab is hidden.
    backend.Unplug(SimKind::Mouse, SimLink::Receiver);
    ASSERT_TRUE(WaitRemoved(kMouseReceiver));
    ASSERT_TRUE(WaitRemoved(kMouseReceiverCompanion));
    ui.RunSync([&] {
        ExpectLink(StateOf(Vendor(kMouseRow)), kClosed);
        auto& companion = Companion(kMouseRow);
        EXPECT_FALSE(companion.IsOpen());
        EXPECT_FALSE(companion.IsWireless());
        EXPECT_FALSE(companion.WiredChannel().IsOpen());
        EXPECT_FALSE(companion.WirelessChannel().IsOpen());
        EXPECT_FALSE(HostOf(kMouseRow).OptionVisible());
        EXPECT_EQ(manager.Selected(), std::nullopt);
    });

    // Back on the cable: the same object, opened again.
    backend.Plug(SimKind::Mouse, SimLink::Cable);
    ASSERT_TRUE(WaitArrived(kMouseCable, 2));
    ui.RunSync([&] {
        EXPECT_EQ(manager.Device(kMouseRow), mouse);
        EXPECT_EQ(factory.created[Index(kMouseRow)], 1);
        ExpectLink(StateOf(Vendor(kMouseRow)), kOnCable);
        EXPECT_TRUE(HostOf(kMouseRow).OptionVisible());
    });
}

struct CableOnlyCase {
    const char* what;
    SimKind kind;
    KindRow kindRow;
    std::size_t vendorSlot;
};

class CableOnlyHotPlugTest : public HotPlugTest, public ::testing::WithParamInterface<CableOnlyCase> {};

// The link mode of these kinds is never set: they keep chunk 24.
TEST_P(CableOnlyHotPlugTest, OpensTheWiredChannelAndKeepsChunk24) {
    const CableOnlyCase& c = GetParam();
    backend.Plug(c.kind);
    ASSERT_TRUE(WaitArrived(c.vendorSlot));
    ui.RunSync([&] {
        ExpectLink(StateOf(Vendor(c.kindRow)), {true, false, 24, 1000, true, false});
        EXPECT_TRUE(HostOf(c.kindRow).OptionVisible());
        EXPECT_EQ(manager.Selected(), c.kindRow);
    });
    EXPECT_TRUE(HostOf(c.kindRow).WaitForLine("arm 1001 500", 0ms));
}

INSTANTIATE_TEST_SUITE_P(Kinds, CableOnlyHotPlugTest,
                         ::testing::Values(CableOnlyCase{"pad", SimKind::MousePad, kPadRow, 8},
                                           CableOnlyCase{"headset", SimKind::Headset, kHeadsetRow, 10}),
                         [](const auto& info) { return std::string(info.param.what); });

// Seen only through its receiver, the keyboard is mapped to the cable row.
TEST_F(HotPlugTest, ReceiverOnlyKeyboardGetsItsDevice) {
    backend.Plug(SimKind::Keyboard, SimLink::Receiver);
    ASSERT_TRUE(WaitArrived(2));
    ASSERT_TRUE(WaitArrived(3));
    ui.RunSync([&] {
        ASSERT_NE(manager.Device(kKeyboardRow), nullptr);
        ExpectLink(StateOf(Vendor(kKeyboardRow)), kOnReceiver);
        EXPECT_TRUE(Companion(kKeyboardRow).IsWireless());
        EXPECT_EQ(manager.Device(kKeyboardRow)->Identity().deviceType, device_io::DeviceType::Keyboard);
    });
}

TEST_F(HotPlugTest, RemovalIsSeenPromptly) {
    backend.Plug(SimKind::Mouse, SimLink::Cable);
    ASSERT_TRUE(WaitArrived(kMouseCable));
    const auto unplugged = std::chrono::steady_clock::now();
    backend.Unplug(SimKind::Mouse, SimLink::Cable);
    ASSERT_TRUE(WaitRemoved(kMouseCable));
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - unplugged).count();
    RecordProperty("removal_ms", static_cast<int>(ms));
    EXPECT_LT(ms, 1000);
}

// The window stops the scan while the scan waits for the UI thread: closing
// the dispatcher first releases that wait.
TEST_F(HotPlugTest, StoppingWhileAnArrivalWaitsForTheUiThreadDoesNotDeadlock) {
    ASSERT_TRUE(EventuallyOnUi([&] { return counter.firstScans > 0; }));
    bool stoppedInTime = false;
    ui.RunSync([&] {
        backend.Plug(SimKind::MousePad);
        // The pad's companion collection (slot 9) is offered first.
        const bool arrivalWaits =
            testing::Eventually([&] { return scan->Slot(9).connected && ui.Waiting() > 0; }, kWait);
        if (!arrivalWaits) return;
        const auto start = std::chrono::steady_clock::now();
        ui.Close();
        scan->Stop();
        stoppedInTime = std::chrono::steady_clock::now() - start < 2s;
    });
    EXPECT_TRUE(stoppedInTime);
}

}  // namespace
}  // namespace vandrel::devices
