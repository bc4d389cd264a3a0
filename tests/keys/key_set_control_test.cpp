// The key-assignment panel over a map-backed page: every family shows a code
// in its controls and builds the same code back from them, number fields are
// clamped to their bytes, modifiers map onto the four options, and key
// capture turns a key press into a keyboard code.
#include <gtest/gtest.h>

#include <string>

#include "keys/key_set_control.h"
#include "support/fake_page_view.h"

namespace vandrel::keys {
namespace {

namespace kc = keyset_controls;
using profiles::KeyEntry;
using testing::FakePageView;

std::string Translated(std::string_view id) { return "T:" + std::string(id); }

std::string Option(int n) { return std::string(kc::kModifierPrefix) + std::to_string(n); }

FakePageView PanelPage() {
    FakePageView page;
    for (const std::string_view name :
         {kc::kPanel,           kc::kFunctionCombo, kc::kFamilyPages,      kc::kDefaultButton,  kc::kSaveButton,
          kc::kCancelButton,    kc::kWriteButton,   kc::kMouseButtonCombo, kc::kSwingDirection, kc::kSwingCount,
          kc::kSwingDelay,      kc::kSwingSpeed,    kc::kWheelDirection,   kc::kWheelCount,     kc::kWheelDelay,
          kc::kWheelSpeed,      kc::kDpiCombo,      kc::kFireInterval,     kc::kFireCount,      kc::kKeyEdit,
          kc::kMediaCombo,      kc::kSystemCombo,   kc::kMacroCombo,       kc::kMacroModeCombo, kc::kMacroRepeatLayout,
          kc::kMacroRepeatEdit, kc::kGunKeyCombo,   kc::kShortcutCombo})
        page.Add(name);
    for (int n = 0; n < kc::kModifierOptions; ++n) page.Add(Option(n));
    return page;
}

constexpr KeyCode kSpace{0x20, 0x00, 0x2C};  // the factory function of the keys below

class KeySetControlTest : public ::testing::Test {
protected:
    KeySetControlTest() { panel_.SetMacroNames({"one", "two", "three"}); }

    void Load(const KeyCode& code) { panel_.LoadAssignment(KeyEntry{7, code, 7, kSpace}); }

    // Selects a family as the user does.
    void Choose(Family family) {
        page_.SetCurrentIndex(kc::kFunctionCombo, panel_.FindFamily(family));
        panel_.OnFunctionChosen();
    }

    int SelectedItem(std::string_view combo) const { return page_.CurrentIndex(combo); }

