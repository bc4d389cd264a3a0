// The keys the window receives, told the way a Windows low-level keyboard
// hook tells them: scan code, extended flag and virtual-key code. Macro
// recording and key capture compare keys in that form, so a key pressed on
// Linux is turned into the record the hook would have given.
//
// The window reports a key by its native scan code; under X11 and Wayland
// that is the kernel's evdev code plus 8.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace vandrel::platform {

// The native scan code of a key is its evdev code plus this.
inline constexpr std::uint32_t kNativeScanCodeOffset = 8;

// A virtual-key code the hook gives for keys that no capture takes.
inline constexpr std::uint8_t kNotCapturableVirtualKey = 0xFF;

struct KeyRecord {
    std::uint8_t scanCode = 0;
    bool extended = false;
    std::uint8_t virtualKey = 0;

    bool operator==(const KeyRecord&) const = default;
};

struct KeyTableRow {
    std::uint16_t evdevCode = 0;
    KeyRecord record;
};

// Every key the table knows, one row per evdev code. The keypad rows do not
// depend on Num Lock: the digits keep their keypad virtual keys.
std::span<const KeyTableRow> KeyTableRows();

// The record of an evdev code; nothing for a code the table does not list.
std::optional<KeyRecord> KeyRecordForEvdevCode(std::uint32_t evdevCode);
// The same for a native scan code (X11 and Wayland: evdev code + 8).
std::optional<KeyRecord> KeyRecordForNativeScanCode(std::uint32_t nativeScanCode);

}  // namespace vandrel::platform
