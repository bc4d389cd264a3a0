// The mouse's three effects frame by frame over its 7 LED groups.
#include <array>
#include <random>
#include <utility>

#include <gtest/gtest.h>

#include "devices/mouse/mouse_lighting.h"

namespace vandrel::devices::mouse {
namespace {

using lighting::LedBuffer;
using lighting::LedColor;
using lighting::Rgb;

// The layout of the mouse: (LED, group).
constexpr std::array<std::pair<int, int>, kLedCount> kLayout{{{0, 0},
                                                              {13, 0},
                                                              {1, 1},
                                                              {12, 1},
                                                              {2, 2},
                                                              {11, 2},
                                                              {3, 3},
                                                              {10, 3},
                                                              {4, 4},
                                                              {9, 4},
                                                              {5, 5},
                                                              {8, 5},
                                                              {6, 6},
                                                              {14, 6},
                                                              {7, 6}}};

Rgb ColourAt(const LedBuffer& leds, int led) {
    const LedColor c = leds.Get(static_cast<std::size_t>(led));
    return {c.red, c.green, c.blue};
}

lighting::Look LookOf(bool colourful, std::uint8_t direction, Rgb colour = {255, 0, 0}) {
    return {.brightness = 4,
            .speed = 2,
            .direction = direction,
            .colourful = static_cast<std::uint8_t>(colourful),
            .colour = colour};
}

TEST(MouseWave, SevenColourWaveGivesEachGroupTheWheelSevenEntriesOnFromTheLast) {
    LedBuffer leds(kLedCount);
    lighting::EffectCounters counters;
    counters.step = 9;
    StepWave(counters, LookOf(true, 1), leds);
    EXPECT_EQ(counters.step, 10);
    for (const auto& [led, group] : kLayout) {
        SCOPED_TRACE(led);
        EXPECT_EQ(ColourAt(leds, led), lighting::WheelColour(static_cast<std::uint8_t>((11 + 7 * group) % 192)));
        EXPECT_EQ(leds.Get(static_cast<std::size_t>(led)).brightness, 255);
    }
}

TEST(MouseWave, OneColourWaveRunsTheBreathingCurveOverTheGroups) {
    LedBuffer leds(kLedCount);
    lighting::EffectCounters counters;
    counters.step = 95;
    const Rgb blue{0, 0, 255};
    StepWave(counters, LookOf(false, 1, blue), leds);
    EXPECT_EQ(counters.step, 0) << "96 positions without the seven colours";
    for (const auto& [led, group] : kLayout) {
        SCOPED_TRACE(led);
        EXPECT_EQ(ColourAt(leds, led), blue);
        EXPECT_EQ(leds.Get(static_cast<std::size_t>(led)).brightness,
                  lighting::Dim(lighting::kBreathingCurve96[(1 + 7 * group) % 96], 255));
    }
}

TEST(MouseReactiveBand, EachGroupShowsItsLevel) {
    LedBuffer leds(kLedCount);
    lighting::EffectCounters counters;
    const std::array<std::uint8_t, kGroupCount> levels{0, 255, 128, 0, 0, 0, 64};
    PaintBand(counters, LookOf(false, 1, {0, 255, 0}), levels, leds);
    for (const auto& [led, group] : kLayout) {
        SCOPED_TRACE(led);
        EXPECT_EQ(ColourAt(leds, led), (Rgb{0, 255, 0}));
        EXPECT_EQ(leds.Get(static_cast<std::size_t>(led)).brightness, lighting::Dim(255, levels[group]));
    }
}

TEST(MouseReactiveBand, SevenColoursMoveTwelveHuesPerGroupAndHoldAtTheStartingEnd) {
    struct Case {
        const char* name;
        std::uint8_t direction;
        std::array<std::uint8_t, kGroupCount> levels;
        bool holds;
    };
    const Case cases[] = {
        {"going up, band away from group 0", 1, {0, 200, 0, 0, 0, 0, 90}, false},
        {"going up, band at group 0", 1, {200, 0, 0, 0, 0, 0, 0}, true},
        {"going down, band at group 6", 0, {0, 0, 0, 0, 0, 0, 200}, true},
        {"going down, band at group 0", 0, {200, 0, 0, 0, 0, 0, 0}, false},
    };
    const Rgb earlier{1, 2, 3};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LedBuffer leds(kLedCount);
        for (std::size_t i = 0; i < kLedCount; ++i) leds.Set(i, {earlier.red, earlier.green, earlier.blue, 9});
        lighting::EffectCounters counters;
        counters.step = 185;
        PaintBand(counters, LookOf(true, c.direction), c.levels, leds);
        EXPECT_EQ(counters.step, (185 + 12 * 7) % 192) << "the step moves on by 12 per group";
        for (const auto& [led, group] : kLayout) {
            const Rgb expected =
                c.holds ? earlier : lighting::WheelColour(static_cast<std::uint8_t>((185 + 12 * (group + 1)) % 192));
            EXPECT_EQ(ColourAt(leds, led), expected) << "LED " << led;
            EXPECT_EQ(leds.Get(static_cast<std::size_t>(led)).brightness, lighting::Dim(255, c.levels[group]));
        }
    }
}

TEST(MouseReactiveFlash, EveryLedLightsInItsOwnColourAndFadesOut) {
    ReactiveFlash flash;
    std::minstd_rand random(7);
    LedBuffer leds(kLedCount);
    flash.Step(LookOf(true, 0), leds);
    for (std::size_t i = 0; i < kLedCount; ++i) EXPECT_EQ(leds.Get(i).brightness, 0) << "dark before a click";

    flash.Trigger(random);
    for (std::size_t i = 0; i < kLedCount; ++i) {
        EXPECT_EQ(flash.At(i).phase, ReactiveFlash::Phase::Rising);
        EXPECT_EQ(flash.At(i).level, 255);
        EXPECT_LT(flash.At(i).hue, 192);
    }

    // Frame -> level: full at the first frame (rising tops out at 255), then
    // 15 less per frame down to 0, where it stays.
    const std::pair<int, int> frames[] = {{1, 255}, {2, 240}, {3, 225}, {17, 15}, {18, 0}, {25, 0}};
    int done = 0;
    for (const auto& [frame, level] : frames) {
        for (; done < frame; ++done) flash.Step(LookOf(true, 0), leds);
        for (std::size_t i = 0; i < kLedCount; ++i) {
            ASSERT_EQ(flash.At(i).level, level) << "frame " << frame;
            EXPECT_EQ(leds.Get(i).brightness, lighting::Dim(255, static_cast<std::uint8_t>(level)));
            EXPECT_EQ(ColourAt(leds, static_cast<int>(i)), lighting::WheelColour(flash.At(i).hue));
        }
    }
}

TEST(MouseReactiveFlash, WithoutSevenColoursEveryLedFlashesTheFixedColour) {
    ReactiveFlash flash;
    std::minstd_rand random(3);
    LedBuffer leds(kLedCount);
    flash.Trigger(random);
    flash.Step(LookOf(false, 0, {10, 20, 30}), leds);
    for (std::size_t i = 0; i < kLedCount; ++i) EXPECT_EQ(ColourAt(leds, static_cast<int>(i)), (Rgb{10, 20, 30}));
}

}  // namespace
}  // namespace vandrel::devices::mouse
