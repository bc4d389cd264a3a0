#include "lighting/engine_tables.h"

#include <gtest/gtest.h>

namespace vandrel::lighting {
namespace {

TEST(ColourWheel, AnchorHuesAndRepeatAbove191) {
    struct Case {
        int hue;
        Rgb colour;
    };
    const Case cases[] = {
        {0, {255, 1, 0}},   {31, {255, 255, 0}},  {32, {248, 255, 0}}, {64, {0, 255, 1}},  {96, {0, 248, 255}},
        {128, {1, 0, 255}}, {160, {255, 0, 248}}, {191, {255, 0, 0}},  {192, {255, 1, 0}}, {255, {0, 255, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(WheelColour(static_cast<std::uint8_t>(c.hue)), c.colour) << "hue " << c.hue;
    EXPECT_EQ(WheelColour(200), WheelColour(8));
}

TEST(ColourWheel, NeighbouringHuesChangeOneChannelAtATime) {
    // A broken segment table would show up as a jump in two channels at once.
    for (int h = 0; h < 192; ++h) {
        const Rgb a = WheelColour(static_cast<std::uint8_t>(h));
        const Rgb b = WheelColour(static_cast<std::uint8_t>((h + 1) % 192));
        const int changed = (a.red != b.red) + (a.green != b.green) + (a.blue != b.blue);
        EXPECT_LE(changed, 1) << "hue " << h;
    }
}

TEST(Curves, BreathingCurvesAndPulse) {
    struct Case {
        const char* curve;
        std::uint8_t actual;
        std::uint8_t expected;
    };
    const Case cases[] = {
        {"breathing 0", kBreathingCurve128[0], 0},
        {"breathing 16", kBreathingCurve128[16], 22},
        {"breathing 63", kBreathingCurve128[63], 255},
        {"breathing 64", kBreathingCurve128[64], 255},
        {"breathing 108", kBreathingCurve128[108], 30},
        {"breathing 127", kBreathingCurve128[127], 0},
        {"96 first", kBreathingCurve96[0], 22},
        {"96 peak", kBreathingCurve96[47], 255},
        {"96 last", kBreathingCurve96[95], 22},
        {"pulse 9", kPulseCurve256[9], 84},
        {"pulse 24", kPulseCurve256[24], 255},
        {"pulse 25", kPulseCurve256[25], 248},
        {"pulse 84", kPulseCurve256[84], 3},
        {"pulse 85 extra 2", kPulseCurve256[85], 2},
        {"pulse 86", kPulseCurve256[86], 2},
        {"pulse 87", kPulseCurve256[87], 1},
        {"pulse 88", kPulseCurve256[88], 0},
        {"pulse 191", kPulseCurve256[191], 0},
        {"phase table", kPulseCurve256[kPulsePhaseTableStart], 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.actual, c.expected) << c.curve;
}

TEST(Levels, BrightnessAndBlinkPeriodsClampAboveFour) {
    const std::uint8_t alpha[] = {0, 80, 135, 195, 255, 255, 255};
    const std::uint8_t period[] = {28, 23, 18, 13, 7, 7, 7};
    const std::uint8_t inputs[] = {0, 1, 2, 3, 4, 5, 200};
    for (std::size_t i = 0; i < std::size(inputs); ++i) {
        EXPECT_EQ(LevelAlpha(inputs[i]), alpha[i]) << int{inputs[i]};
        EXPECT_EQ(BlinkPeriod(inputs[i]), period[i]) << int{inputs[i]};
    }
}

TEST(Intervals, RowsAndSpeedsOfBothTables) {
    struct Case {
        IntervalTable table;
        std::size_t row;
        std::uint8_t speed;
        std::uint8_t ticks;
    };
    const Case cases[] = {
        {IntervalTable::kEffect, 1, 0, 8},  {IntervalTable::kEffect, 1, 4, 1},  {IntervalTable::kEffect, 5, 2, 4},
        {IntervalTable::kEffect, 15, 3, 2}, {IntervalTable::kEffect, 16, 0, 4}, {IntervalTable::kEffect, 16, 4, 4},
        {IntervalTable::kEffect, 17, 0, 8}, {IntervalTable::kEffect, 18, 0, 2}, {IntervalTable::kEffect, 18, 4, 2},
        {IntervalTable::kEffect, 30, 1, 6}, {IntervalTable::kEffect, 99, 4, 1}, {IntervalTable::kEffect, 1, 9, 1},
        {IntervalTable::kDevice, 0, 0, 28}, {IntervalTable::kDevice, 2, 1, 23}, {IntervalTable::kDevice, 4, 2, 18},
        {IntervalTable::kDevice, 9, 3, 13}, {IntervalTable::kDevice, 16, 4, 7}, {IntervalTable::kDevice, 0, 9, 7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Interval(c.table, c.row, c.speed), c.ticks)
            << (c.table == IntervalTable::kEffect ? "effect" : "device") << " row " << c.row << " speed "
            << int{c.speed};
}

}  // namespace
}  // namespace vandrel::lighting