    FakePageView page_ = PanelPage();
    CKeySetControlUI panel_{page_, Translated};
};

TEST_F(KeySetControlTest, FunctionComboItemsAreTheFamiliesInOrder) {
    const FakePageView::Control* combo = page_.Find(kc::kFunctionCombo);
    ASSERT_EQ(combo->items.size(), 12u);
    EXPECT_EQ(combo->items[0], "keyset_function_default_text");
    EXPECT_EQ(combo->items[6], "keyset_function_keyboard_text");
    EXPECT_EQ(combo->items[11], "keyset_function_shortcut_text");
    EXPECT_TRUE(combo->itemIsId[3]);
    for (int family = 0; family < 12; ++family) EXPECT_EQ(panel_.FindFamily(static_cast<Family>(family)), family);
    // The choice lists are as long as the lists their items stand for.
    EXPECT_EQ(page_.Items(kc::kMouseButtonCombo).size(), MouseButtonChoices().size());
    EXPECT_EQ(page_.Items(kc::kMediaCombo).size(), MediaChoices().size());
    EXPECT_EQ(page_.Items(kc::kShortcutCombo).size(), ShortcutChoices().size());
    EXPECT_EQ(page_.Items(kc::kMacroModeCombo).size(), static_cast<std::size_t>(kc::kRepeatMode + 1));
    EXPECT_EQ(page_.Items(kc::kGunKeyCombo).size(), static_cast<std::size_t>(kc::kGunKeys));
}

struct RoundTripCase {
    const char* name;
    KeyCode code;
    Family family;
    bool mouseOnly = false;
};

const RoundTripCase kRoundTrips[] = {
    {"MouseLeft", {0x10, 0x01, 0x00}, Family::MouseButton},
    {"MouseRight", {0x10, 0x02, 0x00}, Family::MouseButton},
    {"MouseForward", {0x10, 0x10, 0x00}, Family::MouseButton},
    {"SwingLeft", {0x11, 0x3A, 0x05}, Family::MouseSwing},
    {"SwingRightFull", {0x11, 0xFF, 0xFF}, Family::MouseSwing},
    {"SwingZero", {0x11, 0x00, 0x00}, Family::MouseSwing},
    {"WheelUp", {0x12, 0x21, 0x10}, Family::WheelRepeat},
    {"WheelUpMost", {0x12, 0x21, 0x7F}, Family::WheelRepeat},
    {"WheelDownOne", {0x12, 0x21, 0xFF}, Family::WheelRepeat},
    {"WheelDownMost", {0x12, 0x0F, 0x80}, Family::WheelRepeat},
    {"WheelDown", {0x12, 0xF0, 0x9C}, Family::WheelRepeat},
    {"DpiUp", {0x13, 0x01, 0x00}, Family::Dpi, true},
    {"DpiCycle", {0x13, 0x03, 0x00}, Family::Dpi, true},
    {"Fire", {0x14, 0x50, 0x02}, Family::FireKey},
    {"FireFull", {0x14, 0xFF, 0xFF}, Family::FireKey},
    {"Key", {0x20, 0x00, 0x04}, Family::Keyboard},
    {"CtrlA", {0x20, 0x01, 0x04}, Family::Keyboard},
    {"ShiftF5", {0x20, 0x02, 0x3E}, Family::Keyboard},
    {"AltEnter", {0x20, 0x04, 0x28}, Family::Keyboard},
    {"WinD", {0x20, 0x08, 0x07}, Family::Keyboard},
    {"CtrlAlone", {0x20, 0x01, 0x00}, Family::Keyboard},
    {"NoKey", {0x20, 0x00, 0x00}, Family::Keyboard},
    {"MediaPlay", {0x30, 0xCD, 0x00}, Family::Media},
    {"MediaMail", {0x30, 0x8A, 0x01}, Family::Media},
    {"SystemWake", {0x40, 0x04, 0x00}, Family::System},
    {"MacroMode3", {0x70, 0x02, 0x03}, Family::Macro},
    {"MacroMode0", {0x70, 0x00, 0x00}, Family::Macro},
    {"MacroRepeated", {0x71, 0x01, 0xC8}, Family::Macro},
    {"MacroRepeatedZero", {0x71, 0x00, 0x00}, Family::Macro},
    {"GunKey", {0x72, 0x03, 0x00}, Family::GunKey, true},
    {"Shortcut", {0x20, 0x01, 0x12}, Family::Keyboard},  // a shortcut item is a Ctrl key
};

class KeySetRoundTripTest : public ::testing::TestWithParam<int> {};

// The controls alone carry the code: it is shown while the record holds
// another one, so a build that fell back on the record would be seen.
TEST_P(KeySetRoundTripTest, ShownCodeIsBuiltBackFromTheControls) {
    const int kind = GetParam();
    for (const RoundTripCase& c : kRoundTrips) {
        if (c.mouseOnly && kind == CKeySetControlUI::kKeyboardKind) continue;
        SCOPED_TRACE(c.name);
        FakePageView page = PanelPage();
        CKeySetControlUI panel(page, Translated);
        panel.SetDeviceKind(kind);
        panel.SetMacroNames({"one", "two", "three"});
        panel.LoadAssignment(KeyEntry{3, {0x40, 0x01, 0x00}, 3, kSpace});

        panel.ShowCode(c.code);
        EXPECT_TRUE(page.Visible(kc::kPanel));
        EXPECT_EQ(page.CurrentIndex(kc::kFunctionCombo), static_cast<int>(c.family));
        EXPECT_EQ(page.CurrentPage(kc::kFamilyPages), static_cast<int>(c.family));

        const KeyEntry built = panel.BuildCode();
        EXPECT_EQ(built.assignment, c.code);
        EXPECT_EQ(built.defaultAssignment, kSpace);
        EXPECT_EQ(built.index, 3);
        EXPECT_EQ(panel.Current(), c.code);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, KeySetRoundTripTest,
                         ::testing::Values(CKeySetControlUI::kMouseKind, CKeySetControlUI::kKeyboardKind),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == CKeySetControlUI::kMouseKind ? "Mouse" : "Keyboard";
                         });

TEST_F(KeySetControlTest, EveryChoiceItemBuildsItsCode) {
    struct Case {
        Family family;
        std::string_view combo;
        std::span<const KeyCode> choices;
    };
    const Case cases[] = {
        {Family::MouseButton, kc::kMouseButtonCombo, MouseButtonChoices()},
        {Family::Dpi, kc::kDpiCombo, DpiChoices()},
        {Family::Media, kc::kMediaCombo, MediaChoices()},
        {Family::System, kc::kSystemCombo, SystemChoices()},
        {Family::ShortcutCombination, kc::kShortcutCombo, ShortcutChoices()},
    };
    for (const Case& c : cases) {
        Choose(c.family);
        for (std::size_t i = 0; i < c.choices.size(); ++i) {
            page_.SetCurrentIndex(c.combo, static_cast<int>(i));
            EXPECT_EQ(panel_.BuildCode().assignment, c.choices[i]) << c.combo << " " << i;
        }
    }
    Choose(Family::GunKey);
    for (int gun = 0; gun < kc::kGunKeys; ++gun) {
        page_.SetCurrentIndex(kc::kGunKeyCombo, gun);
        EXPECT_EQ(panel_.BuildCode().assignment, (KeyCode{0x72, static_cast<std::uint8_t>(gun), 0}));
    }
}

TEST_F(KeySetControlTest, CodesTheControlsCannotHoldAreKeptWhenBuilt) {
    const KeyCode kept[] = {
        {0x20, 0x81, 0x05},  // a shortcut combination beyond the list
        {0xB0, 0x02, 0x03},
        {0x70, 0x01, 0x07},  // a macro mode beyond the playback modes
    };
    for (const KeyCode& code : kept) {
        Load(code);
        EXPECT_TRUE(page_.Visible(kc::kPanel));
        EXPECT_EQ(panel_.BuildCode().assignment, code);
    }
    Load({0x20, 0x81, 0x05});
    EXPECT_EQ(SelectedItem(kc::kFunctionCombo), static_cast<int>(Family::ShortcutCombination));
    EXPECT_EQ(SelectedItem(kc::kShortcutCombo), -1);
}

TEST_F(KeySetControlTest, DefaultCodeShowsAsDefaultFamilyAndBuildsTheDefault) {
    Load(kSpace);
    EXPECT_EQ(SelectedItem(kc::kFunctionCombo), 0);
    EXPECT_EQ(page_.CurrentPage(kc::kFamilyPages), 0);
    Load({0x00, 0x00, 0x00});
    EXPECT_EQ(SelectedItem(kc::kFunctionCombo), 0);
    EXPECT_EQ(panel_.BuildCode().assignment, kSpace);

    Load({0x10, 0x01, 0x00});
    panel_.OnDefaultClicked();
    EXPECT_EQ(SelectedItem(kc::kFunctionCombo), 0);
    EXPECT_EQ(panel_.Current(), (KeyCode{0x10, 0x01, 0x00}));  // shown, not stored
    EXPECT_TRUE(page_.Enabled(kc::kSaveButton));
    panel_.OnCancelClicked();
    EXPECT_EQ(SelectedItem(kc::kFunctionCombo), static_cast<int>(Family::MouseButton));
    EXPECT_FALSE(page_.Enabled(kc::kSaveButton));
}

TEST_F(KeySetControlTest, ModifiersShowAsTheirOptionAndAreStoredAsLeftBits) {
    struct Case {
        std::uint8_t modifier;
        int option;
        std::uint8_t stored;
    };
    const Case cases[] = {
        {0x01, 1, 0x01}, {0x02, 2, 0x02}, {0x04, 3, 0x04}, {0x08, 4, 0x08},  // left
        {0x10, 1, 0x01}, {0x20, 2, 0x02}, {0x40, 3, 0x04}, {0x80, 4, 0x08},  // right
        {0x03, 0, 0x00}, {0x41, 0, 0x00},                                    // two modifiers
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.modifier));
        Load({0x20, c.modifier, 0x04});
        EXPECT_EQ(SelectedItem(kc::kFunctionCombo), static_cast<int>(Family::Keyboard));
        EXPECT_EQ(panel_.CheckedModifier(), c.option);
        for (int n = 0; n < kc::kModifierOptions; ++n) EXPECT_EQ(page_.Selected(Option(n)), n == c.option) << n;
        EXPECT_EQ(page_.Text(kc::kKeyEdit), "T:keyboard_key_A");
        EXPECT_EQ(panel_.BuildCode().assignment, (KeyCode{0x20, c.stored, 0x04}));
    }
}

