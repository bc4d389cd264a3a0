// The notification threads: a resynchronisation request from the companion
// collection arms timer 1002, closing the channel ends the thread promptly,
// and the workers of a device run side by side without data races.
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "support/fake_device_host.h"
#include "support/sim_device_fixture.h"

namespace vandrel::devices {
namespace {

using sim::SimBackend;
using sim::SimKind;
using sim::SimLink;

class NotificationTest : public testing::SimDeviceTest {
protected:
    void SetUp() override { device.SetHost(&host); }
    testing::FakeDeviceHost host;
};

TEST_F(NotificationTest, ResyncRequestArmsTimer1002ForTheKind) {
    struct Case {
        SimKind kind;
        device_io::DeviceType type;
        const char* armed;
    };
    const Case cases[] = {
        {SimKind::Mouse, device_io::DeviceType::Mouse, "arm 1002 50"},
        {SimKind::Keyboard, device_io::DeviceType::Keyboard, "arm 1002 50"},
        {SimKind::MousePad, device_io::DeviceType::MousePad, "arm 1002 500"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.armed);
        sim::SimFirmware& firmware = Open(c.kind, SimLink::Cable, c.type);
        ASSERT_TRUE(device.OpenCompanion(SimBackend::CompanionPath(c.kind), false));
        EXPECT_TRUE(device.CompanionTransport().IsOpen());

        firmware.SendNotificationValue(0x401);
        EXPECT_TRUE(host.WaitForLine(c.armed, std::chrono::seconds(2)));
        device.CloseCompanion(false);
    }
}

TEST_F(NotificationTest, ClosingTheCompanionEndsItsThreadPromptly) {
    struct Case {
        SimLink link;
        bool wireless;
    };
    for (const Case c : {Case{SimLink::Cable, false}, Case{SimLink::Receiver, true}}) {
        SCOPED_TRACE(c.wireless);
        Open(SimKind::Mouse, c.link, device_io::DeviceType::Mouse);
        ASSERT_TRUE(device.OpenCompanion(SimBackend::CompanionPath(SimKind::Mouse, c.link), c.wireless));

        const auto start = std::chrono::steady_clock::now();
        device.CloseCompanion(c.wireless);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
        EXPECT_FALSE(c.wireless ? device.CompanionTransport().IsWireless() : device.CompanionTransport().IsOpen());
    }
}

// A kind that keeps the usages handed to its hook.
class KindDevice : public CMorvaneUSBDevice {
public:
    using CMorvaneUSBDevice::CMorvaneUSBDevice;
    ~KindDevice() override { Shutdown(); }
    std::atomic<int> lastUsage{0};

protected:
    void OnNotification(std::uint16_t usage) override { lastUsage = usage; }
};

TEST(NotificationHook, OtherUsagesGoToTheKindAndArmNothing) {
    SimBackend backend;
    sim::SimFirmware& firmware = backend.Plug(SimKind::Mouse);
    testing::FakeDeviceHost host;
    KindDevice device(backend);
    device.SetHost(&host);
    ASSERT_TRUE(device.OpenCompanion(SimBackend::CompanionPath(SimKind::Mouse), false));

    firmware.SendNotificationValue(0xE9);
    EXPECT_TRUE(testing::Eventually([&] { return device.lastUsage.load() == 0xE9; }));
    EXPECT_TRUE(host.Lines().empty());
    device.CloseCompanion(false);
}

TEST_F(NotificationTest, OpeningAPathThatIsNotThereFails) {
    EXPECT_FALSE(device.OpenCompanion(SimBackend::CompanionPath(SimKind::Mouse), false));
    EXPECT_FALSE(device.CompanionTransport().IsOpen());
}

// Streaming, a lighting writer and notifications at once: run under
// ThreadSanitizer, this shows the device's workers share state safely.
TEST_F(NotificationTest, StreamingAndNotificationsRunTogether) {
    sim::SimFirmware& firmware = Open(SimKind::Mouse, SimLink::Cable, device_io::DeviceType::Mouse);
    device.SetLedCount(15);
    ASSERT_TRUE(device.OpenCompanion(SimBackend::CompanionPath(SimKind::Mouse), false));

    std::atomic<bool> done{false};
    std::thread lighting([&] {
        for (std::uint32_t n = 0; !done.load(); ++n)
            for (int i = 0; i < 15; ++i) device.SetLedColour(i, n * 0x01010101u);
    });
    for (int i = 0; i < 40; ++i) {
        device.RefreshPreview();
        if (i % 10 == 0) firmware.SendNotificationValue(0x401);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(host.WaitForLine("arm 1002 50", std::chrono::seconds(2)));
    EXPECT_TRUE(testing::Eventually([&] { return !StreamFrameLengths(firmware).empty(); }));

    device.CloseCompanion(false);
    device.SetHostLighting(false);
    done = true;
    lighting.join();
}

}  // namespace
}  // namespace vandrel::devices
