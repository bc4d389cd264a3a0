// The keyboard's tables as the device code builds them from what the keyboard
// reports: position maps, the light record both ways, the key-map image with
// its macro numbering, and the colour page.
#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "devices/keyboard/key_map_image.h"
#include "devices/keyboard/keyboard_keys.h"
#include "devices/keyboard/keyboard_record.h"
#include "macros/macro_image.h"

namespace vandrel::devices::keyboard {
namespace {

using profiles::KeyCode;
using profiles::KeyColour;
using profiles::KeyEntry;
using profiles::LightInfo;
using profiles::LightMode;

// A key map of `slots` slots holding the factory codes of `positions`, in that order.
std::vector<std::uint8_t> KeyMapOf(const std::vector<std::size_t>& positions) {
    std::vector<std::uint8_t> bytes;
    for (const std::size_t position : positions) {
        const KeyCode& code = FactoryKeyCodes()[position];
        bytes.insert(bytes.end(), {code.type, code.code1, code.code2});
    }
    return bytes;
}

TEST(KeyboardKeys, FactoryCodesAreThoseOfTheDefaultProfile) {
    std::ifstream file(VANDREL_DEFAULT_DATA_DIR "keyboard.Json");
    Json::Value root;
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), file, &root, nullptr));
    const Json::Value& keys = root["Device"][0]["KeyList"];
    ASSERT_EQ(keys.size(), kPositions);
    for (Json::ArrayIndex position = 0; position < keys.size(); ++position)
        EXPECT_EQ(profiles::PackKeyCode(FactoryKeyCodes()[position]), keys[position]["DefaultAssignment"].asInt())
            << "position " << position;
}

TEST(KeyboardKeys, PositionsFindTheirSlotAndLedInWhatTheKeyboardReports) {
    // Slots: 0 A (position 64), 1 an unused code equal to the empty keys'
    // (0x20, 0, 0), 2 Esc (0), 3 A again, 4 B (89) beyond the slots read.
    std::vector<std::uint8_t> keyMap = KeyMapOf({64, 18, 0, 64, 89});
    const std::vector<std::uint8_t> ledMap{7, 3, 180, 9, 11};
    const PositionMaps maps = BuildPositionMaps(keyMap, ledMap, 4);

    EXPECT_EQ(maps.keySlot[64], 0);  // the first slot holding its code
    EXPECT_EQ(maps.ledSlot[64], 7);
    EXPECT_EQ(maps.keySlot[0], 2);
    EXPECT_EQ(maps.ledSlot[0], kNoSlot);   // LED 180: beyond what a colour page holds
    EXPECT_EQ(maps.keySlot[89], kNoSlot);  // only the slots read are searched
    for (const std::size_t empty : kEmptyPositions) {
        EXPECT_EQ(maps.keySlot[empty], kNoSlot) << empty;
        EXPECT_EQ(maps.ledSlot[empty], kNoSlot) << empty;
    }
    EXPECT_EQ(maps.PositionOfSlot(2), std::optional<std::size_t>(0));
    EXPECT_EQ(maps.PositionOfSlot(1), std::nullopt);
    EXPECT_EQ(maps.PositionOfSlot(kNoSlot), std::nullopt);

    // More slots claimed than bytes read: only whole slots count.
    keyMap.resize(7);
    EXPECT_EQ(BuildPositionMaps(keyMap, ledMap, 200).keySlot[64], 0);
    EXPECT_EQ(BuildPositionMaps(keyMap, ledMap, 200).keySlot[0], kNoSlot);
}

TEST(KeyboardKeys, GivenKeySlotsTakeTheLedOfTheirSlot) {
    // Key slots chosen elsewhere (learned at an earlier connection): A at
    // slot 2, Esc at slot 0, B at slot 1 whose LED is beyond a colour page,
    // and an empty position named a slot, which it never takes.
    KeySlots slots;
    slots.fill(kNoSlot);
    slots[64] = 2;
    slots[0] = 0;
    slots[89] = 1;
    slots[kEmptyPositions[0]] = 3;
    const std::vector<std::uint8_t> ledMap{7, 170, 9, 11};
    const PositionMaps maps = MapsOfKeySlots(slots, ledMap);

    struct Case {
        std::size_t position;
        std::uint8_t key;
        std::uint8_t led;
    };
    for (const Case& c : {Case{64, 2, 9}, Case{0, 0, 7}, Case{89, 1, kNoSlot},
                          Case{kEmptyPositions[0], kNoSlot, kNoSlot}, Case{65, kNoSlot, kNoSlot}}) {
        EXPECT_EQ(maps.keySlot[c.position], c.key) << c.position;
        EXPECT_EQ(maps.ledSlot[c.position], c.led) << c.position;
    }
}

