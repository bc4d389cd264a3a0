// The DPI stage rules and the system settings words of the mouse.
#include <vector>

#include <gtest/gtest.h>

#include "devices/mouse/mouse_settings.h"

namespace vandrel::devices::mouse {
namespace {

std::vector<profiles::DpiStage> StagesOn(std::initializer_list<int> on) {
    std::vector<profiles::DpiStage> stages(kStageCount);
    for (const int i : on) stages[static_cast<std::size_t>(i)].active = 1;
    return stages;
}

TEST(MouseStageRules, TheLastStageOnCannotBeSwitchedOff) {
    struct Case {
        const char* name;
        std::vector<profiles::DpiStage> stages;
        int stage;
        bool canDisable;
    };
    const Case cases[] = {
        {"one of two", StagesOn({1, 3}), 1, true},
        {"the only one", StagesOn({3}), 3, false},
        {"a stage that is off", StagesOn({3}), 2, true},
        {"all five on", StagesOn({0, 1, 2, 3, 4}), 0, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CanDisableStage(c.stages, c.stage), c.canDisable) << c.name;
    }
}

TEST(MouseStageRules, NextStageOnGoesRound) {
    EXPECT_EQ(NextEnabledStage(StagesOn({0, 2, 4}), 2), 4);
    EXPECT_EQ(NextEnabledStage(StagesOn({0, 2}), 2), 0);
    EXPECT_EQ(NextEnabledStage(StagesOn({3}), 3), 3) << "itself when it is the only one";
    EXPECT_EQ(NextEnabledStage(StagesOn({}), 1), std::nullopt);
}

TEST(MouseSystemSettings, PackIntoTheProfilesThreeWords) {
    const MouseSystemSettings settings{.doubleClickTime = 500,
                                       .pointerSpeed = 10,
                                       .pointerPrecision = 1,
                                       .scrollPage = 1,
                                       .wheelLines = 3,
                                       .reportRate = 2};
    const profiles::SystemWords words = ToWords(settings);
    EXPECT_EQ(words[0], 10u << 16 | 500u);
    EXPECT_EQ(words[1], 1u << 16 | 1u);
    EXPECT_EQ(words[2], 2u << 16 | 3u);
    EXPECT_EQ(SystemFromWords(words), settings);
}

TEST(MouseSystemSettings, ControlValuesNeverSpillIntoTheOtherHalf) {
    EXPECT_EQ(SystemValue(-5), 0);
    EXPECT_EQ(SystemValue(70000), 65535);
    EXPECT_EQ(SystemValue(15), 15);
    MouseSystemSettings settings;
    settings.doubleClickTime = SystemValue(-1);
    settings.pointerSpeed = 7;
    EXPECT_EQ(ToWords(settings)[0], 7u << 16);
}

TEST(MouseSystemSettings, ReportRateOutsideTheOptionsShowsTheFirst) {
    for (const int stored : {-1, 5, 300}) EXPECT_EQ(ReportRateOption(stored), 0) << stored;
    for (const int stored : {0, 3, 4}) EXPECT_EQ(ReportRateOption(stored), stored);
}

}  // namespace
}  // namespace vandrel::devices::mouse
