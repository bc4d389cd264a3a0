// The keyboard's key positions: the program's own numbering of the 126 keys
// of a full-size keyboard (0 Esc, 1-12 F1-F12, ..., 120-124 M1-M5, 125 RWin),
// the factory key code that identifies each key on the device, and the
// position, key-slot and LED-slot maps built from what the keyboard reports.
//
// Light indices equal key positions. A position whose factory code is not in
// the keyboard's key map, and that has no slot learned at an earlier
// connection (devices/key_slot_memory.h), has no key slot and no LED; the
// four empty positions of the layout never have either.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "profiles/profile_records.h"

namespace vandrel::devices::keyboard {

inline constexpr std::size_t kPositions = 126;
// LED slots a colour page can hold: 170 x 3 bytes fit its 512 bytes.
inline constexpr std::size_t kLedSlots = 170;
inline constexpr std::uint8_t kNoSlot = 255;
inline constexpr std::array<std::size_t, 4> kEmptyPositions{18, 19, 20, 104};

bool IsEmptyPosition(std::size_t position);

// The factory key code of each position.
const std::array<profiles::KeyCode, kPositions>& FactoryKeyCodes();

struct PositionMaps {
    std::array<std::uint8_t, kPositions> keySlot;  // kNoSlot: not on this keyboard
    std::array<std::uint8_t, kPositions> ledSlot;  // kNoSlot: no LED of a colour page

    // The position whose key slot is `slot`, or nothing.
    std::optional<std::size_t> PositionOfSlot(std::uint8_t slot) const;
};

using KeySlots = std::array<std::uint8_t, kPositions>;

// From the key map (3 bytes per key slot) of `keySlots` slots: the first
// slot holding each position's factory code, or kNoSlot. Only the slots
// read count.
KeySlots FindKeySlots(std::span<const std::uint8_t> keyMap, std::size_t keySlots);

// The maps of the given key slots, each position with its slot's LED from
// the LED map (the LED slot of each key slot). An empty position has
// neither; an LED slot a colour page cannot hold is no LED.
PositionMaps MapsOfKeySlots(const KeySlots& keySlots, std::span<const std::uint8_t> ledMap);

// Both: each position takes the first slot holding its factory code, and
// that slot's LED.
PositionMaps BuildPositionMaps(std::span<const std::uint8_t> keyMap, std::span<const std::uint8_t> ledMap,
                               std::size_t keySlots);

}  // namespace vandrel::devices::keyboard
