// The key catalogue as the assignment panel and macro recording use it: every
// key the window can report reaches the catalogue entry of that key, with the
// hook's scan code, extended flag and virtual key agreeing between the two.
#include <gtest/gtest.h>

#include <set>
#include <string_view>

#include "keys/key_catalogue.h"
#include "platform/key_table.h"

namespace vandrel::keys {
namespace {

struct TableCase {
    std::uint32_t evdevCode;
    std::uint8_t scanCode;
    bool extended;
    std::uint8_t virtualKey;
    std::string_view name;  // the catalogue entry of that key
};

// Written from the key layout, not from the table in the code.
constexpr TableCase kTableCases[] = {
    {2, 0x02, false, 0x31, "keyboard_key_1"},
    {3, 0x03, false, 0x32, "keyboard_key_2"},
    {4, 0x04, false, 0x33, "keyboard_key_3"},
    {5, 0x05, false, 0x34, "keyboard_key_4"},
    {6, 0x06, false, 0x35, "keyboard_key_5"},
    {7, 0x07, false, 0x36, "keyboard_key_6"},
    {8, 0x08, false, 0x37, "keyboard_key_7"},
    {9, 0x09, false, 0x38, "keyboard_key_8"},
    {10, 0x0A, false, 0x39, "keyboard_key_9"},
    {11, 0x0B, false, 0x30, "keyboard_key_0"},
    {16, 0x10, false, 0x51, "keyboard_key_Q"},
    {17, 0x11, false, 0x57, "keyboard_key_W"},
    {18, 0x12, false, 0x45, "keyboard_key_E"},
    {19, 0x13, false, 0x52, "keyboard_key_R"},
    {20, 0x14, false, 0x54, "keyboard_key_T"},
    {21, 0x15, false, 0x59, "keyboard_key_Y"},
    {22, 0x16, false, 0x55, "keyboard_key_U"},
    {23, 0x17, false, 0x49, "keyboard_key_I"},
    {24, 0x18, false, 0x4F, "keyboard_key_O"},
    {25, 0x19, false, 0x50, "keyboard_key_P"},
    {30, 0x1E, false, 0x41, "keyboard_key_A"},
    {31, 0x1F, false, 0x53, "keyboard_key_S"},
    {32, 0x20, false, 0x44, "keyboard_key_D"},
    {33, 0x21, false, 0x46, "keyboard_key_F"},
    {34, 0x22, false, 0x47, "keyboard_key_G"},
    {35, 0x23, false, 0x48, "keyboard_key_H"},
    {36, 0x24, false, 0x4A, "keyboard_key_J"},
    {37, 0x25, false, 0x4B, "keyboard_key_K"},
    {38, 0x26, false, 0x4C, "keyboard_key_L"},
    {44, 0x2C, false, 0x5A, "keyboard_key_Z"},
    {45, 0x2D, false, 0x58, "keyboard_key_X"},
    {46, 0x2E, false, 0x43, "keyboard_key_C"},
    {47, 0x2F, false, 0x56, "keyboard_key_V"},
    {48, 0x30, false, 0x42, "keyboard_key_B"},
    {49, 0x31, false, 0x4E, "keyboard_key_N"},
    {50, 0x32, false, 0x4D, "keyboard_key_M"},
    {1, 0x01, false, 0x1B, "keyboard_key_Esc"},
    {12, 0x0C, false, 0xBD, "keyboard_key_-"},
    {13, 0x0D, false, 0xBB, "keyboard_key_="},
    {14, 0x0E, false, 0x08, "keyboard_key_BackSpace"},
    {15, 0x0F, false, 0x09, "keyboard_key_Tab"},
    {26, 0x1A, false, 0xDB, "keyboard_key_["},
    {27, 0x1B, false, 0xDD, "keyboard_key_]"},
    {28, 0x1C, false, 0x0D, "keyboard_key_Enter"},
    {39, 0x27, false, 0xBA, "keyboard_key_;"},
    {40, 0x28, false, 0xDE, "keyboard_key_'"},
    {41, 0x29, false, 0xC0, "keyboard_key_`"},
    {43, 0x2B, false, 0xDC, "keyboard_key_xiegang"},
    {51, 0x33, false, 0xBC, "keyboard_key_<"},
    {52, 0x34, false, 0xBE, "keyboard_key_."},
    {53, 0x35, false, 0xBF, "keyboard_key_/"},
    {57, 0x39, false, 0x20, "keyboard_key_Space"},
    {58, 0x3A, false, 0x14, "keyboard_key_Caplk"},
    {29, 0x1D, false, 0xA2, "keyboard_key_LCtrl"},
    {42, 0x2A, false, 0xA0, "keyboard_key_LShift"},
    {56, 0x38, false, 0xA4, "keyboard_key_LAlt"},
    {125, 0x5B, true, 0x5B, "keyboard_key_LWin"},
    {97, 0x1D, true, 0xA3, "keyboard_key_RCtrl"},
    {54, 0x36, true, 0xA1, "keyboard_key_RShift"},
    {100, 0x38, true, 0xA5, "keyboard_key_RAlt"},
    {126, 0x5C, true, 0x5C, "keyboard_key_RWin"},
    {59, 0x3B, false, 0x70, "keyboard_key_F1"},
    {60, 0x3C, false, 0x71, "keyboard_key_F2"},
    {61, 0x3D, false, 0x72, "keyboard_key_F3"},
    {62, 0x3E, false, 0x73, "keyboard_key_F4"},
    {63, 0x3F, false, 0x74, "keyboard_key_F5"},
    {64, 0x40, false, 0x75, "keyboard_key_F6"},
    {65, 0x41, false, 0x76, "keyboard_key_F7"},
    {66, 0x42, false, 0x77, "keyboard_key_F8"},
    {67, 0x43, false, 0x78, "keyboard_key_F9"},
    {68, 0x44, false, 0x79, "keyboard_key_F10"},
    {87, 0x57, false, 0x7A, "keyboard_key_F11"},
    {88, 0x58, false, 0x7B, "keyboard_key_F12"},
    {99, 0x37, true, 0x2C, "keyboard_key_Print Scr"},
    {70, 0x46, false, 0x91, "keyboard_key_Scroll Lock"},
    {119, 0x45, false, 0x13, "keyboard_key_Pause"},
    {110, 0x52, true, 0x2D, "keyboard_key_Insert"},
    {102, 0x47, true, 0x24, "keyboard_key_Home"},
    {104, 0x49, true, 0x21, "keyboard_key_Page Up"},
    {111, 0x53, true, 0x2E, "keyboard_key_Delete"},
    {107, 0x4F, true, 0x23, "keyboard_key_End"},
    {109, 0x51, true, 0x22, "keyboard_key_Page Down"},
    {106, 0x4D, true, 0x27, "keyboard_key_Right"},
    {105, 0x4B, true, 0x25, "keyboard_key_Left"},
    {108, 0x50, true, 0x28, "keyboard_key_Down"},
    {103, 0x48, true, 0x26, "keyboard_key_Up"},
    {69, 0x45, true, 0x90, "keyboard_key_Num Lock"},
    {98, 0x35, true, 0x6F, "keyboard_key_Num /"},
    {55, 0x37, false, 0x6A, "keyboard_key_Num *"},
    {74, 0x4A, false, 0x6D, "keyboard_key_Num -"},
    {78, 0x4E, false, 0x6B, "keyboard_key_Num +"},
    {96, 0x1C, true, 0x01, "keyboard_key_Num Enter"},
    {79, 0x4F, false, 0x61, "keyboard_key_Num 1"},
    {80, 0x50, false, 0x62, "keyboard_key_Num 2"},
    {81, 0x51, false, 0x63, "keyboard_key_Num 3"},
    {75, 0x4B, false, 0x64, "keyboard_key_Num 4"},
    {76, 0x4C, false, 0x65, "keyboard_key_Num 5"},
    {77, 0x4D, false, 0x66, "keyboard_key_Num 6"},
    {71, 0x47, false, 0x67, "keyboard_key_Num 7"},
    {72, 0x48, false, 0x68, "keyboard_key_Num 8"},
    {73, 0x49, false, 0x69, "keyboard_key_Num 9"},
    {82, 0x52, false, 0x60, "keyboard_key_Num 0"},
    {83, 0x53, false, 0x6E, "keyboard_key_Decimal"},
    {127, 0x5D, true, 0x5D, "keyboard_key_App"},
    {86, 0x56, false, 0xE2, "keyboard_key_K45"},
    {89, 0x73, false, 0xC1, "keyboard_key_K56"},
    {124, 0x7D, false, 0xFF, "keyboard_key_K14"},
    {121, 0x7E, false, 0xC2, "keyboard_key_K107"},
    {94, 0x7B, false, 0xEB, "keyboard_key_K131"},
    {92, 0x79, false, 0xFF, "keyboard_key_K132"},
    {93, 0x70, false, 0xFF, "keyboard_key_K133"},
    {123, 0x71, false, 0xE9, "keyboard_key_K150"},
    {122, 0x72, false, 0xFF, "keyboard_key_K151"},
};

TEST(KeyTableCatalogueTest, EveryRowGivesTheHookRecordAndItsCatalogueEntry) {
    for (const TableCase& c : kTableCases) {
        SCOPED_TRACE(c.name);
        const platform::KeyRecord expected{c.scanCode, c.extended, c.virtualKey};
        EXPECT_EQ(platform::KeyRecordForEvdevCode(c.evdevCode), expected) << c.evdevCode;
        EXPECT_EQ(platform::KeyRecordForNativeScanCode(c.evdevCode + platform::kNativeScanCodeOffset), expected);

        const std::optional<std::size_t> index = FindByScanCode(c.scanCode, c.extended);
        ASSERT_TRUE(index);
        const CatalogueKey& key = KeyCatalogue()[*index];
        EXPECT_EQ(key.name, c.name);
        // What capture sees and what a recording sees name the same key.
        EXPECT_EQ(key.virtualKey, c.virtualKey);
        EXPECT_EQ(key.extended, c.extended);
    }
    EXPECT_EQ(platform::KeyTableRows().size(), std::size(kTableCases));
}

TEST(KeyCatalogueTest, EveryEntryIsFoundByItsOwnCodeAndEntriesUpTo112ByTheirScanCode) {
    const auto catalogue = KeyCatalogue();
    ASSERT_EQ(catalogue.size(), 143u);
    std::set<std::string_view> names;
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        const CatalogueKey& key = catalogue[i];
        SCOPED_TRACE(key.name);
        EXPECT_TRUE(names.insert(key.name).second);
        EXPECT_EQ(FindByCode(key.code), i);  // codes are unique
        EXPECT_EQ(key.scanCode.has_value(), i < kScanCodeEntries);
        if (key.scanCode) {
            EXPECT_EQ(FindByScanCode(*key.scanCode, key.extended), i);
        }
    }
}

TEST(KeyCatalogueTest, EveryCapturableKeyIsFoundByItsCaptureKey) {
    const auto catalogue = KeyCatalogue();
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        const CatalogueKey& key = catalogue[i];
        if (key.virtualKey == 0 || key.virtualKey == platform::kNotCapturableVirtualKey) continue;
        SCOPED_TRACE(key.name);
        // K42 shares its capture key with the slash key before it.
        const std::size_t expected = key.name == "keyboard_key_K42" ? 59 : i;
        EXPECT_EQ(FindByVirtualKey(key.virtualKey, key.extended), expected);
    }
    EXPECT_EQ(catalogue[59].name, "keyboard_key_/");
    // The extended flag tells keys with one capture key apart.
    EXPECT_EQ(FindByVirtualKey(0x01, true), 91u);  // keypad Enter
    EXPECT_EQ(FindByVirtualKey(0x01, false), std::nullopt);
    EXPECT_EQ(FindByVirtualKey(0x03, true), 132u);  // Power
}