const std::vector<LightMode> kModes{{u"off", true, 0x10}, {u"wave", true, 0x21}, {u"breath", true, 0x35}};

TEST(KeyboardRecord, BuildsTheBytesTheKeyboardKeeps) {
    struct Case {
        LightInfo light;
        KeyboardSystem system;
        std::vector<std::pair<std::size_t, std::uint8_t>> bytes;  // offset, value
    };
    const Case cases[] = {
        {{.SelectItem = 2, .Light = 3, .Speed = 1, .Fx = 1, .MultiColor = 1, .Red = 9, .Green = 8, .Blue = 7},
         {},
         {{1, 0x35}, {2, 3}, {3, 3}, {4, 1}, {5, 1}, {6, 9}, {7, 8}, {8, 7}}},
        {{.SelectItem = 31, .Speed = 0}, {}, {{1, 0x10}, {3, 4}}},  // beyond the list: entry 0's code
        {{.Speed = 4}, {}, {{1, 0x10}, {3, 0}}},
        {{.Speed = 9}, {}, {{1, 0x10}, {3, 0}}},  // never wraps below 0
        {{.ZZCCLedMode = 2, .CustomGroup = 5},
         {.Key6Flag = 1, .PollingRate = 2, .WFlag = 0x101, .WinFlag = 1},
         {{1, 0x10}, {3, 4}, {18, 2}, {19, 1}, {20, 1}, {21, 1}, {22, 2}, {26, 5}}},
    };
    for (const Case& c : cases) {
        const LightRecord bytes = BuildLightRecord(c.light, c.system, kModes);
        LightRecord expected{};
        for (const auto& [offset, value] : c.bytes) expected[offset] = value;
        EXPECT_EQ(bytes, expected) << "effect " << int{c.light.SelectItem} << " speed " << int{c.light.Speed};
    }
    EXPECT_EQ(BuildLightRecord({}, {}, {})[record::kEffectCode], 0);  // no list at all
}

TEST(KeyboardRecord, ReadsTheKeyboardsBytesWithinTheirRanges) {
    const LightInfo sent{.SelectItem = 2,
                         .Light = 3,
                         .Speed = 3,
                         .Fx = 1,
                         .MultiColor = 0,
                         .Red = 255,
                         .ZZCCLedMode = 3,
                         .CustomGroup = 4};
    const KeyboardSystem system{.Key6Flag = 1, .WFlag = 1, .WinFlag = 1};
    const ReadLightRecord back = ParseLightRecord(BuildLightRecord(sent, system, kModes), kModes, 8);
    EXPECT_EQ(back.light, sent);
    EXPECT_EQ(back.Key6Flag, 1);
    EXPECT_EQ(back.WFlag, 1);
    EXPECT_EQ(back.WinFlag, 1);

    // Hostile bytes: an unknown code stays the effect number, brightness and
    // speed clamp to 0..4, a group the page does not offer reads as 0.
    LightRecord hostile{};
    hostile[record::kEffectCode] = 200;
    hostile[record::kBrightness] = 9;
    hostile[record::kSpeed] = 7;
    hostile[record::kColourGroup] = 250;
    const ReadLightRecord read = ParseLightRecord(hostile, kModes, 8);
    EXPECT_EQ(read.light.SelectItem, 200);
    EXPECT_EQ(read.light.Light, 4);
    EXPECT_EQ(read.light.Speed, 0);
    EXPECT_EQ(read.light.CustomGroup, 0);
}

TEST(KeyboardRecord, SystemSettingsTravelAsThreeWords) {
    const KeyboardSystem system{
        .Repeat = 31, .RepeatDelay = 3, .Key6Flag = 1, .PollingRate = 2, .WFlag = 1, .WinFlag = 1};
    EXPECT_EQ(ToWords(system), (profiles::SystemWords{3u << 16 | 31, 2u << 16 | 1, 1u << 16 | 1}));
    EXPECT_EQ(SystemFromWords(ToWords(system)), system);
}

