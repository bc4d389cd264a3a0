// The lighting panel's logic on a map-backed page, driving a device double
// whose settings live in a real profile file.
#include "lighting/light_control.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "lighting/light_panel_tables.h"
#include "profiles/basic_profile_data.h"
#include "support/fake_page_view.h"
#include "support/temp_folder.h"

namespace vandrel::lighting {
namespace {

using profiles::LightInfo;
namespace lc = light_controls;

// Records what the panel asks of it, in order, and keeps its lighting in a
// profile file as a device does.
class RecordingDevice : public ILightingDevice {
public:
    RecordingDevice(int kind, std::string profilePath, bool open = true) : kind_(kind), open_(open) {
        profile_.SetProfilePath(profilePath);
        profile_.Load(profilePath);
    }

    int PanelKind() const override { return kind_; }
    bool IsOpen() const override { return open_; }
    void SetPaused(bool paused) override {
        paused_ = paused;
        calls.push_back(paused ? "pause" : "unpause");
    }
    LightInfo GetLighting() const override { return running_; }
    void SetLighting(const LightInfo& info) override {
        running_ = info;
        calls.push_back("SetLighting");
    }
    void SaveProfile() override {
        const auto w = profiles::ToWords(running_);
        profile_.SetLightInfo(w[0], w[1], w[2], w[3]);
        EXPECT_EQ(profile_.Save(), profiles::WriteStatus::Ok);
        calls.push_back("SaveProfile");
    }
    int ApplyProfileLighting() override {
        calls.push_back("ApplyProfileLighting");
        return 0;
    }
    protocol::Status WriteLightRecord(int p, int b0, int b59, int w, int h) override {
        calls.push_back("WriteLightRecord(" + std::to_string(p) + "," + std::to_string(b0) + "," + std::to_string(b59) +
                        "," + std::to_string(w) + "," + std::to_string(h) + ")");
        return protocol::Status::Ok;
    }

    // What a fresh read of the profile file holds.
    LightInfo StoredLighting() const {
        profiles::CBasicProfiledata fresh;
        fresh.Load(profile_.GetProfilePath());
        return fresh.GetLightInfo();
    }
    void Preset(const LightInfo& info) { running_ = info; }
    bool paused() const { return paused_; }

    std::vector<std::string> calls;

private:
    int kind_;
    bool open_;
    bool paused_ = true;
    LightInfo running_{};
    profiles::CBasicProfiledata profile_;
};

constexpr const char* kPanelControls[] = {"light_combo_modeSelect",
                                          "light_combo_custommodeSelect",
                                          "light_combo_ZZCCmodeSelect",
                                          "deng_light_slider",
                                          "deng_speed_slider",
                                          "deng_edit_R",
                                          "deng_edit_G",
                                          "deng_edit_B",
                                          "deng_Color_Pallet",
                                          "deng_colordp_btn",
                                          "deng_7color_check",
                                          "deng_FXL_check",
                                          "deng_FXR_check",
                                          "deng_same_mode",
                                          "color_option_2",
                                          "lighteffect_layout",
                                          "deng_color_layout",
                                          "colorpallet_layout",
                                          "deng_light_layout",
                                          "deng_speed_layout",
                                          "deng_fx_layout",
                                          "lightcustom_layout",
                                          "light_combo_ZZCCmodeSelectLayout",
                                          "light_color_layout",
                                          "light_combo_AudiomodeSelectLayout",
                                          "light_color_tablayout"};

class LightPanelTest : public ::testing::Test {
protected:
    LightPanelTest() {
        for (const char* name : kPanelControls) page.Add(name);
    }
    std::string ProfilePath(const std::string& name) const { return folder / (name + ".Json"); }