TEST_F(KeySetControlTest, UnknownKeyShowsNothingAndIsStoredEmpty) {
    page_.SetText(kc::kKeyEdit, "stale");
    Load({0x20, 0x00, 0xF0});
    EXPECT_EQ(page_.Text(kc::kKeyEdit), "");
    EXPECT_EQ(panel_.CheckedModifier(), -1);
    EXPECT_EQ(panel_.BuildCode().assignment, (KeyCode{0x20, 0x00, 0x00}));
}

TEST_F(KeySetControlTest, WheelCountZeroDownwardIsStoredAs0x80AndReadsBackAs128) {
    Choose(Family::WheelRepeat);
    page_.SetCurrentIndex(kc::kWheelDirection, 1);
    page_.SetText(kc::kWheelCount, "0");
    EXPECT_EQ(panel_.BuildCode().assignment.code2, 0x80);

    Load({0x12, 0x00, 0x80});
    EXPECT_EQ(page_.Text(kc::kWheelCount), "128");
    EXPECT_EQ(SelectedItem(kc::kWheelDirection), 1);
    EXPECT_EQ(panel_.BuildCode().assignment.code2, 0x80);

    // Upward the count has seven bits.
    page_.SetCurrentIndex(kc::kWheelDirection, 0);
    EXPECT_EQ(panel_.BuildCode().assignment.code2, 127);
    EXPECT_EQ(page_.Text(kc::kWheelCount), "127");
}

