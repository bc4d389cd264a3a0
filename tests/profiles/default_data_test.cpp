// The templates shipped in DefaultData/, read through the same code as at run
// time.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/folders.h"
#include "profiles/da6533_profile_data.h"
#include "profiles/json_file_store.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/light_names.h"
#include "profiles/mouse_profile_data.h"
#include "support/temp_folder.h"

namespace vandrel::profiles {
namespace {

using testing::TempFolder;

struct Kind {
    const char* name;
    int lightNameIndex;
    std::size_t effectCount;  // effect numbers 0 .. count-1 that the device knows
};
const std::vector<Kind> kKinds = {{"keyboard", 0, 31}, {"mouse", 1, 10}, {"MousePad", 2, 9}, {"HD", 3, 9}};

// Loads a kind's template the way a first start does: into a new profile.
template <typename T>
T LoadTemplate(const TempFolder& folder, const std::string& kind) {
    T profile;
    profile.SetTemplatePath(platform::DefaultTemplatePath(kind));
    profile.Load(folder / "p.Json");
    return profile;
}

TEST(DefaultData, EveryTemplateIsAProfileWithASection) {
    for (const Kind& kind : kKinds) {
        const Json::Value document = CJsonFileStore().ReadJson(platform::DefaultTemplatePath(kind.name));
        ASSERT_TRUE(document.isObject()) << kind.name;
        EXPECT_TRUE(document["profilename"].isString()) << kind.name;
        EXPECT_TRUE(document["profileUUID"].isString()) << kind.name;
        EXPECT_TRUE(document["Device"][0].isObject()) << kind.name;
    }
}

TEST(DefaultData, LightModeListsCoverEveryEffectAndTheTemplatesUseAVisibleOne) {
    const Json::Value defaultLight = CJsonFileStore().ReadJson(platform::DefaultLightNamesPath());
    ASSERT_TRUE(defaultLight.isObject());
    for (const Kind& kind : kKinds) {
        LightNames names;
        UpdateLightNames(names, defaultLight, Json::Value(), kind.lightNameIndex);
        ASSERT_EQ(names.modes.size(), kind.effectCount) << kind.name;
        std::set<std::int32_t> codes;
        for (const LightMode& mode : names.modes) {
            EXPECT_FALSE(mode.name.empty()) << kind.name;
            codes.insert(mode.code);
        }
        EXPECT_EQ(codes.size(), names.modes.size()) << kind.name << ": a code must name one effect";

        TempFolder folder;
        const LightInfo light = LoadTemplate<CBasicProfiledata>(folder, kind.name).GetLightInfo();
        ASSERT_LT(light.SelectItem, names.modes.size()) << kind.name;
        EXPECT_TRUE(names.modes[light.SelectItem].visible) << kind.name;
        EXPECT_LE(light.Light, 4);
        EXPECT_LE(light.Speed, 4);
    }
}

TEST(DefaultData, MouseButtonsHaveTheirFactoryCodes) {
    TempFolder folder;
    CMouseProfiledata mouse = LoadTemplate<CMouseProfiledata>(folder, "mouse");
    const std::vector<KeyCode> factory = {{0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00},
                                          {0x10, 0x10, 0x00}, {0x10, 0x08, 0x00}, {0x13, 0x01, 0x00},
                                          {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00}, {0xA0, 0x1B, 0x00},
                                          {0x16, 0x90, 0x01}, {0x14, 0x78, 0x02}};
    const std::vector<KeyEntry> keys = mouse.GetKeyList();
    ASSERT_EQ(keys.size(), factory.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].assignment, factory[i]) << i;
        EXPECT_EQ(keys[i].defaultAssignment, factory[i]) << i;
    }

    const std::vector<DpiStage> stages = mouse.GetDpiStages();
    ASSERT_EQ(stages.size(), CMouseProfiledata::kDpiStageCount);
    for (const DpiStage& stage : stages) EXPECT_EQ(stage.active, 1);
    EXPECT_LT(mouse.GetActiveStage(), 5);
}

TEST(DefaultData, KeyboardKeysHaveTheirFactoryCodes) {
    TempFolder folder;
    const std::vector<KeyEntry> keys = LoadTemplate<CKeyboardProfiledata>(folder, "keyboard").GetKeyList();
    ASSERT_EQ(keys.size(), 126u);
    const std::vector<std::pair<std::size_t, KeyCode>> samples = {
        {0, {0x20, 0, 0x29}},   {12, {0x20, 0, 0x45}},  {16, {0xA0, 0x1B, 0}},  {17, {0xA0, 0x24, 0}},
        {19, {0x20, 0, 0}},     {55, {0x20, 0, 0x31}},  {62, {0x20, 0, 0x32}},  {84, {0x20, 0x02, 0}},
        {92, {0x20, 0, 0x36}},  {95, {0x20, 0x20, 0}},  {104, {0x20, 0, 0}},    {110, {0xA0, 0x01, 0}},
        {111, {0xA0, 0x11, 0}}, {119, {0x20, 0, 0x57}}, {120, {0xD0, 0xA2, 1}}, {124, {0xD0, 0xA2, 5}},
        {125, {0x20, 0x80, 0}},
    };
    for (const auto& [position, code] : samples) {
        EXPECT_EQ(keys[position].assignment, code) << position;
        EXPECT_EQ(keys[position].defaultAssignment, code) << position;
    }
}

TEST(DefaultData, HeadsetPresetsAndEqualiserChoice) {
    TempFolder folder;
    CDa6533Profiledata headset = LoadTemplate<CDa6533Profiledata>(folder, "HD");
    EXPECT_EQ(headset.GetPresetCurve(1), (std::vector<int>{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
    EXPECT_EQ(headset.GetPresetCurve(12), (std::vector<int>{2, 1, -2, -4, -8, 4, 12, 16, 18, 15}));
    const HeadsetSystem system = headset.GetHeadsetSystem();
    EXPECT_GE(system[2], 0);
    EXPECT_LT(system[2], CDa6533Profiledata::kCustomEqType);  // no custom curve exists yet
    EXPECT_TRUE(headset.GetCustomNames().empty());
}

}  // namespace
}  // namespace vandrel::profiles
