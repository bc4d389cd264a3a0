// The key catalogue: every key function the assignment panel and the key
// labels know by name, in the order the panel searches it. Each entry holds
// the name key of its text, the function written to the device, the capture
// key (the hook's virtual-key code and extended flag) and, for the keys a
// recording can see, the hook's scan code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "profiles/profile_records.h"

namespace vandrel::keys {

using profiles::KeyCode;

// Function types of a KeyCode (its first byte).
namespace type {
inline constexpr std::uint8_t kNone = 0x00;
inline constexpr std::uint8_t kMouseButton = 0x10;
inline constexpr std::uint8_t kMouseSwing = 0x11;
inline constexpr std::uint8_t kWheelRepeat = 0x12;
inline constexpr std::uint8_t kDpi = 0x13;
inline constexpr std::uint8_t kFireKey = 0x14;
inline constexpr std::uint8_t kDpiShift = 0x16;
inline constexpr std::uint8_t kKeyboard = 0x20;
inline constexpr std::uint8_t kTextShortcut = 0x22;
inline constexpr std::uint8_t kShowWindow = 0x23;
inline constexpr std::uint8_t kConsumer = 0x30;
inline constexpr std::uint8_t kSystem = 0x40;
inline constexpr std::uint8_t kMacro = 0x70;
inline constexpr std::uint8_t kMacroRepeated = 0x71;
inline constexpr std::uint8_t kGunKey = 0x72;
inline constexpr std::uint8_t kSpecial = 0xA0;
inline constexpr std::uint8_t kShortcutCombination = 0xB0;
inline constexpr std::uint8_t kMKey = 0xD0;
}  // namespace type

struct CatalogueKey {
    std::string_view name;  // name key of the language tables
    KeyCode code;
    std::uint8_t virtualKey = 0;           // capture key; 0xFF and 0 are never captured
    bool extended = false;                 // the hook's extended flag, for the scan code as well
    std::optional<std::uint8_t> scanCode;  // only the keys a recording can see
};

inline constexpr std::size_t kCatalogueSize = 143;
// Entries 0 .. 7 are the modifiers LCtrl, LShift, LAlt, LWin, RCtrl, RShift,
// RAlt, RWin; their code1 is the modifier bit.
inline constexpr std::size_t kModifierEntries = 8;
// Entries 0 .. 112 have a scan code; the rest cannot be recorded.
inline constexpr std::size_t kScanCodeEntries = 113;

std::span<const CatalogueKey> KeyCatalogue();

// Index of the first entry with the same type, code1 and code2.
std::optional<std::size_t> FindByCode(const KeyCode& code);
// Index of the first entry with the same code1 and code2, of any type (the
// key labels look keyboard codes up this way).
std::optional<std::size_t> FindByCodeBytes(std::uint8_t code1, std::uint8_t code2);
// Index of the entry a recorded key (scan code and extended flag) stands for.
std::optional<std::size_t> FindByScanCode(std::uint8_t scanCode, bool extended);
// Index of the first entry with this capture key and extended flag.
std::optional<std::size_t> FindByVirtualKey(std::uint8_t virtualKey, bool extended);

// The panel's modifier option (1 Ctrl, 2 Shift, 3 Alt, 4 Win) of modifier
// entry 0 .. 7: left and right modifiers share one option.
constexpr int ModifierOption(std::size_t entry) {
    const int n = static_cast<int>(entry) + 1;
    return n % 5 + n / 5;
}

}  // namespace vandrel::keys
