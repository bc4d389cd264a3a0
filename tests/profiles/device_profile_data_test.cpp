// The kind-specific records of the mouse, keyboard and headset documents.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "profiles/da6533_profile_data.h"
#include "profiles/json_file_store.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/mouse_profile_data.h"
#include "support/temp_folder.h"

namespace vandrel::profiles {
namespace {

using testing::TempFolder;

// A profile file holding `section`, loaded into a document of type T.
template <typename T>
class Document {
public:
    explicit Document(const std::string& section) {
        folder_.Write("p.Json", R"({"profilename": "p", "Device": [)" + section + "]}");
        profile.SetProfilePath(Path());
        profile.Load(Path());
    }
    std::string Path() const { return folder_ / "p.Json"; }
    // The section as written by Save.
    Json::Value Saved() {
        EXPECT_EQ(profile.Save(), WriteStatus::Ok);
        return CJsonFileStore().ReadJson(Path())["Device"][0];
    }
    // A second document reading what this one saved.
    T Reread() {
        EXPECT_EQ(profile.Save(), WriteStatus::Ok);
        T reader;
        reader.Load(Path());
        return reader;
    }

    T profile;

private:
    TempFolder folder_;
};

// ---- Mouse ----

TEST(MouseProfile, DpiStagesRoundTrip) {
    Document<CMouseProfiledata> doc("{}");
    const std::vector<DpiStage> stages = {{1, 0, 7, 7, 255, 0, 0},
                                          {1, 1, 15, 31, 0, 255, 0},
                                          {0, 0, 65535, 1, 1, 2, 3},
                                          {1, 0, 63, 63, 255, 255, 0},
                                          {1, 0, 127, 127, 255, 0, 255}};
    doc.profile.SetDpiStages(stages);
    doc.profile.SetActiveStage(3);
    CMouseProfiledata reader = doc.Reread();
    EXPECT_EQ(reader.GetDpiStages(), stages);
    EXPECT_EQ(reader.GetActiveStage(), 3);
}

TEST(MouseProfile, ShorterStageListKeepsTheLaterStagesWideDpisKeepTheirLowBitsAndColoursClamp) {
    Document<CMouseProfiledata> five(R"({"DPIStages": {"StageActive": 4, "StageDPIs": [
        {"StageDPIX": 1}, {"StageDPIX": 2}, {"StageDPIX": 3}, {"StageDPIX": 4}, {"StageDPIX": 5}]}})");
    five.profile.GetDpiStages();
    five.profile.Load(Document<CMouseProfiledata>(R"({"DPIStages": {"StageActive": 9, "StageDPIs": [
        {"StageDPIX": 70000, "StageColorR": 257}, {"StageDPIX": 20}, {"StageDPIX": 30}]}})")
                          .Path());
    const std::vector<DpiStage> stages = five.profile.GetDpiStages();
    ASSERT_EQ(stages.size(), 5u);
    EXPECT_EQ(stages[0].dpiX, 4464);
    EXPECT_EQ(stages[0].red, 255);
    EXPECT_EQ(stages[2].dpiX, 30);
    EXPECT_EQ(stages[3].dpiX, 4);
    EXPECT_EQ(stages[4].dpiX, 5);
    EXPECT_EQ(five.profile.GetActiveStage(), 0);  // 9 is no stage
}

TEST(MouseProfile, SystemWordsPackTheTable) {
    struct Case {
        std::string section;
        SystemWords words;
    };
    const std::vector<Case> cases = {
        {R"({"SystemStages": {"DoubleClickTime": 500, "MouseSpeed": 10, "PointerPrecision": 1, "ScorllPage": 1,
             "WheelScorlllinse": 3}, "ReportStages": {"StageActive": 2}})",
         {0x000A01F4, 0x00010001, 0x00020003}},
        {R"({"SystemStages": {"DoubleClickTime": 65536, "MouseSpeed": 65535}})", {0xFFFF0000, 0, 0}},
        {R"({"ReportStages": {"StageActive": 2}})", {0, 0, 0}},
    };
    for (const Case& c : cases) {
        Document<CMouseProfiledata> doc(c.section);
        EXPECT_EQ(doc.profile.GetMouseSystem(), c.words) << c.section;
    }
    Document<CMouseProfiledata> doc("{}");
    doc.profile.SetMouseSystem(0x000A01F4, 0x00010000, 0x00040005);
    const Json::Value saved = doc.Saved();
    EXPECT_EQ(saved["SystemStages"]["MouseSpeed"].asInt(), 10);
    EXPECT_EQ(saved["SystemStages"]["ScorllPage"].asInt(), 1);
    EXPECT_EQ(saved["ReportStages"]["StageActive"].asInt(), 4);
    EXPECT_EQ(doc.Reread().GetMouseSystem(), (SystemWords{0x000A01F4, 0x00010000, 0x00040005}));
}

