#include "keys/key_catalogue.h"

#include <algorithm>
#include <array>

namespace vandrel::keys {
namespace {

constexpr bool e = true;  // extended flag set
constexpr bool n = false;

// Name key, code (type, code1, code2), capture key, extended flag, scan code.
// Entries 8 .. 113 carry modifier 0 and the key's HID keyboard usage; the
// consumer controls carry the usage's low byte in code1 and its high byte in
// code2. Capture key 0xFF marks the international keys no capture takes;
// the M keys and the keyboard's own keys have capture key 0.
constexpr std::array<CatalogueKey, kCatalogueSize> kCatalogue{{
    {"keyboard_key_LCtrl", {0x20, 0x01, 0x00}, 0xA2, n, 0x1D},                        // 0
    {"keyboard_key_LShift", {0x20, 0x02, 0x00}, 0xA0, n, 0x2A},                       // 1
    {"keyboard_key_LAlt", {0x20, 0x04, 0x00}, 0xA4, n, 0x38},                         // 2
    {"keyboard_key_LWin", {0x20, 0x08, 0x00}, 0x5B, e, 0x5B},                         // 3
    {"keyboard_key_RCtrl", {0x20, 0x10, 0x00}, 0xA3, e, 0x1D},                        // 4
    {"keyboard_key_RShift", {0x20, 0x20, 0x00}, 0xA1, e, 0x36},                       // 5
    {"keyboard_key_RAlt", {0x20, 0x40, 0x00}, 0xA5, e, 0x38},                         // 6
    {"keyboard_key_RWin", {0x20, 0x80, 0x00}, 0x5C, e, 0x5C},                         // 7
    {"keyboard_key_A", {0x20, 0x00, 0x04}, 0x41, n, 0x1E},                            // 8
    {"keyboard_key_B", {0x20, 0x00, 0x05}, 0x42, n, 0x30},                            // 9
    {"keyboard_key_C", {0x20, 0x00, 0x06}, 0x43, n, 0x2E},                            // 10
    {"keyboard_key_D", {0x20, 0x00, 0x07}, 0x44, n, 0x20},                            // 11
    {"keyboard_key_E", {0x20, 0x00, 0x08}, 0x45, n, 0x12},                            // 12
    {"keyboard_key_F", {0x20, 0x00, 0x09}, 0x46, n, 0x21},                            // 13
    {"keyboard_key_G", {0x20, 0x00, 0x0A}, 0x47, n, 0x22},                            // 14
    {"keyboard_key_H", {0x20, 0x00, 0x0B}, 0x48, n, 0x23},                            // 15
    {"keyboard_key_I", {0x20, 0x00, 0x0C}, 0x49, n, 0x17},                            // 16
    {"keyboard_key_J", {0x20, 0x00, 0x0D}, 0x4A, n, 0x24},                            // 17
    {"keyboard_key_K", {0x20, 0x00, 0x0E}, 0x4B, n, 0x25},                            // 18
    {"keyboard_key_L", {0x20, 0x00, 0x0F}, 0x4C, n, 0x26},                            // 19
    {"keyboard_key_M", {0x20, 0x00, 0x10}, 0x4D, n, 0x32},                            // 20
    {"keyboard_key_N", {0x20, 0x00, 0x11}, 0x4E, n, 0x31},                            // 21
    {"keyboard_key_O", {0x20, 0x00, 0x12}, 0x4F, n, 0x18},                            // 22
    {"keyboard_key_P", {0x20, 0x00, 0x13}, 0x50, n, 0x19},                            // 23
    {"keyboard_key_Q", {0x20, 0x00, 0x14}, 0x51, n, 0x10},                            // 24
    {"keyboard_key_R", {0x20, 0x00, 0x15}, 0x52, n, 0x13},                            // 25
    {"keyboard_key_S", {0x20, 0x00, 0x16}, 0x53, n, 0x1F},                            // 26
    {"keyboard_key_T", {0x20, 0x00, 0x17}, 0x54, n, 0x14},                            // 27
    {"keyboard_key_U", {0x20, 0x00, 0x18}, 0x55, n, 0x16},                            // 28
    {"keyboard_key_V", {0x20, 0x00, 0x19}, 0x56, n, 0x2F},                            // 29
    {"keyboard_key_W", {0x20, 0x00, 0x1A}, 0x57, n, 0x11},                            // 30
    {"keyboard_key_X", {0x20, 0x00, 0x1B}, 0x58, n, 0x2D},                            // 31
    {"keyboard_key_Y", {0x20, 0x00, 0x1C}, 0x59, n, 0x15},                            // 32
    {"keyboard_key_Z", {0x20, 0x00, 0x1D}, 0x5A, n, 0x2C},                            // 33
    {"keyboard_key_1", {0x20, 0x00, 0x1E}, 0x31, n, 0x02},                            // 34
    {"keyboard_key_2", {0x20, 0x00, 0x1F}, 0x32, n, 0x03},                            // 35
    {"keyboard_key_3", {0x20, 0x00, 0x20}, 0x33, n, 0x04},                            // 36
    {"keyboard_key_4", {0x20, 0x00, 0x21}, 0x34, n, 0x05},                            // 37
    {"keyboard_key_5", {0x20, 0x00, 0x22}, 0x35, n, 0x06},                            // 38
    {"keyboard_key_6", {0x20, 0x00, 0x23}, 0x36, n, 0x07},                            // 39
    {"keyboard_key_7", {0x20, 0x00, 0x24}, 0x37, n, 0x08},                            // 40
    {"keyboard_key_8", {0x20, 0x00, 0x25}, 0x38, n, 0x09},                            // 41
    {"keyboard_key_9", {0x20, 0x00, 0x26}, 0x39, n, 0x0A},                            // 42
    {"keyboard_key_0", {0x20, 0x00, 0x27}, 0x30, n, 0x0B},                            // 43
    {"keyboard_key_Enter", {0x20, 0x00, 0x28}, 0x0D, n, 0x1C},                        // 44
    {"keyboard_key_Esc", {0x20, 0x00, 0x29}, 0x1B, n, 0x01},                          // 45
    {"keyboard_key_BackSpace", {0x20, 0x00, 0x2A}, 0x08, n, 0x0E},                    // 46
    {"keyboard_key_Tab", {0x20, 0x00, 0x2B}, 0x09, n, 0x0F},                          // 47
    {"keyboard_key_Space", {0x20, 0x00, 0x2C}, 0x20, n, 0x39},                        // 48
    {"keyboard_key_-", {0x20, 0x00, 0x2D}, 0xBD, n, 0x0C},                            // 49
    {"keyboard_key_=", {0x20, 0x00, 0x2E}, 0xBB, n, 0x0D},                            // 50
    {"keyboard_key_[", {0x20, 0x00, 0x2F}, 0xDB, n, 0x1A},                            // 51
    {"keyboard_key_]", {0x20, 0x00, 0x30}, 0xDD, n, 0x1B},                            // 52
    {"keyboard_key_xiegang", {0x20, 0x00, 0x31}, 0xDC, n, 0x2B},                      // 53
    {"keyboard_key_;", {0x20, 0x00, 0x33}, 0xBA, n, 0x27},                            // 54
    {"keyboard_key_'", {0x20, 0x00, 0x34}, 0xDE, n, 0x28},                            // 55
    {"keyboard_key_`", {0x20, 0x00, 0x35}, 0xC0, n, 0x29},                            // 56
    {"keyboard_key_<", {0x20, 0x00, 0x36}, 0xBC, n, 0x33},                            // 57
    {"keyboard_key_.", {0x20, 0x00, 0x37}, 0xBE, n, 0x34},                            // 58
    {"keyboard_key_/", {0x20, 0x00, 0x38}, 0xBF, n, 0x35},                            // 59
    {"keyboard_key_Caplk", {0x20, 0x00, 0x39}, 0x14, n, 0x3A},                        // 60
    {"keyboard_key_F1", {0x20, 0x00, 0x3A}, 0x70, n, 0x3B},                           // 61
    {"keyboard_key_F2", {0x20, 0x00, 0x3B}, 0x71, n, 0x3C},                           // 62
    {"keyboard_key_F3", {0x20, 0x00, 0x3C}, 0x72, n, 0x3D},                           // 63
    {"keyboard_key_F4", {0x20, 0x00, 0x3D}, 0x73, n, 0x3E},                           // 64
    {"keyboard_key_F5", {0x20, 0x00, 0x3E}, 0x74, n, 0x3F},                           // 65
    {"keyboard_key_F6", {0x20, 0x00, 0x3F}, 0x75, n, 0x40},                           // 66
    {"keyboard_key_F7", {0x20, 0x00, 0x40}, 0x76, n, 0x41},                           // 67
    {"keyboard_key_F8", {0x20, 0x00, 0x41}, 0x77, n, 0x42},                           // 68
    {"keyboard_key_F9", {0x20, 0x00, 0x42}, 0x78, n, 0x43},                           // 69
    {"keyboard_key_F10", {0x20, 0x00, 0x43}, 0x79, n, 0x44},                          // 70
    {"keyboard_key_F11", {0x20, 0x00, 0x44}, 0x7A, n, 0x57},                          // 71
    {"keyboard_key_F12", {0x20, 0x00, 0x45}, 0x7B, n, 0x58},                          // 72
    {"keyboard_key_Print Scr", {0x20, 0x00, 0x46}, 0x2C, e, 0x37},                    // 73
    {"keyboard_key_Scroll Lock", {0x20, 0x00, 0x47}, 0x91, n, 0x46},                  // 74
    {"keyboard_key_Pause", {0x20, 0x00, 0x48}, 0x13, n, 0x45},                        // 75
    {"keyboard_key_Insert", {0x20, 0x00, 0x49}, 0x2D, e, 0x52},                       // 76
    {"keyboard_key_Home", {0x20, 0x00, 0x4A}, 0x24, e, 0x47},                         // 77
    {"keyboard_key_Page Up", {0x20, 0x00, 0x4B}, 0x21, e, 0x49},                      // 78
    {"keyboard_key_Delete", {0x20, 0x00, 0x4C}, 0x2E, e, 0x53},                       // 79
    {"keyboard_key_End", {0x20, 0x00, 0x4D}, 0x23, e, 0x4F},                          // 80
    {"keyboard_key_Page Down", {0x20, 0x00, 0x4E}, 0x22, e, 0x51},                    // 81
    {"keyboard_key_Right", {0x20, 0x00, 0x4F}, 0x27, e, 0x4D},                        // 82
    {"keyboard_key_Left", {0x20, 0x00, 0x50}, 0x25, e, 0x4B},                         // 83
    {"keyboard_key_Down", {0x20, 0x00, 0x51}, 0x28, e, 0x50},                         // 84
    {"keyboard_key_Up", {0x20, 0x00, 0x52}, 0x26, e, 0x48},                           // 85
    {"keyboard_key_Num Lock", {0x20, 0x00, 0x53}, 0x90, e, 0x45},                     // 86
    {"keyboard_key_Num /", {0x20, 0x00, 0x54}, 0x6F, e, 0x35},                        // 87
    {"keyboard_key_Num *", {0x20, 0x00, 0x55}, 0x6A, n, 0x37},                        // 88
    {"keyboard_key_Num -", {0x20, 0x00, 0x56}, 0x6D, n, 0x4A},                        // 89
    {"keyboard_key_Num +", {0x20, 0x00, 0x57}, 0x6B, n, 0x4E},                        // 90
    {"keyboard_key_Num Enter", {0x20, 0x00, 0x58}, 0x01, e, 0x1C},                    // 91
    {"keyboard_key_Num 1", {0x20, 0x00, 0x59}, 0x61, n, 0x4F},                        // 92
    {"keyboard_key_Num 2", {0x20, 0x00, 0x5A}, 0x62, n, 0x50},                        // 93
    {"keyboard_key_Num 3", {0x20, 0x00, 0x5B}, 0x63, n, 0x51},                        // 94
    {"keyboard_key_Num 4", {0x20, 0x00, 0x5C}, 0x64, n, 0x4B},                        // 95
    {"keyboard_key_Num 5", {0x20, 0x00, 0x5D}, 0x65, n, 0x4C},                        // 96
    {"keyboard_key_Num 6", {0x20, 0x00, 0x5E}, 0x66, n, 0x4D},                        // 97
    {"keyboard_key_Num 7", {0x20, 0x00, 0x5F}, 0x67, n, 0x47},                        // 98
    {"keyboard_key_Num 8", {0x20, 0x00, 0x60}, 0x68, n, 0x48},                        // 99
    {"keyboard_key_Num 9", {0x20, 0x00, 0x61}, 0x69, n, 0x49},                        // 100
    {"keyboard_key_Num 0", {0x20, 0x00, 0x62}, 0x60, n, 0x52},                        // 101
    {"keyboard_key_Decimal", {0x20, 0x00, 0x63}, 0x6E, n, 0x53},                      // 102
    {"keyboard_key_App", {0x20, 0x00, 0x65}, 0x5D, e, 0x5D},                          // 103
    {"keyboard_key_K45", {0x20, 0x00, 0x64}, 0xE2, n, 0x56},                          // 104
    {"keyboard_key_K56", {0x20, 0x00, 0x87}, 0xC1, n, 0x73},                          // 105
    {"keyboard_key_K14", {0x20, 0x00, 0x89}, 0xFF, n, 0x7D},                          // 106
    {"keyboard_key_K107", {0x20, 0x00, 0x85}, 0xC2, n, 0x7E},                         // 107
    {"keyboard_key_K131", {0x20, 0x00, 0x8B}, 0xEB, n, 0x7B},                         // 108
    {"keyboard_key_K132", {0x20, 0x00, 0x8A}, 0xFF, n, 0x79},                         // 109
    {"keyboard_key_K133", {0x20, 0x00, 0x88}, 0xFF, n, 0x70},                         // 110
    {"keyboard_key_K150", {0x20, 0x00, 0x91}, 0xE9, n, 0x71},                         // 111
    {"keyboard_key_K151", {0x20, 0x00, 0x90}, 0xFF, n, 0x72},                         // 112
    {"keyboard_key_K42", {0x20, 0x00, 0x32}, 0xBF, n, std::nullopt},                  // 113
    {"keyboard_key_Launch App2", {0x30, 0x92, 0x01}, 0xB7, n, std::nullopt},          // 114
    {"keyboard_key_Browaer Home", {0x30, 0x23, 0x02}, 0xAC, n, std::nullopt},         // 115
    {"keyboard_key_Media Play Pause", {0x30, 0xCD, 0x00}, 0xB3, n, std::nullopt},     // 116
    {"keyboard_key_Browser Search", {0x30, 0x21, 0x02}, 0xAA, n, std::nullopt},       // 117
    {"keyboard_key_Launch Mail", {0x30, 0x8A, 0x01}, 0xB4, n, std::nullopt},          // 118
    {"keyboard_key_Volume Up", {0x30, 0xE9, 0x00}, 0xAF, n, std::nullopt},            // 119
    {"keyboard_key_Volume Mute", {0x30, 0xE2, 0x00}, 0xAD, n, std::nullopt},          // 120
    {"keyboard_key_Media Stop", {0x30, 0xB7, 0x00}, 0xB2, n, std::nullopt},           // 121
    {"keyboard_key_Volume Down", {0x30, 0xEA, 0x00}, 0xAE, n, std::nullopt},          // 122
    {"keyboard_key_Browser Favorites", {0x30, 0x2A, 0x02}, 0xAB, n, std::nullopt},    // 123
    {"keyboard_key_Browser ForWard", {0x30, 0x25, 0x02}, 0xA7, n, std::nullopt},      // 124
    {"keyboard_key_Browser Back", {0x30, 0x24, 0x02}, 0xA6, n, std::nullopt},         // 125
    {"keyboard_key_Media Prev Track", {0x30, 0xB6, 0x00}, 0xB1, n, std::nullopt},     // 126
    {"keyboard_key_Media Next Track", {0x30, 0xB5, 0x00}, 0xB0, n, std::nullopt},     // 127
    {"keyboard_key_Computer", {0x30, 0x94, 0x01}, 0xB6, n, std::nullopt},             // 128
    {"keyboard_key_Browser Refresh", {0x30, 0x27, 0x02}, 0xA8, n, std::nullopt},      // 129
    {"wed_stop", {0x30, 0x26, 0x02}, 0xA9, n, std::nullopt},                          // 130
    {"keyboard_key_Launch Media Select", {0x30, 0x83, 0x01}, 0xB5, n, std::nullopt},  // 131
    {"keyboard_key_Power", {0x40, 0x01, 0x00}, 0x03, e, std::nullopt},                // 132
    {"keyboard_key_Sleep", {0x40, 0x02, 0x00}, 0x04, e, std::nullopt},                // 133
    {"keyboard_key_Wakeup", {0x40, 0x04, 0x00}, 0x05, e, std::nullopt},               // 134
    {"keyboard_key_M1", {0xD0, 0xA2, 0x01}, 0x00, n, std::nullopt},                   // 135
    {"keyboard_key_M2", {0xD0, 0xA2, 0x02}, 0x00, n, std::nullopt},                   // 136
    {"keyboard_key_M3", {0xD0, 0xA2, 0x03}, 0x00, n, std::nullopt},                   // 137
    {"keyboard_key_M4", {0xD0, 0xA2, 0x04}, 0x00, n, std::nullopt},                   // 138
    {"keyboard_key_M5", {0xD0, 0xA2, 0x05}, 0x00, n, std::nullopt},                   // 139
    {"keyboard_key_FN", {0xA0, 0x01, 0x00}, 0x00, n, std::nullopt},                   // 140
    {"keyboard_key_GM", {0xA0, 0x1B, 0x00}, 0x00, n, std::nullopt},                   // 141
    {"keyboard_key_COLOR", {0xA0, 0x11, 0x00}, 0x00, n, std::nullopt},                // 142
}};

template <typename Match>
std::optional<std::size_t> FindFirst(Match match) {
    const auto found = std::ranges::find_if(kCatalogue, match);
    if (found == kCatalogue.end()) return std::nullopt;
    return static_cast<std::size_t>(found - kCatalogue.begin());
}

}  // namespace

std::span<const CatalogueKey> KeyCatalogue() { return kCatalogue; }

std::optional<std::size_t> FindByCode(const KeyCode& code) {
    return FindFirst([&](const CatalogueKey& key) { return key.code == code; });
}

std::optional<std::size_t> FindByCodeBytes(std::uint8_t code1, std::uint8_t code2) {
    return FindFirst([&](const CatalogueKey& key) { return key.code.code1 == code1 && key.code.code2 == code2; });
}

std::optional<std::size_t> FindByScanCode(std::uint8_t scanCode, bool extended) {
    return FindFirst([&](const CatalogueKey& key) { return key.scanCode == scanCode && key.extended == extended; });
}

std::optional<std::size_t> FindByVirtualKey(std::uint8_t virtualKey, bool extended) {
    return FindFirst([&](const CatalogueKey& key) { return key.virtualKey == virtualKey && key.extended == extended; });
}

}  // namespace vandrel::keys
