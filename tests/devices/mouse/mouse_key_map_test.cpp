// The mouse's key assignments and macros end to end: a CMorvaneMouseDevice
// talking to the simulated mouse over the cable or the receiver, its macro
// list and profiles in a real temporary user folder ($XDG_DATA_HOME), its
// uploads on its command worker.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <json/json.h>

#include "devices/key_slot_memory.h"
#include "devices/mouse/mouse_device.h"
#include "devices/mouse/mouse_page.h"
#include "devices/mouse/mouse_record.h"
#include "devices/mouse/mouse_setup.h"
#include "macros/macro_file.h"
#include "macros/macro_image.h"
#include "platform/folders.h"
#include "platform/manual_tick_source.h"
#include "profiles/json_file_store.h"
#include "protocol/commands.h"
#include "sim/sim_backend.h"
#include "sim/sim_firmware.h"
#include "sim/sim_macro_image.h"
#include "sim/sim_models.h"
#include "support/eventually.h"
#include "support/fake_device_host.h"
#include "support/fake_page_view.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace vandrel::devices {
namespace {

using namespace std::chrono_literals;
using protocol::Status;
using sim::SimKind;
using sim::SimLink;
using sim::SimRegion;
namespace cmd = protocol::cmd;
namespace frame = protocol::frame;
using Bytes = std::vector<std::uint8_t>;
using Events = std::vector<macros::MacroEvent>;

constexpr device_io::KindRow kMouseRow = device_io::KindRow::Mouse;
constexpr auto kWait = 3s;
constexpr std::size_t kSimKeyMapSize = 33;  // the simulated mouse's 11 key slots

const std::string kRow = std::to_string(device_io::KindRowNumber(kMouseRow));
std::string Line(DeviceMessage message, int lParam) {
    return "post " + std::to_string(Number(message)) + " " + kRow + " " + std::to_string(lParam);
}
const std::string kUploaded = Line(DeviceMessage::kKeyMapUploaded, protocol::ToInt(Status::Ok));
const std::string kNotUploaded = Line(DeviceMessage::kKeyMapUploaded, protocol::ToInt(Status::WriteFailed));

// One command's frames whose offsets continue each other, as one transfer.
struct Transfer {
    std::uint8_t command;
    int length;
    int offset;
    bool operator==(const Transfer&) const = default;
};

void PrintTo(const Transfer& t, std::ostream* os) {
    *os << "{0x" << std::hex << int{t.command} << std::dec << ", " << t.length << ", " << t.offset << "}";
}

// `count` events whose records are easy to tell apart.
Events MakeEvents(std::size_t count, std::uint8_t first = 4) {
    Events events;
    for (std::size_t i = 0; i < count; ++i)
        events.push_back({macros::kKeyEvent, static_cast<std::uint8_t>(first + i), i % 2 == 0,
                          static_cast<std::uint16_t>(10 * (i + 1))});
    return events;
}

std::vector<sim::SimMacroRecord> Records(const Events& events) {
    std::vector<sim::SimMacroRecord> records;
    for (const macros::MacroEvent& e : events)
        records.push_back({e.delay, static_cast<std::uint8_t>(e.type | (e.down ? 0x80 : 0)), e.button});
    return records;
}

Bytes CodeBytes(const profiles::KeyCode& code) { return {code.type, code.code1, code.code2}; }

class MouseKeyMapTest : public ::testing::Test {
protected:
    MouseKeyMapTest() { platform::SetDefaultDataFolder(VANDREL_DEFAULT_DATA_DIR); }
    ~MouseKeyMapTest() override {
        mouse_.reset();
        platform::SetDefaultDataFolder("");
    }

    // A mouse as the device manager builds it, plugged on `link` as it left
    // the factory (then changed by `prepare`), connected; the frame log
    // starts empty.
    CMorvaneMouseDevice& Connected(SimLink link = SimLink::Cable,
                                   const std::function<void(sim::SimFirmware&)>& prepare = {}) {
        sim::SimFirmware& firmware = backend_.Plug(SimKind::Mouse, link);
        const sim::SimMemory factory = sim::FactoryMemory(SimKind::Mouse);
        for (std::size_t region = 0; region < sim::kSimRegionCount; ++region)
            EXPECT_TRUE(firmware.WriteRegion(static_cast<SimRegion>(region), 0, factory[region]));
        if (prepare) prepare(firmware);
        return Reconnected(link);
    }

