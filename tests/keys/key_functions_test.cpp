// The panel's choice lists, the label lists and the function families: each
// choice is found again by its own code, the label lists name the codes the
// panel writes, and every type lands in the family whose page edits it.
#include <gtest/gtest.h>

#include "keys/key_functions.h"

namespace vandrel::keys {
namespace {

TEST(KeyChoicesTest, EveryChoiceIsFoundAgainByItsCode) {
    struct Case {
        const char* list;
        std::span<const KeyCode> choices;
        std::size_t size;
        std::uint8_t type;
    };
    const Case cases[] = {
        {"mouse buttons", MouseButtonChoices(), 5, type::kMouseButton},
        {"DPI", DpiChoices(), 3, type::kDpi},
        {"system", SystemChoices(), 3, type::kSystem},
        {"media", MediaChoices(), 18, type::kConsumer},
        {"shortcuts", ShortcutChoices(), 11, type::kKeyboard},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        ASSERT_EQ(c.choices.size(), c.size);
        for (std::size_t i = 0; i < c.choices.size(); ++i) {
            EXPECT_EQ(c.choices[i].type, c.type) << i;
            EXPECT_EQ(FindChoice(c.choices, c.choices[i]), i);
        }
    }
    EXPECT_EQ(FindChoice(DpiChoices(), {type::kDpi, 4, 0}), std::nullopt);
    EXPECT_EQ(FindChoice(MediaChoices(), {type::kConsumer, 0xE9, 0x01}), std::nullopt);  // 0x01E9 is no choice
}

TEST(KeyChoicesTest, MediaAndSystemChoicesAreCatalogueKeys) {
    // A key set to a media or system function shows the catalogue's name.
    for (const KeyCode& code : MediaChoices()) {
        const std::optional<std::size_t> index = FindByCode(code);
        ASSERT_TRUE(index) << int(code.code1) << " " << int(code.code2);
        EXPECT_GE(*index, 114u);
        EXPECT_LE(*index, 131u);
    }
    EXPECT_EQ(FindByCode(SystemChoices()[0]), 132u);
    EXPECT_EQ(FindByCode(SystemChoices()[1]), 133u);
    EXPECT_EQ(FindByCode(SystemChoices()[2]), 134u);
}

TEST(KeyChoicesTest, ShortcutsAreLeftCtrlWithTheirKey) {
    const std::string_view keys[] = {"O", "N", "Z", "S", "C", "X", "V", "F", "A", "-", "="};
    ASSERT_EQ(ShortcutChoices().size(), std::size(keys));
    for (std::size_t i = 0; i < std::size(keys); ++i) {
        const KeyCode& code = ShortcutChoices()[i];
        EXPECT_EQ(code.code1, 0x01) << keys[i];
        const std::optional<std::size_t> key = FindByCode({type::kKeyboard, 0, code.code2});
        ASSERT_TRUE(key) << keys[i];
        EXPECT_EQ(KeyCatalogue()[*key].name, std::string("keyboard_key_") + std::string(keys[i]));
    }
}

TEST(KeyLabelsTest, LabelListsNameTheCodesByTheirBytes) {
    struct Case {
        std::span<const KeyLabel> labels;
        LabelMatch match;
        KeyCode code;
        std::optional<std::string_view> name;
    };
    const Case cases[] = {
        {MouseButtonLabels(), LabelMatch::Code1, {type::kMouseButton, 0x04, 0}, "mouse_key_middle"},
        {MouseButtonLabels(), LabelMatch::Code1, {type::kMouseButton, 0x02, 0}, "mouse_key_right"},
        {MouseButtonLabels(), LabelMatch::Code1, {type::kMouseButton, 0x08, 0}, "mouse_key_back"},
        {MouseButtonLabels(), LabelMatch::Code1, {type::kMouseButton, 0x20, 0}, std::nullopt},
        {DpiLabels(), LabelMatch::Code1, {type::kDpi, 3, 0}, "mouse_key_DPI_loop"},
        {MediaLabels(), LabelMatch::Code1Code2, {type::kConsumer, 0x83, 0x01}, "media_text"},
        {MediaLabels(), LabelMatch::Code1Code2, {type::kConsumer, 0x92, 0x01}, "media_calc"},
        {MediaLabels(), LabelMatch::Code1Code2, {type::kConsumer, 0xEA, 0x00}, "media_vol_sub"},
        {MediaLabels(), LabelMatch::Code1Code2, {type::kConsumer, 0xEA, 0x01}, std::nullopt},
        {SystemLabels(), LabelMatch::Code1Code2, {type::kSystem, 0x04, 0}, "system_wake_up"},
        {TextShortcutLabels(), LabelMatch::Code1Code2, {type::kTextShortcut, 0, 0}, "custem_cut"},
        {TextShortcutLabels(), LabelMatch::Code1Code2, {type::kTextShortcut, 0, 8}, "custem_open"},
        {TextShortcutLabels(), LabelMatch::Code1Code2, {type::kTextShortcut, 0, 9}, std::nullopt},
        {MouseFunctionLabels(), LabelMatch::TypeCode1Code2, {type::kShowWindow, 0, 0}, "show_window"},
        {MouseFunctionLabels(), LabelMatch::Type, {type::kDpiShift, 0x12, 0x34}, "mouse_key_DPI_shift"},
        {MouseFunctionLabels(), LabelMatch::Type, {0x15, 0, 0}, std::nullopt},
        {MouseFunctionLabels(), LabelMatch::TypeCode1, {type::kSpecial, 0x02, 0x07}, "mouse_key_smart_key"},
        {MouseFunctionLabels(), LabelMatch::TypeCode1, {type::kSpecial, 0x00, 0}, "close_text"},
        {MouseFunctionLabels(), LabelMatch::TypeCode1, {type::kSpecial, 0x01, 0}, std::nullopt},  // Fn: catalogue
        {MouseFunctionLabels(), LabelMatch::TypeCode1, {type::kMKey, 0xA2, 1}, std::nullopt},
        {MouseFunctionLabels(), LabelMatch::TypeCode1Code2, {type::kFireKey, 0x50, 0x02}, "mouse_key_fire_key"},
        // Both lists name a button by the function its code carries.
        {MouseFunctionLabels(), LabelMatch::TypeCode1, {type::kMouseButton, 0x02, 0}, "mouse_key_right"},
        {MouseFunctionLabels(), LabelMatch::TypeCode1, {type::kMouseButton, 0x04, 0}, "mouse_key_middle"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindLabel(c.labels, c.match, c.code), c.name)
            << int(c.code.type) << " " << int(c.code.code1) << " " << int(c.code.code2);
    }
}

TEST(KeyLabelsTest, EachChoiceHasTheLabelOfItsPlace) {
    ASSERT_EQ(MediaLabels().size(), MediaChoices().size());
    for (std::size_t i = 0; i < MediaChoices().size(); ++i) EXPECT_EQ(MediaLabels()[i].code, MediaChoices()[i]) << i;
    ASSERT_EQ(MouseButtonLabels().size(), MouseButtonChoices().size());
    for (std::size_t i = 0; i < MouseButtonChoices().size(); ++i) {
        EXPECT_EQ(MouseButtonLabels()[i].code, MouseButtonChoices()[i]) << i;
    }
}

TEST(KeyFamiliesTest, EachTypeLandsInItsFamily) {
    struct Case {
        KeyCode code;
        std::optional<Family> family;
    };
    const Case cases[] = {
        {{0x00, 0, 0}, Family::Default},
        {{0x10, 0x01, 0}, Family::MouseButton},
        {{0x11, 0x35, 0x85}, Family::MouseSwing},
        {{0x12, 0x35, 0x80}, Family::WheelRepeat},
        {{0x13, 3, 0}, Family::Dpi},
        {{0x14, 0x50, 0x02}, Family::FireKey},
        {{0x20, 0x00, 0x04}, Family::Keyboard},
        {{0x20, 0x80, 0x04}, Family::Keyboard},  // RWin with a key
        {{0x20, 0x81, 0x04}, Family::ShortcutCombination},
        {{0x20, 0xFF, 0x00}, Family::ShortcutCombination},
        {{0x30, 0xCD, 0x00}, Family::Media},
        {{0x40, 0x01, 0}, Family::System},
        {{0x70, 2, 1}, Family::Macro},
        {{0x71, 2, 9}, Family::Macro},
        {{0x72, 4, 0}, Family::GunKey},
        {{0xB0, 0, 0}, Family::ShortcutCombination},
        // Types the panel has no page for.
        {{0x16, 0, 0}, std::nullopt},
        {{0x22, 0, 3}, std::nullopt},
        {{0x23, 0, 0}, std::nullopt},
        {{0xA0, 0x01, 0}, std::nullopt},
        {{0xD0, 0xA2, 1}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FamilyOfCode(c.code), c.family) << int(c.code.type) << " " << int(c.code.code1);
    }
}

TEST(KeyFamiliesTest, TheKeysDefaultShowsInTheDefaultFamily) {
    const KeyCode fnKey{type::kSpecial, 0x01, 0};
    EXPECT_EQ(FamilyToShow(fnKey, fnKey), Family::Default);  // even a type without a page
    EXPECT_EQ(FamilyToShow({0x20, 0, 0x04}, {0x20, 0, 0x05}), Family::Keyboard);
    EXPECT_EQ(FamilyToShow({0x20, 0, 0x04}, {0x20, 0x01, 0x04}), Family::Keyboard);  // every byte counts
    EXPECT_EQ(FamilyToShow(fnKey, {0x20, 0, 0x04}), std::nullopt);
}

}  // namespace
}  // namespace vandrel::keys
