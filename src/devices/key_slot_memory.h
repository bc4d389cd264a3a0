// The key slots of a device kind's key positions, learned once and kept in
// the kind's user folder.
//
// A position's key slot is found at connect by the factory key code the
// key map holds there. The program writes key maps too, so a key given
// another function (or two keys swapped) is found at no slot, or at the
// other key's, from then on. Key slots are fixed in the hardware: a slot
// learned once stays right for that model, and the learned slots are used
// before what the search finds.
//
// The file, "keyslots.json" in the kind's user folder:
//   { "SlotCount" : K, "Slots" : [ slot of position 0, slot of position 1, ... ] }
// with -1 for a position that has no slot. It is written atomically through
// the JSON file store whenever the slots it would hold change.
//
// Read from a file a user can edit: a file that is missing, malformed, of
// another slot count or another number of positions is not used (and is
// written anew); a slot at or above K, or one that two positions name, is
// not used either. Without a user folder (an empty path) nothing is read or
// written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel::devices {

inline constexpr std::string_view kKeySlotsFileName = "keyslots.json";
inline constexpr std::int64_t kNoLearnedSlot = -1;

// What the file holds, as read: nothing is checked but its shape.
struct KeySlotRecord {
    std::int64_t slotCount = 0;       // K of the device the slots were learned on
    std::vector<std::int64_t> slots;  // by position; kNoLearnedSlot: none
    bool operator==(const KeySlotRecord&) const = default;
};

// The key slot of each position from the slots `found` by the factory-code
// search (`noSlot`: none) and the `learned` record, on a device of
// `slotCount` slots. The learned slots are used when the record is of the
// same slot count and number of positions; each position keeps its learned
// slot, then takes the found one unless another position has that slot.
// A learned slot at or above the slot count (or `noSlot`), or named twice,
// counts as none.
std::vector<std::uint8_t> MergeKeySlots(std::span<const std::uint8_t> found,
                                        const std::optional<KeySlotRecord>& learned, std::size_t slotCount,
                                        std::uint8_t noSlot);

// The record of `slots` (`noSlot`: none) on a device of `slotCount` slots.
KeySlotRecord ToKeySlotRecord(std::span<const std::uint8_t> slots, std::size_t slotCount, std::uint8_t noSlot);

// The record in `folder`, or nothing when the file is missing or malformed.
std::optional<KeySlotRecord> ReadKeySlots(const std::string& folder);
// False (traced by the store) when the file could not be written.
bool WriteKeySlots(const std::string& folder, const KeySlotRecord& record);

// The merged slots of `found` with the record in `folder`; when `learn`, the
// record is written when it does not hold them yet.
std::vector<std::uint8_t> RememberedKeySlots(const std::string& folder, std::span<const std::uint8_t> found,
                                             std::size_t slotCount, std::uint8_t noSlot, bool learn);

}  // namespace vandrel::devices
