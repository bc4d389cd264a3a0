// The simulated firmware as the program meets it: requests through a channel
// on a vendor path, replies checked byte by byte against the device memory.
#include <gtest/gtest.h>

#include <chrono>

#include "protocol/commands.h"
#include "sim/sim_models.h"
#include "sim_test_support.h"

namespace vandrel::sim {
namespace {

using namespace std::chrono_literals;
using protocol::Frame;
using test::Pattern;
using test::Payload;
using test::Request;
using test::SimChannel;
using test::Slice;
namespace frame = protocol::frame;
namespace cmd = protocol::cmd;

constexpr std::uint8_t kRefused = 0xFF;

std::string CaseName(const auto& info) { return info.param.name; }

// Test cases print as their names.
template <typename Case>
requires requires(const Case& c) { c.name; }
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class FirmwareTest : public ::testing::Test {
protected:
    SimFirmware& Plug(SimKind kind, SimLink link = SimLink::Cable) { return backend_.Plug(kind, link); }

    SimChannel& Vendor(SimKind kind, SimLink link = SimLink::Cable) {
        channels_.push_back(std::make_unique<SimChannel>(backend_, SimBackend::VendorPath(kind, link)));
        EXPECT_TRUE(channels_.back()->Opened());
        return *channels_.back();
    }

    static SimMemory Snapshot(const SimFirmware& firmware) {
        SimMemory memory;
        for (std::size_t i = 0; i < kSimRegionCount; ++i) memory[i] = firmware.ReadRegion(static_cast<SimRegion>(i));
        return memory;
    }

    SimBackend backend_;
    std::vector<std::unique_ptr<SimChannel>> channels_;
};

// --- Information block ------------------------------------------------------

class InfoBlockTest : public FirmwareTest, public ::testing::WithParamInterface<SimKind> {};

TEST_P(InfoBlockTest, ReadsWholeInOneChunkOrInChunksOf24And10) {
    const SimFirmware& firmware = Plug(GetParam());
    SimChannel& channel = Vendor(GetParam());
    const std::vector<std::uint8_t> block = firmware.ReadRegion(SimRegion::Info);
    ASSERT_EQ(block.size(), protocol::kInfoBlockSize);

    const auto whole = channel.Exchange(Request(cmd::kReadInfo, 34, 0));
    ASSERT_TRUE(whole);
    EXPECT_EQ((*whole)[frame::kReportIdByte], protocol::kReportId);
    EXPECT_EQ((*whole)[frame::kStatus], 0);
    EXPECT_EQ(Payload(*whole, 34), block);

    const auto first = channel.Exchange(Request(cmd::kReadInfo, 24, 0));
    const auto second = channel.Exchange(Request(cmd::kReadInfo, 10, 24));
    ASSERT_TRUE(first && second);
    // bytes 3-6 echo the request's command, length and offset
    EXPECT_EQ(Slice({second->begin(), second->end()}, 3, 4), (std::vector<std::uint8_t>{cmd::kReadInfo, 10, 24, 0}));
    std::vector<std::uint8_t> joined = Payload(*first, 24);
    const std::vector<std::uint8_t> rest = Payload(*second, 10);
    joined.insert(joined.end(), rest.begin(), rest.end());
    EXPECT_EQ(joined, block);
}

// What the program relies on when it reads the block: the key map and LED map
// it then reads are K x 3 and K bytes, the macro area is byte 18 x 128 bytes,
// and every factory DPI stage lies on the slider.
TEST_P(InfoBlockTest, AgreesWithTheMemoryItDescribes) {
    const SimFirmware& firmware = Plug(GetParam());
    const std::vector<std::uint8_t> block = firmware.ReadRegion(SimRegion::Info);
    const std::size_t keySlots = block[info::kKeySlots];
    EXPECT_EQ(firmware.ReadRegion(SimRegion::KeyMap).size(), keySlots * 3);
    const std::size_t ledMap = firmware.ReadRegion(SimRegion::LedMap).size();
    EXPECT_TRUE(ledMap == keySlots || ledMap == 0);
    EXPECT_EQ(firmware.ReadRegion(SimRegion::Macros).size(), block[info::kMacroUnits] * kMacroUnit);
    EXPECT_EQ(firmware.ReadRegion(SimRegion::Power).size(), 6u);
    EXPECT_EQ(firmware.ReadRegion(SimRegion::Settings)[0], 0) << "active onboard profile";

    if (GetParam() == SimKind::Mouse) {
        const std::vector<std::uint8_t> record = firmware.ReadRegion(SimRegion::Settings);
        const unsigned highest = block[info::kHighestSlider] | (block[info::kHighestSlider + 1] << 8);
        for (std::size_t stage = 0; stage < 5; ++stage) {
            const std::size_t at = 14 + 9 * stage;
            EXPECT_EQ(record[at], 1) << "stage " << stage << " enabled";
            EXPECT_LE(unsigned(record[at + 2] | (record[at + 3] << 8)), highest) << "stage " << stage;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, InfoBlockTest, ::testing::ValuesIn(kAllSimKinds));

// --- Settings records --------------------------------------------------------

struct LinkCase {
    const char* name;
    SimKind kind;
    SimLink link;
};

class SettingsTest : public FirmwareTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(SettingsTest, RecordWrittenIsReadBack) {
    const SimFirmware& firmware = Plug(GetParam().kind, GetParam().link);
    SimChannel& channel = Vendor(GetParam().kind, GetParam().link);
    const std::vector<std::uint8_t> record = Pattern(24, 0x30);

    const auto written = channel.Exchange(Request(cmd::kWriteAt, record.size(), 128, record));
    ASSERT_TRUE(written);
    EXPECT_EQ((*written)[frame::kStatus], 0);
    const auto read = channel.Exchange(Request(cmd::kReadAt, record.size(), 128));
    ASSERT_TRUE(read);
    EXPECT_EQ((*read)[frame::kStatus], 0);
    EXPECT_EQ(Payload(*read, record.size()), record);
    EXPECT_EQ(Slice(firmware.ReadRegion(SimRegion::Settings), 128, record.size()), record);
}

INSTANTIATE_TEST_SUITE_P(Links, SettingsTest,
                         ::testing::Values(LinkCase{"MouseCable", SimKind::Mouse, SimLink::Cable},
                                           LinkCase{"MouseReceiver", SimKind::Mouse, SimLink::Receiver},
                                           LinkCase{"KeyboardReceiver", SimKind::Keyboard, SimLink::Receiver},
                                           LinkCase{"MousePad", SimKind::MousePad, SimLink::Cable},
                                           LinkCase{"Headset", SimKind::Headset, SimLink::Cable}),
                         [](const auto& info) { return CaseName(info); });

// --- The command table ---------------------------------------------------------

struct CommandCase {
    const char* name;
    SimKind kind;
    std::uint8_t command;
    SimRegion region;
    std::uint16_t offset;
};

// A write stores exactly its `length` bytes at its offset; the payload bytes
// after them (a previous chunk's, in the program's last chunk) are not stored.
class WriteCommandTest : public FirmwareTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(WriteCommandTest, StoresTheChunkAtItsOffset) {
    const CommandCase& c = GetParam();
    SimFirmware& firmware = Plug(c.kind);
    SimChannel& channel = Vendor(c.kind);
    const std::vector<std::uint8_t> before = firmware.ReadRegion(c.region);
    const std::vector<std::uint8_t> payload = Pattern(protocol::kMaxPayload, 0x80);

    const auto reply = channel.Exchange(Request(c.command, 8, c.offset, payload));
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[frame::kCommand], c.command);
    EXPECT_EQ((*reply)[frame::kStatus], 0);

    std::vector<std::uint8_t> expected = before;
    std::copy_n(payload.begin(), 8, expected.begin() + c.offset);
    EXPECT_EQ(firmware.ReadRegion(c.region), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, WriteCommandTest,
    ::testing::Values(CommandCase{"Settings", SimKind::Mouse, cmd::kWriteAt, SimRegion::Settings, 130},
                      CommandCase{"KeyMap", SimKind::Keyboard, cmd::kWriteKeyMap, SimRegion::KeyMap, 0x150},
                      CommandCase{"ColourPage", SimKind::Keyboard, cmd::kWritePage, SimRegion::ColourPages, 512},
                      CommandCase{"LightStream", SimKind::MousePad, cmd::kLightStream, SimRegion::LightStream, 24},
                      CommandCase{"Macros", SimKind::Keyboard, cmd::kWriteMacros, SimRegion::Macros, 4000},
                      CommandCase{"Recoil", SimKind::Mouse, cmd::kWriteRecoil, SimRegion::Recoil, 2912}),
    [](const auto& info) { return CaseName(info); });

// A read returns the region's bytes at its offset.
class ReadCommandTest : public FirmwareTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(ReadCommandTest, ReturnsTheRegionAtItsOffset) {
    const CommandCase& c = GetParam();
    SimFirmware& firmware = Plug(c.kind);
    SimChannel& channel = Vendor(c.kind);
    const std::vector<std::uint8_t> marked = Pattern(6, 0xA0);
    ASSERT_TRUE(firmware.WriteRegion(c.region, c.offset, marked));

    const auto reply = channel.Exchange(Request(c.command, marked.size(), c.offset));
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[frame::kStatus], 0);
    EXPECT_EQ(Payload(*reply, marked.size()), marked);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ReadCommandTest,
    ::testing::Values(CommandCase{"Info", SimKind::Mouse, cmd::kReadInfo, SimRegion::Info, 9},
                      CommandCase{"Settings", SimKind::Keyboard, cmd::kReadAt, SimRegion::Settings, 25},
                      CommandCase{"KeyMap", SimKind::Keyboard, cmd::kReadKeyMap, SimRegion::KeyMap, 336},
                      CommandCase{"Power", SimKind::Mouse, cmd::kReadSmall, SimRegion::Power, 0},
                      CommandCase{"LedMap", SimKind::Keyboard, cmd::kReadLedMap, SimRegion::LedMap, 120}),
    [](const auto& info) { return CaseName(info); });

TEST_F(FirmwareTest, SequenceHostLightingAndLinkQueryAreAnswered) {
    const SimFirmware& firmware = Plug(SimKind::Keyboard);
    SimChannel& channel = Vendor(SimKind::Keyboard);
    for (const std::uint8_t command : {cmd::kSequenceBegin, cmd::kSequenceEnd}) {
        const auto reply = channel.Exchange(Request(command));
        ASSERT_TRUE(reply);
        EXPECT_EQ((*reply)[frame::kStatus], 0);
    }
    EXPECT_FALSE(firmware.HostLighting());
    ASSERT_TRUE(channel.Exchange(Request(cmd::kHostLighting)));
    EXPECT_TRUE(firmware.HostLighting());
    const auto link = channel.Exchange(Request(cmd::kLinkQuery));
    ASSERT_TRUE(link);
    EXPECT_EQ((*link)[frame::kPayload], 0xFF) << "reachable";
}

TEST_F(FirmwareTest, KeyMapWriteToAnotherBankIsRefused) {
    const SimFirmware& firmware = Plug(SimKind::Keyboard);
    SimChannel& channel = Vendor(SimKind::Keyboard);
    const std::vector<std::uint8_t> before = firmware.ReadRegion(SimRegion::KeyMap);

    // bank 1, position 0: offset high byte (1 x 512 + 0) >> 8 = 2
    const auto reply = channel.Exchange(Request(cmd::kWriteKeyMap, 3, 0x0200, Pattern(3)));
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[frame::kStatus], kRefused);
    EXPECT_EQ(firmware.ReadRegion(SimRegion::KeyMap), before);
}

// --- Untrusted requests --------------------------------------------------------

struct BadRequestCase {
    const char* name;
    SimKind kind;
    Frame request;
};

class BadRequestTest : public FirmwareTest, public ::testing::WithParamInterface<BadRequestCase> {};

TEST_P(BadRequestTest, IsRefusedAndChangesNothing) {
    const SimFirmware& firmware = Plug(GetParam().kind);
    SimChannel& channel = Vendor(GetParam().kind);
    const SimMemory before = Snapshot(firmware);

    const auto reply = channel.Exchange(GetParam().request);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[frame::kStatus], kRefused);
    EXPECT_EQ(Payload(*reply, protocol::kMaxPayload), std::vector<std::uint8_t>(protocol::kMaxPayload, 0));
    EXPECT_EQ(Snapshot(firmware), before);
    EXPECT_FALSE(firmware.HostLighting());
}

const std::vector<std::uint8_t> kFull = Pattern(protocol::kMaxPayload);

INSTANTIATE_TEST_SUITE_P(
    Requests, BadRequestTest,
    ::testing::Values(BadRequestCase{"ReadLongerThanAFrame", SimKind::Mouse, Request(cmd::kReadAt, 57, 0)},
                      BadRequestCase{"ReadPastSettings", SimKind::Mouse, Request(cmd::kReadAt, 8, 1020)},
                      BadRequestCase{"WritePastSettings", SimKind::Mouse, Request(cmd::kWriteAt, 8, 1020, kFull)},
                      BadRequestCase{"WriteLongerThanAFrame", SimKind::Mouse, Request(cmd::kWriteAt, 200, 0, kFull)},
                      BadRequestCase{"ReadPastInfo", SimKind::Keyboard, Request(cmd::kReadInfo, 8, 30)},
                      BadRequestCase{"PowerPastItsSixBytes", SimKind::Mouse, Request(cmd::kReadSmall, 7, 0)},
                      BadRequestCase{"KeyMapPastK", SimKind::Mouse, Request(cmd::kWriteKeyMap, 8, 30, kFull)},
                      BadRequestCase{"StreamAtFarOffset", SimKind::Mouse,
                                     Request(cmd::kLightStream, 56, 0xFFF0, kFull)},
                      BadRequestCase{"RecoilOnKeyboard", SimKind::Keyboard, Request(cmd::kWriteRecoil, 1, 0, kFull)},
                      BadRequestCase{"MacrosOnPad", SimKind::MousePad, Request(cmd::kWriteMacros, 4, 0, kFull)},
                      BadRequestCase{"UnknownCommand", SimKind::Headset, Request(0x42, 4, 0, kFull)}),
    [](const auto& info) { return CaseName(info); });

// --- Scripted faults ------------------------------------------------------------

struct FaultCase {
    const char* name;
    SimFault fault;
    std::optional<std::uint8_t> command;  // reply byte 3; nothing: no reply at all
    std::uint8_t status;
    bool applied;  // the device carried out the request
};

class FaultTest : public FirmwareTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultTest, HitsTheNextRequestOnly) {
    const FaultCase& c = GetParam();
    SimFirmware& firmware = Plug(SimKind::Mouse);
    SimChannel& channel = Vendor(SimKind::Mouse);
    const std::vector<std::uint8_t> record = Pattern(4, 0x50);
    firmware.QueueFault(c.fault);

