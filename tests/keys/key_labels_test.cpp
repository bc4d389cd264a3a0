// Key labels: every label rule by the code it names, and the tooltips and
// default marks of a key list against the factory functions.
#include <gtest/gtest.h>

#include <array>

#include "keys/key_labels.h"

namespace vandrel::keys {
namespace {

std::string Bracketed(std::string_view id) { return "[" + std::string(id) + "]"; }

const std::vector<std::string> kMacros{"first", "second"};

struct LabelCase {
    const char* name;
    KeyCode code;
    std::string expected;
};

class KeyLabelTextTest : public ::testing::TestWithParam<LabelCase> {};

TEST_P(KeyLabelTextTest, NamesTheFunctionTheCodeCarries) {
    const LabelCase& c = GetParam();
    EXPECT_EQ(KeyLabelText(c.code, kMacros, Bracketed), c.expected);
}

const std::string kAllModifiers =
    "[keyboard_key_LCtrl]+[keyboard_key_LShift]+[keyboard_key_LAlt]+[keyboard_key_LWin]+"
    "[keyboard_key_RCtrl]+[keyboard_key_RShift]+[keyboard_key_RAlt]+[keyboard_key_RWin]";

INSTANTIATE_TEST_SUITE_P(
    Rules, KeyLabelTextTest,
    ::testing::Values(LabelCase{"Key", {0x20, 0x00, 0x04}, "[keyboard_key_A]"},
                      LabelCase{"TypeZeroKey", {0x00, 0x00, 0x04}, "[keyboard_key_A]"},
                      LabelCase{"Modifier", {0x20, 0x10, 0x00}, "[keyboard_key_RCtrl]"},
                      LabelCase{"CtrlA", {0x20, 0x01, 0x04}, "[keyboard_key_LCtrl]+[keyboard_key_A]"},
                      LabelCase{"RightShiftF5", {0x20, 0x20, 0x3E}, "[keyboard_key_RShift]+[keyboard_key_F5]"},
                      LabelCase{"TwoModifiersListOnlyTheKey", {0x20, 0x03, 0x04}, "[keyboard_key_A]"},
                      LabelCase{"TwoModifiersAloneListEveryModifier", {0x20, 0x03, 0x00}, kAllModifiers},
                      LabelCase{"EmptyKeyboardCode", {0x20, 0x00, 0x00}, "[close_text]"},
                      LabelCase{"NoCode", {0x00, 0x00, 0x00}, "[close_text]"},
                      LabelCase{"MouseLeft", {0x10, 0x01, 0x00}, "[mouse_key_left]"},
                      LabelCase{"MouseRightIsBit2", {0x10, 0x02, 0x00}, "[mouse_key_right]"},
                      LabelCase{"MouseMiddleIsBit4", {0x10, 0x04, 0x00}, "[mouse_key_middle]"},
                      LabelCase{"MouseBack", {0x10, 0x08, 0x00}, "[mouse_key_back]"},
                      LabelCase{"MouseForward", {0x10, 0x10, 0x00}, "[mouse_key_forward]"},
                      LabelCase{"UnknownMouseButton", {0x10, 0x20, 0x00}, "[close_text]"},
                      LabelCase{"SwingLeft", {0x11, 0x35, 0x05}, "[mouse_key_left_Swing]"},
                      LabelCase{"SwingRight", {0x11, 0x35, 0x85}, "[mouse_key_right_Swing]"},
                      LabelCase{"WheelUp", {0x12, 0x35, 0x10}, "[mouse_key_up_Swing]"},
                      LabelCase{"WheelDown", {0x12, 0x35, 0x80}, "[mouse_key_down_Swing]"},
                      LabelCase{"DpiUp", {0x13, 0x01, 0x00}, "[mouse_key_DPI_add]"},
                      LabelCase{"DpiDown", {0x13, 0x02, 0x00}, "[mouse_key_DPI_sub]"},
                      LabelCase{"DpiCycle", {0x13, 0x03, 0x00}, "[mouse_key_DPI_loop]"},
                      LabelCase{"FireAnyRate", {0x14, 0x10, 0x07}, "[mouse_key_fire_key]"},
                      LabelCase{"DpiShift", {0x16, 0x00, 0x00}, "[mouse_key_DPI_shift]"},
                      LabelCase{"TypeWithoutMouseEntry", {0x15, 0x00, 0x00}, "[close_text]"},
                      LabelCase{"TextShortcut", {0x22, 0x00, 0x04}, "[custem_select_all]"},
                      LabelCase{"TextShortcutBeyondList", {0x22, 0x00, 0x09}, "[close_text]"},
                      LabelCase{"ShowWindow", {0x23, 0x00, 0x00}, "[show_window]"},
                      LabelCase{"Media", {0x30, 0xCD, 0x00}, "[media_play]"},
                      LabelCase{"MediaHighByte", {0x30, 0x21, 0x02}, "[web_search]"},
                      LabelCase{"System", {0x40, 0x02, 0x00}, "[system_sleep]"},
                      LabelCase{"Macro", {0x70, 0x01, 0x03}, "second"},
                      LabelCase{"MacroRepeated", {0x71, 0x00, 0x09}, "first"},
                      LabelCase{"MacroBeyondList", {0x70, 0x02, 0x00}, ""},
                      LabelCase{"SmartKey", {0xA0, 0x02, 0x00}, "[mouse_key_smart_key]"},
                      LabelCase{"SpecialNone", {0xA0, 0x00, 0x00}, "[close_text]"},
                      LabelCase{"GameMode", {0xA0, 0x1B, 0x00}, "[keyboard_key_GM]"},
                      LabelCase{"MKey", {0xD0, 0xA2, 0x03}, "[keyboard_key_M3]"},
                      LabelCase{"UnknownType", {0x55, 0x01, 0x02}, "[close_text]"},
                      LabelCase{"GunKeyHasNoLabel", {0x72, 0x01, 0x00}, "[close_text]"}),
    [](const ::testing::TestParamInfo<LabelCase>& info) { return std::string(info.param.name); });

TEST(KeyLabelTextTest, FallbackFollowsTheLanguage) {
    const auto chinese = [](std::string_view id) { return id == "close_text" ? std::string("关闭") : std::string(id); };
    const auto english = [](std::string_view id) { return id == "close_text" ? std::string("Off") : std::string(id); };
    EXPECT_EQ(KeyLabelText({0x55, 0, 0}, {}, chinese), "关闭");
    EXPECT_EQ(KeyLabelText({0x55, 0, 0}, {}, english), "Off");
}

TEST(BuildKeyLabelsTest, TooltipsNameTheFactoryFunctionAndMarkUnchangedKeys) {
    const std::array<KeyCode, 4> factory{{
        {0x20, 0x00, 0x04},  // A
        {0x20, 0x00, 0x06},  // C
        {0x10, 0x01, 0x00},  // left button: no catalogue entry
        {0x20, 0x00, 0x05},  // B
    }};
    const std::vector<profiles::KeyEntry> keys{
        {0, {0x20, 0x00, 0x04}, 0, factory[0]},  // unchanged
        {1, {0x20, 0x00, 0x05}, 1, factory[1]},  // now B
        {2, {0x10, 0x01, 0x00}, 2, factory[2]},  // unchanged mouse button
        {3, {0x70, 0x07, 0x00}, 3, factory[3]},  // a macro the list lacks
        {9, {0x20, 0x00, 0x05}, 9, {}},          // beyond the factory table
    };

    const std::vector<KeyButtonLabel> labels = BuildKeyLabels(keys, factory, kMacros, Bracketed);

    const std::vector<KeyButtonLabel> expected{
        {0, "[keyboard_key_A]", "[keyboard_key_A]", "[keyboard_key_A][Key_Set][keyboard_key_A]", true},
        {1, "[keyboard_key_B]", "[keyboard_key_C]", "[keyboard_key_C][Key_Set][keyboard_key_B]", false},
        {2, "[mouse_key_left]", "[mouse_key_left]", "[mouse_key_left][Key_Set][mouse_key_left]", true},
        {3, "", "[keyboard_key_B]", "[keyboard_key_B][Key_Set]", false},
        {9, "[keyboard_key_B]", "", "[Key_Set][keyboard_key_B]", false},
    };
    EXPECT_EQ(labels, expected);
}

TEST(BuildKeyLabelsTest, EmptyLabelBeyondTheFactoryTableIsNoDefault) {
    const std::vector<profiles::KeyEntry> keys{{4, {0x70, 0x09, 0x00}, 4, {}}};
    const std::vector<KeyButtonLabel> labels = BuildKeyLabels(keys, {}, {}, Bracketed);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].label, "");
    EXPECT_EQ(labels[0].tooltipTitle, "");
    EXPECT_FALSE(labels[0].isDefault);
}

}  // namespace
}  // namespace vandrel::keys