TEST_F(KeySetControlTest, SwingAndWheelCountsLiveInTheirOwnEdits) {
    Load({0x11, 0x12, 0x05});
    Load({0x12, 0x34, 0x09});
    EXPECT_EQ(page_.Text(kc::kSwingCount), "5");
    EXPECT_EQ(page_.Text(kc::kWheelCount), "9");
    EXPECT_EQ(page_.Text(kc::kWheelDelay), "3");
    EXPECT_EQ(page_.Text(kc::kWheelSpeed), "4");
}

struct ClampCase {
    const char* name;
    Family family;
    std::string_view edit;
    std::string typed;
    std::string shown;
};

// The part of a built code a number field went into.
int FieldInCode(std::string_view edit, const KeyCode& code) {
    if (edit == kc::kSwingDelay || edit == kc::kWheelDelay) return code.code1 >> 4;
    if (edit == kc::kSwingSpeed || edit == kc::kWheelSpeed) return code.code1 & 0x0F;
    if (edit == kc::kSwingCount || edit == kc::kWheelCount) return code.code2 & 0x7F;
    if (edit == kc::kFireInterval) return code.code1;
    return code.code2;  // fire count, repeat count
}

class KeySetClampTest : public KeySetControlTest, public ::testing::WithParamInterface<ClampCase> {};

