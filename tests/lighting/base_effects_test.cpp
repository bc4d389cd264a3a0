#include "lighting/base_effects.h"

#include <gtest/gtest.h>

#include "lighting/engine.h"

namespace vandrel::lighting {
namespace {

constexpr std::size_t kLedCount = 15;

LedColor Led(Rgb c, std::uint8_t alpha) { return {c.red, c.green, c.blue, alpha}; }

// Every LED of the buffer shows `expected`.
::testing::AssertionResult AllLeds(const LedBuffer& leds, LedColor expected) {
    for (std::size_t i = 0; i < leds.Size(); ++i) {
        const LedColor got = leds.Get(i);
        if (!(got == expected))
            return ::testing::AssertionFailure()
                   << "LED " << i << " is (" << int{got.red} << "," << int{got.green} << "," << int{got.blue} << ","
                   << int{got.brightness} << "), expected (" << int{expected.red} << "," << int{expected.green} << ","
                   << int{expected.blue} << "," << int{expected.brightness} << ")";
    }
    return ::testing::AssertionSuccess();
}

TEST(StepFunction, EdgeValues) {
    struct Case {
        std::uint8_t direction, n, v, d, result;
    };
    const Case cases[] = {
        {1, 128, 0, 1, 1},   {1, 128, 126, 1, 127}, {1, 128, 127, 1, 0},  // forwards, wraps at n
        {1, 192, 191, 1, 0}, {1, 192, 190, 4, 0},   {1, 96, 200, 1, 0},   // past n also gives 0
        {0, 128, 1, 1, 0},   {0, 128, 0, 1, 127},   {0, 192, 0, 1, 191},  // backwards, 0 wraps to n - d
        {0, 192, 2, 4, 188}, {0, 96, 150, 1, 95},   {0, 25, 24, 1, 23},   // v - d below 0 as a byte; v >= n
        {7, 128, 5, 1, 6},                                                // any non-zero direction is forwards
    };
    for (const Case& c : cases)
        EXPECT_EQ(Step(c.direction, c.n, c.v, c.d), c.result)
            << "step(" << int{c.direction} << ", " << int{c.n} << ", " << int{c.v} << ", " << int{c.d} << ")";
}

TEST(Ticks, MillisecondsRoundUpToWholeTicks) {
    struct Case {
        std::int64_t ms;
        std::uint64_t ticks;
    };
    const Case cases[] = {{-5, 0}, {0, 0}, {1, 1}, {15, 1}, {16, 2}, {1000, 64}, {1400, 90}, {5600, 359}};
    for (const Case& c : cases) EXPECT_EQ(MsToTicks(c.ms), c.ticks) << c.ms << " ms";
    // 5.6 s at speed 0, 1.4 s at speed 4: 358.4 and 89.6 ticks, rounded up.
    EXPECT_EQ(FlashTicks(0), 359u);
    EXPECT_EQ(FlashTicks(4), 90u);
}

class BaseEffect : public ::testing::Test {
protected:
    LedBuffer leds{kLedCount};
    EffectCounters counters;
    Look look{.brightness = 4, .speed = 4, .direction = 1, .colourful = 0, .colour = {10, 20, 30}};

