// The simulated keyboard as the program meets it through its transport
// (protocol::CDeviceTransport and the command functions) on the cable and
// through the receiver: the key map and LED map in the firmware's own slot
// order, the number of key slots, the overlapping light records and the
// onboard-profile byte, notifications, the link query, the power block,
// scripted faults and the frame log.
#include <gtest/gtest.h>

#include <json/json.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <set>

#include "protocol/commands.h"
#include "protocol/device_transport.h"
#include "sim/sim_models.h"
#include "sim_test_support.h"

namespace vandrel::sim {
namespace {

using protocol::LinkState;
using protocol::Status;
using test::Pattern;
using test::SimChannel;
using test::Slice;
namespace cmd = protocol::cmd;
namespace frame = protocol::frame;

constexpr std::size_t kPositions = 126;
constexpr std::uint8_t kNone = 0xFF;

// Test cases print as their names.
template <typename Case>
requires requires(const Case& c) { c.name; }
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

std::string CaseName(const auto& info) { return info.param.name; }

const char* LinkName(SimLink link) { return link == SimLink::Cable ? "Cable" : "Receiver"; }

// A keyboard plugged on one link with the program's transport opened on its
// vendor collection, as the device manager opens it.
class KeyboardTest : public ::testing::Test {
protected:
    SimFirmware& Connect(SimLink link) {
        SimFirmware& firmware = backend_.Plug(SimKind::Keyboard, link);
        const bool receiver = link == SimLink::Receiver;
        auto& channel = receiver ? transport_.WirelessChannel() : transport_.WiredChannel();
        EXPECT_TRUE(channel.OpenPath(SimBackend::VendorPath(SimKind::Keyboard, link), true, true, true, false));
        transport_.SetLinkMode(receiver ? 2 : 1);
        transport_.SetOpen(true);
        return firmware;
    }

    // The key map and LED map as the program reads them on connecting:
    // information block, memory size K x 3, key map, LED map. Nothing when
    // the memory size is refused.
    struct Tables {
        std::size_t keySlots = 0;
        std::vector<std::uint8_t> keyMap;
        std::vector<std::uint8_t> ledMap;
    };
    std::optional<Tables> ReadTables() {
        std::array<std::uint8_t, protocol::kInfoBlockSize> info{};
        EXPECT_EQ(protocol::CMD_READ_INFO(transport_, info.data()), Status::Ok);
        Tables tables;
        tables.keySlots = info[info::kKeySlots];
        if (!transport_.SetMemorySize(static_cast<std::uint16_t>(tables.keySlots * 3))) return std::nullopt;
        tables.keyMap.assign(transport_.MemorySize(), 0);
        tables.ledMap.assign(transport_.MemorySize() / 3, 0);
        EXPECT_EQ(protocol::CMD_READ_KEY_MAP(transport_, tables.keyMap.data()), Status::Ok);
        EXPECT_EQ(protocol::CMD_READ_LED_MAP(transport_, tables.ledMap.data()), Status::Ok);
        return tables;
    }

    // The next notification value on the link's companion collection.
    static std::optional<std::uint16_t> NextNotification(SimChannel& companion, int timeoutMs = 1000) {
        std::array<std::uint8_t, 64> report{};
        std::size_t read = 0;
        auto& channel = companion.Channel();
        if (channel.ReadReport(report.data(), report.size(), &read, timeoutMs) != platform::IoStatus::Ok)
            return std::nullopt;
        auto& entries = channel.InputData();
        if (!channel.UnpackReport(std::span(report).first(read), platform::HidReportType::Input, entries) ||
            entries.empty() || entries[0].usageList.empty())
            return std::nullopt;
        return static_cast<std::uint16_t>(entries[0].usageList[0]);
    }