TEST_P(KeySetClampTest, TypedNumbersAreClampedToTheirFieldAndShownSo) {
    const ClampCase& c = GetParam();
    Choose(c.family);
    page_.SetCurrentIndex(kc::kMacroCombo, 0);
    page_.SetCurrentIndex(kc::kMacroModeCombo, kc::kRepeatMode);
    page_.SetText(c.edit, c.typed);
    EXPECT_TRUE(panel_.OnEditFinished(c.edit));
    EXPECT_EQ(page_.Text(c.edit), c.shown);

    // Building clamps as well, without the field having been left.
    page_.SetText(c.edit, c.typed);
    const KeyCode built = panel_.BuildCode().assignment;
    EXPECT_EQ(page_.Text(c.edit), c.shown);
    EXPECT_EQ(FieldInCode(c.edit, built), std::stoi(c.shown));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, KeySetClampTest,
    ::testing::Values(ClampCase{"SwingDelayHigh", Family::MouseSwing, kc::kSwingDelay, "300", "15"},
                      ClampCase{"SwingSpeedHigh", Family::MouseSwing, kc::kSwingSpeed, "16", "15"},
                      ClampCase{"SwingCountHigh", Family::MouseSwing, kc::kSwingCount, "200", "127"},
                      ClampCase{"SwingCountNegative", Family::MouseSwing, kc::kSwingCount, "-3", "0"},
                      ClampCase{"WheelDelayText", Family::WheelRepeat, kc::kWheelDelay, "abc", "0"},
                      ClampCase{"WheelSpeedBlank", Family::WheelRepeat, kc::kWheelSpeed, "", "0"},
                      ClampCase{"WheelCountUpHigh", Family::WheelRepeat, kc::kWheelCount, "128", "127"},
                      ClampCase{"FireIntervalHigh", Family::FireKey, kc::kFireInterval, "256", "255"},
                      ClampCase{"FireIntervalHuge", Family::FireKey, kc::kFireInterval, "99999999999999999999", "255"},
                      ClampCase{"FireCountLeadingBlanks", Family::FireKey, kc::kFireCount, "  42", "42"},
                      ClampCase{"FireCountTrailingText", Family::FireKey, kc::kFireCount, "12x", "12"},
                      ClampCase{"RepeatHigh", Family::Macro, kc::kMacroRepeatEdit, "1000", "255"},
                      ClampCase{"RepeatHugeNegative", Family::Macro, kc::kMacroRepeatEdit, "-99999999999999999999",
                                "0"}),
    [](const ::testing::TestParamInfo<ClampCase>& info) { return std::string(info.param.name); });

TEST_F(KeySetControlTest, OnlyNumberFieldsAreClamped) {
    page_.SetText(kc::kKeyEdit, "300");
    EXPECT_FALSE(panel_.OnEditFinished(kc::kKeyEdit));
    EXPECT_EQ(page_.Text(kc::kKeyEdit), "300");
}

TEST_F(KeySetControlTest, KeyboardOffersNeitherDpiNorGunKey) {
    panel_.SetDeviceKind(CKeySetControlUI::kKeyboardKind);
    for (int item = 0; item < 12; ++item) {
        const bool hidden = item == static_cast<int>(Family::Dpi) || item == static_cast<int>(Family::GunKey);
        EXPECT_EQ(page_.ItemVisible(kc::kFunctionCombo, item), !hidden) << item;
        EXPECT_EQ(panel_.FindFamily(static_cast<Family>(item)), hidden ? -1 : item);
    }
    Load({0x13, 0x01, 0x00});
    EXPECT_FALSE(page_.Visible(kc::kPanel));
    Load({0x72, 0x00, 0x00});
    EXPECT_FALSE(page_.Visible(kc::kPanel));
    Load({0x10, 0x01, 0x00});
    EXPECT_TRUE(page_.Visible(kc::kPanel));

    panel_.SetDeviceKind(CKeySetControlUI::kMouseKind);
    for (int item = 0; item < 12; ++item) EXPECT_TRUE(page_.ItemVisible(kc::kFunctionCombo, item)) << item;
    Load({0x13, 0x01, 0x00});
    EXPECT_TRUE(page_.Visible(kc::kPanel));
    EXPECT_EQ(SelectedItem(kc::kDpiCombo), 0);
}