    const auto reply = channel.Exchange(Request(cmd::kWriteAt, record.size(), 200, record), c.command ? 1000 : 200);
    ASSERT_EQ(reply.has_value(), c.command.has_value());
    if (reply) {
        EXPECT_EQ((*reply)[frame::kCommand], *c.command);
        EXPECT_EQ((*reply)[frame::kStatus], c.status);
    }
    EXPECT_EQ(Slice(firmware.ReadRegion(SimRegion::Settings), 200, 4) == record, c.applied);

    const auto next = channel.Exchange(Request(cmd::kReadAt, 1, 0));
    ASSERT_TRUE(next);
    EXPECT_EQ((*next)[frame::kCommand], cmd::kReadAt);
    EXPECT_EQ((*next)[frame::kStatus], 0);
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultTest,
                         ::testing::Values(FaultCase{"NoReply", SimFault::NoReply, std::nullopt, 0, true},
                                           FaultCase{"WrongCommand", SimFault::WrongCommand, cmd::kWriteAt + 0x40, 0,
                                                     true},
                                           FaultCase{"StatusFF", SimFault::StatusFF, cmd::kWriteAt, 0xFF, false},
                                           FaultCase{"StatusFE", SimFault::StatusFE, cmd::kWriteAt, 0xFE, false},
                                           FaultCase{"ReceiverNoDevice", SimFault::ReceiverNoDevice, 0xAA, 0, false}),
                         [](const auto& info) { return CaseName(info); });

