// The keyboard end to end: a CMorvaneKeyboardDevice as the device manager
// builds it, talking to the simulated keyboard over the cable or the
// receiver, keeping its profile in a real temporary user folder
// ($XDG_DATA_HOME) with the shipped templates, its writes on its command
// worker and its effects on its lighting thread.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <json/json.h>

#include "devices/key_slot_memory.h"
#include "devices/keyboard/keyboard_device.h"
#include "devices/keyboard/keyboard_keys.h"
#include "devices/keyboard/keyboard_page.h"
#include "lighting/light_control.h"
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

constexpr device_io::KindRow kKeyboardRow = device_io::KindRow::Keyboard;
constexpr auto kWait = 2s;
constexpr std::size_t kSimKeySlots = 144;
constexpr std::size_t kPageSize = 512;
// Key positions of the page: A and B, and one without a key on the simulated keyboard.
constexpr std::size_t kKeyA = 64;
constexpr std::size_t kKeyB = 89;
constexpr std::size_t kNoKeyPosition = 62;
const std::string kNotifiedLine = "arm 1003 10";
const std::string kResyncLine = "arm 1002 50";

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

Bytes Slice(const Bytes& bytes, std::size_t at, std::size_t n) {
    if (at + n > bytes.size()) return {};
    return {bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + n)};
}

Bytes CodeBytes(const profiles::KeyCode& code) { return {code.type, code.code1, code.code2}; }

// The device code of effect `effect` in the keyboard's light-mode list (list 0).
std::uint8_t ModeCode(int effect) {
    const Json::Value names = profiles::CJsonFileStore().ReadJson(platform::DefaultLightNamesPath());
    return static_cast<std::uint8_t>(names["DefaultLightName"][0][effect]["value"].asInt());
}

// The simulated keyboard's own numbering of a key position: its key slot and
// LED slot (kNoSlot for none).
struct SimSlots {
    std::uint8_t key = keyboard::kNoSlot;
    std::uint8_t led = keyboard::kNoSlot;
};
SimSlots SimSlotsOf(std::size_t position) {
    const sim::SimModel& model = sim::ModelOf(SimKind::Keyboard);
    for (std::size_t slot = 0; slot < model.slotKeys.size(); ++slot)
        if (model.slotKeys[slot] == position) return {static_cast<std::uint8_t>(slot), model.slotLeds[slot]};
    return {};
}

// A light record of onboard profile byte 0: effect code, brightness, speed
// byte, colour group; red.
Bytes LightRecordBytes(std::uint8_t code, std::uint8_t brightness, std::uint8_t speedByte, std::uint8_t group) {
    Bytes record(keyboard::kLightRecordSize, 0);
    record[keyboard::record::kEffectCode] = code;
    record[keyboard::record::kBrightness] = brightness;
    record[keyboard::record::kSpeed] = speedByte;
    record[keyboard::record::kRed] = 0xFF;
    record[keyboard::record::kColourGroup] = group;
    return record;
}

// The keyboard page as far as the device reads it: the lighting panel and the Fn key.
void BuildKeyboardPage(testing::FakePageView& page) {
    namespace lc = lighting::light_controls;
    page.Add("keyboard_layout").className = "SelectPanel";  // the picture of the keys
    page.Add("light_panel").className = std::string(keyboard::controls::kLightPanelClass);
    for (const std::string_view name : {lc::kModeCombo, lc::kCustomCombo, lc::kBrightness, lc::kSpeed, lc::kRed,
                                        lc::kGreen, lc::kBlue, lc::kPalette, lc::kSevenColour, lc::kLeft, lc::kRight})
        page.Add(name).parent = "light_panel";
    page.Add(keyboard::controls::kFnKey);
}

class KeyboardDeviceTest : public ::testing::Test {
protected:
    KeyboardDeviceTest() { platform::SetDefaultDataFolder(VANDREL_DEFAULT_DATA_DIR); }
    ~KeyboardDeviceTest() override {
        keyboard_.reset();
        platform::SetDefaultDataFolder("");
    }

    // A keyboard object as the device manager builds it, without a page.
    CMorvaneKeyboardDevice& Make() {
        keyboard_.reset();
        keyboard_ = std::make_unique<CMorvaneKeyboardDevice>(backend_, &ticks_);
        CMorvaneKeyboardDevice& k = *keyboard_;
        k.SetPageLayoutName("XML/DeviceXml/keyboarddevice.xml");
        k.SetKeyCount(170);
        k.SetLedCount(170);
        k.SetKindRow(kKeyboardRow);
        k.SetKindName("keyboard");
        k.SetLightNameIndex(0);
        k.SetLightConfigName("zelbor_light");
        k.SetHost(&host_);
        return k;
    }

    // Plugs the keyboard on `link`, as it left the factory, and opens the
    // vendor channel there.
    sim::SimFirmware& Open(SimLink link) {
        sim::SimFirmware& firmware = backend_.Plug(SimKind::Keyboard, link);
        const sim::SimMemory factory = sim::FactoryMemory(SimKind::Keyboard);
        for (std::size_t region = 0; region < sim::kSimRegionCount; ++region)
            EXPECT_TRUE(firmware.WriteRegion(static_cast<SimRegion>(region), 0, factory[region]));
        firmware.SetLinkReachable(true);
        firmware.ClearFaults();
        return OpenChannel(link);
    }

    // Opens the vendor channel of the keyboard plugged on `link`, as it is.
    sim::SimFirmware& OpenChannel(SimLink link) {
        sim::SimFirmware& firmware = *backend_.Firmware(SimKind::Keyboard);
        const bool receiver = link == SimLink::Receiver;
        device_io::DeviceIdentity identity;
        identity.deviceType = receiver ? device_io::DeviceType::KeyboardReceiver : device_io::DeviceType::Keyboard;
        keyboard_->SetIdentity(identity);
        protocol::CDeviceTransport& t = keyboard_->Transport();
        auto& channel = receiver ? t.WirelessChannel() : t.WiredChannel();
        EXPECT_TRUE(channel.OpenPath(sim::SimBackend::VendorPath(SimKind::Keyboard, link), true, true, true, false));
        t.SetLinkMode(receiver ? 2 : 1);
        t.SetOpen(true);
        firmware.ClearFrames();
        firmware_ = &firmware;
        return firmware;
    }

    // A keyboard object on its page.
    CMorvaneKeyboardDevice& Build() {
        CMorvaneKeyboardDevice& k = Make();
        page_ = testing::FakePageView();
        BuildKeyboardPage(page_);
        k.Attach(page_);
        return k;
    }

    // Made (on its page with `onPage`), opened on `link` and connected; the
    // frame log starts empty.
    CMorvaneKeyboardDevice& Connected(SimLink link = SimLink::Cable, bool onPage = false) {
        if (onPage) Build();
        else Make();
        Open(link);
        keyboard_->Connect();
        firmware_->ClearFrames();
        return *keyboard_;
    }

    // The companion collection of `link` opened: notifications arrive.
    void Listen(SimLink link = SimLink::Cable) {
        ASSERT_TRUE(keyboard_->OpenCompanion(sim::SimBackend::CompanionPath(SimKind::Keyboard, link),
                                             link == SimLink::Receiver));
    }