TEST(MouseProfile, CorrectionsAreRead) {
    Document<CMouseProfiledata> doc(R"({"CorrectInfo": [
        {"CorrectPixThresh": 12, "CorrectMinSq": 300, "CorrectSelect": 1, "CorrectName": "压枪"}, 5]})");
    const std::vector<Correction> corrections = doc.profile.GetCorrections();
    ASSERT_EQ(corrections.size(), 2u);
    EXPECT_EQ(corrections[0], (Correction{12, 255, 1, u"压枪"}));
    EXPECT_EQ(corrections[1], Correction{});
}

// ---- Keyboard ----

TEST(KeyboardProfile, SystemWordsPackTheTable) {
    Document<CKeyboardProfiledata> doc(R"({"SystemStages": {"Repeat": 31, "RepeatDelay": 1, "Key6Flag": 1,
        "PollingRate": 3, "WFlag": 0, "WinFlag": 1}})");
    EXPECT_EQ(doc.profile.GetKeyboardSystem(), (SystemWords{0x0001001F, 0x00030001, 0x00010000}));
    doc.profile.SetKeyboardSystem(0x00020010, 0x00000001, 0x00010001);
    EXPECT_EQ(doc.Reread().GetKeyboardSystem(), (SystemWords{0x00020010, 0x00000001, 0x00010001}));
    EXPECT_EQ(Document<CKeyboardProfiledata>("{}").profile.GetKeyboardSystem(), SystemWords{});
}

TEST(KeyboardProfile, MissingColourGroupIsFilledWithZeros) {
    Document<CKeyboardProfiledata> doc("{}");
    const std::vector<KeyColour> colours = doc.profile.GetKeyColors(3, 126);
    EXPECT_EQ(colours, std::vector<KeyColour>(126));
    const Json::Value groups = doc.Saved()["CustomLightMode"]["LightColorInfo"];
    ASSERT_EQ(groups.size(), 4u);
    for (Json::ArrayIndex g = 0; g < 3; ++g) EXPECT_TRUE(groups[g].isNull());
    ASSERT_EQ(groups[3].size(), 126u);
    EXPECT_EQ(groups[3][125]["Alpha"], Json::Value(0));
}

TEST(KeyboardProfile, KeyColoursRoundTripAndFillGaps) {
    Document<CKeyboardProfiledata> doc(R"({"CustomLightMode": {"LightColorInfo": [[
        {"Red": 1, "Green": 2, "Blue": 3, "Alpha": 4}, null]]}})");
    const std::vector<KeyColour> read = doc.profile.GetKeyColors(0, 3);
    EXPECT_EQ(read, (std::vector<KeyColour>{{1, 2, 3, 4}, {}, {}}));

    const std::vector<KeyColour> colours = {{255, 0, 0, 255}, {0, 255, 0, 128}, {9, 9, 9, 9}};
    doc.profile.SetKeyColors(9, colours);
    EXPECT_EQ(doc.Reread().GetKeyColors(9, 3), colours);
}

TEST(KeyboardProfile, GroupNumbersOutOfRangeChangeNothing) {
    for (const int group : {-1, 256, 1 << 30}) {
        Document<CKeyboardProfiledata> doc("{}");
        EXPECT_EQ(doc.profile.GetKeyColors(group, 4), std::vector<KeyColour>(4));
        doc.profile.SetKeyColors(group, {{1, 1, 1, 1}});
        EXPECT_FALSE(doc.Saved().isMember("CustomLightMode")) << group;
    }
}

TEST(KeyboardProfile, ColourGroupIndex) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"{}", 0},
        {R"({"CustomLightMode": {"CustomLightModeGroupIndex": 4}})", 4},
        {R"({"CustomLightMode": {"CustomLightModeGroupIndex": 99999}})", 0},
        {R"({"CustomLightMode": {"CustomLightModeGroupIndex": "2"}})", 0},
    };
    for (const auto& [section, group] : cases) {
        EXPECT_EQ(Document<CKeyboardProfiledata>(section).profile.GetColorGroup(), group) << section;
    }
    Document<CKeyboardProfiledata> doc("{}");
    doc.profile.SetColorGroup(7);
    EXPECT_EQ(doc.Reread().GetColorGroup(), 7);
}

