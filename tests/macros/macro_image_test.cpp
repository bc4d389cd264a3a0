#include "macros/macro_image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "macros/macro_list.h"
#include "sim/sim_macro_image.h"
#include "support/temp_folder.h"

namespace vandrel::macros {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::TempFolder;

std::vector<MacroEvent> KeyTaps(std::size_t count) {
    std::vector<MacroEvent> events;
    for (std::size_t i = 0; i < count; ++i) {
        events.push_back({kKeyEvent, static_cast<std::uint8_t>(4 + i % 20), i % 2 == 0, static_cast<std::uint16_t>(i)});
    }
    return events;
}

// What the device reads back from an image, in the terms of the events sent.
sim::SimMacros AsRecords(const std::vector<std::vector<MacroEvent>>& macros) {
    sim::SimMacros records;
    for (const auto& events : macros) {
        auto& block = records.emplace_back();
        for (const MacroEvent& e : events) {
            block.push_back({e.delay, static_cast<std::uint8_t>(e.type | (e.down ? 0x80 : 0)), e.button});
        }
    }
    return records;
}

TEST(EventRecordTest, DelayKindActionAndButtonBecomeFourBytes) {
    struct Case {
        const char* object;
        EventRecord record;
    };
    const std::vector<Case> cases = {
        {R"({"Type": 10, "Button": 4, "Action": "down", "Delay": "300"})", {0x2C, 0x01, 0x8A, 0x04}},
        {R"({"Type": 10, "Button": 4, "Action": "up", "Delay": "300"})", {0x2C, 0x01, 0x0A, 0x04}},
        {R"({"Type": 4, "Button": 255, "Action": "up", "Delay": 65535})", {0xFF, 0xFF, 0x04, 0xFF}},
        {R"({"Type": 1, "Button": 16, "Action": "down", "Delay": "0"})", {0x00, 0x00, 0x81, 0x10}},
        // Bit 7 of the kind byte says "down" and nothing else.
        {R"({"Type": 200, "Button": 1, "Action": "up", "Delay": "1"})", {0x01, 0x00, 0x48, 0x01}},
        {R"({"Type": 255, "Button": 1, "Action": "down", "Delay": "-5"})", {0x00, 0x00, 0xFF, 0x01}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EventToBytes(EventFromJson(profiles::ParseJson(c.object))), c.record) << c.object;
}

TEST(UsedMacrosTest, MacrosAreListedOnceInOrderOfFirstUse) {
    std::vector<profiles::KeyCode> keys(9, profiles::KeyCode{0x10, 0x00, 0x04});
    keys[3] = {kMacroKeyType, 2, 0};
    keys[5] = {kMacroRepeatKeyType, 0, 0};
    keys[7] = {kMacroKeyType, 2, 0};
    keys[8] = {kMacroKeyType, 3, 0};  // only three macros: names none
    keys[1] = {0x10, 1, 0};           // code1 of a key that runs no macro

    const std::vector<std::uint8_t> used = UsedMacros(keys, 3);

    EXPECT_EQ(used, (std::vector<std::uint8_t>{2, 0}));
    EXPECT_EQ(MacroPosition(used, 2), 0);
    EXPECT_EQ(MacroPosition(used, 0), 1);
    EXPECT_EQ(MacroPosition(used, 1), std::nullopt);
    EXPECT_TRUE(UsedMacros(keys, 0).empty());

    std::vector<profiles::KeyEntry> entries(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) entries[i].assignment = keys[i];
    EXPECT_EQ(UsedMacros(entries, 3), used);
}

TEST(UsedMacrosTest, KeysOnMacrosBeyondTheListGetTheirDefaults) {
    const profiles::KeyCode normal{0x20, 0, 0x04};
    std::vector<profiles::KeyEntry> keys(4);
    for (profiles::KeyEntry& key : keys) key.defaultAssignment = normal;
    keys[0].assignment = {kMacroKeyType, 2, 0};
    keys[1].assignment = {kMacroRepeatKeyType, 5, 3};  // macro 5 of 3
    keys[2].assignment = {0x10, 9, 0};                 // no macro, whatever its code1
    keys[3].assignment = {kMacroKeyType, 3, 0};        // macro 3 of 3

    EXPECT_TRUE(RepairMacroKeys(keys, 3));
    EXPECT_EQ(keys[0].assignment, (profiles::KeyCode{kMacroKeyType, 2, 0}));
    EXPECT_EQ(keys[1].assignment, normal);
    EXPECT_EQ(keys[2].assignment, (profiles::KeyCode{0x10, 9, 0}));
    EXPECT_EQ(keys[3].assignment, normal);
    EXPECT_FALSE(RepairMacroKeys(keys, 3)) << "nothing left to repair";
}

TEST(MacroImageTest, OneMacroOfThreeEvents) {
    const std::vector<MacroEvent> events = {
        {kKeyEvent, 4, true, 300}, {kKeyEvent, 4, false, 20}, {kModifierEvent, 2, true, 0}};
    const MacroImage image = BuildMacroImage(std::vector<std::vector<MacroEvent>>{events}, MacroCapacity(1));

    const Bytes expected = {0xAA, 0x55, 0x22, 0x00, 0x01, 0x00, 0,    0,    0,    0,    0,    0,
                            0,    0,    0,    0,     // header
                            0x12, 0x00,              // offset table
                            0x03, 0x00, 0x00, 0x00,  // block: 3 events
                            0x2C, 0x01, 0x8A, 0x04, 0x14, 0x00, 0x0A, 0x04, 0x00, 0x00, 0x89, 0x02};
    EXPECT_EQ(image, (MacroImage{kMacrosSent, expected}));
}

TEST(MacroImageTest, DecodesToTheMacrosInTheirOrder) {
    const std::vector<std::vector<MacroEvent>> macros = {KeyTaps(5), {}, KeyTaps(1), KeyTaps(12)};
    const MacroImage image = BuildMacroImage(macros, MacroCapacity(255));

    ASSERT_EQ(image.result, kMacrosSent);
    EXPECT_EQ(image.bytes.size(), MacroImageSize(macros));
    EXPECT_EQ(image.bytes.size(), 16u + 6 * 4 + 4 * 18);
    EXPECT_EQ(sim::DecodeMacroImage(image.bytes), AsRecords(macros));
}

TEST(MacroImageTest, AnImageLargerThanTheMemoryIsRefusedWithTheRecordsTooMany) {
    struct Case {
        std::size_t first, second;  // events of the two macros
        std::uint8_t units;         // information byte 18
        int result;
    };
    const std::vector<Case> cases = {
        {16, 52, 2, 12},           // 16 + 12 + 272 = 300 bytes in 256
        {20, 37, 2, kMacrosSent},  // 256 bytes: fits exactly
        {20, 38, 2, 2},            // 260 bytes: one record over, and the start of one more
        {0, 0, 0, 8},              // 28 bytes, no memory at all
    };
    for (const Case& c : cases) {
        const std::vector<std::vector<MacroEvent>> macros = {KeyTaps(c.first), KeyTaps(c.second)};
        const MacroImage image = BuildMacroImage(macros, MacroCapacity(c.units));
        EXPECT_EQ(image.result, c.result) << c.first << "+" << c.second;
        EXPECT_EQ(image.bytes.empty(), c.result != kMacrosSent) << c.first << "+" << c.second;
    }
    // One macro makes sizes of 4n + 2: the part record over counts as one.
    EXPECT_EQ(BuildMacroImage(std::vector<std::vector<MacroEvent>>{KeyTaps(59)}, MacroCapacity(2)).result, 1);
    EXPECT_EQ(BuildMacroImage({}, 0), MacroImage{});  // nothing to send fits anywhere
}

class MacroFolderImageTest : public ::testing::Test {
protected:
    MacroFolderImageTest() {
        std::filesystem::create_directory(temp_ / "user");
        temp_.Write("user/macro.config",
                    R"({"MacroInfo": [{"MacroName": "m0", "Guid": "a"}, {"MacroName": "m1", "Guid": "b"},
                                                          {"MacroName": "m2", "Guid": "c"}, {"MacroName": "m3", "Guid": "../x"}]})");
        Save("user/a.mac", KeyTaps(3));
        Save("user/b.mac", KeyTaps(2));
        Save("user/c.mac", KeyTaps(4));
        Save("x.mac", KeyTaps(6));  // outside the user folder
    }
    void Save(const std::string& name, const std::vector<MacroEvent>& events) const {
        ASSERT_EQ(WriteMacroFile(temp_ / name, {name, "", events}), profiles::WriteStatus::Ok);
    }
    std::string User() const { return temp_ / "user/"; }