    // A new mouse object, as at the program's next start, connected over the
    // simulated mouse plugged on `link` as it is; the frame log starts empty.
    CMorvaneMouseDevice& Reconnected(SimLink link = SimLink::Cable) {
        mouse_.reset();
        mouse_ = std::make_unique<CMorvaneMouseDevice>(backend_, &ticks_);
        CMorvaneMouseDevice& m = *mouse_;
        testing::SetUpAsTheMouseKind(m, &host_);
        // The page's profile panel: resetting a profile goes through it.
        page_ = testing::FakePageView();
        page_.Add(mouse::controls::kSettingsLayout).className = "SelectPanel";
        page_.Add("profile_panel").className = std::string(mouse::controls::kProfilePanelClass);
        for (const char* name : {"device_profile_combo", "device_profile_name_edit"})
            page_.Add(name).parent = "profile_panel";
        m.Attach(page_);

        sim::SimFirmware& firmware = *backend_.Firmware(SimKind::Mouse);
        const bool receiver = link == SimLink::Receiver;
        device_io::DeviceIdentity identity;
        identity.deviceType = receiver ? device_io::DeviceType::MouseReceiver : device_io::DeviceType::Mouse;
        m.SetIdentity(identity);
        protocol::CDeviceTransport& t = m.Transport();
        auto& channel = receiver ? t.WirelessChannel() : t.WiredChannel();
        EXPECT_TRUE(channel.OpenPath(sim::SimBackend::VendorPath(SimKind::Mouse, link), true, true, true, false));
        t.SetLinkMode(receiver ? 2 : 1);
        t.SetOpen(true);
        firmware_ = &firmware;
        m.Connect();
        WaitForUpload();
        firmware.ClearFrames();
        linesBefore_ = host_.Lines().size();
        return m;
    }

    // The macro list of the mouse's user folder, one macro per entry.
    static void WriteMacros(const std::vector<Events>& macros) {
        Json::Value list;
        for (std::size_t m = 0; m < macros.size(); ++m) {
            const std::string id = "guid-" + std::to_string(m);
            list["MacroInfo"][static_cast<Json::ArrayIndex>(m)]["MacroName"] = "m" + std::to_string(m);
            list["MacroInfo"][static_cast<Json::ArrayIndex>(m)]["Guid"] = id;
            ASSERT_EQ(macros::WriteMacroFile(UserFile(id + ".mac"), {"m", id, macros[m]}), profiles::WriteStatus::Ok);
        }
        ASSERT_EQ(profiles::CJsonFileStore().WriteJson(UserFile("macro.config"), list), profiles::WriteStatus::Ok);
    }
    static std::string UserFile(std::string_view name) { return platform::UserDataFolder("mouse") + std::string(name); }

    // Position `position` runs `code` (default as the factory left it).
    void Assign(std::size_t position, const profiles::KeyCode& code) {
        const auto p = static_cast<std::uint16_t>(position);
        mouse_->SetKeyAssignment(static_cast<int>(position), {p, code, p, mouse::kFactoryKeyCodes[position]});
    }

    void WaitForUpload() const {
        ASSERT_TRUE(testing::Eventually([this] { return !mouse_->Uploading() && mouse_->CommandsIdle(); }, kWait));
    }

    // The requests the mouse received, the lighting stream left out, joined
    // into transfers.
    std::vector<Transfer> Transfers() const {
        std::vector<Transfer> transfers;
        for (const auto& record : firmware_->Frames()) {
            const auto& f = record.frame;
            if (f[frame::kCommand] == cmd::kLightStream) continue;
            const Transfer t{f[frame::kCommand], f[frame::kLength], f[frame::kOffsetLow] | f[frame::kOffsetHigh] << 8};
            if (!transfers.empty() && t.length > 0 && transfers.back().command == t.command &&
                transfers.back().offset + transfers.back().length == t.offset) {
                transfers.back().length += t.length;
                continue;
            }
            transfers.push_back(t);
        }
        return transfers;
    }
    std::size_t FrameCount(std::uint8_t command) const { return firmware_->FramesOf(command).size(); }
    Bytes KeyMapSlot(std::size_t slot) const {
        const Bytes map = firmware_->ReadRegion(SimRegion::KeyMap);
        return {map.begin() + static_cast<std::ptrdiff_t>(slot * 3),
                map.begin() + static_cast<std::ptrdiff_t>(slot * 3 + 3)};
    }
    // A receiver mouse whose upload of one long macro and the key map is
    // under way on a slow link: the upload has the mouse when this returns.
    CMorvaneMouseDevice& UploadingSlowly() {
        WriteMacros({MakeEvents(40)});
        CMorvaneMouseDevice& m = Connected(SimLink::Receiver);
        Assign(1, {macros::kMacroKeyType, 0, 0});
        firmware_->SetReceiverDelay(30ms);
        m.UploadMacrosAndKeyMap();
        EXPECT_TRUE(testing::Eventually([&] { return m.Hold(); }, kWait));
        return m;
    }

