// The LED stream: its bytes, its frames on the cable, nothing on the
// receiver, a frame only for a change (plus the refresh and the retries), and
// host lighting switching it off and on.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "devices/led_streamer.h"
#include "support/sim_device_fixture.h"

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
        {{255, 255, 255, 255}, 254, 254, 254}, {{255, 0, 128, 128}, 127, 0, 64}, {{200, 100, 50, 0}, 0, 0, 0},
        {{255, 255, 255, 1}, 0, 0, 0},         {{1, 2, 3, 255}, 0, 1, 2},        {{16, 32, 64, 16}, 1, 2, 4},
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

// A streamer over a fake device that records each frame it takes and when.
class StreamerTest : public ::testing::Test {
protected:
    using Clock = std::chrono::steady_clock;
    struct Sent {
        LightFrame frame;
        Clock::time_point at;
    };

    StreamerTest()
        : streamer_(StreamPort{[this] { return Current(); }, [this](const LightFrame& f) { return Send(f); }},
                    StreamTiming{.refresh = std::chrono::milliseconds(100)}) {}

    void Show(std::uint8_t value) {
        std::lock_guard lock(mutex_);
        current_.bytes[0] = value;
    }
    void Answer(std::vector<protocol::Status> statuses) {
        std::lock_guard lock(mutex_);
        answers_ = std::move(statuses);
    }
    std::vector<Sent> SentFrames() const {
        std::lock_guard lock(mutex_);
        return sent_;
    }
    std::size_t SentCount() const { return SentFrames().size(); }

    std::optional<LightFrame> Current() const {
        std::lock_guard lock(mutex_);
        return current_;
    }
    protocol::Status Send(const LightFrame& frame) {
        std::lock_guard lock(mutex_);
        sent_.push_back({frame, Clock::now()});
        if (answers_.empty()) return protocol::Status::Ok;
        const protocol::Status status = answers_.front();
        answers_.erase(answers_.begin());
        return status;
    }

    mutable std::mutex mutex_;
    LightFrame current_{{}, 45};
    std::vector<protocol::Status> answers_;
    std::vector<Sent> sent_;
    LedStreamer streamer_;  // last: its worker goes first
};

TEST_F(StreamerTest, SendsOnlyWhatChangedAndRefreshesTheFrameEachPeriod) {
    streamer_.Wake();
    ASSERT_TRUE(testing::Eventually([&] { return SentCount() == 1; }));
    for (int i = 0; i < 5; ++i) streamer_.Wake();  // nothing changed
    for (std::uint8_t value = 1; value <= 3; ++value) {
        Show(value);
        streamer_.Wake();
        ASSERT_TRUE(testing::Eventually([&] { return SentCount() == 1u + value; }));
    }
    const std::vector<Sent> changes = SentFrames();
    ASSERT_EQ(changes.size(), 4u);
    for (std::size_t i = 0; i < changes.size(); ++i) EXPECT_EQ(changes[i].frame.bytes[0], i);

    // Left alone, the same frame goes again once a period (100 ms here).
    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    const std::vector<Sent> later = SentFrames();
    EXPECT_GE(later.size(), 5u);
    EXPECT_LE(later.size(), 8u);
    for (std::size_t i = 4; i < later.size(); ++i) {
        EXPECT_EQ(later[i].frame.bytes[0], 3);
        EXPECT_GE(later[i].at - later[i - 1].at, std::chrono::milliseconds(95));
    }
}

TEST_F(StreamerTest, RefusedOrDroppedFrameGoesAgainAfterFiveMilliseconds) {
    for (const protocol::Status status : {protocol::Status::RefusedFF, protocol::Status::Dropped}) {
        SCOPED_TRACE(protocol::StatusName(status));
        const std::size_t before = SentCount();
        Answer({status});
        Show(static_cast<std::uint8_t>(before + 10));
        streamer_.Wake();
        ASSERT_TRUE(testing::Eventually([&] { return SentCount() == before + 2; }));
        const std::vector<Sent> sent = SentFrames();
        EXPECT_EQ(sent[before].frame, sent[before + 1].frame);
        EXPECT_GE(sent[before + 1].at - sent[before].at, std::chrono::milliseconds(5));
        EXPECT_LT(sent[before + 1].at - sent[before].at, std::chrono::milliseconds(90));  // no refresh needed
    }
}

TEST_F(StreamerTest, RepeatedRefusalsSlowTheRetriesAndDisableStopsThem) {
    Answer(std::vector<protocol::Status>(10, protocol::Status::RefusedFF));
    streamer_.Wake();
    ASSERT_TRUE(testing::Eventually([&] { return SentCount() >= 4; }));
    const std::vector<Sent> sent = SentFrames();
    EXPECT_GE(sent[3].at - sent[2].at, std::chrono::milliseconds(190));  // the back-off

    streamer_.Disable();
    const std::size_t stopped = SentCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EXPECT_EQ(SentCount(), stopped);
}