    TempFolder temp_;
};

TEST_F(MacroFolderImageTest, TheUsedMacrosAreReadFromTheirFilesInListOrder) {
    const MacroImage image = MacroImageFromFolder(User(), std::vector<std::uint8_t>{2, 0}, MacroCapacity(2));
    ASSERT_EQ(image.result, kMacrosSent);
    EXPECT_EQ(sim::DecodeMacroImage(image.bytes), AsRecords({KeyTaps(4), KeyTaps(3)}));
}

TEST_F(MacroFolderImageTest, MacrosWithoutAFileOfTheirOwnAreSentEmpty) {
    std::filesystem::remove(User() + "b.mac");
    const MacroImage image = MacroImageFromFolder(User(), std::vector<std::uint8_t>{1, 3, 9, 0}, MacroCapacity(2));
    ASSERT_EQ(image.result, kMacrosSent);
    EXPECT_EQ(sim::DecodeMacroImage(image.bytes), AsRecords({{}, {}, {}, KeyTaps(3)}));
}

TEST_F(MacroFolderImageTest, TheTooLargeResultComesFromTheFiles) {
    Save("user/a.mac", KeyTaps(16));
    Save("user/b.mac", KeyTaps(52));
    EXPECT_EQ(MacroImageFromFolder(User(), std::vector<std::uint8_t>{0, 1}, MacroCapacity(2)), (MacroImage{12, {}}));
}

