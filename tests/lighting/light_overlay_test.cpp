#include "lighting/light_overlay.h"

#include <gtest/gtest.h>

#include <vector>

#include "lighting/base_effects.h"

namespace vandrel::lighting {
namespace {

using profiles::LightListEntry;

constexpr LedColor kUntouched{9, 9, 9, 9};

LedColor Led(Rgb c, std::uint8_t alpha) { return {c.red, c.green, c.blue, alpha}; }

LightListEntry Entry(std::uint8_t mode, std::uint8_t speed = 4, std::uint8_t multiColor = 0) {
    return {.mode = mode,
            .brightness = 4,
            .speed = speed,
            .direction = 0,
            .multiColor = multiColor,
            .red = 40,
            .green = 50,
            .blue = 60,
            .valid = 1};
}

class Overlay : public ::testing::Test {
protected:
    Overlay() {
        for (std::size_t i = 0; i < leds.Size(); ++i) leds.Set(i, kUntouched);
        overlay.Reset(0);
    }
    void Passes(int count, std::uint64_t now = 0) {
        for (int i = 0; i < count; ++i) overlay.Apply(list, leds, now);
    }

    LedBuffer leds{15};
    LightOverlay overlay;
    std::vector<LightListEntry> list;
};

TEST_F(Overlay, StaticAndOffPaintEveryEntryOfTheirMode) {
    list = {Entry(1), Entry(4), Entry(1), Entry(7)};
    list[2].valid = 0;
    list[2].brightness = 2;
    Passes(1);
    EXPECT_EQ(leds.Get(0), Led({40, 50, 60}, 255));
    EXPECT_EQ(leds.Get(1), Led({}, 0));
    EXPECT_EQ(leds.Get(2), Led({40, 50, 60}, 135));
    EXPECT_EQ(leds.Get(3), kUntouched);  // no such mode
    EXPECT_EQ(leds.Get(4), kUntouched);  // no entry
}

TEST_F(Overlay, BreathingAndColourCycleSkipInvalidEntries) {
    list = {Entry(0), Entry(3)};
    list[0].valid = 0;
    list[1].valid = 0;
    Passes(10);
    EXPECT_EQ(leds.Get(0), kUntouched);
    EXPECT_EQ(leds.Get(1), kUntouched);
}

TEST_F(Overlay, BreathingMovesBySpeedPlusFourAndTurnsTheHuePerBreath) {
    struct Case {
        std::uint8_t speed;
        int passes;
        std::uint8_t curveStep;
        std::uint8_t hue;
    };
    const Case cases[] = {
        {4, 1, 8, 0},    {4, 15, 120, 0}, {4, 16, 0, 1},   {4, 17, 8, 1}, {0, 1, 4, 0},
        {0, 31, 124, 0}, {0, 32, 0, 1},   {2, 21, 126, 0}, {2, 22, 0, 1}, {9, 16, 0, 1},  // speeds above 4 breathe as 4
    };
    for (const Case& c : cases) {
        list = {Entry(0, c.speed, 1)};
        overlay.Reset(0);
        Passes(c.passes);
        EXPECT_EQ(leds.Get(0), Led(WheelColour(c.hue), Dim(kBreathingCurve128[c.curveStep], 255)))
            << "speed " << int{c.speed} << " passes " << c.passes;
    }
}

TEST_F(Overlay, BreathingHueComesRoundToZeroAfter191) {
    list = {Entry(0, 4, 1)};
    Passes(16 * 191);
    EXPECT_EQ(leds.Get(0), Led(WheelColour(191), 0));
    Passes(16);
    EXPECT_EQ(leds.Get(0), Led(WheelColour(0), 0));
}

TEST_F(Overlay, ColourCycleTurnsTheHueEveryBlinkPeriodOfPasses) {
    list = {Entry(3, 4), Entry(3, 0)};
    Passes(6);
    EXPECT_EQ(leds.Get(0), Led(WheelColour(0), 255));
    Passes(1);  // 7 passes at speed 4
    EXPECT_EQ(leds.Get(0), Led(WheelColour(1), 255));
    EXPECT_EQ(leds.Get(1), Led(WheelColour(0), 255));
    Passes(21);  // 28 passes at speed 0
    EXPECT_EQ(leds.Get(0), Led(WheelColour(4), 255));
    EXPECT_EQ(leds.Get(1), Led(WheelColour(1), 255));
}

TEST_F(Overlay, BlinkingFlipsEveryBlinkPeriodTimes200Ms) {
    list = {Entry(2, 4, 1), Entry(2, 0, 0)};
    Passes(1, 89);
    EXPECT_EQ(leds.Get(0), Led({}, 0));
    Passes(1, 90);  // 1.4 s
    EXPECT_EQ(leds.Get(0), Led(WheelColour(14), 255));
    EXPECT_EQ(leds.Get(1), Led({}, 0));
    Passes(1, 180);
    EXPECT_EQ(leds.Get(0), Led({}, 0));
    Passes(1, 359);  // 5.6 s
    EXPECT_EQ(leds.Get(1), Led({40, 50, 60}, 255));
}

TEST_F(Overlay, ResetStartsEveryEntryAgain) {
    list = {Entry(0, 4, 1), Entry(2, 4)};
    Passes(20, 100);
    overlay.Reset(100);
    Passes(1, 100 + FlashTicks(4) - 1);
    EXPECT_EQ(leds.Get(0), Led(WheelColour(0), Dim(kBreathingCurve128[8], 255)));
    EXPECT_EQ(leds.Get(1), Led({}, 0));
}

TEST_F(Overlay, EntriesBeyondTheLedsOrTheStateAreHarmless) {
    list.assign(400, Entry(1));
    Passes(1);
    EXPECT_EQ(leds.Get(14), Led({40, 50, 60}, 255));
}

}  // namespace
}  // namespace vandrel::lighting
