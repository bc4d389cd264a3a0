// The keyboard's lighting effects step by step from known states: the layout
// tables, the seeds, the waves, the travelling and reactive lights, the
// multi-stage show, the inputs of effects 29 and 30, and when the lighting
// thread may sleep.
#include <algorithm>
#include <array>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "devices/keyboard/keyboard_effects.h"
#include "lighting/engine_tables.h"

namespace vandrel::devices::keyboard {
namespace {

using lighting::Dim;
using lighting::LedBuffer;
using lighting::LedColor;
using lighting::LevelAlpha;
using lighting::Rgb;
using lighting::WheelColour;

constexpr Rgb kFixed{200, 40, 10};

Rgb ColourAt(const LedBuffer& leds, std::uint8_t key) {
    const LedColor c = leds.Get(key);
    return {c.red, c.green, c.blue};
}

std::vector<std::uint32_t> Snapshot(const LedBuffer& leds) {
    std::vector<std::uint32_t> all;
    for (std::size_t i = 0; i < leds.Size(); ++i) all.push_back(leds.Get(i).Packed());
    return all;
}

// A keyboard at full brightness and speed, colours from the wheel, running
// forwards, with a fixed random sequence.
struct Keyboard {
    KeyboardEffectState state;
    KeyboardLook look{.base = {.brightness = 4, .speed = 4, .direction = 1, .colourful = 1, .colour = kFixed}};
    LedBuffer leds{kPositionCount};
    EffectRandom random{12345};
    std::uint8_t effect = 0;
    std::uint64_t now = 0;