TEST_F(FirmwareTest, FaultWithCountHitsThatManyRequestsOnEitherLink) {
    SimFirmware& firmware = Plug(SimKind::Mouse, SimLink::Cable);
    Plug(SimKind::Mouse, SimLink::Receiver);
    SimChannel& cable = Vendor(SimKind::Mouse, SimLink::Cable);
    SimChannel& receiver = Vendor(SimKind::Mouse, SimLink::Receiver);
    firmware.QueueFault(SimFault::StatusFE, 2);

    const auto first = cable.Exchange(Request(cmd::kSequenceBegin));
    const auto second = receiver.Exchange(Request(cmd::kSequenceBegin));
    const auto third = cable.Exchange(Request(cmd::kSequenceBegin));
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ((*first)[frame::kStatus], 0xFE);
    EXPECT_EQ((*second)[frame::kStatus], 0xFE);
    EXPECT_EQ((*third)[frame::kStatus], 0);
}

TEST_F(FirmwareTest, CommandFaultSkipsThenHitsOnlyThatCommand) {
    SimFirmware& firmware = Plug(SimKind::Mouse);
    SimChannel& channel = Vendor(SimKind::Mouse);
    firmware.QueueCommandFault(cmd::kReadAt, SimFault::StatusFF, /*count=*/2, /*skip=*/1);

    // Read, other command, read, read, read: the first read passes, the next
    // two reads are refused, the other command and the last read are not.
    struct Step {
        std::uint8_t command;
        std::uint8_t status;
    };
    const Step steps[] = {{cmd::kReadAt, 0},
                          {cmd::kSequenceBegin, 0},
                          {cmd::kReadAt, kRefused},
                          {cmd::kReadAt, kRefused},
                          {cmd::kReadAt, 0}};
    for (const Step& step : steps) {
        const auto reply = channel.Exchange(Request(step.command, step.command == cmd::kReadAt ? 1 : 0, 0));
        ASSERT_TRUE(reply);
        EXPECT_EQ((*reply)[frame::kCommand], step.command);
        EXPECT_EQ((*reply)[frame::kStatus], step.status);
    }
}

