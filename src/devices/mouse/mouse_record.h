// What the mouse keeps in its own memory, as plain data: the settings record
// of an onboard profile (71 bytes read, 66 written; record n at n x 128,
// byte 0 of the memory is the active onboard profile), the effect codes the
// record uses for the lighting modes, and the map from the eleven key
// positions of the mouse picture to the slots of the key map.
//
// Settings record:
//   0        caller's value (the active onboard profile in record 0)
//   1        effect code of the lighting mode
//   2        brightness level 0..4
//   3        4 - speed
//   4        direction
//   5        seven-colour flag
//   6, 7, 8  red, green, blue
//   9, 10    0
//   11       report-rate option
//   12       active DPI stage
//   13       0
//   14 + 9i  DPI stage i (0..4): enabled, separate X/Y, X position (16-bit LE),
//            Y position (16-bit LE), red, green, blue
//   59       caller's value (1)
//   60..63   screen width and height (16-bit LE each)
//   64, 65   minimum square and pixel threshold of the selected correction
//   66..70   not written
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "profiles/light_names.h"
#include "profiles/mouse_profile_data.h"
#include "profiles/profile_records.h"

namespace vandrel::devices::mouse {

inline constexpr std::size_t kRecordSize = 71;
inline constexpr std::size_t kRecordWriteSize = 66;
inline constexpr std::size_t kRecordStride = 128;
inline constexpr std::size_t kOnboardProfiles = 8;
// Light-mode indexes from here on are the user's own effects, which the
// mouse does not know: the record carries the code of mode 0 for them.
inline constexpr int kCustomModeBase = 10;

namespace record {
inline constexpr std::size_t kProfile = 0;
inline constexpr std::size_t kMode = 1;
inline constexpr std::size_t kBrightness = 2;
inline constexpr std::size_t kSpeed = 3;
inline constexpr std::size_t kDirection = 4;
inline constexpr std::size_t kColourful = 5;
inline constexpr std::size_t kRed = 6;
inline constexpr std::size_t kGreen = 7;
inline constexpr std::size_t kBlue = 8;
inline constexpr std::size_t kCleared = 9;
inline constexpr std::size_t kReportRate = 11;
inline constexpr std::size_t kActiveStage = 12;
inline constexpr std::size_t kStages = 14;
inline constexpr std::size_t kStageSize = 9;
inline constexpr std::size_t kByte59 = 59;
inline constexpr std::size_t kScreenWidth = 60;
inline constexpr std::size_t kScreenHeight = 62;
inline constexpr std::size_t kCorrectMinSq = 64;
inline constexpr std::size_t kCorrectPixThresh = 65;
inline constexpr std::uint8_t kTopSpeed = 4;
}  // namespace record

using SettingsRecord = std::array<std::uint8_t, kRecordSize>;

// Everything a written record is made of.
struct RecordSource {
    int byte0 = 0;
    int byte59 = 1;
    int screenWidth = 0;
    int screenHeight = 0;
    profiles::LightInfo light;
    std::int32_t modeCode = 0;
    int reportRate = 0;
    int activeStage = 0;
    std::span<const profiles::DpiStage> stages;  // the first five are written
    std::span<const profiles::Correction> corrections;
};

// Zero-filled, then every byte of the table above.
SettingsRecord BuildSettingsRecord(const RecordSource& source);

// The record's lighting part (bytes 1..8) for the running settings.
void PutLighting(SettingsRecord& record, const profiles::LightInfo& light, std::int32_t modeCode);

// The running settings after reading a record: mode (when its code is in the
// list), brightness, speed, seven-colour flag and colour; the direction and
// the rest stay as in `running`. A speed byte above 4 gives speed 0.
profiles::LightInfo LightingFromRecord(const SettingsRecord& record, const profiles::LightInfo& running,
                                       std::span<const profiles::LightMode> modes);

// The effect code the record carries for a mode index: the list's entry,
// the entry of mode 0 for the user's own effects (index 10 and above); an
// index the list does not have is sent as itself.
std::int32_t ModeCode(std::span<const profiles::LightMode> modes, int modeIndex);
// The first mode whose code is `code`.
std::optional<int> ModeIndexOf(std::span<const profiles::LightMode> modes, std::int32_t code);

// --- Key positions ------------------------------------------------------------

inline constexpr std::size_t kKeyPositions = 11;
inline constexpr std::uint8_t kNoSlot = 170;

// The factory code of each key position, by which its slot is found.
extern const std::array<profiles::KeyCode, kKeyPositions> kFactoryKeyCodes;

// One entry per key position, whatever the slot count: the first of the
// `slotCount` slots of `keyMap` (3 bytes each) that carries the position's
// factory code, or kNoSlot.
std::vector<std::uint8_t> PositionSlots(std::span<const std::uint8_t> keyMap, std::size_t slotCount);

}  // namespace vandrel::devices::mouse