    // Waits until the command worker has written what was posted.
    void WaitForWrites() const {
        ASSERT_TRUE(testing::Eventually([this] { return keyboard_->CommandsIdle(); }, kWait));
    }

    std::string ProfilePath() const { return keyboard_->GetProfilePath(); }
    std::string ProfileText() const { return profiles::CJsonFileStore().ReadText(ProfilePath()); }
    Json::Value Section() const { return profiles::CJsonFileStore().ReadJson(ProfilePath())["Device"][0]; }
    // Changes the section of profile file `path` through `change`.
    template <typename Change>
    static void EditProfile(const std::string& path, Change change) {
        profiles::CJsonFileStore store;
        Json::Value document = store.ReadJson(path);
        change(document["Device"][0]);
        ASSERT_EQ(store.WriteJson(path, document), profiles::WriteStatus::Ok);
    }
    static std::string UserFile(std::string_view name) {
        return platform::UserDataFolder("keyboard") + std::string(name);
    }

    std::vector<Transfer> Transfers() const {
        std::vector<Transfer> transfers;
        for (const auto& record : firmware_->Frames()) {
            const auto& f = record.frame;
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
    Bytes Record(std::size_t profile = 0) const { return firmware_->Record(profile); }
    Bytes ColourPage(int group, std::size_t keySlots = kSimKeySlots) const {
        return Slice(firmware_->ReadRegion(SimRegion::ColourPages), static_cast<std::size_t>(group) * kPageSize,
                     keySlots * 3);
    }
    Bytes KeyMapSlot(std::uint8_t slot) const {
        return Slice(firmware_->ReadRegion(SimRegion::KeyMap), std::size_t{slot} * 3, 3);
    }
    int Lines(const std::string& line) const { return static_cast<int>(std::ranges::count(host_.Lines(), line)); }
    // True once `line` has been logged `count` times.
    bool WaitForLines(const std::string& line, int count) const {
        return testing::Eventually([&] { return Lines(line) >= count; }, kWait);
    }
    profiles::LightInfo Lighting(std::uint8_t effect) const {
        profiles::LightInfo light = keyboard_->RunningLight();
        light.SelectItem = effect;
        light.Light = 4;
        light.MultiColor = 0;
        light.Red = 0xFF;
        light.Green = 0;
        light.Blue = 0;
        return light;
    }

    testing::TempFolder data_;
    testing::ScopedEnv xdg_{"XDG_DATA_HOME", data_.Path()};
    sim::SimBackend backend_;
    platform::ManualTickSource ticks_;
    testing::FakeDeviceHost host_;
    testing::FakePageView page_;
    sim::SimFirmware* firmware_ = nullptr;
    std::unique_ptr<CMorvaneKeyboardDevice> keyboard_;
};

// --- Connecting ----------------------------------------------------------------------

TEST_F(KeyboardDeviceTest, ConnectReadsTheTablesAndFindsEachKeysSlotAndLed) {
    struct Case {
        const char* name;
        SimLink link;
        std::optional<std::uint8_t> keySlots;  // SetKeySlots; nothing: the model's 144
    };
    for (const Case& c : {Case{"cable", SimLink::Cable, std::nullopt},
                          Case{"receiver", SimLink::Receiver, std::nullopt}, Case{"170 slots", SimLink::Cable, 170}}) {
        SCOPED_TRACE(c.name);
        CMorvaneKeyboardDevice& k = Make();
        sim::SimFirmware& firmware = Open(c.link);
        if (c.keySlots) firmware.SetKeySlots(*c.keySlots);
        const int slots = c.keySlots.value_or(kSimKeySlots);

        k.Connect();

        const std::vector<Transfer> transfers = Transfers();
        ASSERT_GE(transfers.size(), 5u);
        EXPECT_EQ(std::vector<Transfer>(transfers.begin(), transfers.begin() + 5),
                  (std::vector<Transfer>{{cmd::kSequenceBegin, 0, 0},
                                         {cmd::kReadInfo, 34, 0},
                                         {cmd::kReadKeyMap, slots * 3, 0},
                                         {cmd::kReadLedMap, slots, 0},
                                         {cmd::kSequenceEnd, 0, 0}}));
        EXPECT_EQ(k.KeySlots(), static_cast<std::size_t>(slots));
        EXPECT_TRUE(k.KeyMapRead());
        const keyboard::PositionMaps maps = k.Maps();
        for (const std::size_t position : {std::size_t{0}, std::size_t{21}, kKeyA, kKeyB, std::size_t{125}}) {
            const SimSlots expected = SimSlotsOf(position);
            EXPECT_EQ(maps.keySlot[position], expected.key) << "position " << position;
            EXPECT_EQ(maps.ledSlot[position], expected.led) << "position " << position;
        }
        EXPECT_EQ(maps.keySlot[kNoKeyPosition], keyboard::kNoSlot);
        EXPECT_EQ(maps.ledSlot[kNoKeyPosition], keyboard::kNoSlot);
        EXPECT_EQ(maps.PositionOfSlot(SimSlotsOf(kKeyA).key), kKeyA);
        EXPECT_EQ(ProfilePath().rfind(data_.Path(), 0), 0u) << "the profile lives in the user folder";
    }
}

TEST_F(KeyboardDeviceTest, KeySlotsBeyondTheTablesAreNotReadAndNoKeyMapIsWritten) {
    CMorvaneKeyboardDevice& k = Make();
    sim::SimFirmware& firmware = Open(SimLink::Cable);
    firmware.SetKeySlots(171);  // 513 bytes: more than a table holds
    k.Connect();

    const std::vector<Transfer> transfers = Transfers();
    ASSERT_GE(transfers.size(), 3u);
    EXPECT_EQ(std::vector<Transfer>(transfers.begin(), transfers.begin() + 3),
              (std::vector<Transfer>{{cmd::kSequenceBegin, 0, 0}, {cmd::kReadInfo, 34, 0}, {cmd::kSequenceEnd, 0, 0}}))
        << "the sequence is closed all the same";
    EXPECT_EQ(FrameCount(cmd::kReadKeyMap), 0u);
    EXPECT_EQ(FrameCount(cmd::kReadLedMap), 0u);
    EXPECT_FALSE(k.KeyMapRead());
    EXPECT_EQ(k.Maps().keySlot[kKeyA], keyboard::kNoSlot);

    firmware.ClearFrames();
    EXPECT_EQ(k.UploadCurrentKeyMap(), Status::ReadFailed);
    static_cast<void>(k.SetLighting(Lighting(CMorvaneKeyboardDevice::kPerKeyEffect)));
    WaitForWrites();
    EXPECT_EQ(FrameCount(cmd::kWriteKeyMap), 0u);
    EXPECT_EQ(FrameCount(cmd::kWritePage), 0u) << "no colour page holds 171 keys";
}

TEST_F(KeyboardDeviceTest, KeyMapThatCouldNotBeReadIsNeverWritten) {
    CMorvaneKeyboardDevice& k = Make();
    sim::SimFirmware& firmware = Open(SimLink::Cable);
    firmware.QueueCommandFault(cmd::kReadKeyMap, sim::SimFault::StatusFF);
    k.Connect();
    EXPECT_FALSE(k.KeyMapRead());
    EXPECT_EQ(Transfers().back().command, cmd::kReadAt) << "connect went on to the light record";

    const std::string id = k.AddProfile();
    ASSERT_FALSE(id.empty());
    firmware.ClearFrames();
    EXPECT_EQ(k.SelectProfile(id), std::optional<DeviceStatus>(Status::Ok));
    EXPECT_EQ(k.UploadCurrentKeyMap(), Status::ReadFailed);
    WaitForWrites();
    EXPECT_EQ(FrameCount(cmd::kWriteKeyMap), 0u);
    EXPECT_EQ(FrameCount(cmd::kWriteAt), 1u) << "the light record still goes";
}

// --- Reading the light record ---------------------------------------------------------------

TEST_F(KeyboardDeviceTest, LightRecordOfTheActiveOnboardProfileBecomesTheLightingAndTheProfiles) {
    struct Case {
        const char* name;
        std::uint8_t onboard;
        Bytes record;
        std::optional<std::uint8_t> effect;  // nothing: whatever an unknown code reads as
        std::uint8_t brightness, speed, group;
    };
    const Case cases[] = {
        {"effect 5", 0, LightRecordBytes(ModeCode(5), 3, 1, 2), 5, 3, 3, 2},
        {"onboard profile 3", 3, LightRecordBytes(ModeCode(7), 1, 4, 0), 7, 1, 0, 0},
        {"hostile bytes", 0, LightRecordBytes(200, 9, 7, 250), std::nullopt, 4, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMorvaneKeyboardDevice& k = Connected(SimLink::Cable, /*onPage=*/true);
        if (c.onboard != 0) {
            // Record 0 keeps the factory's effect: only record n may be taken.
            firmware_->SetOnboardProfile(c.onboard);
        }
        ASSERT_TRUE(firmware_->WriteRecord(c.onboard, c.record));
        firmware_->ClearFrames();

        k.Resynchronise();

        EXPECT_EQ(Transfers(), (std::vector<Transfer>{{cmd::kReadAt, 1, 0}, {cmd::kReadAt, 27, c.onboard * 25}}));
        EXPECT_EQ(k.ActiveOnboardProfile(), c.onboard);
        const profiles::LightInfo light = k.RunningLight();
        EXPECT_EQ((std::array{light.Light, light.Speed, light.CustomGroup, light.Red}),
                  (std::array<std::uint8_t, 4>{c.brightness, c.speed, c.group, 0xFF}));
        const Json::Value info = Section()["LightInfo"];
        if (c.effect) {
            EXPECT_EQ(light.SelectItem, *c.effect);
            EXPECT_EQ(info["SelectItem"].asInt(), *c.effect);
            EXPECT_EQ(page_.CurrentIndex(lighting::light_controls::kModeCombo), *c.effect);
        }
        EXPECT_EQ(info["Light"].asInt(), c.brightness);
        EXPECT_EQ(info["Speed"].asInt(), c.speed);
        EXPECT_EQ(info["CustomGroup"].asInt(), c.group);
        EXPECT_EQ(page_.Value(lighting::light_controls::kBrightness), c.brightness);
        EXPECT_EQ(page_.Value(lighting::light_controls::kSpeed), c.speed);
        EXPECT_EQ(page_.CurrentIndex(lighting::light_controls::kCustomCombo), c.group);
        // The lighting thread plays whatever was read.
        ticks_.Advance(64);
    }
}

TEST_F(KeyboardDeviceTest, RecordReadThatTimesOutChangesNothingUntilTheNextResynchronisation) {
    for (const int skip : {0, 1}) {  // the onboard-profile byte, the record
        SCOPED_TRACE(skip == 0 ? "onboard-profile byte" : "record");
        CMorvaneKeyboardDevice& k = Connected();
        const std::string before = ProfileText();
        const profiles::LightInfo light = k.RunningLight();
        ASSERT_TRUE(firmware_->WriteRecord(0, LightRecordBytes(ModeCode(5), 3, 1, 2)));
        firmware_->QueueCommandFault(cmd::kReadAt, sim::SimFault::NoReply, 1, skip);

        k.Resynchronise();

        EXPECT_EQ(ProfileText(), before) << "byte for byte";
        EXPECT_EQ(k.RunningLight(), light);

        k.Resynchronise();
        EXPECT_EQ(k.RunningLight().SelectItem, 5);
        EXPECT_EQ(Section()["LightInfo"]["SelectItem"].asInt(), 5);
    }
}

// A resynchronisation the keyboard asks for while an upload has it neither
// waits for the upload nor reads inside its sequence: it is skipped, timer
// 1002 is armed again once the upload is over, and then the record is read.
TEST_F(KeyboardDeviceTest, ResynchronisationDuringAnUploadIsArmedAgainAfterIt) {
    CMorvaneKeyboardDevice& k = Connected();
    std::vector<macros::MacroEvent> events;
    for (std::size_t i = 0; i < 40; ++i)
        events.push_back({10, static_cast<std::uint8_t>(4 + i % 20), i % 2 == 0, static_cast<std::uint16_t>(i)});
    Json::Value list;
    list["MacroInfo"][0]["MacroName"] = "m";
    list["MacroInfo"][0]["Guid"] = "guid-0";
    ASSERT_EQ(macros::WriteMacroFile(UserFile("guid-0.mac"), {"m", "guid-0", events}), profiles::WriteStatus::Ok);
    ASSERT_EQ(profiles::CJsonFileStore().WriteJson(UserFile("macro.config"), list), profiles::WriteStatus::Ok);
    profiles::KeyEntry entry = k.KeyList()[kKeyA];
    entry.assignment = {macros::kMacroKeyType, 0, 0};
    k.SetKeyAssignment(static_cast<int>(kKeyA), entry);
    ASSERT_NE(k.RunningLight().SelectItem, 5);
    ASSERT_TRUE(firmware_->WriteRecord(0, LightRecordBytes(ModeCode(5), 3, 1, 2)));
    firmware_->SetReplyDelay(30ms);  // a slow keyboard keeps the upload going
    const std::string rearmed = "arm " + std::to_string(Number(TimerId::kResync)) + " 50";

    k.UploadMacrosAndKeyMap();
    ASSERT_TRUE(testing::Eventually([&] { return k.Hold(); }, kWait));
    k.Resynchronise();  // the keyboard asked for it: timer 1002 fires
    EXPECT_TRUE(k.Uploading()) << "returned while the upload still runs";
    EXPECT_NE(k.RunningLight().SelectItem, 5);
    EXPECT_EQ(Lines(rearmed), 0) << "not before the upload is over";
    ASSERT_TRUE(testing::Eventually([&] { return k.CommandsIdle(); }, 4 * kWait));
    EXPECT_EQ(FrameCount(cmd::kReadAt), 0u) << "nothing read inside the upload's sequences";
    EXPECT_EQ(Lines(rearmed), 1);

    firmware_->SetReplyDelay(0ms);
    k.Resynchronise();
    EXPECT_EQ(k.RunningLight().SelectItem, 5);
    const std::vector<Transfer> sent = Transfers();
    const auto keyMap = std::ranges::find(sent, cmd::kWriteKeyMap, &Transfer::command);
    const auto read = std::ranges::find(sent, cmd::kReadAt, &Transfer::command);
    ASSERT_NE(keyMap, sent.end());
    ASSERT_LT(keyMap + 1, sent.end());
    EXPECT_EQ((keyMap + 1)->command, cmd::kSequenceEnd);
    EXPECT_GT(read, keyMap + 1) << "read after the upload's sequence ended";
}

// --- Writing the light record -----------------------------------------------------------------

TEST_F(KeyboardDeviceTest, LightingGoesToTheKeyboardAsOneRecord) {
    CMorvaneKeyboardDevice& k = Connected();
    profiles::LightInfo light = Lighting(12);
    light.Light = 2;
    light.Speed = 1;
    light.Fx = 1;
    light.Red = 0x11;
    light.Green = 0x22;
    light.Blue = 0x33;
    light.CustomGroup = 3;

    EXPECT_EQ(k.SetLighting(light), Status::Ok);
    WaitForWrites();

    EXPECT_EQ(Transfers(),
              (std::vector<Transfer>{{cmd::kSequenceBegin, 0, 0}, {cmd::kWriteAt, 27, 0}, {cmd::kSequenceEnd, 0, 0}}));
    const Bytes record = Record(0);
    ASSERT_EQ(record.size(), keyboard::kLightRecordSize);
    EXPECT_EQ(record[1], ModeCode(12));
    EXPECT_EQ(Slice(record, 2, 7), (Bytes{2, 3, 1, 0, 0x11, 0x22, 0x33})) << "speed goes as 4 - speed";
    EXPECT_EQ(record[26], 3);
    EXPECT_EQ(Section()["LightInfo"]["SelectItem"].asInt(), 12);
    EXPECT_EQ(k.RunningLight(), light);
}

TEST_F(KeyboardDeviceTest, SpeedGoesAndComesBackTheSame) {
    for (const std::uint8_t speed : {std::uint8_t{0}, std::uint8_t{2}, std::uint8_t{4}}) {
        SCOPED_TRACE(int{speed});
        CMorvaneKeyboardDevice& k = Connected();
        profiles::LightInfo light = Lighting(5);
        light.Speed = speed;
        static_cast<void>(k.SetLighting(light));
        WaitForWrites();
        EXPECT_EQ(Record(0)[3], 4 - speed);

        light.Speed = speed == 0 ? 4 : 0;  // changed here only; the keyboard's comes back
        const profiles::LightWords words = profiles::ToWords(light);
        k.SetLighting(words[0], words[1], words[2], words[3]);
        k.Resynchronise();
        EXPECT_EQ(k.RunningLight().Speed, speed);
        EXPECT_EQ(Section()["LightInfo"]["Speed"].asInt(), speed);
    }
}

TEST_F(KeyboardDeviceTest, PerKeyEffectSendsItsColourPageAfterTheRecord) {
    struct Case {
        const char* name;
        std::optional<std::uint8_t> keySlots;
    };
    for (const Case& c : {Case{"144 slots", std::nullopt}, Case{"170 slots", 170}}) {
        SCOPED_TRACE(c.name);
        CMorvaneKeyboardDevice& k = Make();
        sim::SimFirmware& firmware = Open(SimLink::Cable);
        if (c.keySlots) firmware.SetKeySlots(*c.keySlots);
        k.Connect();
        firmware.ClearFrames();
        const int slots = c.keySlots.value_or(kSimKeySlots);
        profiles::LightInfo light = Lighting(CMorvaneKeyboardDevice::kPerKeyEffect);
        light.CustomGroup = 5;

        static_cast<void>(k.SetLighting(light));
        WaitForWrites();

        EXPECT_EQ(Transfers(), (std::vector<Transfer>{{cmd::kSequenceBegin, 0, 0},
                                                      {cmd::kWriteAt, 27, 0},
                                                      {cmd::kSequenceEnd, 0, 0},
                                                      {cmd::kWritePage, slots * 3, 5 * 512}}));
        EXPECT_EQ(Record(0)[1], ModeCode(CMorvaneKeyboardDevice::kPerKeyEffect));
    }
}

// --- Key map ----------------------------------------------------------------------------------

TEST_F(KeyboardDeviceTest, ProfileKeyAssignmentsLandInTheKeySlotsOfTheirKeys) {
    CMorvaneKeyboardDevice& k = Connected();
    const auto& factory = keyboard::FactoryKeyCodes();
    constexpr std::size_t kMacroKey = 30;
    const std::string id = k.AddProfile();
    ASSERT_FALSE(id.empty());
    EditProfile(platform::ProfileFilePath(platform::UserDataFolder("keyboard"), id), [&](Json::Value& section) {
        Json::Value& keys = section["KeyList"];
        keys[static_cast<Json::ArrayIndex>(kKeyA)]["Assignment"] = profiles::PackKeyCode(factory[kKeyB]);
        // A macro the (missing) macro list does not have: the key's default goes instead.
        keys[static_cast<Json::ArrayIndex>(kMacroKey)]["Assignment"] =
            profiles::PackKeyCode({macros::kMacroKeyType, 4, 0});
        keys[static_cast<Json::ArrayIndex>(kMacroKey)]["DefaultAssignment"] = profiles::PackKeyCode(factory[31]);
    });
    firmware_->ClearFrames();

    EXPECT_EQ(k.SelectProfile(id), std::optional<DeviceStatus>(Status::Ok));
    WaitForWrites();

    EXPECT_EQ(firmware_->FramesOf(cmd::kWriteKeyMap).size(), (kSimKeySlots * 3 + 55) / 56);
    EXPECT_EQ(KeyMapSlot(SimSlotsOf(kKeyA).key), CodeBytes(factory[kKeyB])) << "A sends B";
    EXPECT_EQ(KeyMapSlot(SimSlotsOf(kKeyB).key), CodeBytes(factory[kKeyB]));
    EXPECT_EQ(KeyMapSlot(SimSlotsOf(kMacroKey).key), CodeBytes(factory[31])) << "the macro key's default";
    EXPECT_EQ(KeyMapSlot(SimSlotsOf(0).key), CodeBytes(factory[0]));
    EXPECT_EQ(KeyMapSlot(140), (Bytes{0, 0, 0})) << "a slot without a key stays empty";
    EXPECT_EQ(k.UploadKeyMap(1, k.KeyList()), Status::BadBank);
}

// The key slots are learned at the first connection: a key given another
// function, or two keys swapped, keep their key slots, LEDs and key events
// when the keyboard connects again (a new object, as at the next start),
// and putting them back to their defaults writes the factory codes into
// those slots.
TEST_F(KeyboardDeviceTest, ChangedKeysKeepTheirSlotsAndLedsAtTheNextConnection) {
    const auto& factory = keyboard::FactoryKeyCodes();
    using Change = std::pair<std::size_t, profiles::KeyCode>;
    struct Case {
        const char* name;
        std::vector<Change> changes;
    };
    const Case cases[] = {
        {"a key given another function", {{kKeyA, {0x20, 0x01, 0x04}}}},  // A -> Ctrl+A
        {"two keys swapped", {{kKeyA, factory[kKeyB]}, {kKeyB, factory[kKeyA]}}},
    };
    const auto assign = [](CMorvaneKeyboardDevice& k, std::size_t position, const profiles::KeyCode& code) {
        const auto p = static_cast<std::uint16_t>(position);
        k.SetKeyAssignment(static_cast<int>(position), {p, code, p, keyboard::FactoryKeyCodes()[position]});
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(UserFile(kKeySlotsFileName));
        CMorvaneKeyboardDevice& first = Connected();
        for (const auto& [position, code] : c.changes) assign(first, position, code);
        ASSERT_EQ(first.UploadCurrentKeyMap(), Status::Ok);
        WaitForWrites();
        for (const auto& [position, code] : c.changes)
            ASSERT_EQ(KeyMapSlot(SimSlotsOf(position).key), CodeBytes(code)) << "the keyboard holds the change";

        CMorvaneKeyboardDevice& again = Make();
        OpenChannel(SimLink::Cable);
        again.Connect();
        const keyboard::PositionMaps maps = again.Maps();
        for (const auto& [position, code] : c.changes) {
            const SimSlots expected = SimSlotsOf(position);
            EXPECT_EQ(maps.keySlot[position], expected.key) << position;
            EXPECT_EQ(maps.ledSlot[position], expected.led) << position;
            EXPECT_EQ(maps.PositionOfSlot(expected.key), position) << "its key events";
            assign(again, position, factory[position]);
        }
        ASSERT_EQ(again.UploadCurrentKeyMap(), Status::Ok);
        WaitForWrites();
        for (const auto& [position, code] : c.changes)
            EXPECT_EQ(KeyMapSlot(SimSlotsOf(position).key), CodeBytes(factory[position]))
                << "back to its default, in its own slot";
    }
}

TEST_F(KeyboardDeviceTest, MacrosOfTheMacroListAreNumberedInTheOrderTheyAreFirstUsed) {
    CMorvaneKeyboardDevice& k = Connected();
    const auto& factory = keyboard::FactoryKeyCodes();
    Json::Value list;
    for (const char* name : {"a", "b", "c"}) {
        Json::Value macro;
        macro["MacroName"] = name;
        macro["Guid"] = std::string("guid-") + name;
        list["MacroInfo"].append(macro);
    }
    ASSERT_EQ(profiles::CJsonFileStore().WriteJson(UserFile("macro.config"), list), profiles::WriteStatus::Ok);
    struct Use {
        std::size_t position;
        profiles::KeyCode assignment;
        Bytes sent;
    };
    const Use uses[] = {
        {40, {macros::kMacroKeyType, 2, 0}, {macros::kMacroKeyType, 0, 0}},
        {41, {macros::kMacroRepeatKeyType, 0, 0}, {macros::kMacroRepeatKeyType, 1, 0}},
        {43, {macros::kMacroKeyType, 2, 0}, {macros::kMacroKeyType, 0, 0}},
        {44, {macros::kMacroKeyType, 3, 0}, CodeBytes(factory[44])},  // beyond the list
    };
    const std::string id = k.AddProfile();
    EditProfile(platform::ProfileFilePath(platform::UserDataFolder("keyboard"), id), [&](Json::Value& section) {
        for (const Use& use : uses)
            section["KeyList"][static_cast<Json::ArrayIndex>(use.position)]["Assignment"] =
                profiles::PackKeyCode(use.assignment);
    });

    EXPECT_EQ(k.SelectProfile(id), std::optional<DeviceStatus>(Status::Ok));
    WaitForWrites();

    for (const Use& use : uses) EXPECT_EQ(KeyMapSlot(SimSlotsOf(use.position).key), use.sent) << use.position;
    // Loading repaired the key on a macro the list does not have.
    ASSERT_GT(k.KeyList().size(), 44u);
    EXPECT_EQ(k.KeyList()[44].assignment, factory[44]);
    EXPECT_EQ(k.KeyList()[40].assignment, (profiles::KeyCode{macros::kMacroKeyType, 2, 0}));
}

// The macros the keys run reach the keyboard before the key map that names
// them; macros too large for its memory keep the key map back and say by how
// many records.
TEST_F(KeyboardDeviceTest, MacrosGoOutBeforeTheKeyMapAndWithinTheKeyboardsMemory) {
    CMorvaneKeyboardDevice& k = Connected();
    const auto events = [](std::size_t count) {
        std::vector<macros::MacroEvent> list;
        for (std::size_t i = 0; i < count; ++i)
            list.push_back({10, static_cast<std::uint8_t>(4 + i % 20), i % 2 == 0, static_cast<std::uint16_t>(i)});
        return list;
    };
    Json::Value list;
    const std::vector<std::vector<macros::MacroEvent>> files{events(3), events(16), events(52)};
    for (std::size_t m = 0; m < files.size(); ++m) {
        const std::string id = "guid-" + std::to_string(m);
        list["MacroInfo"][static_cast<Json::ArrayIndex>(m)]["MacroName"] = "m" + std::to_string(m);
        list["MacroInfo"][static_cast<Json::ArrayIndex>(m)]["Guid"] = id;
        ASSERT_EQ(macros::WriteMacroFile(UserFile(id + ".mac"), {"m", id, files[m]}), profiles::WriteStatus::Ok);
    }
    ASSERT_EQ(profiles::CJsonFileStore().WriteJson(UserFile("macro.config"), list), profiles::WriteStatus::Ok);
    const auto useMacros = [&](std::initializer_list<std::uint8_t> numbers) {
        const std::string id = k.AddProfile();
        EditProfile(platform::ProfileFilePath(platform::UserDataFolder("keyboard"), id), [&](Json::Value& section) {
            Json::ArrayIndex position = 40;
            for (const std::uint8_t number : numbers)
                section["KeyList"][position++]["Assignment"] =
                    profiles::PackKeyCode({macros::kMacroKeyType, number, 0});
        });
        firmware_->ClearFrames();
        EXPECT_EQ(k.SelectProfile(id), std::optional<DeviceStatus>(Status::Ok));
        WaitForWrites();
    };

    useMacros({0});
    std::vector<std::uint8_t> commands;
    for (const auto& record : firmware_->Frames()) {
        const std::uint8_t command = record.frame[frame::kCommand];
        if (command == cmd::kReadInfo || command == cmd::kSequenceBegin || command == cmd::kSequenceEnd ||
            command == cmd::kWriteMacros || command == cmd::kWriteKeyMap)
            if (commands.empty() || commands.back() != command || command == cmd::kSequenceBegin)
                commands.push_back(command);
    }
    const std::vector<std::uint8_t> expected{cmd::kSequenceBegin, cmd::kSequenceEnd,  // the light record
                                             cmd::kReadInfo,      cmd::kSequenceBegin, cmd::kWriteMacros,
                                             cmd::kSequenceEnd,   cmd::kReadInfo,      cmd::kSequenceBegin,
                                             cmd::kWriteKeyMap,   cmd::kSequenceEnd};
    EXPECT_EQ(commands, expected);
    const std::optional<sim::SimMacros> sent = sim::DecodeMacroImage(firmware_->ReadRegion(SimRegion::Macros));
    ASSERT_TRUE(sent.has_value());
    ASSERT_EQ(sent->size(), 1u);
    ASSERT_EQ((*sent)[0].size(), 3u);
    EXPECT_EQ((*sent)[0][2], (sim::SimMacroRecord{2, 0x8A, 6})) << "macro 0's third event";
    EXPECT_EQ(KeyMapSlot(SimSlotsOf(40).key), (Bytes{macros::kMacroKeyType, 0, 0}));

    // Two units (256 bytes) of macro memory and 16 + 12 + 4 x 68 = 300 bytes of macros.
    ASSERT_TRUE(firmware_->WriteRegion(SimRegion::Info, CMorvaneKeyboardDevice::kMacroUnitsByte, Bytes{2}));
    useMacros({1, 2});
    EXPECT_TRUE(host_.WaitForLine("post 3333 1 12", kWait));
    EXPECT_EQ(FrameCount(cmd::kWriteMacros), 0u);
    EXPECT_EQ(FrameCount(cmd::kWriteKeyMap), 0u) << "the key map waits for its macros";
}

// The keyboard offers its keys as the mouse does: assignments kept in memory,
// the macro list of the keys with a key slot, and one upload per profile
// switch whose end the window is told.
TEST_F(KeyboardDeviceTest, KeyMapCapabilityListsTheMacrosAndUploadsOncePerSwitch) {
    CMorvaneKeyboardDevice& k = Connected();
    IKeyMap* keys = k.Capability<IKeyMap>();
    ASSERT_EQ(keys, static_cast<IKeyMap*>(&k));
    ASSERT_EQ(keys->FactoryCodes().size(), keyboard::kPositions);
    EXPECT_EQ(keys->FactoryCodes()[kKeyA], keyboard::FactoryKeyCodes()[kKeyA]);
    EXPECT_EQ(keys->SelectedKey(), -1);
    keys->SelectKey(kKeyB);
    EXPECT_EQ(keys->SelectedKey(), static_cast<int>(kKeyB));

    Json::Value list;
    for (const char* name : {"a", "b", "c"}) list["MacroInfo"].append(Json::Value(Json::objectValue))["Guid"] = name;
    ASSERT_EQ(profiles::CJsonFileStore().WriteJson(UserFile("macro.config"), list), profiles::WriteStatus::Ok);
    const auto assign = [&](std::size_t position, const profiles::KeyCode& code) {
        profiles::KeyEntry entry = k.KeyList()[position];
        entry.assignment = code;
        keys->SetKeyAssignment(static_cast<int>(position), entry);
    };
    assign(40, {macros::kMacroKeyType, 2, 0});
    assign(kNoKeyPosition, {macros::kMacroKeyType, 1, 0});  // no key slot: not sent, not listed
    assign(43, {macros::kMacroRepeatKeyType, 0, 3});
    EXPECT_EQ(keys->UsedMacros(), (Bytes{2, 0}));
    EXPECT_EQ(k.KeyList()[kNoKeyPosition].assignment, (profiles::KeyCode{macros::kMacroKeyType, 1, 0}));

    const std::string id = k.AddProfile();
    ASSERT_FALSE(id.empty());
    firmware_->ClearFrames();
    EXPECT_EQ(k.SelectProfile(id), std::optional<DeviceStatus>(Status::Ok));
    WaitForWrites();
    EXPECT_FALSE(keys->Uploading());
    const auto keyMapWrites = std::ranges::count(Transfers(), cmd::kWriteKeyMap, &Transfer::command);
    EXPECT_EQ(keyMapWrites, 1);
    EXPECT_EQ(Lines("post 3334 " + std::to_string(device_io::KindRowNumber(kKeyboardRow)) + " " +
                    std::to_string(protocol::ToInt(Status::Ok))),
              1);
}

TEST_F(KeyboardDeviceTest, DefaultsPutTheTemplatesLightingAndKeysBackOnTheKeyboard) {
    CMorvaneKeyboardDevice& k = Connected();
    const auto& factory = keyboard::FactoryKeyCodes();
    const std::string templateText = profiles::CJsonFileStore().ReadText(platform::DefaultTemplatePath("keyboard"));
    const std::string id = k.AddProfile();
    EditProfile(platform::ProfileFilePath(platform::UserDataFolder("keyboard"), id), [&](Json::Value& section) {
        section["KeyList"][static_cast<Json::ArrayIndex>(kKeyA)]["Assignment"] = profiles::PackKeyCode(factory[kKeyB]);
        section["LightInfo"]["SelectItem"] = 9;
    });
    ASSERT_EQ(k.SelectProfile(id), std::optional<DeviceStatus>(Status::Ok));
    WaitForWrites();
    ASSERT_EQ(KeyMapSlot(SimSlotsOf(kKeyA).key), CodeBytes(factory[kKeyB]));

    EXPECT_EQ(k.ResetToDefaults(), Status::Ok);
    WaitForWrites();

    EXPECT_EQ(KeyMapSlot(SimSlotsOf(kKeyA).key), CodeBytes(factory[kKeyA]));
    EXPECT_EQ(Slice(Record(0), 1, 3), (Bytes{ModeCode(1), 4, 2})) << "the template's effect 1, brightness 4, speed 2";
    EXPECT_EQ(Section()["LightInfo"]["SelectItem"].asInt(), 1);
    EXPECT_EQ(Section()["KeyList"][static_cast<Json::ArrayIndex>(kKeyA)]["Assignment"].asInt(),
              profiles::PackKeyCode(factory[kKeyA]));
    EXPECT_EQ(profiles::CJsonFileStore().ReadText(platform::DefaultTemplatePath("keyboard")), templateText)
        << "the template stays as shipped";
}

// --- Notifications ----------------------------------------------------------------------------

// 0x402 says the keyboard's settings and profile changed: the resynchronisation
// it arms reads the profile file again, whatever other notifications came
// between.
TEST_F(KeyboardDeviceTest, ProfileChangeNoticeReloadsTheProfileFromItsFile) {
    struct Case {
        const char* name;
        std::vector<std::uint16_t> after;  // sent after 0x402
    };
    for (const Case& c : {Case{"alone", {}}, Case{"then a key press", {0x0509, 0x0609}}}) {
        SCOPED_TRACE(c.name);
        CMorvaneKeyboardDevice& k = Connected();
        Listen();
        const auto& factory = keyboard::FactoryKeyCodes();
        EditProfile(ProfilePath(), [&](Json::Value& section) {
            section["SystemStages"]["Repeat"] = 7;
            section["KeyList"][static_cast<Json::ArrayIndex>(kKeyA)]["Assignment"] =
                profiles::PackKeyCode(factory[kKeyB]);
        });
        ASSERT_TRUE(firmware_->WriteRecord(0, LightRecordBytes(ModeCode(5), 3, 1, 2)));

        const int notified = Lines(kNotifiedLine);
        const int resyncs = Lines(kResyncLine);
        firmware_->SendNotificationValue(sim::notice::kReadProfilesAgain);
        for (const std::uint16_t usage : c.after) firmware_->SendNotificationValue(usage);
        firmware_->SendNotificationValue(0x1000);  // seen last: the ones before have been taken
        ASSERT_TRUE(WaitForLines(kNotifiedLine, notified + 1));
        EXPECT_EQ(Lines(kResyncLine), resyncs + 1);
        k.Resynchronise();  // the host fires timer 1002

        EXPECT_EQ(k.System().Repeat, 7);
        EXPECT_EQ(k.KeyList()[kKeyA].assignment, factory[kKeyB]);
        EXPECT_EQ(k.RunningLight().SelectItem, 5) << "and the keyboard's record on top";
        const Json::Value section = Section();
        EXPECT_EQ(section["SystemStages"]["Repeat"].asInt(), 7) << "the file's change is kept";
        EXPECT_EQ(section["LightInfo"]["SelectItem"].asInt(), 5);
    }
}

TEST_F(KeyboardDeviceTest, OnboardProfileNoticesSelectTheProfileAndArmTimer1003) {
    struct Case {
        const char* name;
        std::uint16_t usage;
        int onboard;
    };
    for (const Case& c : {Case{"high byte 0x10", 0x1003, 3}, Case{"high byte 0x11", 0x1105, 5},
                          Case{"bit 7, profile in the high byte", 0x8600, 6}, Case{"bit 7 again", 0xC2FF, 2}}) {
        SCOPED_TRACE(c.name);
        CMorvaneKeyboardDevice& k = Connected();
        Listen();
        const int notified = Lines(kNotifiedLine);
        firmware_->SendNotificationValue(c.usage);
        ASSERT_TRUE(WaitForLines(kNotifiedLine, notified + 1));
        EXPECT_EQ(k.ActiveOnboardProfile(), c.onboard);
    }
}

TEST_F(KeyboardDeviceTest, NoticesAtOrBelow0x401ChangeNothing) {
    CMorvaneKeyboardDevice& k = Connected();
    Listen();
    const std::string before = ProfileText();
    const profiles::LightInfo light = k.RunningLight();
    for (const std::uint16_t usage : {0x0000, 0x0003, 0x0085, 0x0110, 0x0401}) firmware_->SendNotificationValue(usage);
    firmware_->SendNotificationValue(sim::notice::kReadProfilesAgain);  // the last one
    ASSERT_TRUE(testing::Eventually([&] { return Lines(kResyncLine) == 2; })) << "0x401 and 0x402 arm timer 1002";
    EXPECT_EQ(Lines(kNotifiedLine), 0);
    EXPECT_EQ(k.ActiveOnboardProfile(), 0);
    EXPECT_EQ(ProfileText(), before);
    EXPECT_EQ(k.RunningLight(), light);
}

// --- Colour groups and key colours ----------------------------------------------------------

TEST_F(KeyboardDeviceTest, KeyColoursArePaintedOnlyInThePerKeyEffect) {
    CMorvaneKeyboardDevice& k = Connected();
    static_cast<void>(k.SetLighting(Lighting(6)));
    WaitForWrites();
    firmware_->ClearFrames();
    const std::string before = ProfileText();
    const std::array<int, 1> keyA{static_cast<int>(kKeyA)};

    EXPECT_EQ(k.PaintKeys(keyA), Status::Ok);
    EXPECT_EQ(k.FillColourGroup(true), Status::Ok);
    WaitForWrites();
    EXPECT_TRUE(firmware_->Frames().empty());
    EXPECT_EQ(ProfileText(), before);

    profiles::LightInfo light = Lighting(CMorvaneKeyboardDevice::kPerKeyEffect);
    light.CustomGroup = 2;
    static_cast<void>(k.SetLighting(light));
    EXPECT_EQ(k.FillColourGroup(false), Status::Ok);
    WaitForWrites();
    EXPECT_EQ(ColourPage(2), Bytes(kSimKeySlots * 3, 0)) << "a black page";
    firmware_->ClearFrames();

    EXPECT_EQ(k.PaintKeys(keyA), Status::Ok);
    WaitForWrites();
    EXPECT_EQ(Transfers(), (std::vector<Transfer>{{cmd::kWritePage, static_cast<int>(kSimKeySlots * 3), 2 * 512}}));
    const Bytes page = ColourPage(2);
    const std::size_t led = SimSlotsOf(kKeyA).led;
    EXPECT_EQ(Slice(page, led * 3, 3), (Bytes{0xFF, 0x00, 0x00})) << "at A's LED";
    EXPECT_EQ(std::ranges::count(page, 0), static_cast<std::ptrdiff_t>(page.size() - 1)) << "nothing else";
    const Json::Value colour = Section()["CustomLightMode"]["LightColorInfo"][2][static_cast<Json::ArrayIndex>(kKeyA)];
    EXPECT_EQ(colour["Red"].asInt(), 0xFF);
    EXPECT_EQ(colour["Green"].asInt(), 0);
    EXPECT_EQ(colour["Blue"].asInt(), 0);

    EXPECT_EQ(k.FillColourGroup(false), Status::Ok);
    WaitForWrites();
    EXPECT_EQ(ColourPage(2), Bytes(kSimKeySlots * 3, 0));
    EXPECT_EQ(Section()["CustomLightMode"]["LightColorInfo"][2][static_cast<Json::ArrayIndex>(kKeyA)]["Red"].asInt(),
              0);
}

// --- System settings ---------------------------------------------------------------------------

TEST_F(KeyboardDeviceTest, SystemSettingsAreStoredAndTheFlagsWritten) {
    using SS = SystemSetting;
    struct Case {
        const char* name;
        std::optional<SS> setting;  // nothing: the report rate
        int value;
        const char* member;               // of "SystemStages"
        std::optional<std::size_t> byte;  // of the record
        int stored;
    };
    const Case cases[] = {
        {"Windows-key lock", SS::WindowsKeyLock, 1, "WinFlag", keyboard::record::kWinLock, 1},
        {"Windows-key lock, any non-zero", SS::WindowsKeyLock, 5, "WinFlag", keyboard::record::kWinLock, 1},
        {"report rate", std::nullopt, 2, "PollingRate", keyboard::record::kPollingRate, 2},
        {"six-key mode", SS::SixKeyMode, 1, "Key6Flag", keyboard::record::kKey6Flag, 1},
        {"arrows on WASD", SS::ArrowKeysOnWasd, 1, "WFlag", keyboard::record::kWFlag, 1},
        {"repeat delay", SS::KeyRepeatDelay, 3, "RepeatDelay", std::nullopt, 3},
        {"repeat rate", SS::KeyRepeatRate, 12, "Repeat", std::nullopt, 12},
    };
    CMorvaneKeyboardDevice& k = Connected();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes before = Record(0);
        const DeviceStatus status = c.setting ? k.SetSystemValue(*c.setting, c.value) : k.SetReportRate(c.value);
        EXPECT_EQ(status, Status::Ok);
        WaitForWrites();
        EXPECT_EQ(Section()["SystemStages"][c.member].asInt(), c.stored);
        Bytes expected = before;
        if (c.byte) expected[*c.byte] = static_cast<std::uint8_t>(c.stored);
        EXPECT_EQ(Record(0), expected);
        // And back to 0 for the next case.
        static_cast<void>(c.setting ? k.SetSystemValue(*c.setting, 0) : k.SetReportRate(0));
        WaitForWrites();
    }
}

TEST_F(KeyboardDeviceTest, SystemValuesOutOfRangeChangeNothing) {
    using SS = SystemSetting;
    struct Case {
        const char* name;
        std::optional<SS> setting;
        int value;
    };
    const Case cases[] = {
        {"report rate 4", std::nullopt, 4},           {"report rate -1", std::nullopt, -1},
        {"repeat delay 4", SS::KeyRepeatDelay, 4},    {"repeat delay -1", SS::KeyRepeatDelay, -1},
        {"repeat rate 32", SS::KeyRepeatRate, 32},    {"repeat rate -1", SS::KeyRepeatRate, -1},
        {"the pointer's speed", SS::PointerSpeed, 5},
    };
    CMorvaneKeyboardDevice& k = Connected();
    const std::string before = ProfileText();
    const Bytes record = Record(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DeviceStatus status = c.setting ? k.SetSystemValue(*c.setting, c.value) : k.SetReportRate(c.value);
        EXPECT_EQ(status, Status::Ok);
        WaitForWrites();
        EXPECT_EQ(ProfileText(), before);
        EXPECT_TRUE(firmware_->Frames().empty());
        EXPECT_EQ(Record(0), record);
    }
}

// --- Failed writes -------------------------------------------------------------------------------

TEST_F(KeyboardDeviceTest, FailedRecordWriteKeepsTheSettingAndIsReportedOnce) {
    CMorvaneKeyboardDevice& k = Connected();
    const std::string notice = "post " + std::to_string(Number(DeviceMessage::kSettingsWriteFailed)) + " " +
                               std::to_string(device_io::KindRowNumber(kKeyboardRow)) + " " +
                               std::to_string(protocol::ToInt(Status::RefusedFF));
    const auto write = [&](int rate) {
        EXPECT_EQ(k.SetReportRate(rate), Status::Ok) << "queued";
        WaitForWrites();
    };
    firmware_->QueueCommandFault(cmd::kWriteAt, sim::SimFault::StatusFF, 2);

    write(1);
    EXPECT_EQ(Section()["SystemStages"]["PollingRate"].asInt(), 1);
    write(2);
    EXPECT_EQ(Section()["SystemStages"]["PollingRate"].asInt(), 2);
    EXPECT_EQ(Lines(notice), 1) << "one notice while the keyboard keeps refusing";
    EXPECT_EQ(Transfers().back().command, cmd::kSequenceEnd) << "the sequence is closed after a failure";

    write(3);
    EXPECT_EQ(Record(0)[keyboard::record::kPollingRate], 3);
    firmware_->QueueCommandFault(cmd::kWriteAt, sim::SimFault::StatusFF);
    write(0);
    EXPECT_EQ(Lines(notice), 2) << "a new failure after a success is reported again";
    EXPECT_EQ(Section()["SystemStages"]["PollingRate"].asInt(), 0);
}

// --- Lighting thread, power, link, page ------------------------------------------------------

TEST_F(KeyboardDeviceTest, KeyPressLightsItsKeyInTheReactiveEffectOnly) {
    CMorvaneKeyboardDevice& k = Connected();
    Listen();
    const std::uint8_t slotA = SimSlotsOf(kKeyA).key;

    // Static: the press changes nothing.
    static_cast<void>(k.SetLighting(Lighting(6)));
    ASSERT_TRUE(testing::Eventually([&] { return k.Leds().Get(kKeyA).brightness > 0; }));
    // The step of the effect before may still be due: time moves until the
    // thread has painted the static effect and parked.
    ASSERT_TRUE(testing::Eventually([&] {
        ticks_.Advance(1);
        return !ticks_.WaitForWaiter(0ms).has_value();
    })) << "static: parked";
    std::this_thread::sleep_for(20ms);
    const std::uint64_t painted = k.Leds().Version();
    firmware_->SendKeyEvent(slotA, sim::SimKeyEvent::Press);
    firmware_->SendNotificationValue(0x1000);
    ASSERT_TRUE(host_.WaitForLine(kNotifiedLine, kWait));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(k.Leds().Version(), painted);
    firmware_->SendKeyEvent(slotA, sim::SimKeyEvent::Release);

    // Reactive: the key lights up, and fades once released.
    static_cast<void>(k.SetLighting(Lighting(7)));
    ASSERT_TRUE(testing::Eventually([&] { return k.Leds().Get(kKeyA).brightness == 0; }));
    firmware_->SendKeyEvent(slotA, sim::SimKeyEvent::Press);
    EXPECT_TRUE(testing::Eventually([&] { return k.Leds().Get(kKeyA).brightness > 0; }, kWait));
    EXPECT_EQ(k.Leds().Get(kKeyB).brightness, 0);
    firmware_->SendKeyEvent(slotA, sim::SimKeyEvent::Release);
    EXPECT_TRUE(testing::Eventually(
        [&] {
            ticks_.Advance(1);
            return k.Leds().Get(kKeyA).brightness == 0;
        },
        kWait))
        << "faded";

    k.SetHostLighting(true);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(FrameCount(cmd::kLightStream), 0u) << "the keyboard plays its effects itself";
}

TEST_F(KeyboardDeviceTest, PowerStateIsReadAndPosted) {
    CMorvaneKeyboardDevice& k = Connected();
    firmware_->SetPowerState({40, 1, 0, 0, 7, 0});
    std::vector<PowerReport> reports;
    k.SetPowerSink([&](std::span<const std::uint8_t> r) {
        PowerReport report{};
        std::copy_n(r.begin(), std::min(r.size(), report.size()), report.begin());
        reports.push_back(report);
    });

    k.ReadPowerState();

    EXPECT_EQ(Transfers(), (std::vector<Transfer>{{cmd::kReadSmall, 6, 0}}));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], (PowerReport{40, 1, 0, 0, 7, 0}));
    EXPECT_EQ(k.LastPowerReport(), reports[0]);
    EXPECT_EQ(Lines("post " + std::to_string(Number(DeviceMessage::kPowerState)) + " 7 0"), 1);
}

