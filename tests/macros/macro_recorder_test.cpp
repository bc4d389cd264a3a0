// Recording rows from the window's keys and buttons: the placements, the
// delays of the three time modes, held keys, the row limit, and the "up"
// rows a stop or a lost focus adds.
#include <gtest/gtest.h>

#include <vector>

#include "macros/macro_recorder.h"

namespace vandrel::macros {
namespace {

using platform::KeyRecord;

// Scan codes (the hook's) of a few keys.
constexpr KeyRecord kA{0x1E, false, 0x41};
constexpr KeyRecord kB{0x30, false, 0x42};
constexpr KeyRecord kLShift{0x2A, false, 0xA0};
constexpr KeyRecord kRCtrl{0x1D, true, 0xA3};
constexpr KeyRecord kUnknown{0x7F, true, 0};

MacroEvent Row(std::uint8_t type, std::uint8_t button, bool down, std::uint16_t delay) {
    return {type, button, down, delay};
}
// Rows of five distinct events (buttons 10..14, down), delays 5.
RecordedRows FiveRows(int selected) {
    RecordedRows rows;
    for (std::uint8_t i = 0; i < 5; ++i)
        rows.events.push_back(Row(kKeyType, static_cast<std::uint8_t>(10 + i), true, 5));
    rows.selected = selected;
    return rows;
}
std::vector<std::uint8_t> Buttons(const RecordedRows& rows) {
    std::vector<std::uint8_t> buttons;
    for (const MacroEvent& e : rows.events) buttons.push_back(e.button);
    return buttons;
}

class MacroRecorderTest : public ::testing::Test {
protected:
    platform::ManualMillisecondClock clock_;
    MacroRecorder recorder_{clock_};
    RecordedRows rows_;
};

// Recorded time, a second between events, a held key repeating: each row
// waits as long as the user did; the last waits for nothing.
TEST_F(MacroRecorderTest, RecordedTimeGivesEachRowTheTimeToTheNext) {
    recorder_.Begin(TimeMode::Recorded, 50);
    clock_.Advance(1000);
    EXPECT_TRUE(recorder_.RecordKey(Placement::Append, kLShift, true, rows_));
    clock_.Advance(1000);
    EXPECT_TRUE(recorder_.RecordKey(Placement::Append, kA, true, rows_));
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(recorder_.RecordKey(Placement::Append, kA, true, rows_)) << "a repeat";
    clock_.Advance(1000);
    EXPECT_TRUE(recorder_.RecordKey(Placement::Append, kA, false, rows_));
    clock_.Advance(1000);
    EXPECT_TRUE(recorder_.RecordKey(Placement::Append, kLShift, false, rows_));

    const std::vector<MacroEvent> expected{Row(kModifierType, 0x02, true, 1000), Row(kKeyType, 0x04, true, 1000),
                                           Row(kKeyType, 0x04, false, 1000), Row(kModifierType, 0x02, false, 0)};
    EXPECT_EQ(rows_.events, expected);
    EXPECT_EQ(rows_.selected, 3);
}

TEST_F(MacroRecorderTest, DelaysOfTheTimeModes) {
    struct Case {
        TimeMode mode;
        std::vector<std::uint16_t> delays;  // after three keys 700 ms apart
    };
    const Case cases[] = {
        {TimeMode::Recorded, {700, 700, 0}},
        {TimeMode::Constant, {30, 30, 30}},
        {TimeMode::None, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        platform::ManualMillisecondClock clock;
        MacroRecorder recorder(clock);
        RecordedRows rows;
        recorder.Begin(c.mode, 30);
        for (const KeyRecord& key : {kA, kB, kLShift}) {
            clock.Advance(700);
            ASSERT_TRUE(recorder.RecordKey(Placement::Append, key, true, rows));
        }
        std::vector<std::uint16_t> delays;
        for (const MacroEvent& e : rows.events) delays.push_back(e.delay);
        EXPECT_EQ(delays, c.delays) << static_cast<int>(c.mode);
    }
    // In constant time the first row of an empty list waits with 0 for the next.
    platform::ManualMillisecondClock clock;
    MacroRecorder recorder(clock);
    RecordedRows rows;
    recorder.Begin(TimeMode::Constant, 30);
    ASSERT_TRUE(recorder.RecordKey(Placement::Append, kA, true, rows));
    EXPECT_EQ(rows.events.front().delay, 0);
}

TEST_F(MacroRecorderTest, PlacementsPutRowsAroundTheSelectedOne) {
    recorder_.Begin(TimeMode::None, 0);
    // Row 3 of 5 selected, two keys before it: they land at 3 and 4, the old
    // row 3 moves to 5 and stays selected.
    RecordedRows before = FiveRows(3);
    ASSERT_TRUE(recorder_.RecordKey(Placement::Before, kA, true, before));
    ASSERT_TRUE(recorder_.RecordKey(Placement::Before, kB, true, before));
    EXPECT_EQ(Buttons(before), (std::vector<std::uint8_t>{10, 11, 12, 0x04, 0x05, 13, 14}));
    EXPECT_EQ(before.selected, 5);

    // After: in order behind the selected row, the newest selected.
    RecordedRows after = FiveRows(1);
    ASSERT_TRUE(recorder_.RecordKey(Placement::After, kA, true, after));
    ASSERT_TRUE(recorder_.RecordKey(Placement::After, kB, true, after));
    EXPECT_EQ(Buttons(after), (std::vector<std::uint8_t>{10, 11, 0x04, 0x05, 12, 13, 14}));
    EXPECT_EQ(after.selected, 3);

    // Replace: the key changes, its action and delay stay.
    RecordedRows replaced = FiveRows(2);
    replaced.events[2] = Row(kKeyType, 12, false, 321);
    ASSERT_TRUE(recorder_.RecordKey(Placement::Replace, kRCtrl, true, replaced));
    EXPECT_EQ(replaced.events[2], Row(kModifierType, 0x10, false, 321));
    EXPECT_EQ(replaced.events.size(), 5u);

    // Without a selection only appending records.
    RecordedRows none = FiveRows(-1);
    EXPECT_FALSE(recorder_.RecordKey(Placement::Before, kLShift, true, none));
    EXPECT_FALSE(recorder_.RecordKey(Placement::After, kLShift, true, none));
    EXPECT_FALSE(recorder_.RecordKey(Placement::Replace, kLShift, true, none));
    EXPECT_EQ(none.events.size(), 5u);
}

TEST_F(MacroRecorderTest, TheRowAfterTheLastAllowedIsRefused) {
    recorder_.Begin(TimeMode::None, 0);
    rows_.events.assign(kMaxRecordedRows - 1, Row(kKeyType, 4, true, 0));
    EXPECT_TRUE(recorder_.RecordKey(Placement::Append, kA, true, rows_));
    EXPECT_FALSE(recorder_.RecordKey(Placement::Append, kA, false, rows_));
    EXPECT_EQ(rows_.events.size(), kMaxRecordedRows);
}

TEST_F(MacroRecorderTest, KeysAndButtonsWithoutARowRecordNothing) {
    recorder_.Begin(TimeMode::None, 0);
    EXPECT_FALSE(recorder_.RecordKey(Placement::Append, kUnknown, true, rows_));
    EXPECT_FALSE(recorder_.RecordMouse(Placement::Append, {0x20A, 0}, rows_)) << "the wheel";
    EXPECT_FALSE(recorder_.RecordMouse(Placement::Append, {0x20B, 3}, rows_)) << "a third X button";
    EXPECT_TRUE(rows_.events.empty());
}

TEST_F(MacroRecorderTest, MouseButtonsByTheirMessages) {
    struct Case {
        MouseMessage mouse;
        MacroEvent event;
    };
    const Case cases[] = {
        {{0x201, 0}, Row(kMouseButtonType, 0x01, true, 0)}, {{0x202, 0}, Row(kMouseButtonType, 0x01, false, 0)},
        {{0x204, 0}, Row(kMouseButtonType, 0x02, true, 0)}, {{0x205, 0}, Row(kMouseButtonType, 0x02, false, 0)},
        {{0x207, 0}, Row(kMouseButtonType, 0x04, true, 0)}, {{0x208, 0}, Row(kMouseButtonType, 0x04, false, 0)},
        {{0x20B, 1}, Row(kMouseButtonType, 0x08, true, 0)}, {{0x20C, 1}, Row(kMouseButtonType, 0x08, false, 0)},
        {{0x20B, 2}, Row(kMouseButtonType, 0x10, true, 0)}, {{0x20C, 2}, Row(kMouseButtonType, 0x10, false, 0)},
    };
    for (const Case& c : cases) EXPECT_EQ(MouseEvent(c.mouse), c.event) << std::hex << c.mouse.message;
    // The same message twice in a row is taken once.
    recorder_.Begin(TimeMode::None, 0);
    EXPECT_TRUE(recorder_.RecordMouse(Placement::Append, {0x201, 0}, rows_));
    EXPECT_FALSE(recorder_.RecordMouse(Placement::Append, {0x201, 0}, rows_));
    EXPECT_TRUE(recorder_.RecordMouse(Placement::Append, {0x202, 0}, rows_));
    EXPECT_EQ(rows_.events.size(), 2u);
}

// The window does not see releases once it lost the focus: what is still
// down gets its "up" row, in the order it went down.
TEST_F(MacroRecorderTest, WhatIsStillDownIsReleased) {
    recorder_.Begin(TimeMode::Recorded, 0);
    ASSERT_TRUE(recorder_.RecordKey(Placement::Append, kLShift, true, rows_));
    clock_.Advance(200);
    ASSERT_TRUE(recorder_.RecordKey(Placement::Append, kA, true, rows_));
    clock_.Advance(100);
    ASSERT_TRUE(recorder_.RecordMouse(Placement::Append, {0x204, 0}, rows_));
    ASSERT_TRUE(recorder_.RecordMouse(Placement::Append, {0x205, 0}, rows_));
    clock_.Advance(300);
    EXPECT_TRUE(recorder_.ReleaseHeld(Placement::Append, rows_));
    const std::vector<MacroEvent> expected{
        Row(kModifierType, 0x02, true, 200),  Row(kKeyType, 0x04, true, 100),
        Row(kMouseButtonType, 0x02, true, 0), Row(kMouseButtonType, 0x02, false, 300),
        Row(kModifierType, 0x02, false, 0),   Row(kKeyType, 0x04, false, 0),
    };
    EXPECT_EQ(rows_.events, expected);
    EXPECT_FALSE(recorder_.ReleaseHeld(Placement::Append, rows_)) << "nothing is down any more";
    // The key pressed again after the release is a new press.
    EXPECT_TRUE(recorder_.RecordKey(Placement::Append, kA, true, rows_));

    // A replacing recording adds no rows.
    RecordedRows replaced = FiveRows(0);
    recorder_.Begin(TimeMode::None, 0);
    ASSERT_TRUE(recorder_.RecordKey(Placement::Replace, kA, true, replaced));
    EXPECT_FALSE(recorder_.ReleaseHeld(Placement::Replace, replaced));
    EXPECT_EQ(replaced.events.size(), 5u);
}

}  // namespace
}  // namespace vandrel::macros