TEST_F(MacroFolderImageTest, NothingToSendWithoutUsedMacrosOrAList) {
    EXPECT_EQ(MacroImageFromFolder(User(), {}, MacroCapacity(2)), MacroImage{});
    std::filesystem::remove(User() + "macro.config");
    EXPECT_EQ(MacroImageFromFolder(User(), std::vector<std::uint8_t>{0}, MacroCapacity(2)), MacroImage{});
}

TEST(MacroImageDecoderTest, RefusesBytesThatAreNoImage) {
    const std::vector<MacroEvent> events = KeyTaps(2);
    const Bytes good = BuildMacroImage(std::vector{events, events}, 1024).bytes;
    ASSERT_TRUE(sim::DecodeMacroImage(good));
    struct Case {
        const char* what;
        std::size_t at;
        std::uint8_t value;
    };
    const std::vector<Case> cases = {
        {"signature", 0, 0xAB},           {"size too large", 2, 0xFF}, {"size too small", 2, 20},
        {"macros beyond the size", 4, 9}, {"reserved header", 10, 1},  {"second offset", 18, 0x21},
        {"reserved in a block", 22, 1},   {"events beyond", 20, 3},
    };
    for (const Case& c : cases) {
        Bytes bad = good;
        bad[c.at] = c.value;
        EXPECT_FALSE(sim::DecodeMacroImage(bad)) << c.what;
    }
    EXPECT_FALSE(sim::DecodeMacroImage(std::span(good).first(15)));
}

}  // namespace
}  // namespace vandrel::macros
