// The keyboard's light record: 27 bytes per onboard profile in the
// keyboard's memory, at onboard profile x 25 (the last two bytes of a record
// are the first two of the next), and the keyboard's system settings, half of
// which travel in it.
//
//   0  onboard profile            6-8  red, green, blue     21  Windows-key lock
//   1  device effect code         18   fixed-hue choice     22  polling rate
//   2  brightness                 19   W flag               26  colour group
//   3  speed, as 4 - speed        20   6-key flag           other bytes 0
//   4  direction  5  seven-colour
//
// What the device reports is never trusted as an index: values beyond their
// range are clamped when the record is read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "profiles/light_names.h"
#include "profiles/profile_records.h"

namespace vandrel::devices::keyboard {

inline constexpr std::size_t kLightRecordSize = 27;
inline constexpr std::size_t kLightRecordStride = 25;
using LightRecord = std::array<std::uint8_t, kLightRecordSize>;

namespace record {
inline constexpr std::size_t kProfile = 0;
inline constexpr std::size_t kEffectCode = 1;
inline constexpr std::size_t kBrightness = 2;
inline constexpr std::size_t kSpeed = 3;
inline constexpr std::size_t kDirection = 4;
inline constexpr std::size_t kMultiColour = 5;
inline constexpr std::size_t kRed = 6;
inline constexpr std::size_t kGreen = 7;
inline constexpr std::size_t kBlue = 8;
inline constexpr std::size_t kFixedHue = 18;
inline constexpr std::size_t kWFlag = 19;
inline constexpr std::size_t kKey6Flag = 20;
inline constexpr std::size_t kWinLock = 21;
inline constexpr std::size_t kPollingRate = 22;
inline constexpr std::size_t kColourGroup = 26;
}  // namespace record

inline constexpr std::uint8_t kTopLevel = 4;   // brightness and speed run 0..4
inline constexpr int kRepeatDelayChoices = 4;  // 250, 500, 750, 1000 ms
inline constexpr int kPollingRateChoices = 4;
// Colour groups of per-key colours the keyboard keeps, one colour page each.
inline constexpr int kColourGroups = 8;

// "SystemStages" of the keyboard's profile.
struct KeyboardSystem {
    std::uint16_t Repeat = 0;       // key repeat rate, the slider's value
    std::uint16_t RepeatDelay = 0;  // 0..3: 250, 500, 750, 1000 ms
    std::uint16_t Key6Flag = 0;
    std::uint16_t PollingRate = 0;  // 0..3
    std::uint16_t WFlag = 0;
    std::uint16_t WinFlag = 0;

    bool operator==(const KeyboardSystem&) const = default;
};

// The three words the profile document keeps them in, and back.
KeyboardSystem SystemFromWords(const profiles::SystemWords& words);
profiles::SystemWords ToWords(const KeyboardSystem& system);

// The record of `info` and `system` for onboard profile byte `profileByte`.
// The effect goes as its device code from the mode list; an effect the list
// does not have goes as the code of entry 0 (0 with an empty list).
LightRecord BuildLightRecord(const profiles::LightInfo& info, const KeyboardSystem& system,
                             std::span<const profiles::LightMode> modes, std::uint8_t profileByte = 0);

struct ReadLightRecord {
    profiles::LightInfo light;  // OldLedmode left 0
    std::uint16_t Key6Flag = 0;
    std::uint16_t WinFlag = 0;
    std::uint16_t WFlag = 0;
};

// What a record read from the keyboard says (the polling rate stays as the
// profile has it). The device code becomes the
// index of its entry in the mode list, or stays itself when the list does
// not have it; brightness above 4 reads as 4 and a speed byte above 4 as
// speed 0; a colour group at or beyond `colourGroups` reads as 0.
ReadLightRecord ParseLightRecord(const LightRecord& bytes, std::span<const profiles::LightMode> modes,
                                 int colourGroups);

}  // namespace vandrel::devices::keyboard
