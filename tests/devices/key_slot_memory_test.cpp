// The learned key slots of a device kind: the merge of the slots learned
// before with those the factory-code search finds, and the file that keeps
// them, in a real temporary folder.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "devices/key_slot_memory.h"
#include "support/temp_folder.h"

namespace vandrel::devices {
namespace {

using Slots = std::vector<std::uint8_t>;
constexpr std::uint8_t N = 170;  // no slot, as the mouse numbers it
constexpr std::size_t K = 6;

TEST(KeySlotMemoryTest, LearnedSlotsComeBeforeTheSearchAndUntrustedOnesAreDropped) {
    struct Case {
        const char* name;
        Slots found;
        std::optional<KeySlotRecord> learned;
        Slots expected;
        std::size_t slotCount = K;
    };
    const Case cases[] = {
        {"no file: what the search finds", {0, 1, 2, 3}, std::nullopt, {0, 1, 2, 3}},
        {"file agrees", {0, 1, 2, 3}, KeySlotRecord{K, {0, 1, 2, 3}}, {0, 1, 2, 3}},
        {"key given another function keeps its slot", {N, 1, 2, 3}, KeySlotRecord{K, {0, 1, 2, 3}}, {0, 1, 2, 3}},
        {"two keys swapped keep their own slots", {1, 0, 2, 3}, KeySlotRecord{K, {0, 1, 2, 3}}, {0, 1, 2, 3}},
        {"a position found only by the search", {0, 1, 2, 5}, KeySlotRecord{K, {0, 1, 2, -1}}, {0, 1, 2, 5}},
        {"a found slot another position learned is none", {0, 0, 2, 3}, KeySlotRecord{K, {0, -1, 2, 3}}, {0, N, 2, 3}},
        {"a learned slot at K is dropped", {0, 1, 2, 3}, KeySlotRecord{K, {6, 1, 2, 3}}, {0, 1, 2, 3}},
        {"a learned slot above K is dropped, not found either",
         {N, 1, 2, 3},
         KeySlotRecord{K, {9, 1, 2, 3}},
         {N, 1, 2, 3}},
        {"a learned slot at the no-slot value is dropped",
         {N, 1, 2, 3},
         KeySlotRecord{200, {170, 1, 2, 3}},
         {N, 1, 2, 3},
         200},
        {"a slot learned twice is dropped for both", {0, N, 2, 3}, KeySlotRecord{K, {1, 1, 2, 3}}, {0, N, 2, 3}},
        {"a negative learned slot is none", {0, 1, 2, 3}, KeySlotRecord{K, {-7, 1, 2, 3}}, {0, 1, 2, 3}},
        {"learned on another slot count: ignored", {0, 1, 2, 3}, KeySlotRecord{8, {3, 2, 1, 0}}, {0, 1, 2, 3}},
        {"learned for another number of positions: ignored", {0, 1, 2, 3}, KeySlotRecord{K, {3, 2, 1}}, {0, 1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MergeKeySlots(c.found, c.learned, c.slotCount, N), c.expected);
    }
}

TEST(KeySlotMemoryTest, RecordGoesThroughItsFileAndABrokenFileReadsAsNone) {
    const testing::TempFolder folder;
    EXPECT_FALSE(ReadKeySlots(folder.Path()).has_value()) << "no file";

    const KeySlotRecord record = ToKeySlotRecord(Slots{4, N, 0}, K, N);
    EXPECT_EQ(record, (KeySlotRecord{K, {4, -1, 0}}));
    ASSERT_TRUE(WriteKeySlots(folder.Path(), record));
    EXPECT_EQ(ReadKeySlots(folder.Path()), record);

    struct Case {
        const char* name;
        const char* text;
        std::optional<KeySlotRecord> read;
    };
    const Case cases[] = {
        {"empty", "", std::nullopt},
        {"not JSON", "{\"SlotCount\": 6, \"Slots\": [0, 1", std::nullopt},
        {"no object", "[6, [0, 1]]", std::nullopt},
        {"slot count as text", R"({"SlotCount": "6", "Slots": [0, 1]})", std::nullopt},
        {"no slots", R"({"SlotCount": 6})", std::nullopt},
        {"slots no array", R"({"SlotCount": 6, "Slots": 3})", std::nullopt},
        {"an entry that is no integer is none", R"({"SlotCount": 6, "Slots": [0, "1", null, 2.5, 3]})",
         KeySlotRecord{6, {0, -1, -1, -1, 3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        folder.Write(kKeySlotsFileName, c.text);
        EXPECT_EQ(ReadKeySlots(folder.Path()), c.read);
    }
    EXPECT_FALSE(ReadKeySlots("").has_value()) << "no user folder";
    EXPECT_FALSE(WriteKeySlots("", record));
}

// The file is written when the slots it would hold change, and only when
// the device's key map was read (learn).
TEST(KeySlotMemoryTest, FileIsWrittenOnlyWhenItsSlotsChange) {
    const std::string agreeing = R"({"SlotCount":6,"Slots":[0,1,2,3]})";
    const std::string rewritten = R"({"SlotCount":6,"Slots":[0,1,2,5]})";  // after a search found position 3
    struct Case {
        const char* name;
        std::optional<std::string> before;  // the file's text; nothing: none
        Slots found;
        bool learn;
        Slots slots;
        std::optional<KeySlotRecord> after;  // nothing: the text as before
    };
    const Case cases[] = {
        {"first connect writes it", std::nullopt, {0, 1, 2, 3}, true, {0, 1, 2, 3}, KeySlotRecord{K, {0, 1, 2, 3}}},
        {"agreeing file stays as it is", agreeing, {N, 1, 2, 3}, true, {0, 1, 2, 3}, std::nullopt},
        {"a position the file lacked is added",
         R"({"SlotCount":6,"Slots":[0,1,2,-1]})",
         {0, 1, 2, 5},
         true,
         {0, 1, 2, 5},
         KeySlotRecord{K, {0, 1, 2, 5}}},
        {"another slot count is written anew",
         R"({"SlotCount":9,"Slots":[3,2,1,0]})",
         {0, 1, 2, 3},
         true,
         {0, 1, 2, 3},
         KeySlotRecord{K, {0, 1, 2, 3}}},
        {"malformed file is written anew", "{", {0, 1, 2, 3}, true, {0, 1, 2, 3}, KeySlotRecord{K, {0, 1, 2, 3}}},
        {"an untrusted slot is written over",
         R"({"SlotCount":6,"Slots":[0,1,2,8]})",
         {0, 1, 2, 3},
         true,
         {0, 1, 2, 3},
         KeySlotRecord{K, {0, 1, 2, 3}}},
        {"not learning writes nothing", rewritten, {0, 1, 2, 3}, false, {0, 1, 2, 5}, std::nullopt},
        {"not learning creates nothing", std::nullopt, {0, 1, 2, 3}, false, {0, 1, 2, 3}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testing::TempFolder folder;
        if (c.before) folder.Write(kKeySlotsFileName, *c.before);

        EXPECT_EQ(RememberedKeySlots(folder.Path(), c.found, K, N, c.learn), c.slots);

        if (c.after) EXPECT_EQ(ReadKeySlots(folder.Path()), c.after);
        else if (c.before) EXPECT_EQ(folder.Read(kKeySlotsFileName), *c.before);
        else EXPECT_FALSE(folder.Exists(kKeySlotsFileName));
    }
}

}  // namespace
}  // namespace vandrel::devices
