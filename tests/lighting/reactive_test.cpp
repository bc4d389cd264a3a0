#include <gtest/gtest.h>

#include <vector>

#include "lighting/engine.h"

namespace vandrel::lighting {
namespace {

TEST(DecayLevel, ProfilesOnTheirBoundaries) {
    struct Case {
        int level;
        int keys;   // profile 0
        int audio;  // profile 29
        int other;  // any other profile
    };
    const Case cases[] = {
        {255, 215, 210, 215}, {0x90, 104, 99, 104}, {0x8F, 103, 103, 103}, {128, 88, 88, 88},  {127, 97, 92, 97},
        {0x70, 82, 77, 82},   {0x6F, 81, 81, 81},   {0x60, 66, 66, 66},    {0x5F, 65, 70, 65}, {0x50, 50, 55, 50},
        {0x4F, 49, 59, 49},   {64, 34, 44, 34},     {63, 48, 53, 53},      {32, 17, 22, 22},   {31, 23, 26, 23},
        {17, 9, 12, 9},       {16, 15, 15, 15},     {1, 0, 0, 0},          {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const auto level = static_cast<std::uint8_t>(c.level);
        EXPECT_EQ(DecayLevel(level, 0), c.keys) << "profile 0, level " << c.level;
        EXPECT_EQ(DecayLevel(level, 29), c.audio) << "profile 29, level " << c.level;
        EXPECT_EQ(DecayLevel(level, 5), c.other) << "profile 5, level " << c.level;
        EXPECT_EQ(DecayLevel(level, 6), c.other) << "profile 6, level " << c.level;
    }
}

TEST(DecayLevel, ALitLevelFadesToDarkAndAnIndexOutsideIsIgnored) {
    EngineState state;
    state.levels[3] = 255;
    int passes = 0;
    while (state.levels[3] != 0 && passes < 100) {
        DecayLevel(state, 3, 0);
        ++passes;
    }
    EXPECT_EQ(state.levels[3], 0);
    EXPECT_EQ(passes, 8 + 12);  // 215 175 135 95 65 35 20 12, then 12 steps of 1
    DecayLevel(state, kLevelCount, 0);
    DecayLevel(state, 100000, 29);
}

class Ring : public ::testing::Test {
protected:
    EngineState state;
    void Mark(std::initializer_list<std::size_t> positions) {
        for (const std::size_t p : positions) state.ring[p] = 1;
    }
    std::vector<std::size_t> Marked() const {
        std::vector<std::size_t> at;
        for (std::size_t i = 0; i < state.ring.size(); ++i)
            if (state.ring[i] != 0) at.push_back(i);
        return at;
    }
};

TEST_F(Ring, LightMarkedLevelsLightsTheFirstNinePositionsOrAsMany) {
    Mark({0, 8, 9, 22});
    LightMarkedLevels(state);
    EXPECT_EQ(state.levels[0], 255);
    EXPECT_EQ(state.levels[8], 255);
    EXPECT_EQ(state.levels[9], 0);
    EXPECT_EQ(state.levels[22], 0);
    LightMarkedLevels(state, 500);  // the whole ring, no further
    EXPECT_EQ(state.levels[9], 255);
    EXPECT_EQ(state.levels[22], 255);
    EXPECT_EQ(state.levels[23], 0);
}

TEST_F(Ring, RotateBothWaysWholeAndFirstN) {
    struct Case {
        const char* name;
        bool towardsEnd;
        std::size_t count;  // 0: the whole ring
        std::vector<std::size_t> marked;
    };
    const std::vector<Case> cases = {
        {"whole, towards end", true, 0, {1, 6, 8}},
        {"whole, towards start", false, 0, {4, 6, 22}},
        {"first 8, towards end", true, 8, {0, 1, 6}},
        {"first 8, towards start", false, 8, {4, 6, 7}},
        {"first 23 is the whole ring", false, 23, {4, 6, 22}},
        {"more than 23 is the whole ring", true, 99, {1, 6, 8}},
        {"first 1 changes nothing", true, 1, {0, 5, 7}},
    };
    for (const Case& c : cases) {
        state.ring.fill(0);
        Mark({0, 5, 7});
        if (c.count == 0) RotateRing(state, c.towardsEnd);
        else RotateRing(state, c.towardsEnd, c.count);
        EXPECT_EQ(Marked(), c.marked) << c.name;
    }
}

TEST_F(Ring, ClearReactive) {
    Mark({0, 22});
    state.levels[169] = 40;
    ClearReactive(state);
    EXPECT_TRUE(Marked().empty());
    EXPECT_EQ(state.levels[169], 0);
}

TEST_F(Ring, OneMarkTravelsRoundTheRing) {
    Mark({0});
    for (std::size_t i = 0; i < kRingSize; ++i) RotateRing(state, true);
    EXPECT_EQ(Marked(), std::vector<std::size_t>{0});
}

}  // namespace
}  // namespace vandrel::lighting