    explicit Keyboard(std::uint8_t e) : effect(e) { StartEffect(state, effect, now); }
    void Steps(int n = 1) {
        for (int i = 0; i < n; ++i) StepEffect(effect, state, look, leds, ++now, random);
    }
    bool Press(std::uint8_t key, KeyAction action = KeyAction::kPressed) {
        return ReactToKey(state, effect, key, action, random);
    }
};

// ---- Tables -------------------------------------------------------------------------

TEST(KeyboardTables, EveryGridKeyIsFoundAtItsCell) {
    std::set<std::uint8_t> keys;
    for (std::uint8_t c = 0; c < kGridColumns; ++c)
        for (std::uint8_t r = 0; r < kGridRows; ++r) {
            const std::uint8_t key = kKeyGrid[c][r];
            if (key == kNoKey) continue;
            keys.insert(key);
            const auto cell = FindPosition(key);
            ASSERT_TRUE(cell.has_value()) << int{key};
            EXPECT_EQ(*cell, (GridCell{c, r})) << int{key};
            EXPECT_EQ(kColumnOfPosition[key], c);
        }
    EXPECT_EQ(keys.size(), kKeyCount);
    EXPECT_EQ(*keys.rbegin(), kKeyCount - 1);  // the keys are positions 0..131
    for (const std::uint8_t notKey : {132, 169, 170, 200, 255}) EXPECT_FALSE(FindPosition(notKey)) << notKey;
    EXPECT_EQ(FindPosition(51), (GridCell{10, 2}));
}

// Each table holds keys or kNoKey, and the ones that cover the board hold
// every key exactly once.
TEST(KeyboardTables, PathsStayOnKeys) {
    const auto covers = [](std::span<const std::uint8_t> path) {
        std::multiset<std::uint8_t> seen;
        for (const std::uint8_t k : path)
            if (k != kNoKey) seen.insert(k);
        if (seen.size() != kKeyCount) return false;
        for (std::uint8_t k = 0; k < kKeyCount; ++k)
            if (seen.count(k) != 1) return false;
        return true;
    };
    EXPECT_TRUE(covers(kSerpentine));
    EXPECT_TRUE(covers(kRunningOrder));
    std::vector<std::uint8_t> rings, grid7;
    for (const Ring& ring : kRings) rings.insert(rings.end(), ring.begin(), ring.end());
    for (const Grid7Column& column : kGrid7) grid7.insert(grid7.end(), column.begin(), column.end());
    EXPECT_TRUE(covers(rings));
    EXPECT_TRUE(covers(grid7));
    EXPECT_EQ(kRings[0][2], kRingCentre);

    // The serpentine turns at the ends of the rows.
    EXPECT_EQ(kSerpentine[0], 0);
    EXPECT_EQ(kSerpentine[16], 15);   // end of the function row, column 18
    EXPECT_EQ(kSerpentine[17], 41);   // the next row starts at column 22
    EXPECT_EQ(kSerpentine[39], 120);  // and ends at column 0

    // The gap row of the 23 x 7 grid.
    for (const Grid7Column& column : kGrid7) EXPECT_EQ(column[1], kNoKey);

    for (const SweepStep& step : kSweepSteps) {
        EXPECT_EQ(step[0], kRingCentre);
        std::set<std::uint8_t> keys;
        for (const std::uint8_t k : step) {
            if (k == kNoKey) continue;
            EXPECT_TRUE(FindPosition(k));
            EXPECT_TRUE(keys.insert(k).second) << "a key twice in one sweep step";
        }
    }
    const std::set<std::uint8_t> twinkle(kTwinkleKeys.begin(), kTwinkleKeys.end());
    EXPECT_EQ(twinkle.size(), kTwinkleCount);
    for (const std::uint8_t k : twinkle) EXPECT_TRUE(FindPosition(k));
    for (const KeyPair& pair : kShowPairs)
        for (const std::uint8_t k : pair) EXPECT_TRUE(FindPosition(k));
}

// ---- Pacing ---------------------------------------------------------------------------

TEST(KeyboardEffects, IntervalsFollowTheEffectRows) {
    struct Case {
        std::uint8_t effect, speed, ticks;
    };
    constexpr std::array<Case, 15> kCases{{{1, 0, 8},
                                           {1, 1, 6},
                                           {1, 2, 4},
                                           {1, 3, 2},
                                           {1, 4, 1},
                                           {16, 0, 4},
                                           {16, 4, 4},
                                           {18, 0, 2},
                                           {18, 4, 2},
                                           {26, 0, 8},
                                           {27, 3, 2},
                                           {29, 0, 2},
                                           {29, 4, 2},
                                           {5, 9, 1},  // speeds above 4 read as 4
                                           {30, 2, 4}}};
    for (const Case& c : kCases)
        EXPECT_EQ(EffectInterval(c.effect, c.speed), c.ticks) << int{c.effect} << " at speed " << int{c.speed};
}

TEST(KeyboardEffects, BreathingAtTopSpeedTakes128StepsOfOneTick) {
    Keyboard kb(5);
    ASSERT_EQ(EffectInterval(5, 4), 1);
    std::vector<std::uint8_t> alpha;
    std::vector<int> atStart;  // steps after which the counter is back at 0
    for (int i = 0; i < 256; ++i) {
        kb.Steps();
        alpha.push_back(kb.leds.Get(51).brightness);
        if (kb.state.counters.step == 0) atStart.push_back(i);
    }
    EXPECT_EQ(atStart, (std::vector<int>{127, 255}));
    for (std::size_t i = 0; i < 128; ++i) EXPECT_EQ(alpha[i], alpha[i + 128]) << i;
    EXPECT_EQ(alpha[62], Dim(255, 255));  // the top of the curve: counter 63 and 64
    EXPECT_EQ(alpha[63], Dim(255, 255));
    EXPECT_EQ(alpha[127], 0);  // counter 0
}

// ---- Starting ---------------------------------------------------------------------------

TEST(KeyboardEffects, StartTellsTheDeviceWhatToRestart) {
    struct Case {
        std::uint8_t effect;
        bool loadCustomGroup, resetLightList;
    };
    constexpr std::array<Case, 10> kCases{{{1, false, true},
                                           {11, false, false},
                                           {13, false, false},
                                           {15, false, false},
                                           {16, false, false},
                                           {19, false, true},
                                           {20, true, true},
                                           {22, false, false},
                                           {24, false, true},
                                           {0, false, true}}};
    for (const Case& c : kCases) {
        KeyboardEffectState state;
        const StartActions actions = StartEffect(state, c.effect, 0);
        EXPECT_EQ(actions.loadCustomGroup, c.loadCustomGroup) << int{c.effect};
        EXPECT_EQ(actions.resetLightList, c.resetLightList) << int{c.effect};
    }
}

TEST(KeyboardEffects, StartClearsTheStateButKeepsTheExternalColour) {
    KeyboardEffectState state;
    state.hue.fill(90);
    state.brightness.fill(7);
    state.bitmaps[2][4] = 3;
    state.stage = 3;
    SetExternalColour(state, {1, 2, 3});
    StartEffect(state, 24, 99);
    EXPECT_TRUE(std::all_of(state.hue.begin(), state.hue.end(), [](auto h) { return h == 0; }));
    EXPECT_TRUE(std::all_of(state.brightness.begin(), state.brightness.end(), [](auto b) { return b == 0; }));
    EXPECT_EQ(state.bitmaps[2][4], 0);
    EXPECT_EQ(state.stage, 0);
    EXPECT_EQ(state.counters.lastBlinkTick, 99u);
    EXPECT_TRUE(state.external.received);
    EXPECT_EQ(state.external.colour, (Rgb{1, 2, 3}));
}

TEST(KeyboardEffects, RainbowSeedStepsBy33And97) {
    struct Case {
        std::uint8_t position, hue;
    };
    // 165 lies in 160..222, so 97 follows it: 165 + 97 = 262 -> 6.
    constexpr std::array<Case, 10> kCases{
        {{0, 0}, {1, 33}, {4, 132}, {5, 165}, {6, 6}, {11, 171}, {12, 12}, {29, 189}, {64, 192}, {65, 33}}};
    Keyboard kb(11);
    for (const Case& c : kCases) EXPECT_EQ(kb.state.hue[c.position], c.hue) << int{c.position};
    kb.Steps();
    // Every key moves on by one, 192 restarting at 0.
    EXPECT_EQ(kb.state.hue[5], 166);
    EXPECT_EQ(kb.state.hue[29], 190);
    EXPECT_EQ(kb.state.hue[64], 0);
    EXPECT_EQ(ColourAt(kb.leds, 29), WheelColour(190));
    EXPECT_EQ(kb.leds.Get(29).brightness, 255);
}

TEST(KeyboardEffects, PulseSeedsFollowColumnsAndRows) {
    Keyboard staggered(15);
    for (std::size_t c = 0; c < kGridColumns; ++c)
        for (const std::uint8_t key : kKeyGrid[c]) {
            if (key == kNoKey) continue;
            EXPECT_EQ(staggered.state.brightness[key], kColumnPhases[c]) << int{key};
            EXPECT_EQ(staggered.state.hue[key], c * 7) << int{key};
        }

    struct Case {
        std::uint8_t position, counter, hue;
    };
    // 192 - 8 x column - 35 x row, modulo 192.
    constexpr std::array<Case, 4> kCases{{{0, 176, 14}, {21, 149, 7}, {51, 42, 70}, {131, 33, 154}}};
    Keyboard diagonal(22);
    for (const Case& c : kCases) {
        EXPECT_EQ(diagonal.state.brightness[c.position], c.counter) << int{c.position};
        EXPECT_EQ(diagonal.state.hue[c.position], c.hue) << int{c.position};
    }
    diagonal.Steps();
    EXPECT_EQ(diagonal.state.brightness[51], 43);
    EXPECT_EQ(diagonal.leds.Get(51).brightness, Dim(lighting::kPulseCurve256[43], 255));
}

// ---- Waves and static colours ------------------------------------------------------------

// One step forwards from a fresh start: the counter is 1.
TEST(KeyboardEffects, WavesGiveEachColumnRowRingOrPlaceItsHue) {
    struct Case {
        const char* what;
        std::uint8_t effect, key, hue;
    };
    constexpr std::array<Case, 10> kCases{{
        {"column wave, column 10", 1, 51, 2 + 70},
        {"column wave, column 22", 1, 131, 2 + 154},
        {"column pulses, column 22", 2, 131, 1 + 44},
        {"serpentine, first key", 3, 0, 2},
        {"serpentine, last key", 3, 124, (2 + 5 * 131) % 192},
        {"row wave, top row", 12, 0, 2},
        {"row wave, bottom row", 12, 124, 2 + 120},
        {"ring wave, centre ring", 18, 51, 1 + 7},
        {"ring wave, outer ring", 18, 131, 1 + 84},
        {"breathing, column 3", 5, 23, 21},
    }};
    for (const Case& c : kCases) {
        Keyboard kb(c.effect);
        kb.Steps();
        EXPECT_EQ(ColourAt(kb.leds, c.key), WheelColour(c.hue)) << c.what;
    }
}

TEST(KeyboardEffects, WavesWithTheFixedColourDimIt) {
    struct Case {
        const char* what;
        std::uint8_t effect, direction, key, alpha;
    };
    constexpr std::array<Case, 4> kCases{{
        // (1 + 1 + 154) mod 96 = 60 on the 96-step breathing curve.
        {"column wave forwards", 1, 1, 131, lighting::kBreathingCurve96[60]},
        // Backwards from 0 the counter wraps to 95: (96 + 154) mod 96 = 58.
        {"column wave backwards", 1, 0, 131, lighting::kBreathingCurve96[58]},
        // (1 + 22) on the sharp pulse curve.
        {"column pulses", 2, 1, 131, lighting::kPulseCurve256[23]},
        {"serpentine", 3, 1, 0, lighting::kBreathingCurve96[2]},
    }};
    for (const Case& c : kCases) {
        Keyboard kb(c.effect);
        kb.look.base.colourful = 0;
        kb.look.base.direction = c.direction;
        kb.Steps();
        EXPECT_EQ(ColourAt(kb.leds, c.key), kFixed) << c.what;
        EXPECT_EQ(kb.leds.Get(c.key).brightness, Dim(c.alpha, 255)) << c.what;
    }
}

TEST(KeyboardEffects, ColumnWaveWrapsWithinTheWheel) {
    Keyboard kb(1);
    kb.state.counters.step = 190;  // the next step is 191
    kb.Steps();
    EXPECT_EQ(ColourAt(kb.leds, 0), WheelColour((192 + 14) % 192));  // key 0 is column 2
    kb.Steps();
    EXPECT_EQ(kb.state.counters.step, 0);
}

TEST(KeyboardEffects, ChosenHueFollowsTheMode) {
    struct Case {
        std::uint8_t mode, hue;
    };
    constexpr std::array<Case, 6> kCases{{{0, 174}, {1, 25}, {2, 70}, {3, 95}, {4, 174}, {255, 174}}};
    for (const Case& c : kCases) {
        Keyboard kb(17);
        kb.look.zzccMode = c.mode;
        kb.look.base.brightness = 2;
        kb.Steps();
        for (const std::uint8_t key : {0, 51, 131}) {
            EXPECT_EQ(ColourAt(kb.leds, key), WheelColour(c.hue)) << int{c.mode};
            EXPECT_EQ(kb.leds.Get(key).brightness, LevelAlpha(2));
        }
    }
}

TEST(KeyboardEffects, StaticRingsStep12HuesOutwards) {
    Keyboard kb(6);
    kb.Steps();
    for (std::size_t r = 0; r < kRings.size(); ++r)
        for (const std::uint8_t key : kRings[r])
            if (key != kNoKey) {
                EXPECT_EQ(ColourAt(kb.leds, key), WheelColour(138 - 12 * r)) << r;
            }
    kb.look.base.colourful = 0;
    kb.Steps();
    for (const std::uint8_t key : kSerpentine) EXPECT_EQ(ColourAt(kb.leds, key), kFixed);
}

TEST(KeyboardEffects, PerKeyColoursKeepTheirColourAndTakeTheLevel) {
    Keyboard kb(20);
    kb.look.base.brightness = 1;
    for (std::uint8_t i = 0; i < kPositionCount; ++i) lighting::Paint(kb.leds, i, Rgb{i, 7, 200}, 9);
    kb.Steps();
    for (std::uint8_t i = 0; i < kPositionCount; ++i) {
        EXPECT_EQ(ColourAt(kb.leds, i), (Rgb{i, 7, 200}));
        EXPECT_EQ(kb.leds.Get(i).brightness, LevelAlpha(1));
    }
}

// ---- Sweep and running light -----------------------------------------------------------

// A key outside the next sweep step loses 5 levels and gains 3 hue, the hue
// stopping at 255; past 191 the wheel starts again from its first entries.
TEST(KeyboardEffects, SweepHueClimbsPast191To255) {
    struct Case {
        std::uint8_t hue, level, nextHue, nextLevel;
    };
    constexpr std::array<Case, 6> kCases{{{0, 255, 3, 250},
                                          {189, 100, 192, 95},
                                          {191, 5, 194, 0},
                                          {252, 3, 255, 0},
                                          {253, 0, 255, 0},
                                          {255, 9, 255, 4}}};
    for (const Case& c : kCases) {
        Keyboard kb(24);
        const SweepStep& next = kSweepSteps[1];
        constexpr std::uint8_t key = 124;  // the bottom left corner
        ASSERT_EQ(std::find(next.begin(), next.end(), key), next.end());
        kb.state.hue[key] = c.hue;
        kb.state.brightness[key] = c.level;
        kb.Steps();
        EXPECT_EQ(kb.state.hue[key], c.nextHue) << int{c.hue};
        EXPECT_EQ(kb.state.brightness[key], c.nextLevel) << int{c.hue};
        EXPECT_EQ(ColourAt(kb.leds, key), WheelColour(c.nextHue)) << int{c.hue};
        EXPECT_EQ(kb.leds.Get(key).brightness, 255);  // with colours: always the full level
    }
    // The keys of the sweep step start again at level 255 and hue 0.
    Keyboard kb(24);
    kb.Steps();
    for (const std::uint8_t key : kSweepSteps[1])
        if (key != kNoKey) {
            EXPECT_EQ(ColourAt(kb.leds, key), WheelColour(0));
        }
    kb.look.base.colourful = 0;
    kb.Steps();
    EXPECT_EQ(kb.leds.Get(kSweepSteps[2][0]).brightness, Dim(255, 255));
    EXPECT_EQ(ColourAt(kb.leds, kSweepSteps[2][0]), kFixed);
}

TEST(KeyboardEffects, RunningLightWrapsBothWays) {
    struct Case {
        const char* what;
        std::uint8_t direction, from, to;
    };
    constexpr std::array<Case, 4> kCases{{{"forwards", 1, 0, 1},
                                          {"forwards past the end", 1, 169, 0},
                                          {"backwards", 0, 1, 0},
                                          {"backwards past the start", 0, 0, 169}}};
    for (const Case& c : kCases) {
        Keyboard kb(21);
        kb.look.base.direction = c.direction;
        kb.state.counters.step = c.from;
        kb.Steps();
        EXPECT_EQ(kb.state.counters.step, c.to) << c.what;
    }
    // Each reached key lights at 254 and fades behind the light.
    Keyboard kb(21);
    kb.Steps();
    const std::uint8_t first = kRunningOrder[1];
    ASSERT_NE(first, kNoKey);
    EXPECT_EQ(kb.state.brightness[first], 254);
    kb.Steps();
    EXPECT_EQ(kb.state.brightness[first], 214);
    EXPECT_EQ(kb.state.brightness[kRunningOrder[2]], 254);
}

// ---- Travelling lights ------------------------------------------------------------------

// Every second step the light moves; a new one leaves the bottom of column 9
// whenever the last has climbed to the top row.
TEST(KeyboardEffects, BouncingLightIsRenewedFromTheTop) {
    Keyboard kb(13);
    for (std::size_t b = 0; b < kBitmapCount; ++b) EXPECT_EQ(kb.state.bitmaps[b][9], 1u << 6);
    const std::uint8_t start = kGrid7[9][6];
    std::vector<int> lit;
    for (int i = 0; i < 60; ++i) {
        kb.Steps();
        if (kb.state.brightness[start] == 255) lit.push_back(i);
    }
    EXPECT_EQ(lit, (std::vector<int>{0, 12, 24, 36, 48}));
}

TEST(KeyboardEffects, TravellingLightIsRenewedAtBothCorners) {
    Keyboard kb(16);
    for (std::size_t b = 0; b < kBitmapCount; ++b) EXPECT_EQ(kb.state.bitmaps[b][1], 1u << 0);
    int topLit = 0, bottomLit = 0;
    for (int i = 0; i < 100; ++i) {
        kb.Steps();
        topLit += kb.state.brightness[0] == 255 ? 1 : 0;  // next to column 1 in the top row
        bottomLit += kb.state.brightness[131] == 255 ? 1 : 0;
    }
    EXPECT_GE(topLit, 5);
    EXPECT_GE(bottomLit, 5);
}

// ---- The show ---------------------------------------------------------------------------

TEST(KeyboardEffects, ShowRunsItsFivePhasesAndStartsAgain) {
    Keyboard kb(14);
    std::vector<std::pair<std::uint8_t, int>> phases;  // stage and its number of steps
    std::uint8_t stage = kb.state.stage;
    int steps = 0;
    for (int i = 0; i < 400 && phases.size() < 6; ++i) {
        const bool columns = kb.state.stage == 0;
        const std::uint8_t at = kb.state.subCounter;
        kb.Steps();
        if (columns)
            for (const std::uint8_t key : kShowSteps[at])
                if (key != kNoKey) {
                    EXPECT_EQ(kb.state.brightness[key], 255) << "column step " << int{at};
                }
        ++steps;
        if (kb.state.stage != stage) {
            phases.emplace_back(stage, steps);
            if (stage == 3) {
                EXPECT_NE(kb.state.brightness[124], 0) << "the flood reached the corner";
            }
            stage = kb.state.stage;
            steps = 0;
        }
    }
    ASSERT_EQ(phases.size(), 6u);
    const std::array<std::uint8_t, 6> order{0, 1, 2, 3, 4, 0};
    for (std::size_t i = 0; i < phases.size(); ++i) EXPECT_EQ(phases[i].first, order[i]) << i;
    EXPECT_EQ(phases[0].second, 20);
    EXPECT_EQ(phases[1].second, 31);
    EXPECT_EQ(phases[5].second, 20);
}

// ---- Key reactions ----------------------------------------------------------------------

TEST(KeyboardEffects, OnlyTheReactiveEffectsTakeKeys) {
    for (int e = 0; e <= 255; ++e) {
        const auto effect = static_cast<std::uint8_t>(e);
        Keyboard kb(effect);
        const KeyboardEffectState before = kb.state;
        const bool reacts = effect == 7 || effect == 8 || effect == 9 || effect == 25;
        EXPECT_EQ(kb.Press(51), reacts) << e;
        if (!reacts) {
            EXPECT_EQ(kb.state.brightness, before.brightness) << e;
            EXPECT_EQ(kb.state.reaction, before.reaction) << e;
            EXPECT_EQ(kb.state.bitmaps, before.bitmaps) << e;
            EXPECT_FALSE(kb.Press(51, KeyAction::kReleased)) << e;
        }
    }
}

TEST(KeyboardEffects, CrossesLightOnPressOnly) {
    for (const std::uint8_t effect : {8, 9}) {
        Keyboard kb(effect);
        EXPECT_FALSE(kb.Press(51, KeyAction::kReleased));
        EXPECT_TRUE(kb.Press(51));
        for (std::size_t b = 0; b < kBitmapCount; ++b) EXPECT_EQ(kb.state.bitmaps[b][10], 1u << 3);  // row 2 -> 3
        kb.Steps();
        EXPECT_EQ(kb.state.brightness[51], 255);
        EXPECT_FALSE(kb.Press(170));  // not a key
    }
    // Effect 8 spreads the cross one key a step; effect 9 flashes the whole
    // row and column once.
    Keyboard cross(8);
    cross.Press(51);
    cross.Steps(2);
    EXPECT_EQ(cross.state.brightness[50], 255);  // one column left
    EXPECT_EQ(cross.state.brightness[52], 255);  // one column right
    EXPECT_EQ(cross.state.brightness[30], 255);  // one row up
    EXPECT_EQ(cross.state.brightness[72], 255);  // one row down
    EXPECT_EQ(cross.state.brightness[42], 0);    // far along the row, not yet
    Keyboard flash(9);
    flash.Press(51);
    flash.Steps();
    EXPECT_EQ(flash.state.brightness[42], 255);
    EXPECT_EQ(flash.state.brightness[109], 255);
    EXPECT_EQ(flash.state.bitmaps, decltype(flash.state.bitmaps){});
}

TEST(KeyboardEffects, ReactiveKeyRisesWhileHeldAndFallsAfterRelease) {
    Keyboard kb(7);
    EXPECT_TRUE(kb.Press(51));
    EXPECT_EQ(kb.state.brightness[51], 255);
    EXPECT_EQ(kb.state.reaction[51], kKeyPressed);
    const std::uint8_t hue = kb.state.hue[51];
    kb.Steps(3);
    EXPECT_EQ(kb.state.brightness[51], 255);
    EXPECT_EQ(ColourAt(kb.leds, 51), WheelColour(hue));
    EXPECT_TRUE(kb.Press(51, KeyAction::kReleased));
    kb.Steps(2);
    EXPECT_EQ(kb.state.brightness[51], 245);
    kb.Steps(49);
    EXPECT_EQ(kb.state.brightness[51], 0);
    EXPECT_EQ(kb.state.reaction[51], kKeyIdle);
}

TEST(KeyboardEffects, SpreadingReactionLightsNeighboursWhileHeld) {
    Keyboard kb(25);
    kb.Press(51);
    kb.Steps();
    EXPECT_EQ(kb.state.brightness[51], 255);
    for (const std::uint8_t neighbour : {50, 52, 30, 72}) EXPECT_EQ(kb.state.brightness[neighbour], 60);
    EXPECT_EQ(kb.state.brightness[53], 0);
    // Pressing 53 keeps its neighbour 52 lit; 51 and its other neighbours go dark.
    kb.Press(53);
    kb.Press(51, KeyAction::kReleased);
    kb.Steps(20);
    EXPECT_EQ(kb.state.brightness[52], 255);
    EXPECT_EQ(kb.state.brightness[51], 0);
    EXPECT_EQ(kb.state.brightness[50], 0);
    EXPECT_EQ(kb.state.reaction[51], kKeyIdle);
}

// ---- Inputs of effects 29 and 30 --------------------------------------------------------

TEST(KeyboardEffects, AudioEffectTakesTheLevelsAndLeavesTheKeys) {
    Keyboard kb(29);
    for (std::uint8_t i = 0; i < kPositionCount; ++i) lighting::Paint(kb.leds, i, Rgb{i, 1, 2}, 77);
    const auto before = Snapshot(kb.leds);
    std::array<std::int32_t, kAudioLevelCount> levels{};
    for (std::size_t i = 0; i < levels.size(); ++i) levels[i] = static_cast<std::int32_t>(i * 1000);
    SetAudioLevels(kb.state, levels);
    kb.Steps();
    EXPECT_EQ(kb.state.audioLevels, (std::array<std::int32_t, kAudioLevelCount>{}));
    EXPECT_EQ(Snapshot(kb.leds), before);
    kb.Steps(10);  // silence
    EXPECT_EQ(Snapshot(kb.leds), before);
}

TEST(KeyboardEffects, ExternalColourIsBlackUntilOneArrives) {
    Keyboard kb(30);
    lighting::Fill(kb.leds, Rgb{255, 255, 255}, 255);
    kb.Steps();
    for (const std::uint8_t key : kSerpentine) EXPECT_EQ(kb.leds.Get(key), LedColor{}) << int{key};
    struct Case {
        std::uint8_t brightness;
        Rgb colour;
    };
    constexpr std::array<Case, 3> kCases{{{4, {10, 20, 30}}, {1, {255, 0, 0}}, {0, {1, 2, 3}}}};
    for (const Case& c : kCases) {
        SetExternalColour(kb.state, c.colour);
        kb.look.base.brightness = c.brightness;
        EXPECT_FALSE(IsIdle(30, kb.state));
        kb.Steps();
        EXPECT_TRUE(IsIdle(30, kb.state));
        for (const std::uint8_t key : {0, 51, 124})
            EXPECT_EQ(kb.leds.Get(key),
                      (LedColor{c.colour.red, c.colour.green, c.colour.blue, LevelAlpha(c.brightness)}));
    }
}

// ---- Effect numbers without a step -------------------------------------------------------

TEST(KeyboardEffects, UnknownEffectsRunNothing) {
    for (const std::uint8_t effect : {0, 19, 31, 200, 255}) {
        Keyboard kb(effect);
        lighting::Fill(kb.leds, Rgb{1, 2, 3}, 4);
        const auto before = Snapshot(kb.leds);
        kb.Steps(5);
        EXPECT_EQ(Snapshot(kb.leds), before) << int{effect};
        EXPECT_TRUE(IsIdle(effect, kb.state)) << int{effect};
        EXPECT_GE(EffectInterval(effect, 0), 1) << int{effect};
    }
    EXPECT_EQ(ActivityOf(19), EffectActivity::kLightList);
    EXPECT_EQ(ActivityOf(0), EffectActivity::kNone);
    EXPECT_EQ(ActivityOf(31), EffectActivity::kNone);
}

// ---- Every effect, long run ----------------------------------------------------------------

// A thousand steps of every effect from a fresh start in both directions,
// with key presses for the reactive ones: no step reaches outside its
// tables (run under the address sanitizer too), and the thread may sleep
// exactly when nothing would change.
TEST(KeyboardEffects, EveryEffectRunsLongAndReportsIdleness) {
    for (std::uint8_t effect = kFirstEffect; effect <= kLastEffect; ++effect)
        for (const std::uint8_t direction : {0, 1}) {
            Keyboard kb(effect);
            kb.look.base.direction = direction;
            kb.look.base.colourful = static_cast<std::uint8_t>(effect % 2);
            const EffectActivity activity = ActivityOf(effect);
            EXPECT_NE(activity, EffectActivity::kNone) << int{effect};
            EXPECT_FALSE(IsIdle(effect, kb.state) && activity != EffectActivity::kLightList) << int{effect};
            for (int i = 0; i < 1000; ++i) {
                if (i == 10) kb.Press(51);
                if (i == 12) kb.Press(124);
                if (i == 20) kb.Press(51, KeyAction::kReleased);
                if (i == 22) kb.Press(124, KeyAction::kReleased);
                const auto version = kb.leds.Version();
                const bool idle = IsIdle(effect, kb.state);
                kb.Steps();
                if (idle) {
                    EXPECT_EQ(kb.leds.Version(), version) << int{effect} << " changed while idle at " << i;
                }
                if (activity == EffectActivity::kStatic) {
                    EXPECT_TRUE(IsIdle(effect, kb.state)) << int{effect};
                }
                if (activity == EffectActivity::kAnimated) {
                    EXPECT_FALSE(IsIdle(effect, kb.state)) << int{effect};
                }
            }
            if (activity == EffectActivity::kReactive) {
                EXPECT_TRUE(IsIdle(effect, kb.state)) << int{effect};
            }
            EXPECT_EQ(kb.leds.Size(), kPositionCount);
        }
}

TEST(KeyboardEffects, ReactiveEffectWakesOnAKeyAndSleepsWhenDark) {
    Keyboard kb(7);
    kb.Steps();
    EXPECT_TRUE(IsIdle(7, kb.state));
    kb.Press(0);
    EXPECT_FALSE(IsIdle(7, kb.state));
    kb.Steps(10);
    EXPECT_FALSE(IsIdle(7, kb.state)) << "a held key keeps it awake";
    kb.Press(0, KeyAction::kReleased);
    int steps = 0;
    while (!IsIdle(7, kb.state) && steps < 100) {
        kb.Steps();
        ++steps;
    }
    EXPECT_EQ(steps, 51);  // 255 / 5 steps to dark, one more to show it
    EXPECT_EQ(kb.leds.Get(0).brightness, 0);
}

TEST(KeyboardEffects, RepaintWakesAStaticEffect) {
    Keyboard kb(6);
    kb.Steps();
    ASSERT_TRUE(IsIdle(6, kb.state));
    kb.look.base.brightness = 1;
    RequestRepaint(kb.state);
    EXPECT_FALSE(IsIdle(6, kb.state));
    kb.Steps();
    EXPECT_EQ(kb.leds.Get(51).brightness, LevelAlpha(1));
    EXPECT_TRUE(IsIdle(6, kb.state));
}

TEST(KeyboardEffects, LookComesFromTheLightRecord) {
    profiles::LightInfo light;
    light.Light = 3;
    light.Speed = 2;
    light.Fx = 1;
    light.MultiColor = 1;
    light.Red = 9;
    light.Green = 8;
    light.Blue = 7;
    light.ZZCCLedMode = 2;
    const KeyboardLook look = KeyboardLookOf(light, 5);
    EXPECT_EQ(look.base.brightness, 3);
    EXPECT_EQ(look.base.speed, 2);
    EXPECT_EQ(look.base.direction, 1);
    EXPECT_EQ(look.base.colourful, 1);
    EXPECT_EQ(look.base.colour, (Rgb{9, 8, 7}));
    EXPECT_EQ(look.zzccMode, 2);
    EXPECT_EQ(look.audioStyle, 5);
}

}  // namespace
}  // namespace vandrel::devices::keyboard