TEST_F(FirmwareTest, BatteryLevelAndChargingStateAreThePowerBlocksFirstBytes) {
    struct Case {
        std::uint8_t percent;
        SimCharging charging;
    };
    SimFirmware& firmware = Plug(SimKind::Mouse);
    SimChannel& channel = Vendor(SimKind::Mouse);
    for (const Case c :
         {Case{40, SimCharging::Charging}, Case{100, SimCharging::Charged}, Case{7, SimCharging::OnBattery}}) {
        firmware.SetBattery(c.percent, c.charging);
        const auto reply = channel.Exchange(Request(cmd::kReadSmall, kPowerSize, 0));
        ASSERT_TRUE(reply);
        const std::vector<std::uint8_t> power = Payload(*reply, kPowerSize);
        EXPECT_EQ(power[0], c.percent);
        EXPECT_EQ(power[1], static_cast<std::uint8_t>(c.charging));
        EXPECT_EQ(power, firmware.ReadRegion(SimRegion::Power));
    }
}

TEST_F(FirmwareTest, SlowReplyIsReadableOnlyAfterTheDelay) {
    SimFirmware& firmware = Plug(SimKind::Mouse);
    SimChannel& channel = Vendor(SimKind::Mouse);
    constexpr auto kDelay = 1000ms;
    firmware.SetReplyDelay(kDelay);

    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(channel.Send(Request(cmd::kReadAt, 1, 0)));
    EXPECT_FALSE(channel.Receive(50)) << "a read shorter than the delay times out";
    const auto reply = channel.Receive(5000);
    ASSERT_TRUE(reply) << "the late reply goes to the next read";
    EXPECT_EQ((*reply)[frame::kCommand], cmd::kReadAt);
    EXPECT_GE(std::chrono::steady_clock::now() - sent, kDelay);
}

