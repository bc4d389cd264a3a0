// The mouse's settings record, its lighting codes and the key-position map,
// byte by byte against the layout the mouse reads.
#include <vector>

#include <gtest/gtest.h>

#include "devices/mouse/mouse_record.h"

namespace vandrel::devices::mouse {
namespace {

// Codes that differ from the indexes, so that a code is never mistaken for one.
std::vector<profiles::LightMode> Modes() {
    std::vector<profiles::LightMode> modes;
    for (int i = 0; i < 10; ++i) modes.push_back({u"mode", true, 20 + i});
    return modes;
}

profiles::DpiStage Stage(std::uint16_t x, std::uint16_t y, std::uint8_t tint) {
    return {1,
            static_cast<std::uint8_t>(x != y),
            x,
            y,
            tint,
            static_cast<std::uint8_t>(tint + 1),
            static_cast<std::uint8_t>(tint + 2)};
}

TEST(MouseSettingsRecord, IsBuiltFromTheProfileByteByByte) {
    const std::vector<profiles::DpiStage> stages{Stage(7, 7, 0x10), Stage(300, 310, 0x20), Stage(0, 0, 0x30),
                                                 Stage(63, 63, 0x40), Stage(519, 519, 0x50)};
    const std::vector<profiles::Correction> corrections{{9, 8, 0, u"off"}, {30, 12, 1, u"on"}, {40, 13, 1, u"later"}};
    RecordSource source;
    source.byte0 = 0;
    source.byte59 = 1;
    source.screenWidth = 2560;
    source.screenHeight = 1440;
    source.light = {
        .SelectItem = 2, .Light = 3, .Speed = 1, .Fx = 1, .MultiColor = 1, .Red = 0xAB, .Green = 0xCD, .Blue = 0xEF};
    source.modeCode = ModeCode(Modes(), source.light.SelectItem);
    source.reportRate = 4;
    source.activeStage = 3;
    source.stages = stages;
    source.corrections = corrections;

    const SettingsRecord r = BuildSettingsRecord(source);

    const std::vector<std::uint8_t> head(r.begin(), r.begin() + 14);
    EXPECT_EQ(head, (std::vector<std::uint8_t>{0, 22, 3, 3, 1, 1, 0xAB, 0xCD, 0xEF, 0, 0, 4, 3, 0}));
    const std::vector<std::uint8_t> stage1(r.begin() + 14 + 9, r.begin() + 14 + 18);
    EXPECT_EQ(stage1, (std::vector<std::uint8_t>{1, 1, 0x2C, 0x01, 0x36, 0x01, 0x20, 0x21, 0x22}));
    EXPECT_EQ(r[14 + 9 * 4 + 2], 0x07) << "stage 4 X = 519 low byte";
    EXPECT_EQ(r[14 + 9 * 4 + 3], 0x02);
    EXPECT_EQ(r[59], 1);
    const std::vector<std::uint8_t> tail(r.begin() + 60, r.end());
    EXPECT_EQ(tail, (std::vector<std::uint8_t>{0x00, 0x0A, 0xA0, 0x05, 12, 30, 0, 0, 0, 0, 0}))
        << "screen 2560 x 1440, then the first selected correction's minimum square and threshold";
}

TEST(MouseSettingsRecord, NoSelectedCorrectionWritesZeros) {
    const std::vector<profiles::Correction> corrections{{9, 8, 0, u"off"}};
    RecordSource source;
    source.corrections = corrections;
    const SettingsRecord r = BuildSettingsRecord(source);
    EXPECT_EQ(r[64], 0);
    EXPECT_EQ(r[65], 0);
}

TEST(MouseSettingsRecord, ModeIndexBecomesTheListsCode) {
    struct Case {
        const char* name;
        int index;
        std::int32_t code;
    };
    const Case cases[] = {
        {"built-in mode", 6, 26},
        {"first mode", 0, 20},
        {"own effect 10 sends mode 0", 10, 20},
        {"own effect 14 sends mode 0", 14, 20},
    };
    for (const Case& c : cases) EXPECT_EQ(ModeCode(Modes(), c.index), c.code) << c.name;
    EXPECT_EQ(ModeCode({}, 4), 4) << "without a list the index goes as it is";
}

TEST(MouseSettingsRecord, ReadRecordGivesTheRunningLighting) {
    const profiles::LightInfo running{.SelectItem = 5,
                                      .Light = 1,
                                      .Speed = 0,
                                      .Fx = 1,
                                      .MultiColor = 0,
                                      .Red = 1,
                                      .Green = 2,
                                      .Blue = 3,
                                      .ZZCCLedMode = 2};
    struct Case {
        const char* name;
        std::uint8_t code;
        std::uint8_t speedByte;
        std::uint8_t mode;
        std::uint8_t speed;
    };
    const Case cases[] = {
        {"known code", 23, 1, 3, 3},
        {"code not in the list keeps the mode", 99, 0, 5, 4},
        {"speed byte above 4 reads as the slowest", 20, 9, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsRecord r{};
        r[1] = c.code;
        r[2] = 4;
        r[3] = c.speedByte;
        r[4] = 0;  // direction: not taken back
        r[5] = 7;
        r[6] = 0x11;
        r[7] = 0x22;
        r[8] = 0x33;
        const profiles::LightInfo light = LightingFromRecord(r, running, Modes());
        EXPECT_EQ(light.SelectItem, c.mode);
        EXPECT_EQ(light.Speed, c.speed);
        EXPECT_EQ(light.Light, 4);
        EXPECT_EQ(light.Fx, 1);
        EXPECT_EQ(light.MultiColor, 1);
        EXPECT_EQ((std::array{light.Red, light.Green, light.Blue}), (std::array<std::uint8_t, 3>{0x11, 0x22, 0x33}));
        EXPECT_EQ(light.ZZCCLedMode, 2);
    }
}

std::vector<std::uint8_t> KeyMapOf(const std::vector<profiles::KeyCode>& codes) {
    std::vector<std::uint8_t> map;
    for (const profiles::KeyCode& c : codes) map.insert(map.end(), {c.type, c.code1, c.code2});
    map.resize(512, 0);
    return map;
}

TEST(MouseKeyPositions, EachPositionFindsTheFirstSlotWithItsFactoryCode) {
    const profiles::KeyCode left{0x10, 0x01, 0x00}, right{0x10, 0x02, 0x00}, dpi{0xA0, 0x1B, 0x00},
        other{0x20, 0x00, 0x04};
    // Slot 0 right, 1 left, 2 another key, 3 left again, 4 the DPI button.
    const std::vector<std::uint8_t> map = KeyMapOf({right, left, other, left, dpi});

    const std::vector<std::uint8_t> slots = PositionSlots(map, 5);

    ASSERT_EQ(slots.size(), kKeyPositions);
    EXPECT_EQ(slots[0], 1) << "left: the first of slots 1 and 3";
    EXPECT_EQ(slots[1], 0);
    EXPECT_EQ(slots[8], 4);
    for (const std::size_t missing : {2u, 3u, 4u, 5u, 6u, 7u, 9u, 10u}) EXPECT_EQ(slots[missing], kNoSlot) << missing;
}

TEST(MouseKeyPositions, SlotsBeyondTheCountAreNotLookedAt) {
    const std::vector<std::uint8_t> map = KeyMapOf({{0x20, 0, 1}, {0x10, 0x01, 0x00}});
    EXPECT_EQ(PositionSlots(map, 1)[0], kNoSlot);
    EXPECT_EQ(PositionSlots(map, 2)[0], 1);
    EXPECT_EQ(PositionSlots(map, 20).size(), kKeyPositions) << "one entry per position, however many slots";
}

}  // namespace
}  // namespace vandrel::devices::mouse
