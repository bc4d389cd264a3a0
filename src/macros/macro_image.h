// The macros a device replays, as the one block of device memory they are
// written to. Only the macros some key of the key map runs are sent, in the
// order the keys first use them; the key map then names a macro by its
// position in that list (MacroPosition), not by its number in the list file.
//
// Image, all numbers little-endian:
//   0   AA 55         signature
//   2   size          of the whole image in bytes
//   4   N             macros
//   6   10 x 00
//   16  N offsets     of each macro block from the start of the image
//   ..  N blocks:     E (events), 00 00, E event records of 4 bytes
// so size = 16 + 6 N + 4 (sum of E). Event record: delay low, delay high,
// kind | 0x80 when "down", button.
//
// Pure functions over data: sending the image is the device's part.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "macros/macro_file.h"
#include "profiles/profile_records.h"

namespace vandrel::macros {

// Key types that run a macro; code1 is the macro's number.
inline constexpr std::uint8_t kMacroKeyType = 0x70;
inline constexpr std::uint8_t kMacroRepeatKeyType = 0x71;

inline constexpr std::size_t kImageHeaderSize = 16;
inline constexpr std::size_t kBlockHeaderSize = 4;
inline constexpr std::size_t kEventRecordSize = 4;
inline constexpr std::uint16_t kImageSignature = 0x55AA;
// The device's macro memory comes in units of this many bytes.
inline constexpr std::size_t kCapacityUnit = 128;

using EventRecord = std::array<std::uint8_t, kEventRecordSize>;
EventRecord EventToBytes(const MacroEvent& event);

bool RunsMacro(const profiles::KeyCode& code);

// The numbers of the macros `keys` run, each once, in order of first use
// (keys in key-map order). Numbers at or above `macroCount` name no macro and
// are left out.
std::vector<std::uint8_t> UsedMacros(std::span<const profiles::KeyCode> keys, std::size_t macroCount);
std::vector<std::uint8_t> UsedMacros(std::span<const profiles::KeyEntry> keys, std::size_t macroCount);
// Keys whose macro number is at or above `macroCount` (a macro deleted, or a
// profile from elsewhere) run their default function again. True when a key
// changed.
bool RepairMacroKeys(std::span<profiles::KeyEntry> keys, std::size_t macroCount);

// Where macro `number` is in `used`: the number the key map gives the device.
std::optional<std::uint8_t> MacroPosition(std::span<const std::uint8_t> used, std::uint8_t number);

// The macro memory of a device whose information block holds `units` at
// byte 18.
constexpr std::size_t MacroCapacity(std::uint8_t units) { return units * kCapacityUnit; }

std::size_t MacroImageSize(std::span<const std::vector<MacroEvent>> macros);

// Results of preparing (and, in the device, sending) the macros.
inline constexpr int kMacrosSent = 0;     // sent, or nothing to send
inline constexpr int kMacrosFailed = -1;  // the link failed or no memory was had
// A result above 0 refuses an image too large for the device: how many event
// records too many it has, at least 1, which the user is shown.
constexpr int TooLargeResult(std::size_t size, std::size_t capacity) {
    return static_cast<int>((size - capacity) / kEventRecordSize) + 1;
}

struct MacroImage {
    int result = kMacrosSent;
    std::vector<std::uint8_t> bytes;  // empty: nothing to send

    bool operator==(const MacroImage&) const = default;
};

// The image of `macros` in this order; refused with TooLargeResult when it is
// larger than `capacity` (or than its 16-bit size field can say). No macros:
// nothing to send.
MacroImage BuildMacroImage(std::span<const std::vector<MacroEvent>> macros, std::size_t capacity);

// The image of the listed macros of a folder's macro list, each event file
// read once. A number the list does not have, an identifier that names no
// file and a missing event file each give a macro without events. No list
// file, or no macros listed: nothing to send.
MacroImage MacroImageFromFolder(std::string_view folder, std::span<const std::uint8_t> used, std::size_t capacity);

}  // namespace vandrel::macros