TEST_F(KeySetControlTest, CodeOfNoFamilyHidesThePanel) {
    for (const KeyCode& code :
         {KeyCode{0x55, 0x01, 0x02}, KeyCode{0x16, 0x00, 0x00}, KeyCode{0xA0, 0x01, 0x00}, KeyCode{0xD0, 0xA2, 1}}) {
        Load({0x10, 0x01, 0x00});
        ASSERT_TRUE(page_.Visible(kc::kPanel));
        Load(code);
        EXPECT_FALSE(page_.Visible(kc::kPanel)) << static_cast<int>(code.type);
    }
}

TEST_F(KeySetControlTest, MacroBeyondTheMacroNamesShowsNoSelection) {
    Load({0x71, 0x01, 0x07});
    EXPECT_EQ(SelectedItem(kc::kMacroCombo), 1);
    EXPECT_EQ(SelectedItem(kc::kMacroModeCombo), kc::kRepeatMode);
    EXPECT_EQ(page_.Text(kc::kMacroRepeatEdit), "7");
    EXPECT_TRUE(page_.Visible(kc::kMacroRepeatLayout));

    for (const KeyCode& code : {KeyCode{0x70, 0x03, 0x01}, KeyCode{0x71, 0x05, 0x02}}) {
        Load(code);
        EXPECT_EQ(SelectedItem(kc::kFunctionCombo), static_cast<int>(Family::Macro));
        EXPECT_EQ(SelectedItem(kc::kMacroCombo), -1);
        EXPECT_EQ(SelectedItem(kc::kMacroModeCombo), -1);
        EXPECT_FALSE(page_.Visible(kc::kMacroRepeatLayout));
        EXPECT_EQ(panel_.BuildCode().assignment, code);  // kept as it is
    }
}

TEST_F(KeySetControlTest, MacroNamesFillTheComboWithoutSelection) {
    page_.SetCurrentIndex(kc::kMacroCombo, 1);
    panel_.SetMacroNames({"a", "b"});
    EXPECT_EQ(page_.Items(kc::kMacroCombo), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SelectedItem(kc::kMacroCombo), -1);
    Load({0x70, 0x02, 0x00});  // "three" is gone
    EXPECT_EQ(SelectedItem(kc::kMacroCombo), -1);
}

TEST_F(KeySetControlTest, RepeatCountShowsOnlyForTheRepeatMode) {
    for (int mode = 0; mode <= kc::kRepeatMode; ++mode) {
        page_.SetCurrentIndex(kc::kMacroModeCombo, mode);
        panel_.OnModeChosen();
        EXPECT_EQ(page_.Visible(kc::kMacroRepeatLayout), mode == kc::kRepeatMode) << mode;
    }
}

TEST_F(KeySetControlTest, ChoosingAFamilyShowsItsPageAndTheKeyboardPageStartsEmpty) {
    Load({0x20, 0x01, 0x04});
    Choose(Family::Media);
    EXPECT_EQ(page_.CurrentPage(kc::kFamilyPages), static_cast<int>(Family::Media));
    Choose(Family::Keyboard);
    EXPECT_EQ(page_.CurrentPage(kc::kFamilyPages), static_cast<int>(Family::Keyboard));
    EXPECT_EQ(page_.Text(kc::kKeyEdit), "");
    EXPECT_EQ(panel_.CheckedModifier(), -1);
    EXPECT_EQ(panel_.BuildCode().assignment, (KeyCode{0x20, 0x00, 0x00}));
}