    // Where the transfers of `command` start and end in Transfers(), or
    // nothing when there are none.
    static std::optional<std::pair<std::size_t, std::size_t>> Span(const std::vector<Transfer>& sent,
                                                                   std::uint8_t command) {
        std::optional<std::pair<std::size_t, std::size_t>> span;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            if (sent[i].command != command) continue;
            if (!span) span.emplace(i, i);
            span->second = i;
        }
        return span;
    }

    // Everything of `command` came after the upload's key map and the end of
    // its sequence (on the receiver: key map, link query, end).
    void ExpectAfterTheUpload(std::uint8_t command) const {
        const std::vector<Transfer> sent = Transfers();
        const auto keyMap = Span(sent, cmd::kWriteKeyMap);
        const auto after = Span(sent, command);
        ASSERT_TRUE(keyMap.has_value());
        ASSERT_TRUE(after.has_value());
        ASSERT_LT(keyMap->second + 2, sent.size());
        EXPECT_EQ(sent[keyMap->second + 2].command, cmd::kSequenceEnd) << "the upload's sequence ended";
        EXPECT_GT(after->first, keyMap->second + 2) << "and only then came 0x" << std::hex << int{command};
    }

    // How often `line` was logged since the mouse connected.
    int Lines(const std::string& line) const {
        const std::vector<std::string> lines = host_.Lines();
        return static_cast<int>(std::count(
            lines.begin() + static_cast<std::ptrdiff_t>(std::min(linesBefore_, lines.size())), lines.end(), line));
    }

    testing::TempFolder data_;
    testing::ScopedEnv xdg_{"XDG_DATA_HOME", data_.Path()};
    sim::SimBackend backend_;
    platform::ManualTickSource ticks_;
    testing::FakeDeviceHost host_;
    std::size_t linesBefore_ = 0;
    testing::FakePageView page_;
    sim::SimFirmware* firmware_ = nullptr;
    std::unique_ptr<CMorvaneMouseDevice> mouse_;
};

// The macros go out first, then the key map that names them by their place
// in the list; on the receiver every step waits for a "reachable" answer.
TEST_F(MouseKeyMapTest, MacrosThenKeyMapReachTheMouse) {
    constexpr std::uint8_t L = cmd::kLinkQuery;
    const int image = 16 + 6 + 4 * 3;  // one macro of three events
    const Transfer info{cmd::kReadInfo, 34, 0};
    const Transfer begin{cmd::kSequenceBegin, 0, 0};
    const Transfer end{cmd::kSequenceEnd, 0, 0};
    const Transfer macrosWrite{cmd::kWriteMacros, image, 0};
    const Transfer keyMapWrite{cmd::kWriteKeyMap, static_cast<int>(kSimKeyMapSize), 0};
    const Transfer query{L, 0, 0};
    struct Case {
        SimLink link;
        std::vector<Transfer> sent;
    };
    const Case cases[] = {
        {SimLink::Cable, {info, begin, macrosWrite, end, info, begin, keyMapWrite, end}},
        {SimLink::Receiver,
         {query, info, query, begin, query, macrosWrite, query, end, query, info, query, begin, query, keyMapWrite,
          query, end}},
    };
    const Events macro1 = MakeEvents(3, 20);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link == SimLink::Cable ? "cable" : "receiver");
        WriteMacros({MakeEvents(2), macro1});
        CMorvaneMouseDevice& m = Connected(c.link);
        Assign(3, {macros::kMacroRepeatKeyType, 1, 5});  // macro 1, five times

        EXPECT_EQ(m.UsedMacros(), Bytes{1});
        m.UploadMacrosAndKeyMap();
        WaitForUpload();

        EXPECT_EQ(Transfers(), c.sent);
        const std::optional<sim::SimMacros> sent = sim::DecodeMacroImage(firmware_->ReadRegion(SimRegion::Macros));
        ASSERT_TRUE(sent.has_value());
        EXPECT_EQ(*sent, (sim::SimMacros{Records(macro1)})) << "macro 1 alone, as the first";
        EXPECT_EQ(KeyMapSlot(m.PositionSlot(3)), (Bytes{macros::kMacroRepeatKeyType, 0, 5}));
        EXPECT_EQ(KeyMapSlot(m.PositionSlot(2)), CodeBytes(mouse::kFactoryKeyCodes[2])) << "the others as they were";
        EXPECT_EQ(Lines(kUploaded), 1);
        EXPECT_EQ(Lines(Line(DeviceMessage::kMacrosRefused, -1)), 0);
    }
}

