// Slider positions and resolutions of the mouse's two sensor rules, and the
// information blocks that make no sense.
#include <array>
#include <cstdint>

#include <gtest/gtest.h>

#include "devices/mouse/mouse_dpi.h"

namespace vandrel::devices::mouse {
namespace {

constexpr SensorRules kStepped{kSteppedSensor, 50, 500, 50};
constexpr SensorRules kLinear{0x3395, 50, 519, 50};

TEST(MouseDpi, SliderPositionBecomesResolution) {
    struct Case {
        const char* name;
        SensorRules rules;
        int position;
        int resolution;
    };
    const Case cases[] = {
        {"stepped sensor at 60: 50x48 + 60x200 + 50 - 9600", kStepped, 60, 4850},
        {"stepped sensor is linear up to 48", kStepped, 48, 2450},
        {"stepped sensor moves 200 after 48", kStepped, 49, 2650},
        {"stepped sensor at 0 is the lowest", kStepped, 0, 50},
        {"linear sensor", kLinear, 7, 400},
        {"linear sensor at the top", kLinear, 519, 26000},
        {"beyond the top reads as the top", kLinear, 600, 26000},
        {"below 0 reads as 0", kLinear, -3, 50},
    };
    for (const Case& c : cases) EXPECT_EQ(ResolutionOf(c.rules, c.position), c.resolution) << c.name;
}

TEST(MouseDpi, TypedResolutionBecomesNearestPositionAtOrBelowIt) {
    struct Case {
        const char* name;
        SensorRules rules;
        int resolution;
        int position;
    };
    const Case cases[] = {
        {"stepped 4850", kStepped, 4850, 60},
        {"stepped between two positions", kStepped, 4900, 60},
        {"stepped between the break and the next", kStepped, 2500, 48},
        {"stepped at the break", kStepped, 2450, 48},
        {"below the lowest selects the lowest", kStepped, 30, 0},
        {"zero selects the lowest", kLinear, 0, 0},
        {"linear exact", kLinear, 400, 7},
        {"linear in between", kLinear, 449, 7},
        {"above the top selects the top", kLinear, 1000000, 519},
    };
    for (const Case& c : cases) EXPECT_EQ(PositionOf(c.rules, c.resolution), c.position) << c.name;
}

TEST(MouseDpi, EveryPositionSurvivesTheWayToAResolutionAndBack) {
    for (const SensorRules& rules : {kStepped, kLinear, SensorRules{kSteppedSensor, 100, 200, 100}}) {
        for (int s = 0; s <= rules.highestPosition; ++s)
            ASSERT_EQ(PositionOf(rules, ResolutionOf(rules, s)), s)
                << "sensor " << rules.sensorCode << " step " << int{rules.step} << " position " << s;
    }
}

TEST(MouseDpi, RangesOfSlidersAndEdits) {
    EXPECT_EQ(SliderRange(kLinear).minimum, 0);
    EXPECT_EQ(SliderRange(kLinear).maximum, 519);
    EXPECT_EQ(EditRange(kLinear).minimum, 0);
    EXPECT_EQ(EditRange(kLinear).maximum, 26000);
    // The stepped sensor's top lies far above highest x step (25000).
    EXPECT_EQ(EditRange(kStepped).maximum, ResolutionOf(kStepped, 500));
    EXPECT_GT(EditRange(kStepped).maximum, 500 * 50);
}

TEST(MouseDpi, BlocksThatMakeNoSenseNeitherDivideByZeroNorGiveNegativeRanges) {
    struct Case {
        const char* name;
        SensorRules rules;
    };
    const Case cases[] = {
        {"step 0", {0x3395, 0, 100, 50}},
        {"stepped sensor with step 0", {kSteppedSensor, 0, 100, 50}},
        {"lowest above the highest", {0x3395, 1, 10, 30000}},
        {"step 0 and lowest above the highest", {kSteppedSensor, 0, 10, 3000}},
        {"nothing read", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EffectiveStep(c.rules), c.rules.step == 0 ? 1 : c.rules.step);
        for (const ValueRange range : {SliderRange(c.rules), EditRange(c.rules)}) {
            EXPECT_GE(range.minimum, 0);
            EXPECT_LE(range.minimum, range.maximum);
        }
        for (const int typed : {-100, 0, 1, 5000, 70000}) {
            const int position = PositionOf(c.rules, typed);
            EXPECT_GE(position, 0);
            EXPECT_LE(position, c.rules.highestPosition);
        }
        EXPECT_GE(ResolutionOf(c.rules, c.rules.highestPosition), ResolutionOf(c.rules, 0));
    }
}

TEST(MouseDpi, RulesComeFromTheInformationBlock) {
    std::array<std::uint8_t, 34> info{};
    info[9] = 0x25;
    info[10] = 0x33;  // 13093
    info[11] = 50;
    info[12] = 0x07;
    info[13] = 0x02;  // 519
    info[14] = 0x64;  // 100
    EXPECT_EQ(SensorRulesFromInfo(info), (SensorRules{kSteppedSensor, 50, 519, 100}));
    EXPECT_EQ(SensorRulesFromInfo(std::span(info).first(12)), (SensorRules{kSteppedSensor, 50, 0, 0}))
        << "a short block reads the missing fields as 0";
}

}  // namespace
}  // namespace vandrel::devices::mouse