TEST_F(KeySetControlTest, CaptureTakesTheKeyWithTheCheckedModifier) {
    Load({0x10, 0x01, 0x00});
    Choose(Family::Keyboard);
    panel_.CheckModifier(1);
    ASSERT_TRUE(panel_.Capture(0x41, false));  // A
    EXPECT_EQ(panel_.Current(), (KeyCode{0x20, 0x01, 0x04}));
    EXPECT_EQ(page_.Text(kc::kKeyEdit), "T:keyboard_key_A");
    EXPECT_EQ(panel_.BuildCode().assignment, (KeyCode{0x20, 0x01, 0x04}));

    // Without a checked option the key stands alone.
    Choose(Family::Keyboard);
    ASSERT_TRUE(panel_.Capture(0x0D, false));  // Enter
    EXPECT_EQ(panel_.CheckedModifier(), 0);
    EXPECT_EQ(panel_.BuildCode().assignment, (KeyCode{0x20, 0x00, 0x28}));
}

TEST_F(KeySetControlTest, CaptureOfAModifierChecksItsOption) {
    Load({0x20, 0x00, 0x04});
    Choose(Family::Keyboard);
    ASSERT_TRUE(panel_.Capture(0xA5, true));  // right Alt
    EXPECT_EQ(panel_.CheckedModifier(), 3);
    EXPECT_EQ(page_.Text(kc::kKeyEdit), "");
    EXPECT_EQ(panel_.BuildCode().assignment, (KeyCode{0x20, 0x04, 0x00}));

    ASSERT_TRUE(panel_.Capture(0x70, false));  // F1, with the Alt just taken
    EXPECT_EQ(panel_.BuildCode().assignment, (KeyCode{0x20, 0x04, 0x3A}));

    EXPECT_TRUE(panel_.OnModifierClicked(2));
    EXPECT_EQ(panel_.BuildCode().assignment, (KeyCode{0x20, 0x02, 0x3A}));
    EXPECT_FALSE(panel_.OnModifierClicked(5));
}

TEST_F(KeySetControlTest, CaptureIgnoresKeysItCannotTake) {
    Load({0x20, 0x00, 0x04});
    Choose(Family::Keyboard);
    panel_.CheckModifier(2);
    const struct {
        std::uint8_t key;
        bool extended;
    } ignored[] = {
        {0xFF, false},  // international keys with no capture key
        {0x00, false},  // M and special keys
        {0xB3, false},  // media play: not a keyboard code
        {0x03, true},   // power
        {0x07, false},  // no key of the catalogue
        {0xA2, true},   // left Ctrl never comes extended
    };
    for (const auto& key : ignored) {
        EXPECT_FALSE(panel_.Capture(key.key, key.extended)) << static_cast<int>(key.key);
        EXPECT_EQ(panel_.CheckedModifier(), 2);
        EXPECT_EQ(page_.Text(kc::kKeyEdit), "");
    }
    // Nor does a key press count while another family is chosen.
    Choose(Family::Media);
    EXPECT_FALSE(panel_.Capture(0x41, false));
    EXPECT_EQ(page_.Text(kc::kKeyEdit), "");
}

TEST_F(KeySetControlTest, ModifierOptionsAndButtons) {
    panel_.CheckModifier(3);
    EXPECT_EQ(panel_.CheckedModifier(), 3);
    panel_.CheckModifier(-1);
    EXPECT_EQ(panel_.CheckedModifier(), -1);
    for (int n = 0; n < kc::kModifierOptions; ++n) EXPECT_FALSE(page_.Selected(Option(n)));

    panel_.EnableButtons(false);
    for (const std::string_view button : {kc::kSaveButton, kc::kCancelButton, kc::kWriteButton})
        EXPECT_FALSE(page_.Enabled(button)) << button;
    EXPECT_TRUE(page_.Enabled(kc::kDefaultButton));
    panel_.EnableButtons(true);
    for (const std::string_view button : {kc::kSaveButton, kc::kCancelButton, kc::kWriteButton})
        EXPECT_TRUE(page_.Enabled(button)) << button;
}

}  // namespace
}  // namespace vandrel::keys
