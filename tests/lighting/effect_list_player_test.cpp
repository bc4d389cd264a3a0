#include "lighting/effect_list_player.h"

#include <gtest/gtest.h>

#include <vector>

namespace vandrel::lighting {
namespace {

using profiles::EffectStep;

constexpr LedColor kUntouched{9, 9, 9, 9};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};

LedColor Led(Rgb c, std::uint8_t alpha) { return {c.red, c.green, c.blue, alpha}; }

EffectStep Step(std::uint8_t mode, Rgb colour, std::int32_t timeMs, std::uint8_t speed = 4,
                std::uint8_t multiColor = 0) {
    return {.mode = mode,
            .brightness = 4,
            .speed = speed,
            .direction = 1,
            .multiColor = multiColor,
            .red = colour.red,
            .green = colour.green,
            .blue = colour.blue,
            .time = timeMs,
            .cycle = 0};
}

class Player : public ::testing::Test {
protected:
    Player() {
        for (std::size_t i = 0; i < leds.Size(); ++i) leds.Set(i, kUntouched);
        player.Rewind(0);
    }
    // One pass per tick from `from` to `to`, both included.
    void Ticks(std::uint64_t from, std::uint64_t to, std::uint8_t deviceSpeed = 4) {
        for (std::uint64_t tick = from; tick <= to; ++tick) player.Play(steps, deviceSpeed, leds, tick);
    }

    LedBuffer leds{6};
    EffectListPlayer player;
    std::vector<EffectStep> steps;
};

TEST_F(Player, AnEmptyListTurnsEverythingOff) {
    Ticks(0, 0);
    for (std::size_t i = 0; i < leds.Size(); ++i) EXPECT_EQ(leds.Get(i), Led({}, 0));
}

TEST_F(Player, StepsFollowEachOtherAfterTheirTimeAndWrap) {
    // 1000 ms = 64 ticks, 500 ms = 32 ticks; static steps paint every 7 passes at speed 4.
    steps = {Step(1, kRed, 1000), Step(1, kGreen, 500)};
    struct Case {
        std::uint64_t tick;
        std::size_t step;
        Rgb shown;
    };
    const Case cases[] = {
        {0, 0, kRed},    {63, 0, kRed}, {64, 1, kRed},  {70, 1, kGreen},  {95, 1, kGreen},
        {96, 0, kGreen}, {98, 0, kRed}, {160, 1, kRed}, {161, 1, kGreen},
    };
    std::uint64_t next = 0;
    for (const Case& c : cases) {
        Ticks(next, c.tick);
        next = c.tick + 1;
        EXPECT_EQ(player.CurrentStep(), c.step) << "tick " << c.tick;
        EXPECT_EQ(leds.Get(0), Led(c.shown, 255)) << "tick " << c.tick;
    }
}

TEST_F(Player, RewindAndAShorterListStartAgainAtTheFirstStep) {
    steps = {Step(1, kRed, 10), Step(1, kGreen, 10), Step(1, kGreen, 10)};
    Ticks(0, 2);
    EXPECT_EQ(player.CurrentStep(), 2u);
    steps.resize(1);
    Ticks(3, 3);
    EXPECT_EQ(player.CurrentStep(), 0u);
    player.Rewind(50);
    Ticks(50, 50);
    EXPECT_EQ(player.CurrentStep(), 0u);
}

TEST_F(Player, BreathingTakesOneFrameEveryBlinkPeriodOfPasses) {
    steps = {Step(0, kRed, 100000, 4)};
    Ticks(0, 0);
    EXPECT_EQ(leds.Get(0), Led(kRed, Dim(kBreathingCurve128[1], 255)));
    Ticks(1, 13);
    EXPECT_EQ(leds.Get(0), Led(kRed, Dim(kBreathingCurve128[2], 255)));
    Ticks(14, 14);
    EXPECT_EQ(leds.Get(0), Led(kRed, Dim(kBreathingCurve128[3], 255)));
}

TEST_F(Player, BlinkingKeepsTheDeviceSpeedAndTurnsTheHueBy14) {
    steps = {Step(2, kRed, 100000, 0, 1)};
    Ticks(0, 89, 4);
    EXPECT_EQ(leds.Get(0), Led({}, 0));
    Ticks(90, 90, 4);  // 1.4 s: the device's speed 4, not the step's speed 0
    EXPECT_EQ(leds.Get(0), Led(WheelColour(14), 255));
}

TEST_F(Player, RainbowRunsAcrossTheLedsInStepsOf12) {
    steps = {Step(4, kRed, 100000, 4, 1)};
    Ticks(0, 0);
    for (std::size_t i = 0; i < leds.Size(); ++i)
        EXPECT_EQ(leds.Get(i), Led(WheelColour(static_cast<std::uint8_t>(2 + 12 * i)), 255)) << "LED " << i;
}

TEST_F(Player, HueStepsAtTheIntervalOfRowOne) {
    steps = {Step(5, kRed, 100000, 0)};  // row 1 at speed 0: every 8 passes
    Ticks(0, 7);
    EXPECT_EQ(leds.Get(0), Led(WheelColour(1), 255));
    Ticks(8, 8);
    EXPECT_EQ(leds.Get(0), Led(WheelColour(2), 255));
}

TEST_F(Player, AModeWithoutAFrameLeavesTheLeds) {
    steps = {Step(3, kRed, 1000), Step(9, kRed, 1000)};
    Ticks(0, 100);
    EXPECT_EQ(leds.Get(0), kUntouched);
}

}  // namespace
}  // namespace vandrel::lighting
