#include "keys/key_functions.h"

#include <algorithm>
#include <array>

namespace vandrel::keys {
namespace {

constexpr KeyCode Consumer(std::uint16_t usage) {
    return {type::kConsumer, static_cast<std::uint8_t>(usage & 0xFF), static_cast<std::uint8_t>(usage >> 8)};
}

constexpr std::uint8_t kLeftCtrl = 0x01;

constexpr std::array kMouseButtonChoices = std::to_array<KeyCode>({
    {type::kMouseButton, 0x01, 0},  // left
    {type::kMouseButton, 0x04, 0},  // middle
    {type::kMouseButton, 0x02, 0},  // right
    {type::kMouseButton, 0x10, 0},  // forward
    {type::kMouseButton, 0x08, 0},  // back
});

constexpr std::array kDpiChoices = std::to_array<KeyCode>({{type::kDpi, 1, 0}, {type::kDpi, 2, 0}, {type::kDpi, 3, 0}});

constexpr std::array kSystemChoices =
    std::to_array<KeyCode>({{type::kSystem, 0x01, 0}, {type::kSystem, 0x02, 0}, {type::kSystem, 0x04, 0}});

constexpr std::array kMediaChoices = std::to_array<KeyCode>({
    Consumer(0x0183),
    Consumer(0x00CD),
    Consumer(0x00B7),
    Consumer(0x00B6),
    Consumer(0x00B5),
    Consumer(0x00EA),
    Consumer(0x00E9),
    Consumer(0x00E2),
    Consumer(0x0223),
    Consumer(0x0227),
    Consumer(0x0226),
    Consumer(0x0224),
    Consumer(0x0225),
    Consumer(0x022A),
    Consumer(0x0221),
    Consumer(0x0194),
    Consumer(0x0192),
    Consumer(0x018A),
});

// LCtrl with O, N, Z, S, C, X, V, F, A, - and =.
constexpr std::array kShortcutChoices = std::to_array<KeyCode>({
    {type::kKeyboard, kLeftCtrl, 0x12},
    {type::kKeyboard, kLeftCtrl, 0x11},
    {type::kKeyboard, kLeftCtrl, 0x1D},
    {type::kKeyboard, kLeftCtrl, 0x16},
    {type::kKeyboard, kLeftCtrl, 0x06},
    {type::kKeyboard, kLeftCtrl, 0x1B},
    {type::kKeyboard, kLeftCtrl, 0x19},
    {type::kKeyboard, kLeftCtrl, 0x09},
    {type::kKeyboard, kLeftCtrl, 0x04},
    {type::kKeyboard, kLeftCtrl, 0x2D},
    {type::kKeyboard, kLeftCtrl, 0x2E},
});

constexpr std::array kMouseButtonLabels = std::to_array<KeyLabel>({
    {kMouseButtonChoices[0], "mouse_key_left"},
    {kMouseButtonChoices[1], "mouse_key_middle"},
    {kMouseButtonChoices[2], "mouse_key_right"},
    {kMouseButtonChoices[3], "mouse_key_forward"},
    {kMouseButtonChoices[4], "mouse_key_back"},
});

constexpr std::array kDpiLabels = std::to_array<KeyLabel>({
    {kDpiChoices[0], "mouse_key_DPI_add"},
    {kDpiChoices[1], "mouse_key_DPI_sub"},
    {kDpiChoices[2], "mouse_key_DPI_loop"},
});

constexpr std::array kMediaLabels = std::to_array<KeyLabel>({
    {kMediaChoices[0], "media_text"},
    {kMediaChoices[1], "media_play"},
    {kMediaChoices[2], "media_stop"},
    {kMediaChoices[3], "media_prev"},
    {kMediaChoices[4], "media_next"},
    {kMediaChoices[5], "media_vol_sub"},
    {kMediaChoices[6], "media_vol_add"},
    {kMediaChoices[7], "media_mute"},
    {kMediaChoices[8], "web_text"},
    {kMediaChoices[9], "web_refresh"},
    {kMediaChoices[10], "wed_stop"},
    {kMediaChoices[11], "wed_back"},
    {kMediaChoices[12], "wed_forward"},
    {kMediaChoices[13], "wed_favorite"},
    {kMediaChoices[14], "web_search"},
    {kMediaChoices[15], "media_mypc"},
    {kMediaChoices[16], "media_calc"},
    {kMediaChoices[17], "media_mail"},
});

constexpr std::array kSystemLabels = std::to_array<KeyLabel>({
    {kSystemChoices[0], "system_power"},
    {kSystemChoices[1], "system_sleep"},
    {kSystemChoices[2], "system_wake_up"},
});

constexpr std::array kTextShortcutLabels = std::to_array<KeyLabel>({
    {{type::kTextShortcut, 0, 0}, "custem_cut"},
    {{type::kTextShortcut, 0, 1}, "custem_copy"},
    {{type::kTextShortcut, 0, 2}, "custem_paste"},
    {{type::kTextShortcut, 0, 3}, "custem_undo"},
    {{type::kTextShortcut, 0, 4}, "custem_select_all"},
    {{type::kTextShortcut, 0, 5}, "custem_find"},
    {{type::kTextShortcut, 0, 6}, "custem_new"},
    {{type::kTextShortcut, 0, 7}, "custem_save"},
    {{type::kTextShortcut, 0, 8}, "custem_open"},
});

// The mouse's own list. A button is named for the function its code
// carries, as in the button labels above: 0x02 is right, 0x04 middle.
constexpr std::array kMouseFunctionLabels = std::to_array<KeyLabel>({
    {{type::kMouseButton, 0x01, 0}, "mouse_key_left"},
    {{type::kMouseButton, 0x02, 0}, "mouse_key_right"},
    {{type::kMouseButton, 0x04, 0}, "mouse_key_middle"},
    {{type::kMouseButton, 0x10, 0}, "mouse_key_forward"},
    {{type::kMouseButton, 0x08, 0}, "mouse_key_back"},
    {{type::kFireKey, 0x50, 0x02}, "mouse_key_fire_key"},
    {{type::kKeyboard, 0, 0}, "mouse_key_shortcut_key"},
    {{type::kKeyboard, 0x80, 0}, "win_key_text"},
    {{type::kSpecial, 0x02, 0}, "mouse_key_smart_key"},
    {{type::kSpecial, 0x00, 0}, "close_text"},
    {{type::kDpi, 3, 0}, "mouse_key_DPI_loop"},
    {{type::kDpi, 1, 0}, "mouse_key_DPI_add"},
    {{type::kDpi, 2, 0}, "mouse_key_DPI_sub"},
    {{type::kDpiShift, 0, 0}, "mouse_key_DPI_shift"},
    {{type::kShowWindow, 0, 0}, "show_window"},
});

struct TypeFamily {
    std::uint8_t type;
    Family family;
};

// Type 0x20 is decided by its modifier byte (FamilyOfCode).
constexpr std::array kTypeFamilies = std::to_array<TypeFamily>({
    {type::kNone, Family::Default},
    {type::kMouseButton, Family::MouseButton},
    {type::kMouseSwing, Family::MouseSwing},
    {type::kWheelRepeat, Family::WheelRepeat},
    {type::kDpi, Family::Dpi},
    {type::kFireKey, Family::FireKey},
    {type::kConsumer, Family::Media},
    {type::kSystem, Family::System},
    {type::kMacro, Family::Macro},
    {type::kMacroRepeated, Family::Macro},
    {type::kGunKey, Family::GunKey},
    {type::kShortcutCombination, Family::ShortcutCombination},
});

// Modifier bytes from here on select shortcut combinations, not keys.
constexpr std::uint8_t kFirstShortcutModifier = 0x81;

bool Matches(LabelMatch match, const KeyCode& label, const KeyCode& code) {
    switch (match) {
        case LabelMatch::Code1: return label.code1 == code.code1;
        case LabelMatch::Code1Code2: return label.code1 == code.code1 && label.code2 == code.code2;
        case LabelMatch::Type: return label.type == code.type;
        case LabelMatch::TypeCode1: return label.type == code.type && label.code1 == code.code1;
        case LabelMatch::TypeCode1Code2: return label == code;
    }
    return false;
}

}  // namespace

std::span<const KeyCode> MouseButtonChoices() { return kMouseButtonChoices; }
std::span<const KeyCode> DpiChoices() { return kDpiChoices; }
std::span<const KeyCode> SystemChoices() { return kSystemChoices; }
std::span<const KeyCode> MediaChoices() { return kMediaChoices; }
std::span<const KeyCode> ShortcutChoices() { return kShortcutChoices; }

std::optional<std::size_t> FindChoice(std::span<const KeyCode> choices, const KeyCode& code) {
    const auto found = std::ranges::find_if(
        choices, [&](const KeyCode& choice) { return choice.code1 == code.code1 && choice.code2 == code.code2; });
    if (found == choices.end()) return std::nullopt;
    return static_cast<std::size_t>(found - choices.begin());
}

std::span<const KeyLabel> MouseButtonLabels() { return kMouseButtonLabels; }
std::span<const KeyLabel> DpiLabels() { return kDpiLabels; }
std::span<const KeyLabel> MediaLabels() { return kMediaLabels; }
std::span<const KeyLabel> SystemLabels() { return kSystemLabels; }
std::span<const KeyLabel> TextShortcutLabels() { return kTextShortcutLabels; }
std::span<const KeyLabel> MouseFunctionLabels() { return kMouseFunctionLabels; }

std::optional<std::string_view> FindLabel(std::span<const KeyLabel> labels, LabelMatch match, const KeyCode& code) {
    const auto found =
        std::ranges::find_if(labels, [&](const KeyLabel& label) { return Matches(match, label.code, code); });
    if (found == labels.end()) return std::nullopt;
    return found->name;
}

std::optional<Family> FamilyOfCode(const KeyCode& code) {
    if (code.type == type::kKeyboard) {
        return code.code1 < kFirstShortcutModifier ? Family::Keyboard : Family::ShortcutCombination;
    }
    const auto found = std::ranges::find(kTypeFamilies, code.type, &TypeFamily::type);
    if (found == kTypeFamilies.end()) return std::nullopt;
    return found->family;
}

std::optional<Family> FamilyToShow(const KeyCode& code, const KeyCode& defaultCode) {
    if (code == defaultCode) return Family::Default;
    return FamilyOfCode(code);
}

}  // namespace vandrel::keys
