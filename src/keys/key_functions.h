// The functions the key-assignment panel offers besides the key catalogue:
// the entries of its choice lists, the name keys the key labels are built
// from, and the function family each code belongs to.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "keys/key_catalogue.h"

namespace vandrel::keys {

// Choice lists, in the order of their combo-box items.
std::span<const KeyCode> MouseButtonChoices();  // left, middle, right, forward, back
std::span<const KeyCode> DpiChoices();          // up, down, cycle
std::span<const KeyCode> SystemChoices();       // power, sleep, wake
std::span<const KeyCode> MediaChoices();        // 18 consumer usages
std::span<const KeyCode> ShortcutChoices();     // LCtrl with O, N, Z, S, C, X, V, F, A, -, =

// The item of a choice list with the same code1 and code2 (the list fixes
// the type).
std::optional<std::size_t> FindChoice(std::span<const KeyCode> choices, const KeyCode& code);

// A name key for the label of a code.
struct KeyLabel {
    KeyCode code;
    std::string_view name;
};

// Label lists. Which bytes a look-up compares depends on the list, see
// LabelMatch.
std::span<const KeyLabel> MouseButtonLabels();    // type 0x10, by code1
std::span<const KeyLabel> DpiLabels();            // type 0x13, by code1
std::span<const KeyLabel> MediaLabels();          // type 0x30, by code1 and code2, the media choices' order
std::span<const KeyLabel> SystemLabels();         // type 0x40, by code1 and code2
std::span<const KeyLabel> TextShortcutLabels();   // type 0x22, code2 0 .. 8
std::span<const KeyLabel> MouseFunctionLabels();  // mixed types

enum class LabelMatch { Code1, Code1Code2, Type, TypeCode1, TypeCode1Code2 };

// The name of the first label whose compared bytes equal the code's.
std::optional<std::string_view> FindLabel(std::span<const KeyLabel> labels, LabelMatch match, const KeyCode& code);

// The function families of the panel; the numbers are the user data of the
// function combo's items and the page index of the function tab layout.
enum class Family {
    Default = 0,
    MouseButton = 1,
    MouseSwing = 2,
    WheelRepeat = 3,
    Dpi = 4,
    FireKey = 5,
    Keyboard = 6,
    Media = 7,
    System = 8,
    Macro = 9,
    GunKey = 10,
    ShortcutCombination = 11,
};

// The family of a code by its type; a keyboard code with modifier byte 0x81
// or above is a shortcut combination. Nothing for a type no family takes.
std::optional<Family> FamilyOfCode(const KeyCode& code);
// The family the panel shows a code in: the default family when the code is
// the key's default, else FamilyOfCode.
std::optional<Family> FamilyToShow(const KeyCode& code, const KeyCode& defaultCode);

}  // namespace vandrel::keys