class LedStreamTest : public testing::SimDeviceTest {
protected:
    void FillLeds(std::size_t count, std::uint8_t green = 10) {
        device.SetLedCount(count);
        for (std::size_t i = 0; i < count; ++i)
            device.SetLedColour(static_cast<int>(i), LedColor{static_cast<std::uint8_t>(i), green, 20, 255}.Packed());
    }
    // The LEDs filled while nothing streams, then the stream switched on:
    // the device gets them as one frame (filled one by one while streaming, a
    // slow machine may send the colours in between too).
    void FillThenStream(sim::SimFirmware& firmware, std::size_t count) {
        device.SetHostLighting(false);
        FillLeds(count);
        firmware.ClearFrames();
        device.SetHostLighting(true);
    }
    // The stream frames once `expected` have come.
    std::vector<int> Frames(sim::SimFirmware& firmware, std::size_t expected) {
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
    sim::SimFirmware& firmware = Open(SimKind::Mouse, SimLink::Cable, device_io::DeviceType::Mouse);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.leds);
        // The LED count is set up while nothing streams, as the device manager does.
        FillThenStream(firmware, c.leds);
        EXPECT_EQ(Frames(firmware, c.frameLengths.size()), c.frameLengths);
    }
}

TEST_F(LedStreamTest, EachChangeIsOneFrameOfScaledColoursAndNoChangeSendsNothing) {
    sim::SimFirmware& firmware = Open(SimKind::Mouse, SimLink::Cable, device_io::DeviceType::Mouse);
    FillThenStream(firmware, 15);
    EXPECT_EQ(Frames(firmware, 1), std::vector<int>{45});
    for (std::uint8_t n = 2; n <= 4; ++n) {
        device.SetLedColour(3, LedColor{n, n, n, 255}.Packed());
        EXPECT_EQ(Frames(firmware, n), std::vector<int>(n, 45));
    }
    // The same colour again changes nothing.
    device.SetLedColour(3, LedColor{4, 4, 4, 255}.Packed());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(StreamFrameLengths(firmware).size(), 4u);

    const auto frames = firmware.Frames();
    const auto& payload = frames.back().frame;
    EXPECT_EQ(payload[protocol::frame::kPayload + 3 * 3], LedColor::Scaled(4, 255));
    EXPECT_EQ(payload[protocol::frame::kPayload + 3 * 14 + 2], LedColor::Scaled(20, 255));
}

TEST_F(LedStreamTest, FrameTheMouseRefusesIsSentAgain) {
    sim::SimFirmware& firmware = Open(SimKind::Mouse, SimLink::Cable, device_io::DeviceType::Mouse);
    firmware.QueueCommandFault(protocol::cmd::kLightStream, sim::SimFault::StatusFF);
    FillThenStream(firmware, 15);
    EXPECT_EQ(Frames(firmware, 2), (std::vector<int>{45, 45}));
    const auto frames = firmware.Frames();
    EXPECT_EQ(frames[0].frame, frames[1].frame);
}

TEST_F(LedStreamTest, ReceiverGetsNoStream) {
    sim::SimFirmware& firmware = Open(SimKind::Mouse, SimLink::Receiver, device_io::DeviceType::Mouse);
    FillLeds(15);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(StreamFrameLengths(firmware).empty());
}

TEST_F(LedStreamTest, HostLightingOffStopsTheStreamAtOnce) {
    sim::SimFirmware& firmware = Open(SimKind::Mouse, SimLink::Cable, device_io::DeviceType::Mouse);
    FillLeds(15);
    Frames(firmware, 1);

    device.SetHostLighting(false);
    const std::size_t sent = StreamFrameLengths(firmware).size();
    FillLeds(15, 99);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(StreamFrameLengths(firmware).size(), sent);

    // Back on, the device gets the colours again.
    device.SetHostLighting(true);
    EXPECT_EQ(Frames(firmware, sent + 1).size(), sent + 1);
}

TEST_F(LedStreamTest, HostLightingOnSendsItsCommandOnlyToACableKeyboard) {
    struct Case {
        SimKind kind;
        device_io::DeviceType type;
        bool sends;
    };
    const Case cases[] = {
        {SimKind::Keyboard, device_io::DeviceType::Keyboard, true},
        {SimKind::Mouse, device_io::DeviceType::Mouse, false},
        {SimKind::MousePad, device_io::DeviceType::MousePad, false},
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