    testing::TempFolder folder;
    testing::FakePageView page;
};

TEST_F(LightPanelTest, BrightnessChangeRunsTheFiveStepsInOrderAndReachesTheProfileFile) {
    RecordingDevice mouse(kPanelMouse, ProfilePath("mouse"));
    CLightControlUI panel(page, kPanelMouse);
    panel.SetModeList({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}, {}, 4, 4);
    panel.SetScreenSize(1920, 1080);

    page.SetValue(lc::kBrightness, 3);
    ASSERT_TRUE(panel.ApplyControl(lc::kBrightness, mouse));

    EXPECT_EQ(mouse.calls, (std::vector<std::string>{"unpause", "SetLighting", "SaveProfile", "ApplyProfileLighting",
                                                     "WriteLightRecord(0,0,1,1920,1080)"}));
    EXPECT_EQ(mouse.StoredLighting().Light, 3);
    EXPECT_FALSE(mouse.paused());
}

TEST_F(LightPanelTest, ColourEditsAreCorrectedInTheEditAndClearTheSevenColourFlag) {
    struct Case {
        const char* typed;
        int stored;
        const char* shown;
    };
    const Case cases[] = {{"300", 255, "255"},
                          {"", 0, "0"},
                          {"abc", 0, "0"},
                          {"-5", 0, "0"},
                          {" 12", 12, "12"},
                          {"255", 255, "255"},
                          {"99999999999999999999", 255, "255"}};
    for (const Case& c : cases) {
        RecordingDevice mouse(kPanelMouse, ProfilePath("edit"));
        mouse.Preset({.MultiColor = 1, .Green = 7});
        CLightControlUI panel(page, kPanelMouse);
        page.SetSelected(lc::kSevenColour, true);

        page.SetText(lc::kRed, c.typed);
        ASSERT_TRUE(panel.ApplyControl(lc::kRed, mouse));
        EXPECT_EQ(page.Text(lc::kRed), c.shown) << "typed '" << c.typed << "'";
        const LightInfo stored = mouse.StoredLighting();
        EXPECT_EQ(stored.Red, c.stored) << "typed '" << c.typed << "'";
        EXPECT_EQ(stored.Green, 7);
        EXPECT_EQ(stored.MultiColor, 0);
        EXPECT_FALSE(page.Selected(lc::kSevenColour));
        EXPECT_EQ(page.Colour(lc::kPalette), 0xFF000000u | (static_cast<unsigned>(c.stored) << 16) | (7u << 8));
    }
}

TEST_F(LightPanelTest, QuickColourGivesTheSameResultAsThePalette) {
    const std::uint32_t colour = 0xFF12A0FE;
    auto run = [&](auto choose) {
        testing::FakePageView fresh;
        for (const char* name : kPanelControls) fresh.Add(name);
        RecordingDevice device(kPanelMousePad, ProfilePath("pad"));
        device.Preset({.MultiColor = 1});
        CLightControlUI panel(fresh, kPanelMousePad);
        choose(fresh, panel, device);
        return std::tuple{device.StoredLighting(), fresh.Text(lc::kRed),       fresh.Text(lc::kGreen),
                          fresh.Text(lc::kBlue),   fresh.Colour(lc::kDropper), fresh.Selected(lc::kSevenColour)};
    };
    const auto byOption = run([&](testing::FakePageView& p, CLightControlUI& panel, RecordingDevice& d) {
        p.SetColour("color_option_2", colour);
        EXPECT_TRUE(panel.ApplyControl("color_option_2", d));
    });
    const auto byPalette = run([&](testing::FakePageView& p, CLightControlUI& panel, RecordingDevice& d) {
        p.SetColour(lc::kPalette, colour);
        EXPECT_TRUE(panel.ApplyControl(lc::kPalette, d));
    });
    EXPECT_EQ(byOption, byPalette);
    const LightInfo stored = std::get<0>(byOption);
    EXPECT_EQ((LightInfo{.Red = 0x12, .Green = 0xA0, .Blue = 0xFE}), stored);
    EXPECT_EQ(std::get<1>(byOption), "18");
    EXPECT_EQ(std::get<4>(byOption), colour);
}

TEST_F(LightPanelTest, ShowLightInfoSetsEveryControlAndTheDirectionOptions) {
    CLightControlUI panel(page, kPanelMouse);
    panel.SetModeList({"a", "b", "c", "d", "e", "f"}, {true, false}, 4, 4);
    EXPECT_FALSE(page.ItemVisible(lc::kModeCombo, 1));
    EXPECT_TRUE(page.ItemVisible(lc::kModeCombo, 5));

    panel.ShowLightInfo(
        {.SelectItem = 5, .Light = 2, .Speed = 4, .Fx = 1, .MultiColor = 1, .Red = 1, .Green = 2, .Blue = 3});
    EXPECT_EQ(panel.SelectedEffect(), 5);
    EXPECT_EQ(panel.Brightness(), 2);
    EXPECT_EQ(panel.Speed(), 4);
    EXPECT_EQ(panel.GreenText(), "2");
    EXPECT_EQ(page.Colour(lc::kDropper), 0xFF010203u);
    EXPECT_TRUE(panel.SevenColour());
    EXPECT_TRUE(page.Selected(lc::kLeft));
    EXPECT_FALSE(page.Selected(lc::kRight));

    panel.ShowLightInfo({.SelectItem = 5, .Fx = 0});
    EXPECT_FALSE(page.Selected(lc::kLeft));
    EXPECT_TRUE(page.Selected(lc::kRight));
}

// The built-in effects are language texts; the user's own effects show as
// named, even one whose name spells a language id.
TEST_F(LightPanelTest, EffectListShowsBuiltInEffectsByIdAndCustomEffectsAsNamed) {
    CLightControlUI panel(page, kPanelMouse);
    panel.SetModeList({"light_mode_0_text", "light_mode_1_text"}, {true, false}, 4, 4, {"message_text_5"});
    const testing::FakePageView::Control* combo = page.Find(lc::kModeCombo);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->items, (std::vector<std::string>{"light_mode_0_text", "light_mode_1_text", "message_text_5"}));
    EXPECT_EQ(combo->itemIsId, (std::vector<bool>{true, true, false}));
    EXPECT_FALSE(page.ItemVisible(lc::kModeCombo, 1));
    EXPECT_TRUE(page.ItemVisible(lc::kModeCombo, 2));
}

TEST_F(LightPanelTest, PanelAdaptsToTheEffectOfEachKind) {
    struct Case {
        int kind;
        int effect;
        bool sameModeFlag;
        const char* control;
        bool visible;
        bool enabled;
    };
    const Case cases[] = {
        {kPanelKeyboard, 17, false, "deng_speed_layout", false, false},  // speed hidden
        {kPanelKeyboard, 17, false, "light_combo_ZZCCmodeSelectLayout", true, true},
        {kPanelKeyboard, 4, false, "light_color_layout", true, false},
        {kPanelKeyboard, 4, true, "deng_same_mode", true, true},    // sync with the flag
        {kPanelKeyboard, 4, false, "deng_same_mode", false, true},  // sync without the flag
        {kPanelKeyboard, 20, false, "lightcustom_layout", true, true},
        {kPanelKeyboard, 1, false, "deng_fx_layout", true, true},
        {kPanelKeyboard, 99, false, "deng_light_layout", true, false},  // any other: all disabled
        {kPanelMouse, 3, false, "deng_7color_check", true, false},
        {kPanelMouse, 3, false, "deng_color_layout", true, true},
        {kPanelMouse, 3, false, "deng_speed_layout", true, false},
        {kPanelMouse, 0, false, "deng_fx_layout", true, true},
        {kPanelMouse, 9, true, "deng_same_mode", true, true},
        {kPanelMouse, 9, false, "deng_light_layout", true, false},
        {kPanelMousePad, 8, false, "deng_light_layout", true, false},
        {kPanelMousePad, 2, false, "deng_fx_layout", true, false},
        {kPanelHeadset7, 0, false, "deng_fx_layout", true, true},
    };
    for (const Case& c : cases) {
        testing::FakePageView fresh;
        for (const char* name : kPanelControls) fresh.Add(name);
        CLightControlUI panel(fresh, c.kind);
        panel.SetSameModeFlag(c.sameModeFlag);
        panel.ShowLightInfo({.SelectItem = static_cast<std::uint8_t>(c.effect)});
        EXPECT_EQ(fresh.Visible(c.control), c.visible) << c.kind << "/" << c.effect << " " << c.control;
        EXPECT_EQ(fresh.Enabled(c.control), c.enabled) << c.kind << "/" << c.effect << " " << c.control;
    }

    // The keyboard's direction texts follow the effect and come back after it.
    CLightControlUI keyboard(page, kPanelKeyboard);
    keyboard.ShowLightInfo({.SelectItem = 3});
    EXPECT_EQ(page.Text(lc::kLeft), "light_set_clockwise_text");
    EXPECT_TRUE(page.Find(lc::kLeft)->textIsId);
    keyboard.ShowLightInfo({.SelectItem = 29});
    EXPECT_EQ(page.Text(lc::kLeft), "light_set_right_to_left_text");
    EXPECT_EQ(page.CurrentPage("light_color_tablayout"), 1);
}

// The text id a layout file gives a control: the "textid" property of its
// widget element, as Qt Designer writes it (empty when there is none).
std::string LayoutTextId(std::string_view layoutFile, std::string_view control) {
    std::ifstream file{std::string(layoutFile)};
    const std::string xml{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const std::size_t widget = xml.find("name=\"" + std::string(control) + "\"");
    const std::size_t end = xml.find("</widget>", widget);
    const std::size_t property = xml.find("<property name=\"textid\"", widget);
    if (widget == std::string::npos || property > end) return {};
    const std::size_t text = xml.find("<string>", property) + 8;
    return xml.substr(text, xml.find("</string>", text) - text);
}

// "Same mode" carries the direction value from one page to another, so the
// option that holds a value reads the same on every kind.
TEST_F(LightPanelTest, DirectionOptionOfEachValueReadsTheSameOnTheKeyboardAndTheMouse) {
    const std::string mousePage = VANDREL_SKIN_DIR "XML/DeviceXml/mousedevice.xml";
    struct Case {
        std::uint8_t fx;
        const char* text;
    };
    const Case cases[] = {{1, "light_set_right_to_left_text"}, {0, "light_set_left_to_right_text"}};
    for (const Case& c : cases) {
        testing::FakePageView keyboardPage;
        testing::FakePageView mousePageView;
        for (const char* name : kPanelControls) {
            keyboardPage.Add(name);
            mousePageView.Add(name);
        }
        for (const std::string_view option : {lc::kLeft, lc::kRight})
            mousePageView.SetTextId(option, LayoutTextId(mousePage, option));
        CLightControlUI keyboard(keyboardPage, kPanelKeyboard);
        CLightControlUI mouse(mousePageView, kPanelMouse);
        keyboard.ShowLightInfo({.SelectItem = 1, .Fx = c.fx});
        mouse.ShowLightInfo({.SelectItem = 0, .Fx = c.fx});

        const auto shown = [](const testing::FakePageView& p) {
            return p.Text(p.Selected(lc::kLeft) ? lc::kLeft : lc::kRight);
        };
        EXPECT_EQ(shown(keyboardPage), c.text) << "keyboard, direction " << int{c.fx};
        EXPECT_EQ(shown(mousePageView), c.text) << "mouse, direction " << int{c.fx};
    }
}

TEST_F(LightPanelTest, SameModeCarriesTheKeyboardsEffectToEveryOpenDevice) {
    RecordingDevice keyboard(kPanelKeyboard, ProfilePath("kb"));
    const LightInfo source{
        .SelectItem = 5, .Light = 3, .Speed = 1, .Fx = 1, .MultiColor = 0, .Red = 10, .Green = 20, .Blue = 30};
    keyboard.Preset(source);
    RecordingDevice mouse(kPanelMouse, ProfilePath("mouse"));
    RecordingDevice pad(kPanelMousePad, ProfilePath("pad"));
    RecordingDevice headset(kPanelHeadset7, ProfilePath("hd"));
    RecordingDevice closedMouse(kPanelMouse, ProfilePath("closed"), /*open=*/false);
    testing::FakePageView mousePage;
    for (const char* name : kPanelControls) mousePage.Add(name);
    CLightControlUI keyboardPanel(page, kPanelKeyboard);
    CLightControlUI mousePanel(mousePage, kPanelMouse);
    mousePanel.SetModeList(std::vector<std::string>(10, "effect"), {}, 4, 4);

    ILightingDevice* const others[] = {&keyboard, &mouse, &pad, &headset, &closedMouse};
    CLightControlUI* const panels[] = {&keyboardPanel, &mousePanel, nullptr, nullptr, nullptr};
    ASSERT_TRUE(keyboardPanel.ApplySameMode(keyboard, others, panels));

    for (RecordingDevice* device : {&mouse, &pad, &headset}) {
        LightInfo expected = source;
        expected.SelectItem = 2;
        EXPECT_EQ(device->StoredLighting(), expected) << device->PanelKind();
        EXPECT_TRUE(device->paused());
    }
    EXPECT_EQ(mousePanel.SelectedEffect(), 2);
    EXPECT_EQ(mousePanel.RedText(), "10");
    EXPECT_TRUE(closedMouse.calls.empty());
    EXPECT_TRUE(keyboard.calls.empty());

    // An effect without a common equivalent changes nothing.
    RecordingDevice waveMouse(kPanelMouse, ProfilePath("wave"));
    waveMouse.Preset({.SelectItem = 0});
    ILightingDevice* const justPad[] = {&pad};
    pad.calls.clear();
    EXPECT_FALSE(mousePanel.ApplySameMode(waveMouse, justPad, {}));
    EXPECT_TRUE(pad.calls.empty());
}

TEST(LightPanelTables, SameModeTranslationsRoundTrip) {
    for (const int kind : {kPanelKeyboard, kPanelMouse, kPanelMousePad, kPanelHeadset7}) {
        for (int common = 0; common <= 4; ++common) {
            const auto effect = EffectOfCommon(kind, common);
            ASSERT_TRUE(effect) << kind << "/" << common;
            EXPECT_EQ(CommonEffect(kind, *effect), common) << kind << "/" << common;
        }
    }
    EXPECT_EQ(EffectOfCommon(kPanelKeyboard, 0), 5);
    EXPECT_EQ(EffectOfCommon(kPanelMouse, 4), 9);
    EXPECT_EQ(EffectOfCommon(kPanelMousePad, 4), 8);
    EXPECT_FALSE(CommonEffect(kPanelMouse, 0));
}

}  // namespace
}  // namespace vandrel::lighting