    template <typename StepFn>
    void Run(int steps, StepFn step) {
        for (int i = 0; i < steps; ++i) step();
    }
};

TEST_F(BaseEffect, BreathingFollowsTheCurveBothWays) {
    struct Case {
        std::uint8_t direction;
        std::uint8_t brightness;
        int steps;
        std::uint8_t counter;
        std::uint8_t alpha;
    };
    const Case cases[] = {
        {1, 4, 1, 1, 0},       // curve 1 x 255 / 256
        {1, 4, 63, 63, 254},   // the peak: 255 x 255 / 256
        {1, 2, 63, 63, 134},   // level 2: 255 x 135 / 256
        {1, 4, 108, 108, 29},  // falling half: curve 30
        {0, 4, 1, 127, 0},     // backwards from 0 wraps to the end
        {0, 4, 20, 108, 29},  {0, 1, 65, 63, 79},
    };
    for (const Case& c : cases) {
        counters = {};
        look.direction = c.direction;
        look.brightness = c.brightness;
        Run(c.steps, [&] { StepBreathing(counters, look, leds); });
        EXPECT_EQ(counters.step, c.counter) << "direction " << int{c.direction} << " steps " << c.steps;
        EXPECT_TRUE(AllLeds(leds, Led(look.colour, c.alpha)))
            << "direction " << int{c.direction} << " steps " << c.steps;
    }
}

TEST_F(BaseEffect, KeyboardBreathingAtSpeedFourIs128TicksAndMovesTheHue) {
    // Keyboard effect 5 steps on row 5; at speed 4 that is one step per tick.
    const std::uint8_t interval = Interval(IntervalTable::kEffect, 5, 4);
    ASSERT_EQ(interval, 1);
    look.colourful = 1;
    for (const std::uint8_t direction : {1, 0}) {
        counters = {};
        look.direction = direction;
        std::uint64_t ticks = 0;
        for (std::uint64_t tick = 1; tick <= 128; ++tick)
            if (tick % interval == 0) {
                StepBreathing(counters, look, leds);
                ++ticks;
            }
        EXPECT_EQ(ticks, 128u);
        EXPECT_EQ(counters.step, 0) << "direction " << int{direction};
        EXPECT_EQ(counters.colourIndex, 16) << "direction " << int{direction};
        EXPECT_TRUE(AllLeds(leds, Led(WheelColour(16), 0)));
        StepBreathing(counters, look, leds);  // the next breath, in the new hue
        EXPECT_EQ(leds.Get(0).red, WheelColour(16).red);
    }
}

TEST_F(BaseEffect, BreathingHueRestartsAtZeroAfter176) {
    look.colourful = 1;
    counters.colourIndex = 176;
    counters.step = 127;
    StepBreathing(counters, look, leds);
    EXPECT_EQ(counters.colourIndex, 0);
    EXPECT_TRUE(AllLeds(leds, Led(WheelColour(0), 0)));
}

TEST_F(BaseEffect, FourColourBreathingTakesTheNextColourEachBreath) {
    for (std::size_t breath = 0; breath < 5; ++breath) {
        Run(63, [&] { StepFourColourBreathing(counters, look, leds); });  // the peak
        EXPECT_TRUE(AllLeds(leds, Led(kFourColours[breath % 4], 254))) << "breath " << breath;
        Run(65, [&] { StepFourColourBreathing(counters, look, leds); });  // back at 0, next colour
        EXPECT_TRUE(AllLeds(leds, Led(kFourColours[(breath + 1) % 4], 0))) << "breath " << breath;
    }
}

TEST_F(BaseEffect, StaticAndAllOff) {
    look.brightness = 3;
    StepStatic(look, leds);
    EXPECT_TRUE(AllLeds(leds, Led({10, 20, 30}, 195)));
    StepAllOff(leds);
    EXPECT_TRUE(AllLeds(leds, Led({}, 0)));
}

TEST_F(BaseEffect, ColourCycleWrapsAt192BothWays) {
    struct Case {
        std::uint8_t direction;
        std::uint8_t from;
        std::uint8_t to;
    };
    const Case cases[] = {{1, 0, 1}, {1, 190, 191}, {1, 191, 0}, {0, 1, 0}, {0, 0, 191}};
    look.brightness = 1;
    for (const Case& c : cases) {
        counters.step = c.from;
        look.direction = c.direction;
        StepColourCycle(counters, look, leds);
        EXPECT_EQ(counters.step, c.to);
        EXPECT_TRUE(AllLeds(leds, Led(WheelColour(c.to), 80))) << int{c.from} << " -> " << int{c.to};
    }
}

TEST_F(BaseEffect, FlashingFlipsAfterTheBlinkPeriod) {
    struct Case {
        std::uint8_t speed;
        std::uint64_t flipTick;  // first tick at which the phase changes
    };
    const Case cases[] = {{0, 359}, {1, 295}, {2, 231}, {3, 167}, {4, 90}};
    look.colourful = 1;
    for (const Case& c : cases) {
        look.speed = c.speed;
        counters = EffectCounters{.lastBlinkTick = 1000};
        StepFlashing(counters, look, leds, 1000 + c.flipTick - 1);
        EXPECT_TRUE(AllLeds(leds, Led({}, 0))) << "speed " << int{c.speed};
        StepFlashing(counters, look, leds, 1000 + c.flipTick);
        EXPECT_TRUE(AllLeds(leds, Led(WheelColour(16), 255))) << "speed " << int{c.speed};
        StepFlashing(counters, look, leds, 1000 + 2 * c.flipTick - 1);
        EXPECT_EQ(counters.blinkPhase, 1);
        StepFlashing(counters, look, leds, 1000 + 2 * c.flipTick);
        EXPECT_TRUE(AllLeds(leds, Led({}, 0)));
        EXPECT_EQ(counters.colourIndex, 32);
    }
}

TEST_F(BaseEffect, FlashingHueRestartsAt192AndFixedColourIgnoresIt) {
    counters = EffectCounters{.colourIndex = 176, .lastBlinkTick = 0};
    StepFlashing(counters, look, leds, FlashTicks(look.speed));
    EXPECT_EQ(counters.colourIndex, 0);
    EXPECT_TRUE(AllLeds(leds, Led(look.colour, 255)));
}

TEST_F(BaseEffect, FourColourFlashingAdvancesOneColourPerFlip) {
    const std::uint64_t period = FlashTicks(look.speed);
    std::uint64_t now = 0;
    for (const int index : {1, 2, 3, 0, 1}) {
        now += period;
        StepFourColourFlashing(counters, look, leds, now);
        EXPECT_EQ(counters.colourIndex, index);
        if (counters.blinkPhase != 0)
            EXPECT_TRUE(AllLeds(leds, Led(kFourColours[static_cast<std::size_t>(index)], 255)));
        else EXPECT_TRUE(AllLeds(leds, Led({}, 0)));
    }
}

TEST_F(BaseEffect, WaveOverGroupsInColourAndInTheFixedColour) {
    const std::uint8_t groups[] = {0, 0, 1, 1, 2, 6};  // LED -> group; the rest of the LEDs untouched
    look.colourful = 1;
    counters.step = 191;
    StepWave(counters, look, leds, 7, groups);
    EXPECT_EQ(counters.step, 0);
    EXPECT_EQ(leds.Get(0), Led(WheelColour(1), 255));
    EXPECT_EQ(leds.Get(1), Led(WheelColour(1), 255));
    EXPECT_EQ(leds.Get(3), Led(WheelColour(8), 255));
    EXPECT_EQ(leds.Get(5), Led(WheelColour(43), 255));
    EXPECT_EQ(leds.Get(6), LedColor{});

    look.colourful = 0;
    counters.step = 90;
    StepWave(counters, look, leds, 7, groups);  // steps over 96 now: 91, first index 92
    EXPECT_EQ(counters.step, 91);
    EXPECT_EQ(leds.Get(0), Led(look.colour, Dim(kBreathingCurve96[92], 255)));
    EXPECT_EQ(leds.Get(2), Led(look.colour, Dim(kBreathingCurve96[3], 255)));  // (92 + 7) mod 96
}

TEST(RunningState, StepsReadTheLoadedSettings) {
    EngineState state;
    LedBuffer leds{kLedCount};
    profiles::LightInfo info;
    info.SelectItem = 3;
    info.Light = 2;
    info.Red = 200;
    EXPECT_TRUE(LoadLightInfo(state, info));
    EXPECT_FALSE(LoadLightInfo(state, info));
    StepStatic(state, leds);
    EXPECT_TRUE(AllLeds(leds, Led({200, 0, 0}, 135)));
    state.counters.step = 40;
    ResetEffect(state, 77);
    EXPECT_EQ(state.counters.step, 0);
    StepFlashing(state, leds, 77 + FlashTicks(0) - 1);
    EXPECT_EQ(state.counters.blinkPhase, 0);
}

}  // namespace
}  // namespace vandrel::lighting
