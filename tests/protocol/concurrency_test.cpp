// One transport on a simulated cable mouse, used by two threads at once: one
// runs ordinary command sequences, the other streams lighting frames. Every
// command must get its own answer, never a lighting frame's.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "protocol/commands.h"
#include "protocol/device_transport.h"
#include "sim/sim_backend.h"

namespace vandrel::testing {
namespace {

using sim::SimKind;

TEST(TransportConcurrency, CommandsAndLightStreamShareTheCable) {
    sim::SimBackend backend;
    sim::SimFirmware& firmware = backend.Plug(SimKind::Mouse);
    protocol::CDeviceTransport transport{backend};
    ASSERT_TRUE(
        transport.WiredChannel().OpenPath(sim::SimBackend::VendorPath(SimKind::Mouse), true, true, true, false));
    transport.SetOpen(true);
    transport.SetLinkMode(1);

    constexpr int kSequences = 200;
    constexpr int kMaxStreamFrames = 5000000;  // a bound, should the command thread hang
    std::atomic<bool> commandsDone{false};
    std::atomic<int> streamed{0};
    std::atomic<int> streamFailures{0};

    std::thread stream([&] {
        std::array<std::uint8_t, 45> colours{};
        for (int i = 0; i < kMaxStreamFrames && !commandsDone.load(); ++i) {
            colours.fill(static_cast<std::uint8_t>(i));
            // A frame that gives way to a running command is dropped, not failed.
            const protocol::Status status = protocol::CMD_LIGHT_STREAM(transport, colours.data(), colours.size());
            if (status != protocol::Status::Ok && status != protocol::Status::Dropped) ++streamFailures;
            ++streamed;
            std::this_thread::yield();
        }
    });

    int failedSequences = 0;
    for (int i = 0; i < kSequences; ++i) {
        std::array<std::uint8_t, 8> record{};
        for (std::size_t b = 0; b < record.size(); ++b) record[b] = static_cast<std::uint8_t>(i * 8 + b + 1);
        const auto offset = static_cast<std::uint16_t>(128 * (i % 8));
        std::array<std::uint8_t, 8> back{};
        using protocol::Status;
        const bool ok = protocol::CMD_SEQUENCE_BEGIN(transport) == Status::Ok &&
                        protocol::CMD_WRITE_AT(transport, record.data(), record.size(), offset) == Status::Ok &&
                        protocol::CMD_READ_AT(transport, back.data(), back.size(), offset) == Status::Ok &&
                        back == record && protocol::CMD_SEQUENCE_END(transport) == Status::Ok;
        if (!ok) ++failedSequences;
    }
    commandsDone = true;
    stream.join();

    EXPECT_EQ(failedSequences, 0);
    EXPECT_EQ(streamFailures.load(), 0);
    EXPECT_GT(streamed.load(), 0);
    EXPECT_FALSE(transport.IsBusy());

    const std::vector<sim::SimFrameRecord> frames = firmware.Frames();
    EXPECT_TRUE(std::all_of(frames.begin(), frames.end(), [](const auto& f) { return f.checksumOk; }));
    EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [](const auto& f) {
        return f.frame[protocol::frame::kCommand] == protocol::cmd::kLightStream;
    }));
}

}  // namespace
}  // namespace vandrel::testing