TEST(KeyMapImage, WritesEachPositionsAssignmentIntoItsSlot) {
    // Slots: 0 B (89), 1 A (64), 2 C (87), 3 D (66); position 65 (S) has none.
    const std::vector<std::uint8_t> keyMap = KeyMapOf({89, 64, 87, 66});
    const PositionMaps maps = BuildPositionMaps(keyMap, std::vector<std::uint8_t>{0, 1, 2, 3}, 4);
    const KeyCode a = FactoryKeyCodes()[64];
    const KeyCode b = FactoryKeyCodes()[89];
    const KeyCode macro5{macros::kMacroKeyType, 5, 0};
    const KeyCode macro2{macros::kMacroRepeatKeyType, 2, 1};
    const KeyCode macroTooFar{macros::kMacroKeyType, 9, 0};
    const std::vector<KeyEntry> keys{
        {.index = 64, .assignment = b, .defaultIndex = 64, .defaultAssignment = a},        // A does B
        {.index = 87, .assignment = macro5, .defaultIndex = 87, .defaultAssignment = {}},  // first macro used
        {.index = 66, .assignment = macro2, .defaultIndex = 66, .defaultAssignment = {}},  // second
        {.index = 89, .assignment = macroTooFar, .defaultIndex = 89, .defaultAssignment = b},
        {.index = 65, .assignment = b, .defaultIndex = 65, .defaultAssignment = {}},  // no slot: left out
        {.index = 300, .assignment = b, .defaultIndex = 0, .defaultAssignment = {}},  // no such position
    };
    const KeyMapImage image = BuildKeyMapImage(keyMap, maps, keys, 6);
    const auto slot = [&](std::size_t s) {
        return KeyCode{image.bytes[s * 3], image.bytes[s * 3 + 1], image.bytes[s * 3 + 2]};
    };
    EXPECT_EQ(slot(0), b);  // the macro beyond the list: B's default
    EXPECT_EQ(slot(1), b);  // A's slot carries B's code
    EXPECT_EQ(slot(2), (KeyCode{macros::kMacroKeyType, 0, 0}));
    EXPECT_EQ(slot(3), (KeyCode{macros::kMacroRepeatKeyType, 1, 1}));
    EXPECT_EQ(image.macroOrder, (std::vector<std::uint8_t>{5, 2}));
    EXPECT_TRUE(std::all_of(image.bytes.begin() + 12, image.bytes.end(), [](std::uint8_t b) { return b == 0; }));

    // The same macro twice keeps one number; no macros at all: none to send.
    const std::vector<KeyEntry> twice{{.index = 64, .assignment = macro5, .defaultIndex = 64, .defaultAssignment = {}},
                                      {.index = 89, .assignment = macro5, .defaultIndex = 89, .defaultAssignment = {}}};
    EXPECT_EQ(BuildKeyMapImage(keyMap, maps, twice, 6).macroOrder, (std::vector<std::uint8_t>{5}));
    const KeyMapImage none = BuildKeyMapImage(keyMap, maps, twice, 0);
    EXPECT_TRUE(none.macroOrder.empty());
    EXPECT_EQ((KeyCode{none.bytes[3], none.bytes[4], none.bytes[5]}), KeyCode{});  // A's default ({})
}

TEST(ColourPage, PutsEachColourAtItsLedAndNothingBeyondThePage) {
    // A at LED 169 (the last the page holds), Esc at LED 0; B's LED 170 is none.
    const std::vector<std::uint8_t> keyMap = KeyMapOf({64, 0, 89});
    const PositionMaps maps = BuildPositionMaps(keyMap, std::vector<std::uint8_t>{169, 0, 170}, 3);
    std::vector<KeyColour> colours(kPositions);
    colours[64] = {.red = 255, .green = 128, .blue = 2, .alpha = 128};
    colours[0] = {.red = 10, .green = 20, .blue = 30, .alpha = 255};
    colours[89] = {.red = 99, .green = 99, .blue = 99, .alpha = 255};

    const DevicePage scaled = BuildColourPage(colours, maps, true);
    EXPECT_EQ(scaled[507], 127);
    EXPECT_EQ(scaled[508], 64);
    EXPECT_EQ(scaled[509], 1);
    EXPECT_EQ(scaled[0], 9);  // 10 x 255 / 256
    EXPECT_EQ(scaled[510], 0);
    EXPECT_EQ(scaled[511], 0);
    EXPECT_EQ(std::count(scaled.begin(), scaled.end(), 99), 0);

    const DevicePage plain = BuildColourPage(colours, maps, false);
    EXPECT_EQ(plain[507], 255);
    EXPECT_EQ(plain[508], 128);
    EXPECT_EQ(plain[1], 20);
}

}  // namespace
}  // namespace vandrel::devices::keyboard