    SimBackend backend_;
    protocol::CDeviceTransport transport_{backend_};
};

// The program's position -> key slot map: the first slot whose entry is the
// position's factory code; kNone when no slot holds it.
std::vector<std::uint8_t> SlotOfPosition(const std::vector<std::uint8_t>& keyMap, std::size_t keySlots) {
    const auto codes = ModelOf(SimKind::Keyboard).factoryKeys;
    std::vector<std::uint8_t> slots(kPositions, kNone);
    for (std::size_t p = 0; p < kPositions; ++p)
        for (std::size_t s = 0; s < keySlots && s * 3 + 2 < keyMap.size(); ++s)
            if (keyMap[s * 3] == codes[p].type && keyMap[s * 3 + 1] == codes[p].code1 &&
                keyMap[s * 3 + 2] == codes[p].code2) {
                slots[p] = static_cast<std::uint8_t>(s);
                break;
            }
    return slots;
}

// --- Key map and LED map ------------------------------------------------------

// The simulated keyboard knows exactly the keys of the default profile: the
// codes by position are the profile's factory assignments (type << 16 |
// code1 << 8 | code2).
TEST(KeyboardModelTest, FactoryCodesByPositionAreTheDefaultProfiles) {
    std::ifstream file(std::string(VANDREL_DEFAULT_DATA_DIR) + "keyboard.Json");
    ASSERT_TRUE(file) << "DefaultData/keyboard.Json";
    Json::Value root;
    Json::CharReaderBuilder reader;
    std::string errors;
    ASSERT_TRUE(Json::parseFromStream(reader, file, &root, &errors)) << errors;
    const Json::Value& keys = root["Device"][0]["KeyList"];
    const auto codes = ModelOf(SimKind::Keyboard).factoryKeys;
    ASSERT_EQ(keys.size(), kPositions);
    ASSERT_EQ(codes.size(), kPositions);
    for (Json::ArrayIndex p = 0; p < kPositions; ++p) {
        const auto code = keys[p]["DefaultAssignment"].asUInt();
        EXPECT_EQ(code, (unsigned{codes[p].type} << 16) | (unsigned{codes[p].code1} << 8) | codes[p].code2)
            << "position " << p;
    }
}

class KeyboardTablesTest : public KeyboardTest, public ::testing::WithParamInterface<SimLink> {};

// What the program builds from the tables it reads: every real key has its
// own key slot and its own LED, none of them in position order; the empty
// positions and the two ISO keys have none.
TEST_P(KeyboardTablesTest, KeysLieInTheFirmwaresOwnOrder) {
    const SimFirmware& firmware = Connect(GetParam());
    const auto tables = ReadTables();
    ASSERT_TRUE(tables);
    EXPECT_EQ(tables->keySlots, 144u);
    EXPECT_EQ(Slice(tables->keyMap, 0, 144 * 3), firmware.ReadRegion(SimRegion::KeyMap));
    EXPECT_EQ(Slice(tables->ledMap, 0, 144), firmware.ReadRegion(SimRegion::LedMap));

    const std::vector<std::uint8_t> slotOf = SlotOfPosition(tables->keyMap, tables->keySlots);
    const std::set<std::size_t> withoutSlot{18, 19, 20, 62, 102, 104};
    std::set<std::uint8_t> slots, leds;
    std::size_t outOfOrder = 0, ledElsewhere = 0;
    for (std::size_t p = 0; p < kPositions; ++p) {
        if (withoutSlot.contains(p)) {
            EXPECT_EQ(slotOf[p], kNone) << "position " << p;
            continue;
        }
        ASSERT_NE(slotOf[p], kNone) << "position " << p;
        const std::uint8_t led = tables->ledMap[slotOf[p]];
        EXPECT_LT(led, 171) << "position " << p;
        slots.insert(slotOf[p]);
        leds.insert(led);
        outOfOrder += slotOf[p] != p;
        ledElsewhere += led != slotOf[p];
    }
    EXPECT_EQ(slots.size(), kPositions - withoutSlot.size()) << "one slot per key";
    EXPECT_EQ(leds.size(), kPositions - withoutSlot.size()) << "one LED per key";
    EXPECT_GT(outOfOrder, 100u);
    EXPECT_GT(ledElsewhere, 100u);

    // Slots holding no key are all zero and have no LED.
    for (std::size_t s = 0; s < tables->keySlots; ++s) {
        if (slots.contains(static_cast<std::uint8_t>(s))) continue;
        EXPECT_EQ(Slice(tables->keyMap, s * 3, 3), std::vector<std::uint8_t>(3, 0)) << "slot " << s;
        EXPECT_EQ(tables->ledMap[s], kNone) << "slot " << s;
    }
}

// A few keys as the firmware numbers them: slots run down the matrix columns,
// LEDs along the rows in a serpentine.
TEST_P(KeyboardTablesTest, SlotsRunDownTheColumnsAndLedsAlongTheRows) {
    Connect(GetParam());
    const auto tables = ReadTables();
    ASSERT_TRUE(tables);
    const std::vector<std::uint8_t> slotOf = SlotOfPosition(tables->keyMap, tables->keySlots);
    struct Key {
        const char* name;
        std::size_t position;
        std::uint8_t slot;
        std::uint8_t led;
    };
    for (const Key& k :
         {Key{"Esc", 0, 0, 0}, Key{"F1", 1, 6, 1}, Key{"`", 21, 1, 41}, Key{"BackSpace", 34, 79, 28},
          Key{"Tab", 42, 2, 42}, Key{"LShift", 84, 4, 84}, Key{"LCtrl", 105, 5, 125}, Key{"RWin", 125, 125, 105}}) {
        EXPECT_EQ(slotOf[k.position], k.slot) << k.name;
        EXPECT_EQ(tables->ledMap[k.slot], k.led) << k.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Links, KeyboardTablesTest, ::testing::Values(SimLink::Cable, SimLink::Receiver),
                         [](const auto& info) { return std::string(LinkName(info.param)); });

// --- Number of key slots ------------------------------------------------------

struct KeySlotCase {
    const char* name;
    std::uint8_t keySlots;
    bool fitsTheBuffers;  // K x 3 <= 512: the transport takes the memory size
};

class KeySlotCountTest : public KeyboardTest, public ::testing::WithParamInterface<KeySlotCase> {};

TEST_P(KeySlotCountTest, InfoByteFiveAndTheTablesFollowK) {
    const KeySlotCase& c = GetParam();
    SimFirmware& firmware = Connect(SimLink::Cable);
    firmware.SetKeySlots(c.keySlots);
    EXPECT_EQ(firmware.ReadRegion(SimRegion::KeyMap).size(), c.keySlots * 3u);
    EXPECT_EQ(firmware.ReadRegion(SimRegion::LedMap).size(), c.keySlots);

    const auto tables = ReadTables();
    ASSERT_EQ(tables.has_value(), c.fitsTheBuffers);
    if (!tables) {
        EXPECT_EQ(transport_.MemorySize(), protocol::kMaxMemorySize) << "the refused size is not taken";
        return;
    }
    EXPECT_EQ(tables->keySlots, c.keySlots);
    EXPECT_EQ(tables->keyMap, firmware.ReadRegion(SimRegion::KeyMap));
    EXPECT_EQ(tables->ledMap, firmware.ReadRegion(SimRegion::LedMap));
    // The matrix's keys stay in their slots whatever K; slots past it hold nothing.
    const std::vector<std::uint8_t> full = FactoryKeyMap(SimKind::Keyboard, 126);
    const std::size_t shared = std::min<std::size_t>(c.keySlots, 126) * 3;
    EXPECT_EQ(Slice(tables->keyMap, 0, shared), Slice(full, 0, shared));
    for (std::size_t s = 126; s < c.keySlots; ++s) {
        EXPECT_EQ(Slice(tables->keyMap, s * 3, 3), std::vector<std::uint8_t>(3, 0)) << "slot " << s;
        EXPECT_EQ(tables->ledMap[s], kNone) << "slot " << s;
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, KeySlotCountTest,
                         ::testing::Values(KeySlotCase{"Twenty", 20, true}, KeySlotCase{"Matrix", 126, true},
                                           KeySlotCase{"Default", 144, true}, KeySlotCase{"Largest", 170, true},
                                           KeySlotCase{"OneTooMany", 171, false}, KeySlotCase{"Most", 255, false}),
                         [](const auto& info) { return CaseName(info); });

// With 170 key slots the key map fills the 512-byte write but for its last two
// bytes; the device stores the 510 bytes of its key map and refuses nothing.
TEST_F(KeyboardTest, KeyMapWriteOf170SlotsFillsTheWholeMap) {
    SimFirmware& firmware = Connect(SimLink::Cable);
    firmware.SetKeySlots(170);
    ASSERT_TRUE(transport_.SetMemorySize(510));
    const std::vector<std::uint8_t> keys = Pattern(510, 7);
    firmware.ClearFrames();
    EXPECT_EQ(protocol::CMD_WRITE_KEY_MAP(transport_, keys.data(), 0), Status::Ok);
    EXPECT_EQ(firmware.ReadRegion(SimRegion::KeyMap), keys);
    EXPECT_EQ(firmware.FramesOf(cmd::kWriteKeyMap).size(), 10u);
}

// --- Onboard profile and light records ---------------------------------------

class KeyboardRecordTest : public KeyboardTest, public ::testing::WithParamInterface<SimLink> {
protected:
    std::vector<std::uint8_t> ReadRecord(std::size_t profile) {
        std::vector<std::uint8_t> record(27, 0);
        EXPECT_EQ(
            protocol::CMD_READ_AT(transport_, record.data(), record.size(), static_cast<std::uint16_t>(profile * 25)),
            Status::Ok);
        return record;
    }
};

TEST_P(KeyboardRecordTest, FactoryRecordsAgreeWhereTheyOverlap) {
    const SimFirmware& firmware = Connect(GetParam());
    const std::vector<std::uint8_t> first = ReadRecord(0);
    EXPECT_EQ(first[1], 1) << "effect code";
    for (std::size_t n = 0; n < 8; ++n) {
        EXPECT_EQ(ReadRecord(n), first) << "record " << n;
        EXPECT_EQ(firmware.Record(n), first) << "record " << n;
    }
}

// Written in profile order, each record's last two bytes are overwritten by
// the next record's first two; read back, record n ends with record n + 1's
// head.
TEST_P(KeyboardRecordTest, EachRecordEndsWithTheNextRecordsFirstTwoBytes) {
    SimFirmware& firmware = Connect(GetParam());
    constexpr std::size_t kRecords = 4;
    std::vector<std::vector<std::uint8_t>> written;
    for (std::size_t n = 0; n < kRecords; ++n) {
        written.push_back(Pattern(27, static_cast<std::uint8_t>(0x20 + 0x30 * n)));
        EXPECT_EQ(protocol::CMD_WRITE_AT(transport_, written[n].data(), 27, static_cast<std::uint16_t>(n * 25)),
                  Status::Ok);
    }
    for (std::size_t n = 0; n < kRecords; ++n) {
        std::vector<std::uint8_t> expected = written[n];
        if (n + 1 < kRecords) std::copy_n(written[n + 1].begin(), 2, expected.begin() + 25);
        EXPECT_EQ(ReadRecord(n), expected) << "record " << n;
        EXPECT_EQ(firmware.Record(n), expected) << "record " << n;
    }
}

// The program reads byte 0 as the active onboard profile n, then 27 bytes at
// n x 25.
TEST_P(KeyboardRecordTest, ActiveProfileByteNamesTheRecordToRead) {
    SimFirmware& firmware = Connect(GetParam());
    for (const std::uint8_t profile : {3, 1, 7, 0}) {
        std::vector<std::uint8_t> record = Pattern(27, static_cast<std::uint8_t>(0x11 * (profile + 1)));
        record[0] = profile;
        ASSERT_TRUE(firmware.WriteRecord(profile, record));
        firmware.SetOnboardProfile(profile);

        std::uint8_t active = 0xEE;
        ASSERT_EQ(protocol::CMD_READ_AT(transport_, &active, 1, 0), Status::Ok);
        EXPECT_EQ(active, profile);
        EXPECT_EQ(ReadRecord(active), record) << "profile " << int{profile};
    }
}

TEST(KeyboardRecordModelTest, RecordsOutsideTheSettingsMemoryAreRefused) {
    SimBackend backend;
    SimFirmware& firmware = backend.Plug(SimKind::Keyboard);
    const std::vector<std::uint8_t> before = firmware.ReadRegion(SimRegion::Settings);
    EXPECT_FALSE(firmware.WriteRecord(41, Pattern(27))) << "41 x 25 + 27 > 1024";
    EXPECT_FALSE(firmware.WriteRecord(0, Pattern(26))) << "not a whole record";
    EXPECT_TRUE(firmware.Record(41).empty());
    EXPECT_EQ(firmware.ReadRegion(SimRegion::Settings), before);
    EXPECT_TRUE(firmware.WriteRecord(39, Pattern(27))) << "39 x 25 + 27 = 1002";
}

INSTANTIATE_TEST_SUITE_P(Links, KeyboardRecordTest, ::testing::Values(SimLink::Cable, SimLink::Receiver),
                         [](const auto& info) { return std::string(LinkName(info.param)); });

// --- Notifications ------------------------------------------------------------

struct NotificationCase {
    const char* name;
    void (*send)(SimFirmware&);
    std::uint16_t value;
    std::optional<std::uint8_t> activeProfile;  // byte 0 afterwards, for a profile switch
};

const NotificationCase kNotifications[] = {
    {"KeyPressed", [](SimFirmware& f) { f.SendKeyEvent(0x2A, SimKeyEvent::Press); }, 0x052A, std::nullopt},
    {"KeyReleased", [](SimFirmware& f) { f.SendKeyEvent(0x2A, SimKeyEvent::Release); }, 0x062A, std::nullopt},
    {"LastSlotPressed", [](SimFirmware& f) { f.SendKeyEvent(0xFF, SimKeyEvent::Press); }, 0x05FF, std::nullopt},
    {"ProfileHigh10", [](SimFirmware& f) { f.SwitchOnboardProfile(3); }, 0x1003, 3},
    {"ProfileHigh11", [](SimFirmware& f) { f.SwitchOnboardProfile(5, SimProfileNotice::High11); }, 0x1105, 5},
    {"ProfileHighBit7", [](SimFirmware& f) { f.SwitchOnboardProfile(2, SimProfileNotice::HighBit7); }, 0x8200, 2},
    {"ReadSettingsAgain", [](SimFirmware& f) { f.SendNotificationValue(notice::kReadSettingsAgain); }, 0x0401,
     std::nullopt},
    {"ReadProfilesAgain", [](SimFirmware& f) { f.SendNotificationValue(notice::kReadProfilesAgain); }, 0x0402,
     std::nullopt},
};

struct NotificationOnLink {
    std::string name;
    NotificationCase notification;
    SimLink link;
};

std::vector<NotificationOnLink> NotificationsOnBothLinks() {
    std::vector<NotificationOnLink> cases;
    for (const SimLink link : {SimLink::Cable, SimLink::Receiver})
        for (const NotificationCase& c : kNotifications)
            cases.push_back({std::string(c.name) + LinkName(link), c, link});
    return cases;
}

class KeyboardNotificationTest : public KeyboardTest, public ::testing::WithParamInterface<NotificationOnLink> {};

TEST_P(KeyboardNotificationTest, ReachesTheCompanionAndDecodes) {
    const NotificationCase& c = GetParam().notification;
    SimFirmware& firmware = Connect(GetParam().link);
    SimChannel companion(backend_, SimBackend::CompanionPath(SimKind::Keyboard, GetParam().link));
    ASSERT_TRUE(companion.Opened());

    c.send(firmware);
    EXPECT_EQ(NextNotification(companion), c.value);
    EXPECT_FALSE(NextNotification(companion, 50)) << "one notification only";

    std::uint8_t active = 0xEE;
    ASSERT_EQ(protocol::CMD_READ_AT(transport_, &active, 1, 0), Status::Ok);
    EXPECT_EQ(active, c.activeProfile.value_or(0));
}

INSTANTIATE_TEST_SUITE_P(Values, KeyboardNotificationTest, ::testing::ValuesIn(NotificationsOnBothLinks()),
                         [](const auto& info) { return info.param.name; });

TEST(KeyboardNoticeTest, ProfileNoticeCarriesOnlyTheLowFourBits) {
    EXPECT_EQ(notice::OnboardProfile(0x13, SimProfileNotice::High10), 0x1003);
    EXPECT_EQ(notice::OnboardProfile(0x1F, SimProfileNotice::High11), 0x110F);
    EXPECT_EQ(notice::OnboardProfile(0x17, SimProfileNotice::HighBit7), 0x8700);
}

// --- Link query and power block ------------------------------------------------

struct LinkQueryCase {
    const char* name;
    SimLink link;
    bool reachable;           // what the device is scripted to answer
    LinkState expected;       // what the program learns
    std::size_t queryFrames;  // 0xAA frames sent
};

class KeyboardLinkQueryTest : public KeyboardTest, public ::testing::WithParamInterface<LinkQueryCase> {};

// The answer changes nothing else: the power block is still read.
TEST_P(KeyboardLinkQueryTest, AnswersAsScriptedAndOtherCommandsStillWork) {
    const LinkQueryCase& c = GetParam();
    SimFirmware& firmware = Connect(c.link);
    firmware.SetLinkReachable(c.reachable);
    const std::array<std::uint8_t, kPowerSize> power{64, 1, 0, 0, 9, 0};
    firmware.SetPowerState(power);
    firmware.ClearFrames();

    EXPECT_EQ(protocol::CMD_LINK_QUERY(transport_), c.expected);
    EXPECT_EQ(firmware.FramesOf(cmd::kLinkQuery).size(), c.queryFrames);

    std::array<std::uint8_t, kPowerSize> read{};
    EXPECT_EQ(protocol::CMD_READ_SMALL(transport_, read.data(), read.size(), read.size(), 0), Status::Ok);
    EXPECT_EQ(read, power);
}

INSTANTIATE_TEST_SUITE_P(
    Links, KeyboardLinkQueryTest,
    ::testing::Values(LinkQueryCase{"ReceiverReachable", SimLink::Receiver, true, LinkState::Reachable, 1},
                      LinkQueryCase{"ReceiverUnreachable", SimLink::Receiver, false, LinkState::Unreachable, 1},
                      LinkQueryCase{"CableNeverAsks", SimLink::Cable, false, LinkState::Reachable, 0}),
    [](const auto& info) { return CaseName(info); });

// --- Faults per command ----------------------------------------------------------

struct CommandFaultCase {
    const char* name;
    SimLink link;
    SimFault fault;
    Status status;
};

class KeyboardFaultTest : public KeyboardTest, public ::testing::WithParamInterface<CommandFaultCase> {};

// The power read meets the fault; the light-record read beside it does not,
// and the next power read works again.
TEST_P(KeyboardFaultTest, HitsOnlyTheScriptedCommand) {
    const CommandFaultCase& c = GetParam();
    SimFirmware& firmware = Connect(c.link);
    firmware.QueueCommandFault(cmd::kReadSmall, c.fault);

    std::uint8_t active = 0xEE;
    EXPECT_EQ(protocol::CMD_READ_AT(transport_, &active, 1, 0), Status::Ok);
    std::array<std::uint8_t, kPowerSize> power{};
    EXPECT_EQ(protocol::CMD_READ_SMALL(transport_, power.data(), power.size(), power.size(), 0), c.status);
    EXPECT_EQ(protocol::CMD_READ_SMALL(transport_, power.data(), power.size(), power.size(), 0), Status::Ok);
    EXPECT_EQ(power[0], 100);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, KeyboardFaultTest,
    ::testing::Values(CommandFaultCase{"TimesOut", SimLink::Cable, SimFault::NoReply, Status::ReadFailed},
                      CommandFaultCase{"Fails", SimLink::Cable, SimFault::WrongCommand, Status::ReadFailed},
                      CommandFaultCase{"RefusedFF", SimLink::Cable, SimFault::StatusFF, Status::RefusedFF},
                      CommandFaultCase{"RefusedFE", SimLink::Receiver, SimFault::StatusFE, Status::RefusedFE},
                      CommandFaultCase{"NoDevice", SimLink::Receiver, SimFault::ReceiverNoDevice, Status::NoDevice}),
    [](const auto& info) { return CaseName(info); });

TEST_F(KeyboardTest, AlwaysFaultLastsUntilCleared) {
    SimFirmware& firmware = Connect(SimLink::Cable);
    firmware.QueueCommandFault(cmd::kWriteAt, SimFault::StatusFF, SimFirmware::kAlways);
    const std::vector<std::uint8_t> record = Pattern(27);
    for (int attempt = 0; attempt < 5; ++attempt)
        EXPECT_EQ(protocol::CMD_WRITE_AT(transport_, record.data(), record.size(), 0), Status::RefusedFF);
    EXPECT_NE(firmware.Record(0), record);

    firmware.ClearFaults();
    EXPECT_EQ(protocol::CMD_WRITE_AT(transport_, record.data(), record.size(), 0), Status::Ok);
    EXPECT_EQ(firmware.Record(0), record);
}

// --- Frame log ---------------------------------------------------------------------

// A 0x09 write of the default keyboard's 144 x 3 bytes is logged frame by
// frame; joined, the frames give back the key map written, not the stale
// payload after the last chunk's 40 bytes.
TEST_F(KeyboardTest, FrameLogGivesBackTheKeyMapAWriteCarried) {
    SimFirmware& firmware = Connect(SimLink::Cable);
    ASSERT_TRUE(transport_.SetMemorySize(144 * 3));
    const std::vector<std::uint8_t> keys = Pattern(144 * 3, 3);
    firmware.ClearFrames();
    EXPECT_EQ(protocol::CMD_SEQUENCE_BEGIN(transport_), Status::Ok);
    EXPECT_EQ(protocol::CMD_WRITE_KEY_MAP(transport_, keys.data(), 0), Status::Ok);
    EXPECT_EQ(protocol::CMD_SEQUENCE_END(transport_), Status::Ok);

    const std::vector<SimFrameRecord> writes = firmware.FramesOf(cmd::kWriteKeyMap);
    ASSERT_EQ(writes.size(), 8u);
    EXPECT_EQ(writes.back().frame[frame::kLength], 40);
    const SimTransfer carried = JoinWrites(writes);
    EXPECT_EQ(carried.offset, 0u);
    EXPECT_EQ(carried.bytes, keys);
    EXPECT_EQ(firmware.ReadRegion(SimRegion::KeyMap), keys);
    EXPECT_EQ(firmware.Frames().size(), 10u) << "begin, eight chunks, end";
    EXPECT_TRUE(firmware.FramesOf(cmd::kLightStream).empty());
    EXPECT_TRUE(firmware.FramesOf(cmd::kWritePage).empty());
}

TEST_F(KeyboardTest, FrameLogJoinsAPageWriteAtItsOffset) {
    SimFirmware& firmware = Connect(SimLink::Receiver);
    const std::vector<std::uint8_t> colours = Pattern(144 * 3, 0x40);
    firmware.ClearFrames();
    EXPECT_EQ(protocol::CMD_WRITE_PAGE(transport_, colours.data(), colours.size(), 2, 512), Status::Ok);

    const SimTransfer carried = JoinWrites(firmware.FramesOf(cmd::kWritePage));
    EXPECT_EQ(carried.offset, 1024u);
    EXPECT_EQ(carried.bytes, colours);
    EXPECT_EQ(Slice(firmware.ReadRegion(SimRegion::ColourPages), 1024, colours.size()), colours);
    EXPECT_TRUE(JoinWrites({}).bytes.empty());
}

}  // namespace
}  // namespace vandrel::sim