TEST_F(KeyboardDeviceTest, LinkIsReachableWhenTheReceiverSaysSo) {
    struct Case {
        const char* name;
        SimLink link;
        bool reachable;
        protocol::LinkState state;
    };
    for (const Case& c : {Case{"receiver, out of reach", SimLink::Receiver, false, protocol::LinkState::Unreachable},
                          Case{"receiver, in reach", SimLink::Receiver, true, protocol::LinkState::Reachable},
                          Case{"cable", SimLink::Cable, false, protocol::LinkState::Reachable}}) {
        SCOPED_TRACE(c.name);
        CMorvaneKeyboardDevice& k = Connected(c.link);
        firmware_->SetLinkReachable(c.reachable);
        EXPECT_EQ(k.CheckLink(), c.state);
        k.Transport().SetOpen(false);
        EXPECT_EQ(k.CheckLink(), protocol::LinkState::Unreachable) << "closed";
    }
}

TEST_F(KeyboardDeviceTest, FnKeyIsUsableOnTheLightingSectionOnly) {
    CMorvaneKeyboardDevice& k = Build();
    Open(SimLink::Cable);
    k.ShowPageSection(2);
    EXPECT_FALSE(page_.Enabled("key_110"));
    k.ShowPageSection(1);
    EXPECT_TRUE(page_.Enabled("key_110"));
}

}  // namespace
}  // namespace vandrel::devices
