// What the keyboard's key map becomes when the profile's key assignments are
// uploaded, and the per-key colour page of a colour group.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "devices/key_map_upload.h"
#include "devices/keyboard/keyboard_keys.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/profile_records.h"

namespace vandrel::devices::keyboard {

inline constexpr std::size_t kPageSize = 512;
using DevicePage = std::array<std::uint8_t, kPageSize>;

struct KeyMapImage {
    DevicePage bytes{};                    // the key map to write, K x 3 bytes of it
    std::vector<std::uint8_t> macroOrder;  // the macros to send, by their index in the macro list
};

// The key map read from the keyboard with each position's assignment written
// into its key slot. A macro whose index is below `macroCount` is renumbered
// by order of first use (macroOrder lists the original indices); one at or
// above it is replaced by the position's default. Positions without a key
// slot, and entries of `keys` beyond the positions, are left out.
KeyMapImage BuildKeyMapImage(std::span<const std::uint8_t> keyMapRead, const PositionMaps& maps,
                             std::span<const profiles::KeyEntry> keys, std::size_t macroCount);

// The key slot of a position, when the keyboard has one that a key map page
// holds. The function refers to `maps`, which must outlive it.
SlotOfPosition KeySlotOf(const PositionMaps& maps);

// The colour page: each position's red, green and blue at its LED slot x 3.
// Scaled by the position's alpha (value x alpha / 256) when `scaled`; as they
// are otherwise. Positions without an LED slot are left out; the rest of the
// page is zero.
DevicePage BuildColourPage(std::span<const profiles::KeyColour> colours, const PositionMaps& maps, bool scaled);

}  // namespace vandrel::devices::keyboard
