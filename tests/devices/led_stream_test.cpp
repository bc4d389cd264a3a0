// The LED stream: its bytes, its frames on the cable, nothing on the
// receiver, and host lighting switching it off and on.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "devices/led_streamer.h"
#include "sim_device_fixture.h"

namespace vandrel::devices {
namespace {

using lighting::LedBuffer;
using lighting::LedColor;
using sim::SimKind;
using sim::SimLink;
using testing::Eventually;

struct ScalingCase {
    LedColor colour;
    std::uint8_t red, green, blue;
};

TEST(BuildLightStream, ScalesEachChannelByBrightnessOver256) {
    const ScalingCase cases[] = {
        {{255, 255, 255, 255}, 254, 254, 254},
        {{255, 0, 128, 128}, 127, 0, 64},
        {{200, 100, 50, 0}, 0, 0, 0},
        {{255, 255, 255, 1}, 0, 0, 0},
        {{1, 2, 3, 255}, 0, 1, 2},
        {{16, 32, 64, 16}, 1, 2, 4},
        {{100, 150, 250, 200}, 78, 117, 195},
    };
    LedBuffer leds(std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) leds.Set(i, cases[i].colour);

    const LightStream stream = BuildLightStream(leds);

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(stream[3 * i], cases[i].red);
        EXPECT_EQ(stream[3 * i + 1], cases[i].green);
        EXPECT_EQ(stream[3 * i + 2], cases[i].blue);
    }
    EXPECT_TRUE(std::all_of(stream.begin() + 3 * std::size(cases), stream.end(), [](auto b) { return b == 0; }));
}

class LedStreamTest : public testing::SimDeviceTest {
protected:
    void FillLeds(std::size_t count) {
        device.SetLedCount(count);
        for (std::size_t i = 0; i < count; ++i)
            device.SetLedColour(static_cast<int>(i), LedColor{static_cast<std::uint8_t>(i), 10, 20, 255}.Packed());
    }
    // One RefreshPreview, then the stream frames once `expected` have come.
    std::vector<int> StreamOnce(sim::SimFirmware& firmware, std::size_t expected) {
        device.RefreshPreview();
        EXPECT_TRUE(Eventually([&] { return StreamFrameLengths(firmware).size() >= expected; }));
        return StreamFrameLengths(firmware);
    }
};

TEST_F(LedStreamTest, CableGetsTheStreamInChunksOf56) {
    struct Case {
        std::size_t leds;
        std::vector<int> frameLengths;
    };
    const Case cases[] = {
        {15, {45}},
        {170, {56, 56, 56, 56, 56, 56, 56, 56, 56, 6}},
    };
    sim::SimFirmware& firmware = Open(SimKind::Mouse, SimLink::Cable, device_io::DEVICE_MOUSE);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.leds);
        // The LED count is set up while nothing streams, as the device manager does.
        device.SetHostLighting(false);
        FillLeds(c.leds);
        device.SetHostLighting(true);
        firmware.ClearFrames();
        EXPECT_EQ(StreamOnce(firmware, c.frameLengths.size()), c.frameLengths);
    }
}

TEST_F(LedStreamTest, EachStreamIsOneFrameOfScaledColours) {
    sim::SimFirmware& firmware = Open(SimKind::Mouse, SimLink::Cable, device_io::DEVICE_MOUSE);
    FillLeds(15);
    for (std::size_t n = 1; n <= 3; ++n) EXPECT_EQ(StreamOnce(firmware, n), std::vector<int>(n, 45));

    const auto frames = firmware.Frames();
    const auto& payload = frames.back().frame;
    for (std::size_t i = 0; i < 15; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(payload[protocol::frame::kPayload + 3 * i], LedColor::Scaled(static_cast<std::uint8_t>(i), 255));
        EXPECT_EQ(payload[protocol::frame::kPayload + 3 * i + 2], LedColor::Scaled(20, 255));
    }
}

TEST_F(LedStreamTest, ReceiverGetsNoStream) {
    sim::SimFirmware& firmware = Open(SimKind::Mouse, SimLink::Receiver, device_io::DEVICE_MOUSE);
    FillLeds(15);
    for (int i = 0; i < 5; ++i) device.RefreshPreview();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(StreamFrameLengths(firmware).empty());
}

TEST_F(LedStreamTest, HostLightingOffStopsTheStreamAtOnce) {
    sim::SimFirmware& firmware = Open(SimKind::Mouse, SimLink::Cable, device_io::DEVICE_MOUSE);
    FillLeds(15);
    StreamOnce(firmware, 1);

    device.SetHostLighting(false);
    const std::size_t sent = StreamFrameLengths(firmware).size();
    for (int i = 0; i < 5; ++i) device.RefreshPreview();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(StreamFrameLengths(firmware).size(), sent);

    device.SetHostLighting(true);
    EXPECT_EQ(StreamOnce(firmware, sent + 1).size(), sent + 1);
}

TEST_F(LedStreamTest, HostLightingOnSendsItsCommandOnlyToACableKeyboard) {
    struct Case {
        SimKind kind;
        std::uint16_t type;
        bool sends;
    };
    const Case cases[] = {
        {SimKind::Keyboard, device_io::DEVICE_KEYBOARD, true},
        {SimKind::Mouse, device_io::DEVICE_MOUSE, false},
        {SimKind::MousePad, device_io::DEVICE_MOUSEPAD, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        sim::SimFirmware& firmware = Open(c.kind, SimLink::Cable, c.type);
        device.SetHostLighting(true);
        const auto frames = firmware.Frames();
        const bool sent = std::any_of(frames.begin(), frames.end(), [](const auto& r) {
            return r.frame[protocol::frame::kCommand] == protocol::cmd::kHostLighting;
        });
        EXPECT_EQ(sent, c.sends);
        EXPECT_EQ(firmware.HostLighting(), c.sends);
    }
}

}  // namespace
}  // namespace vandrel::devices