TEST(KeyCatalogueTest, EntriesBeyondTheKeyboardKeysCarryTheirFunctions) {
    struct Case {
        std::size_t index;
        std::string_view name;
        KeyCode code;
        std::uint8_t virtualKey;
        bool extended;
    };
    const Case cases[] = {
        {0, "keyboard_key_LCtrl", {0x20, 0x01, 0}, 0xA2, false},
        {7, "keyboard_key_RWin", {0x20, 0x80, 0}, 0x5C, true},
        {8, "keyboard_key_A", {0x20, 0, 0x04}, 'A', false},
        {113, "keyboard_key_K42", {0x20, 0, 0x32}, 0xBF, false},
        {114, "keyboard_key_Launch App2", {0x30, 0x92, 0x01}, 0xB7, false},
        {130, "wed_stop", {0x30, 0x26, 0x02}, 0xA9, false},
        {131, "keyboard_key_Launch Media Select", {0x30, 0x83, 0x01}, 0xB5, false},
        {132, "keyboard_key_Power", {0x40, 0x01, 0}, 0x03, true},
        {134, "keyboard_key_Wakeup", {0x40, 0x04, 0}, 0x05, true},
        {135, "keyboard_key_M1", {0xD0, 0xA2, 1}, 0, false},
        {139, "keyboard_key_M5", {0xD0, 0xA2, 5}, 0, false},
        {140, "keyboard_key_FN", {0xA0, 0x01, 0}, 0, false},
        {141, "keyboard_key_GM", {0xA0, 0x1B, 0}, 0, false},
        {142, "keyboard_key_COLOR", {0xA0, 0x11, 0}, 0, false},
    };
    for (const Case& c : cases) {
        const CatalogueKey& key = KeyCatalogue()[c.index];
        EXPECT_EQ(key.name, c.name) << c.index;
        EXPECT_EQ(key.code, c.code) << c.name;
        EXPECT_EQ(key.virtualKey, c.virtualKey) << c.name;
        EXPECT_EQ(key.extended, c.extended) << c.name;
    }
}

TEST(KeyCatalogueTest, FindsKeyboardCodesByTheirTwoBytesOfAnyType) {
    EXPECT_EQ(FindByCodeBytes(0, 0x04), 8u);               // A
    EXPECT_EQ(FindByCodeBytes(0x92, 0x01), 114u);          // a consumer usage
    EXPECT_EQ(FindByCodeBytes(0x03, 0x00), std::nullopt);  // LCtrl + LShift is no entry
    EXPECT_EQ(FindByCode({0x21, 0, 0x04}), std::nullopt);  // type counts for FindByCode
}

TEST(KeyCatalogueTest, LeftAndRightModifiersShareAnOption) {
    const int expected[kModifierEntries] = {1, 2, 3, 4, 1, 2, 3, 4};
    for (std::size_t n = 0; n < kModifierEntries; ++n) EXPECT_EQ(ModifierOption(n), expected[n]) << n;
}

}  // namespace
}  // namespace vandrel::keys
