// The records a profile document hands to the devices: lighting settings,
// audio-reactive lighting settings, the per-LED light list, the steps of a
// custom effect and the key assignments.
#pragma once

#include <array>
#include <cstdint>

namespace vandrel::profiles {

// A device's lighting settings, 14 bytes. Moved between device and profile
// as four 32-bit words in little-endian byte order: bytes 0..3, 4..7, 8..11
// and 12..13.
struct LightInfo {
    std::uint8_t SelectItem = 0;  // effect number
    std::uint8_t Light = 0;       // brightness level 0..4
    std::uint8_t Speed = 0;       // 0..4, 0 the slowest
    std::uint8_t Fx = 0;          // direction
    std::uint8_t MultiColor = 0;  // seven-colour flag
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    std::array<std::uint8_t, 3> reserved{};  // always 0
    std::uint8_t ZZCCLedMode = 0;
    std::uint8_t CustomGroup = 0;
    std::uint8_t OldLedmode = 0;

    bool operator==(const LightInfo&) const = default;
};

using LightWords = std::array<std::uint32_t, 4>;
LightInfo LightInfoFromWords(const LightWords& words);
LightWords ToWords(const LightInfo& info);

// Audio-reactive lighting settings, 12 bytes, moved as three 32-bit words.
struct AudioLightInfo {
    std::uint8_t AudioMode = 0;
    std::uint8_t BkColorR = 0;
    std::uint8_t BkColorG = 0;
    std::uint8_t BkColorB = 0;
    std::uint8_t FgColorR = 0;
    std::uint8_t FgColorG = 0;
    std::uint8_t FgColorB = 0;
    std::uint8_t SevenColorFlags = 0;
    std::uint8_t ColorTypeFlags = 0;
    std::array<std::uint8_t, 3> reserved{};  // always 0

    bool operator==(const AudioLightInfo&) const = default;
};

using AudioLightWords = std::array<std::uint32_t, 3>;
AudioLightInfo AudioLightInfoFromWords(const AudioLightWords& words);
AudioLightWords ToWords(const AudioLightInfo& info);

// One element of "LightList" (one LED or zone). `valid` is 0 for an element
// that was not an object; all its other fields are then 0.
struct LightListEntry {
    std::uint8_t mode = 0;
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t direction = 0;
    std::uint8_t multiColor = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t valid = 0;

    bool operator==(const LightListEntry&) const = default;
};

// One step of a custom light effect (".light" file, "LEDEffectList").
struct EffectStep {
    std::uint8_t mode = 0;
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t direction = 0;
    std::uint8_t multiColor = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::int32_t time = 0;   // duration in ms ("Time")
    std::int32_t cycle = 0;  // "Cyle"

    bool operator==(const EffectStep&) const = default;
};

// The function of a key: type, code1, code2 (b2, b1, b0 of the packed form).
struct KeyCode {
    std::uint8_t type = 0;
    std::uint8_t code1 = 0;
    std::uint8_t code2 = 0;

    bool operator==(const KeyCode&) const = default;
};

// The packed integer of "Assignment" and "DefaultAssignment":
// (type << 16) | (code1 << 8) | code2.
std::int32_t PackKeyCode(const KeyCode& code);
// The three low bytes of a packed integer (bits 16..23, 8..15, 0..7).
KeyCode UnpackKeyCode(std::int64_t packed);

// System settings: three 32-bit words, each made of two 16-bit values.
using SystemWords = std::array<std::uint32_t, 3>;

// One element of "KeyList": key i's current and factory functions.
struct KeyEntry {
    std::uint16_t index = 0;
    KeyCode assignment;
    std::uint16_t defaultIndex = 0;
    KeyCode defaultAssignment;

    bool operator==(const KeyEntry&) const = default;
};

}  // namespace vandrel::profiles