// ---- Headset ----

TEST(HeadsetProfile, SystemValuesRoundTripInMemberOrder) {
    Document<CDa6533Profiledata> doc("{}");
    EXPECT_EQ(doc.profile.GetHeadsetSystem(), HeadsetSystem{});
    const HeadsetSystem values = {1, 3, 13, 2, 1, 75, 0, -5};
    doc.profile.SetHeadsetSystem(values);
    EXPECT_EQ(doc.Saved()["SystemSetStages"]["CustomEqSeletIndex"].asInt(), 2);
    EXPECT_EQ(doc.Reread().GetHeadsetSystem(), values);
}

TEST(HeadsetProfile, PresetNumbersMapToCurveElements) {
    const std::vector<std::pair<int, int>> cases = {{0, 1},   {1, 1},  {7, 7},  {12, 12},
                                                    {13, -1}, {14, 1}, {20, 1}, {-3, 1}};
    for (const auto& [preset, index] : cases) EXPECT_EQ(CDa6533Profiledata::PresetIndex(preset), index) << preset;

    std::string curves = R"({"EQHzValueInfo": [[], )";
    for (int b = 0; b < 10; ++b)
        curves += (b ? ", " : "[") + std::string(R"({"value": )") + std::to_string(b - 5) + "}";
    curves += "]]}";
    Document<CDa6533Profiledata> doc(curves);
    const std::vector<int> first = {-5, -4, -3, -2, -1, 0, 1, 2, 3, 4};
    EXPECT_EQ(doc.profile.GetPresetCurve(0), first);
    EXPECT_EQ(doc.profile.GetPresetCurve(20), first);
    EXPECT_TRUE(doc.profile.GetPresetCurve(13).empty());
}

TEST(HeadsetProfile, CurvesRoundTripAndMissingOnesAreWrittenAsZeros) {
    Document<CDa6533Profiledata> doc("{}");
    EXPECT_EQ(doc.profile.GetPresetCurve(4), std::vector<int>(10, 0));
    EXPECT_EQ(doc.Saved()["EQHzValueInfo"][4].size(), 10u);

    const std::vector<int> gains = {7, 11, 2, -3, -1, 4, 9, 12, 9, 5};
    doc.profile.SetPresetCurve(2, gains);
    doc.profile.SetCustomCurve(19, gains);
    doc.profile.SetCustomCurve(20, gains);  // no such slot
    CDa6533Profiledata reader = doc.Reread();
    EXPECT_EQ(reader.GetPresetCurve(2), gains);
    EXPECT_EQ(reader.GetCustomCurve(19), gains);
    EXPECT_EQ(reader.Section()["CustomEQHzValueInfo"].size(), 20u);
}

TEST(HeadsetProfile, CustomNamesRoundTripAsUtf8) {
    Document<CDa6533Profiledata> doc("{}");
    const std::vector<std::u16string> names = {u"低音", u"Vocal", u"Ünïcode"};
    doc.profile.SetCustomNames(names);
    EXPECT_EQ(doc.Reread().GetCustomNames(), names);

    doc.profile.SetCustomNames({});
    const Json::Value saved = doc.Saved()["CustomEQNameInfo"];
    EXPECT_TRUE(saved.isArray());
    EXPECT_EQ(saved.size(), 0u);
}

// ---- Every writer of every kind ----

// Loads the profile at a path into a fresh T, runs one writer, saves.
using Writer = std::function<WriteStatus(const std::string& path)>;

template <typename T>
Writer Write(std::function<void(T&)> change) {
    return [change](const std::string& path) {
        T profile;
        profile.SetProfilePath(path);
        profile.Load(path);
        change(profile);
        return profile.Save();
    };
}

// True when the JSON pointer ("/a/0/b") names a value that is not null.
bool Has(const Json::Value& root, const std::string& pointer) {
    const Json::Value* value = &root;
    for (std::size_t start = 1; start <= pointer.size() && value != nullptr;) {
        const std::size_t end = std::min(pointer.find('/', start), pointer.size());
        const std::string part = pointer.substr(start, end - start);
        if (value->isArray()) {
            const auto index = static_cast<Json::ArrayIndex>(std::stoul(part));
            value = index < value->size() ? &(*value)[index] : nullptr;
        } else {
            value = value->isMember(part) ? &(*value)[part] : nullptr;
        }
        start = end + 1;
    }
    return value != nullptr && !value->isNull();
}