// The key slots are learned at the first connection: a key given another
// function, or two keys swapped, keep their slots when the mouse connects
// again (a new object, as at the next start), and putting them back to
// their defaults writes the factory codes into those slots.
TEST_F(MouseKeyMapTest, ChangedKeysKeepTheirSlotsAtTheNextConnection) {
    using Change = std::pair<std::size_t, profiles::KeyCode>;
    struct Case {
        const char* name;
        std::vector<Change> changes;
    };
    const Case cases[] = {
        {"a key given another function", {{3, {0x20, 0x01, 0x04}}}},  // forward -> Ctrl+A
        {"two keys swapped", {{0, mouse::kFactoryKeyCodes[1]}, {1, mouse::kFactoryKeyCodes[0]}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(UserFile(kKeySlotsFileName));
        CMorvaneMouseDevice& first = Connected();
        std::vector<std::uint8_t> slots;
        for (const auto& [position, code] : c.changes) {
            slots.push_back(first.PositionSlot(position));
            ASSERT_NE(slots.back(), mouse::kNoSlot);
            Assign(position, code);
        }
        first.UploadMacrosAndKeyMap();
        WaitForUpload();
        for (std::size_t i = 0; i < c.changes.size(); ++i)
            ASSERT_EQ(KeyMapSlot(slots[i]), CodeBytes(c.changes[i].second)) << "the mouse holds the change";

        CMorvaneMouseDevice& again = Reconnected();
        for (std::size_t i = 0; i < c.changes.size(); ++i) {
            const std::size_t position = c.changes[i].first;
            EXPECT_EQ(again.PositionSlot(position), slots[i]) << position;
            Assign(position, mouse::kFactoryKeyCodes[position]);
        }
        again.UploadMacrosAndKeyMap();
        WaitForUpload();
        EXPECT_EQ(Lines(kUploaded), 1);
        for (std::size_t i = 0; i < c.changes.size(); ++i)
            EXPECT_EQ(KeyMapSlot(slots[i]), CodeBytes(mouse::kFactoryKeyCodes[c.changes[i].first]))
                << "back to its default, in its own slot";
    }
}

// One list of macros numbers both the image and the key map: the keys with a
// key slot, in position order, each macro once; a macro the list does not
// have is sent as the key's default.
TEST_F(MouseKeyMapTest, UsedMacrosComeFromTheKeysWithASlot) {
    struct Use {
        std::size_t position;
        profiles::KeyCode code;
    };
    struct Case {
        const char* name;
        std::vector<std::size_t> withoutSlot;  // positions whose factory code the mouse's key map lacks
        std::vector<Use> uses;
        Bytes used;
        std::vector<std::pair<std::size_t, Bytes>> slots;  // position -> key map bytes after the upload
    };
    const Case cases[] = {
        {"first use decides the order",
         {},
         {{3, {macros::kMacroKeyType, 2, 0}}, {5, {macros::kMacroKeyType, 0, 0}}, {7, {macros::kMacroKeyType, 2, 0}}},
         {2, 0},
         {{3, {macros::kMacroKeyType, 0, 0}}, {7, {macros::kMacroKeyType, 0, 0}}, {5, {macros::kMacroKeyType, 1, 0}}}},
        {"a position without a slot is left out",
         {1},
         {{1, {macros::kMacroKeyType, 1, 0}}, {4, {macros::kMacroRepeatKeyType, 0, 3}}},
         {0},
         {{4, {macros::kMacroRepeatKeyType, 0, 3}}}},
        {"a macro the list does not have runs the default",
         {},
         {{2, {macros::kMacroKeyType, 7, 0}}},
         {},
         {{2, CodeBytes(mouse::kFactoryKeyCodes[2])}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A mouse never connected before: no slots learned from the last case.
        std::filesystem::remove(UserFile(kKeySlotsFileName));
        WriteMacros({MakeEvents(1), MakeEvents(2), MakeEvents(3)});
        CMorvaneMouseDevice& m = Connected(SimLink::Cable, [&](sim::SimFirmware& firmware) {
            for (const std::size_t position : c.withoutSlot)
                ASSERT_TRUE(firmware.WriteRegion(SimRegion::KeyMap, position * 3, Bytes{0, 0, 0}));
        });
        for (const std::size_t position : c.withoutSlot) ASSERT_EQ(m.PositionSlot(position), mouse::kNoSlot);
        for (const Use& use : c.uses) Assign(use.position, use.code);

        EXPECT_EQ(m.UsedMacros(), c.used);
        m.UploadMacrosAndKeyMap();
        WaitForUpload();

        for (const auto& [position, bytes] : c.slots)
            EXPECT_EQ(KeyMapSlot(m.PositionSlot(position)), bytes) << position;
        for (const std::size_t position : c.withoutSlot)
            EXPECT_EQ(KeyMapSlot(position), (Bytes{0, 0, 0})) << "a slot no position has stays as read";
        const std::optional<sim::SimMacros> sent = sim::DecodeMacroImage(firmware_->ReadRegion(SimRegion::Macros));
        EXPECT_EQ(sent.has_value() ? sent->size() : 0u, c.used.size());
        EXPECT_EQ(Lines(kUploaded), 1);
    }
}

// A "not reachable" answer at any step of the macro upload fails it: the key
// map is not written and the window is told.
TEST_F(MouseKeyMapTest, UnreachableReceiverFailsTheUploadAndKeepsTheKeyMapBack) {
    struct Case {
        const char* step;
        int skip;  // link queries answered before the one that says "unreachable"
    };
    for (const Case& c : {Case{"before the information block", 0}, Case{"before the sequence", 1},
                          Case{"before the image", 2}, Case{"before the end", 3}}) {
        SCOPED_TRACE(c.step);
        WriteMacros({MakeEvents(2)});
        CMorvaneMouseDevice& m = Connected(SimLink::Receiver);
        Assign(0, {macros::kMacroKeyType, 0, 0});
        firmware_->QueueCommandFault(cmd::kLinkQuery, sim::SimFault::ReceiverNoDevice, 1, c.skip);
        EXPECT_EQ(m.UploadMacros(m.UsedMacros()), macros::kMacrosFailed);

        firmware_->QueueCommandFault(cmd::kLinkQuery, sim::SimFault::ReceiverNoDevice, 1, c.skip);
        m.UploadMacrosAndKeyMap();
        WaitForUpload();
        EXPECT_EQ(Lines(Line(DeviceMessage::kMacrosRefused, -1)), 1);
        EXPECT_EQ(Lines(kNotUploaded), 1);
        EXPECT_EQ(FrameCount(cmd::kWriteKeyMap), 0u);
        EXPECT_EQ(Lines("post 3332 " + kRow + " " + std::to_string(protocol::ToInt(Status::WriteFailed))), 0)
            << "the refusal is said once, by its own message";
    }
}

// Two units (256 bytes) of macro memory and 16 + 12 + 4 x 68 = 300 bytes of
// macros: 12 records too many, and nothing is written.
TEST_F(MouseKeyMapTest, MacrosTooLargeForTheMouseAreNotSent) {
    WriteMacros({MakeEvents(16), MakeEvents(52)});
    CMorvaneMouseDevice& m = Connected(SimLink::Cable, [](sim::SimFirmware& firmware) {
        ASSERT_TRUE(firmware.WriteRegion(SimRegion::Info, CMorvaneMouseDevice::kMacroUnitsByte, Bytes{2}));
    });
    Assign(3, {macros::kMacroKeyType, 0, 0});
    Assign(4, {macros::kMacroKeyType, 1, 0});

    EXPECT_EQ(m.UploadMacros(m.UsedMacros()), 12);
    m.UploadMacrosAndKeyMap();
    WaitForUpload();

    EXPECT_EQ(Lines(Line(DeviceMessage::kMacrosRefused, 12)), 1);
    EXPECT_EQ(Lines(kNotUploaded), 1);
    EXPECT_EQ(FrameCount(cmd::kWriteMacros), 0u);
    EXPECT_EQ(FrameCount(cmd::kWriteKeyMap), 0u);
    EXPECT_EQ(FrameCount(cmd::kSequenceBegin), 0u);
}

// A profile whose key names a macro the list no longer has: on loading, the
// key runs its default again, and that is what reaches the mouse.
TEST_F(MouseKeyMapTest, KeyOnAMacroTheListLacksIsRepairedWhenTheProfileLoads) {
    WriteMacros({MakeEvents(1), MakeEvents(2), MakeEvents(3)});
    CMorvaneMouseDevice& m = Connected();
    const std::string id = m.AddProfile();
    ASSERT_FALSE(id.empty());
    const std::string path = platform::ProfileFilePath(platform::UserDataFolder("mouse"), id);
    profiles::CJsonFileStore store;
    Json::Value document = store.ReadJson(path);
    document["Device"][0]["KeyList"][6]["Assignment"] = profiles::PackKeyCode({macros::kMacroKeyType, 5, 0});
    document["Device"][0]["KeyList"][2]["Assignment"] = profiles::PackKeyCode({macros::kMacroKeyType, 1, 0});
    ASSERT_EQ(store.WriteJson(path, document), profiles::WriteStatus::Ok);

    EXPECT_EQ(m.SelectProfile(id), std::optional<DeviceStatus>(Status::Ok));
    WaitForUpload();

    ASSERT_EQ(m.KeyList().size(), mouse::kKeyPositions);
    EXPECT_EQ(m.KeyList()[6].assignment, mouse::kFactoryKeyCodes[6]) << "macro 5 of 3";
    EXPECT_EQ(m.KeyList()[2].assignment, (profiles::KeyCode{macros::kMacroKeyType, 1, 0}));
    EXPECT_EQ(KeyMapSlot(m.PositionSlot(6)), CodeBytes(mouse::kFactoryKeyCodes[6]));
    EXPECT_EQ(KeyMapSlot(m.PositionSlot(2)), (Bytes{macros::kMacroKeyType, 0, 0}));
}

// Every way of switching or resetting the profile uploads once.
TEST_F(MouseKeyMapTest, ProfileSwitchOrResetSendsOneKeyMap) {
    struct Case {
        const char* name;
        std::function<void(CMorvaneMouseDevice&, const std::string& added)> run;
    };
    const Case cases[] = {
        {"select",
         [](CMorvaneMouseDevice& m, const std::string& added) {
             EXPECT_EQ(m.SelectProfile(added), std::optional<DeviceStatus>(Status::Ok));
         }},
        {"reset the profile",
         [](CMorvaneMouseDevice& m, const std::string&) { EXPECT_EQ(m.ResetProfile(), Status::Ok); }},
        {"defaults", [](CMorvaneMouseDevice& m, const std::string&) { EXPECT_EQ(m.ResetToDefaults(), Status::Ok); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteMacros({MakeEvents(2)});
        CMorvaneMouseDevice& m = Connected();
        const std::string added = m.AddProfile();
        ASSERT_FALSE(added.empty());
        firmware_->ClearFrames();

        c.run(m, added);
        WaitForUpload();

        EXPECT_EQ(FrameCount(cmd::kWriteKeyMap), 1u) << "33 bytes: one frame, one upload";
        EXPECT_EQ(Lines(kUploaded), 1);
    }
}

// While an upload runs, the mouse is held: a power read is skipped, and a
// settings write is queued until the upload's sequence has ended.
TEST_F(MouseKeyMapTest, UploadHoldsTheMouseUntilItsSequenceEnds) {
    WriteMacros({MakeEvents(8)});
    CMorvaneMouseDevice& m = Connected(SimLink::Receiver);
    Assign(1, {macros::kMacroKeyType, 0, 0});
    firmware_->SetReceiverDelay(25ms);  // a slow link keeps the upload going

    EXPECT_FALSE(m.Hold());
    m.UploadMacrosAndKeyMap();
    ASSERT_TRUE(testing::Eventually([&] { return m.Hold(); }, kWait));
    EXPECT_TRUE(m.Uploading());
    m.ReadPowerState();
    EXPECT_EQ(FrameCount(cmd::kReadSmall), 0u) << "skipped, not queued";
    EXPECT_EQ(m.SetReportRate(2), Status::Ok);  // queued behind the upload
    WaitForUpload();
    EXPECT_FALSE(m.Hold());

    const std::vector<Transfer> sent = Transfers();
    const auto last = [&](std::uint8_t command) {
        const auto found =
            std::ranges::find_if(sent.rbegin(), sent.rend(), [&](const Transfer& t) { return t.command == command; });
        return std::distance(found, sent.rend()) - 1;
    };
    const auto first = [&](std::uint8_t command) {
        return std::ranges::find_if(sent, [&](const Transfer& t) { return t.command == command; }) - sent.begin();
    };
    ASSERT_LT(last(cmd::kWriteKeyMap), static_cast<std::ptrdiff_t>(sent.size()));
    EXPECT_GT(first(cmd::kWriteAt), last(cmd::kWriteKeyMap)) << "the settings record came after the key map";
    EXPECT_EQ(sent[static_cast<std::size_t>(last(cmd::kWriteKeyMap)) + 2].command, cmd::kSequenceEnd)
        << "the upload's sequence ended before the record's began";
    EXPECT_EQ(Lines(kUploaded), 1);

    firmware_->SetReceiverDelay(0ms);
    m.ReadPowerState();
    EXPECT_EQ(FrameCount(cmd::kReadSmall), 1u) << "read again once the upload is over";
}

// A settings change made on the page while an upload runs returns at once
// (the upload is still going when it does) and reaches the mouse after the
// upload's sequence: the window never waits for an upload.
TEST_F(MouseKeyMapTest, SettingsWriteDuringAnUploadReturnsAtOnceAndFollowsIt) {
    struct Case {
        const char* name;
        std::function<DeviceStatus(CMorvaneMouseDevice&)> change;
        // Where the change shows in the settings memory, and its bytes there,
        // from the mouse's copy once changed.
        std::function<std::pair<std::size_t, Bytes>(const CMorvaneMouseDevice&)> expected;
    };
    const auto stageBytes = [](int stage) {
        return [stage](const CMorvaneMouseDevice& m) {
            const std::uint16_t dpi = m.Stages()[static_cast<std::size_t>(stage)].dpiX;
            return std::pair{mouse::record::kStages + mouse::record::kStageSize * static_cast<std::size_t>(stage) + 2,
                             Bytes{static_cast<std::uint8_t>(dpi & 0xFF), static_cast<std::uint8_t>(dpi >> 8)}};
        };
    };
    const Case cases[] = {
        {"a DPI stage typed", [](CMorvaneMouseDevice& m) { return m.SetDpiStage(3, 4850); }, stageBytes(3)},
        {"a DPI slider moved", [](CMorvaneMouseDevice& m) { return m.SetDpiStagePosition(1, 42); }, stageBytes(1)},
        {"the lighting",
         [](CMorvaneMouseDevice& m) {
             profiles::LightInfo light = m.RunningLight();
             light.Light = light.Light == 2 ? 3 : 2;
             return m.SetLighting(light);
         },
         [](const CMorvaneMouseDevice& m) {
             return std::pair{mouse::record::kBrightness, Bytes{m.RunningLight().Light}};
         }},
        {"the report rate", [](CMorvaneMouseDevice& m) { return m.SetReportRate(3); },
         [](const CMorvaneMouseDevice&) {
             return std::pair{mouse::record::kReportRate, Bytes{3}};
         }},
    };
    const auto settingsAt = [this](std::size_t at, std::size_t n) {
        const Bytes all = firmware_->ReadRegion(SimRegion::Settings);
        return Bytes(all.begin() + static_cast<std::ptrdiff_t>(at), all.begin() + static_cast<std::ptrdiff_t>(at + n));
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMorvaneMouseDevice& m = UploadingSlowly();

        EXPECT_EQ(c.change(m), Status::Ok) << "queued";
        EXPECT_TRUE(m.Uploading()) << "returned while the upload still runs";
        EXPECT_EQ(FrameCount(cmd::kWriteAt), 0u);
        const auto [at, bytes] = c.expected(m);
        EXPECT_NE(settingsAt(at, bytes.size()), bytes) << "the change is not on the mouse yet";

        WaitForUpload();
        EXPECT_EQ(settingsAt(at, bytes.size()), bytes);
        ExpectAfterTheUpload(cmd::kWriteAt);
        EXPECT_EQ(Span(Transfers(), cmd::kWriteAt)->second, Span(Transfers(), cmd::kWriteAt)->first) << "one record";
        EXPECT_EQ(m.LastWriteStatus(), Status::Ok);
        EXPECT_EQ(Lines(kUploaded), 1);
    }
}

// Changes made one after the other during an upload go out as one record,
// the last: a waiting record is replaced, never sent after a newer one.
TEST_F(MouseKeyMapTest, LaterSettingsWriteReplacesTheOneWaitingBehindAnUpload) {
    CMorvaneMouseDevice& m = UploadingSlowly();
    EXPECT_EQ(m.SetReportRate(1), Status::Ok);
    EXPECT_EQ(m.SetReportRate(3), Status::Ok);
    EXPECT_EQ(m.SetDpiStagePosition(2, 40), Status::Ok);
    EXPECT_TRUE(m.Uploading());
    WaitForUpload();

    EXPECT_EQ(FrameCount(cmd::kSequenceBegin), 3u) << "macros, key map, one record";
    const Bytes settings = firmware_->ReadRegion(SimRegion::Settings);
    EXPECT_EQ(settings[mouse::record::kReportRate], 3);
    EXPECT_EQ(settings[mouse::record::kStages + mouse::record::kStageSize * 2 + 2], 40);

    // With nothing uploading the write is the caller's again, with its status.
    firmware_->SetReceiverDelay(0ms);
    firmware_->QueueCommandFault(cmd::kWriteAt, sim::SimFault::StatusFF);
    EXPECT_EQ(m.SetReportRate(2), Status::RefusedFF);
    EXPECT_EQ(m.LastWriteStatus(), Status::RefusedFF);
}

// A read of the mouse asked for during an upload (a resynchronisation the
// mouse asked for, a new connection) does not wait for it: it is skipped, and
// its timer is armed again once the upload is over; run then, it reads the
// mouse after the upload's sequence.
TEST_F(MouseKeyMapTest, ReadDuringAnUploadIsArmedAgainAfterIt) {
    struct Case {
        const char* name;
        std::function<void(CMorvaneMouseDevice&)> read;  // what the timer runs
        std::string rearmed;
        std::uint8_t command;  // the first read of it
        // Whether the read took in the mouse with `stage` active.
        std::function<bool(const CMorvaneMouseDevice&, int stage)> done;
    };
    const Case cases[] = {
        {"resynchronise", [](CMorvaneMouseDevice& m) { m.Resynchronise(); },
         "arm " + std::to_string(Number(TimerId::kResync)) + " 50", cmd::kReadAt,
         [](const CMorvaneMouseDevice& m, int stage) { return m.ActiveStage() == stage; }},
        {"connect", [](CMorvaneMouseDevice& m) { m.Connect(); },
         "arm " + std::to_string(Number(TimerId::kFirstSync)) + " 50", cmd::kReadKeyMap,
         [](const CMorvaneMouseDevice& m, int) { return m.KeyMapRead(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMorvaneMouseDevice& m = UploadingSlowly();
        // The user moved the mouse to another stage: the record says so.
        const std::uint8_t stage = m.ActiveStage() == 3 ? 2 : 3;
        ASSERT_TRUE(firmware_->WriteRegion(SimRegion::Settings, mouse::record::kActiveStage, Bytes{stage}));

        c.read(m);
        EXPECT_TRUE(m.Uploading()) << "returned while the upload still runs";
        EXPECT_FALSE(c.done(m, stage));
        EXPECT_EQ(Lines(c.rearmed), 0) << "not before the upload is over";
        WaitForUpload();
        EXPECT_EQ(FrameCount(c.command), 0u) << "skipped";
        EXPECT_EQ(Lines(c.rearmed), 1);

        c.read(m);  // the timer fires
        EXPECT_TRUE(c.done(m, stage));
        ExpectAfterTheUpload(c.command);
        EXPECT_EQ(Lines(c.rearmed), 1) << "owed once, armed once";
    }
}

// Without a key map read since the mouse connected nothing is written: the
// window still learns that the upload ended.
TEST_F(MouseKeyMapTest, KeyMapNotReadIsNeverWritten) {
    struct Case {
        const char* name;
        std::function<void(sim::SimFirmware&)> prepare;
    };
    const Case cases[] = {
        {"key map read refused",
         [](sim::SimFirmware& f) { f.QueueCommandFault(cmd::kReadKeyMap, sim::SimFault::StatusFF); }},
        {"more key slots than 512 bytes hold", [](sim::SimFirmware& f) { f.SetKeySlots(171); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteMacros({MakeEvents(2)});
        CMorvaneMouseDevice& m = Connected(SimLink::Cable, c.prepare);
        EXPECT_FALSE(m.KeyMapRead());
        Assign(0, {macros::kMacroKeyType, 0, 0});
        m.UploadMacrosAndKeyMap();
        WaitForUpload();
        EXPECT_TRUE(Transfers().empty());
        EXPECT_EQ(Lines(Line(DeviceMessage::kKeyMapUploaded, protocol::ToInt(Status::ReadFailed))), 1);
    }
}

// Assignments are the device's and the profile's in memory; the panel's
// selection is remembered.
TEST_F(MouseKeyMapTest, AssignmentsAndSelectionStayInMemory) {
    CMorvaneMouseDevice& m = Connected();
    IKeyMap* keys = m.Capability<IKeyMap>();
    ASSERT_EQ(keys, static_cast<IKeyMap*>(&m));
    EXPECT_EQ(keys->SelectedKey(), -1);
    keys->SelectKey(4);
    EXPECT_EQ(keys->SelectedKey(), 4);
    ASSERT_EQ(keys->FactoryCodes().size(), mouse::kKeyPositions);
    EXPECT_EQ(keys->FactoryCodes()[9], mouse::kFactoryKeyCodes[9]);

    const std::string before = profiles::CJsonFileStore().ReadText(m.GetProfilePath());
    Assign(4, mouse::kFactoryKeyCodes[0]);
    keys->SetKeyAssignment(static_cast<int>(mouse::kKeyPositions), {11, mouse::kFactoryKeyCodes[0], 11, {}});
    keys->SetKeyAssignment(-1, {0, mouse::kFactoryKeyCodes[1], 0, {}});  // no such positions
    EXPECT_EQ(keys->KeyList()[0].assignment, mouse::kFactoryKeyCodes[0]);
    EXPECT_EQ(keys->KeyList()[4].assignment, mouse::kFactoryKeyCodes[0]);
    EXPECT_EQ(keys->KeyList().size(), mouse::kKeyPositions);
    EXPECT_EQ(profiles::CJsonFileStore().ReadText(m.GetProfilePath()), before) << "not saved";
    m.SaveProfile();
    EXPECT_EQ(profiles::CJsonFileStore().ReadJson(m.GetProfilePath())["Device"][0]["KeyList"][4]["Assignment"].asInt(),
              profiles::PackKeyCode(mouse::kFactoryKeyCodes[0]))
        << "the profile in memory has it";
    EXPECT_TRUE(Transfers().empty()) << "nothing written to the mouse";
}

}  // namespace
}  // namespace vandrel::devices