// --- Frame log -------------------------------------------------------------------

TEST_F(FirmwareTest, FrameLogRecordsEveryRequestWithItsChecksumAndLink) {
    SimFirmware& firmware = Plug(SimKind::Keyboard, SimLink::Cable);
    Plug(SimKind::Keyboard, SimLink::Receiver);
    const Frame good = Request(cmd::kReadAt, 1, 0);
    Frame bad = Request(cmd::kWriteAt, 2, 0, Pattern(2));
    bad[frame::kChecksumLow] ^= 0x01;

    ASSERT_TRUE(Vendor(SimKind::Keyboard, SimLink::Cable).Exchange(good));
    ASSERT_TRUE(Vendor(SimKind::Keyboard, SimLink::Receiver).Exchange(bad));

    const std::vector<SimFrameRecord> frames = firmware.Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].frame, good);
    EXPECT_TRUE(frames[0].checksumOk);
    EXPECT_EQ(frames[0].link, SimLink::Cable);
    EXPECT_EQ(frames[1].frame, bad);
    EXPECT_FALSE(frames[1].checksumOk);
    EXPECT_EQ(frames[1].link, SimLink::Receiver);

    firmware.ClearFrames();
    EXPECT_TRUE(firmware.Frames().empty());
}

}  // namespace
}  // namespace vandrel::sim