TEST(ProfileWriters, KeepTheKeysTheyDoNotName) {
    using Mouse = CMouseProfiledata;
    using Keyboard = CKeyboardProfiledata;
    using Headset = CDa6533Profiledata;
    const std::vector<std::pair<const char*, Writer>> writers = {
        {"SetLightInfo", Write<Mouse>([](Mouse& p) { p.SetLightInfo(1, 2, 3, 4); })},
        {"SetAudioLightInfo", Write<Keyboard>([](Keyboard& p) { p.SetAudioLightInfo(1, 2, 3); })},
        {"SetKeyList", Write<Mouse>([](Mouse& p) {
             p.SetKeyList({{}, {}});
         })},
        {"SetDpiStages", Write<Mouse>([](Mouse& p) {
             p.SetDpiStages({{}, {}});
         })},
        {"SetActiveStage", Write<Mouse>([](Mouse& p) { p.SetActiveStage(2); })},
        {"SetMouseSystem", Write<Mouse>([](Mouse& p) { p.SetMouseSystem(1, 2, 3); })},
        {"SetKeyboardSystem", Write<Keyboard>([](Keyboard& p) { p.SetKeyboardSystem(1, 2, 3); })},
        {"GetKeyColors", Write<Keyboard>([](Keyboard& p) { p.GetKeyColors(1, 2); })},
        {"SetKeyColors", Write<Keyboard>([](Keyboard& p) {
             p.SetKeyColors(0, {{1, 2, 3, 4}});
         })},
        {"SetColorGroup", Write<Keyboard>([](Keyboard& p) { p.SetColorGroup(1); })},
        {"SetHeadsetSystem", Write<Headset>([](Headset& p) { p.SetHeadsetSystem({}); })},
        {"GetPresetCurve", Write<Headset>([](Headset& p) { p.GetPresetCurve(3); })},
        {"SetPresetCurve", Write<Headset>([](Headset& p) { p.SetPresetCurve(3, std::vector<int>(10, 1)); })},
        {"SetCustomCurve", Write<Headset>([](Headset& p) { p.SetCustomCurve(0, std::vector<int>(10, 1)); })},
        {"SetCustomNames", Write<Headset>([](Headset& p) { p.SetCustomNames({u"x"}); })},
    };
    // Unknown keys at every level the writers touch.
    const std::string section = R"({"Unknown": {"a": [1, 2]},
        "LightInfo": {"Mystery": 1}, "KeyList": [{"Mystery": 2}],
        "DPIStages": {"Mystery": 3, "StageDPIs": [{"Mystery": 4}]},
        "SystemStages": {"Mystery": 5}, "ReportStages": {"Mystery": 6},
        "CustomLightMode": {"Mystery": 7, "LightColorInfo": [[{"Mystery": 8}]]},
        "SystemSetStages": {"Mystery": 9}, "EQHzValueInfo": [[], [], [], [{"Mystery": 10}]],
        "CustomEQHzValueInfo": [[{"Mystery": 11}]]})";
    const std::vector<std::string> kept = {"/Unknown/a/1",
                                           "/KeyList/0/Mystery",
                                           "/DPIStages/Mystery",
                                           "/DPIStages/StageDPIs/0/Mystery",
                                           "/SystemStages/Mystery",
                                           "/ReportStages/Mystery",
                                           "/CustomLightMode/Mystery",
                                           "/CustomLightMode/LightColorInfo/0/0/Mystery",
                                           "/SystemSetStages/Mystery",
                                           "/EQHzValueInfo/3/0/Mystery",
                                           "/CustomEQHzValueInfo/0/0/Mystery"};

    for (const auto& [name, write] : writers) {
        TempFolder folder;
        folder.Write("p.Json", R"({"profilename": "p", "Device": [)" + section + "]}");
        ASSERT_EQ(write(folder / "p.Json"), WriteStatus::Ok) << name;
        ASSERT_EQ(write(folder / "p.Json"), WriteStatus::Ok) << name;
        const Json::Value saved = CJsonFileStore().ReadJson(folder / "p.Json");
        EXPECT_EQ(saved["profilename"].asString(), "p") << name;
        for (const std::string& pointer : kept) EXPECT_TRUE(Has(saved["Device"][0], pointer)) << name << " " << pointer;
    }
}

}  // namespace
}  // namespace vandrel::profiles
