#include "keys/key_labels.h"

#include <algorithm>
#include <array>
#include <optional>

#include "keys/key_functions.h"

namespace vandrel::keys {
namespace {

constexpr std::string_view kNoFunction = "close_text";
constexpr std::string_view kKeySetText = "Key_Set";
constexpr std::uint8_t kDirectionBit = 0x80;

struct LabelContext {
    std::span<const std::string> macroNames;
    const Translate& translate;
};

// A label, or nothing when the rule knows no name for the code.
using LabelRule = std::optional<std::string> (*)(const KeyCode&, const LabelContext&);

std::optional<std::string> Named(std::optional<std::string_view> name, const LabelContext& context) {
    if (!name) return std::nullopt;
    return context.translate(*name);
}

std::string Joined(const std::vector<std::string_view>& names, const LabelContext& context) {
    std::string joined;
    for (const std::string_view name : names) {
        if (!joined.empty()) joined += '+';
        joined += context.translate(name);
    }
    return joined;
}

// Keyboard codes: a catalogue key, else the names of the parts of a
// combination: the modifier entries of the same modifier byte and the keys
// of the same usage.
std::optional<std::string> KeyboardLabel(const KeyCode& code, const LabelContext& context) {
    const auto catalogue = KeyCatalogue();
    if (const auto index = FindByCodeBytes(code.code1, code.code2)) return context.translate(catalogue[*index].name);
    if (code.code1 == 0 && code.code2 == 0) return std::nullopt;
    std::vector<std::string_view> parts;
    for (const CatalogueKey& key : catalogue) {
        if (key.code.type == code.type && (key.code.code1 == code.code1 || key.code.code2 == code.code2))
            parts.push_back(key.name);
    }
    return Joined(parts, context);
}

std::optional<std::string> MouseButtonLabel(const KeyCode& code, const LabelContext& context) {
    return Named(FindLabel(MouseButtonLabels(), LabelMatch::Code1, code), context);
}

std::optional<std::string> SwingLabel(const KeyCode& code, const LabelContext& context) {
    return context.translate((code.code2 & kDirectionBit) ? "mouse_key_right_Swing" : "mouse_key_left_Swing");
}

std::optional<std::string> WheelLabel(const KeyCode& code, const LabelContext& context) {
    return context.translate((code.code2 & kDirectionBit) ? "mouse_key_down_Swing" : "mouse_key_up_Swing");
}

std::optional<std::string> DpiLabel(const KeyCode& code, const LabelContext& context) {
    return Named(FindLabel(DpiLabels(), LabelMatch::Code1, code), context);
}

std::optional<std::string> FireLabel(const KeyCode&, const LabelContext& context) {
    return context.translate("mouse_key_fire_key");
}

std::optional<std::string> MouseFunctionByType(const KeyCode& code, const LabelContext& context) {
    return Named(FindLabel(MouseFunctionLabels(), LabelMatch::Type, code), context);
}

std::optional<std::string> MouseFunctionByCode(const KeyCode& code, const LabelContext& context) {
    return Named(FindLabel(MouseFunctionLabels(), LabelMatch::TypeCode1Code2, code), context);
}

std::optional<std::string> TextShortcutLabel(const KeyCode& code, const LabelContext& context) {
    return Named(FindLabel(TextShortcutLabels(), LabelMatch::Code1Code2, code), context);
}

std::optional<std::string> MediaLabel(const KeyCode& code, const LabelContext& context) {
    return Named(FindLabel(MediaLabels(), LabelMatch::Code1Code2, code), context);
}

std::optional<std::string> SystemLabel(const KeyCode& code, const LabelContext& context) {
    return Named(FindLabel(SystemLabels(), LabelMatch::Code1Code2, code), context);
}

// A macro key names its macro; a number beyond the list has no label.
std::optional<std::string> MacroLabel(const KeyCode& code, const LabelContext& context) {
    if (code.code1 >= context.macroNames.size()) return std::string();
    return context.macroNames[code.code1];
}

// Special and M keys: the mouse's own name, else the catalogue's.
std::optional<std::string> SpecialLabel(const KeyCode& code, const LabelContext& context) {
    if (auto name = Named(FindLabel(MouseFunctionLabels(), LabelMatch::TypeCode1, code), context)) return name;
    if (const auto index = FindByCode(code)) return context.translate(KeyCatalogue()[*index].name);
    return std::nullopt;
}

struct TypeRule {
    std::uint8_t type;
    LabelRule rule;
};

constexpr std::array kTypeRules = std::to_array<TypeRule>({
    {type::kNone, KeyboardLabel},
    {type::kKeyboard, KeyboardLabel},
    {type::kMouseButton, MouseButtonLabel},
    {type::kMouseSwing, SwingLabel},
    {type::kWheelRepeat, WheelLabel},
    {type::kDpi, DpiLabel},
    {type::kFireKey, FireLabel},
    {0x15, MouseFunctionByType},
    {type::kDpiShift, MouseFunctionByType},
    {0x21, MouseFunctionByType},
    {0x50, MouseFunctionByType},
    {0x60, MouseFunctionByType},
    {type::kShortcutCombination, MouseFunctionByType},
    {0xC0, MouseFunctionByType},
    {type::kTextShortcut, TextShortcutLabel},
    {type::kShowWindow, MouseFunctionByCode},
    {type::kConsumer, MediaLabel},
    {type::kSystem, SystemLabel},
    {type::kMacro, MacroLabel},
    {type::kMacroRepeated, MacroLabel},
    {type::kSpecial, SpecialLabel},
    {type::kMKey, SpecialLabel},
});

}  // namespace

std::string KeyLabelText(const KeyCode& code, std::span<const std::string> macroNames, const Translate& translate) {
    const LabelContext context{macroNames, translate};
    const auto found = std::ranges::find(kTypeRules, code.type, &TypeRule::type);
    if (found != kTypeRules.end()) {
        if (std::optional<std::string> label = found->rule(code, context)) return std::move(*label);
    }
    return translate(kNoFunction);
}

std::vector<KeyButtonLabel> BuildKeyLabels(std::span<const profiles::KeyEntry> keys,
                                           std::span<const KeyCode> factoryCodes,
                                           std::span<const std::string> macroNames, const Translate& translate) {
    const std::string keySet = translate(kKeySetText);
    std::vector<KeyButtonLabel> labels;
    labels.reserve(keys.size());
    for (const profiles::KeyEntry& key : keys) {
        KeyButtonLabel& shown = labels.emplace_back();
        shown.position = key.index;
        shown.label = KeyLabelText(key.assignment, macroNames, translate);
        if (key.index < factoryCodes.size()) {
            const KeyCode& factory = factoryCodes[key.index];
            const auto entry = FindByCode(factory);
            shown.tooltipTitle =
                entry ? translate(KeyCatalogue()[*entry].name) : KeyLabelText(factory, macroNames, translate);
            shown.isDefault = shown.label == shown.tooltipTitle;
        }
        shown.tooltipText = shown.tooltipTitle + keySet + shown.label;
    }
    return labels;
}

}  // namespace vandrel::keys
