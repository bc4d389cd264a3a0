// The parts of a key-map upload that the mouse and the keyboard share: which
// keys go into the key map (those whose position has a key slot), the list
// of macros they run, the key codes written into the key map, and the
// begin / write / end sequence that carries a whole-memory write.
//
// The macro list is made once, from the keys with a key slot, and both the
// macro image and the key map are built from that one list: a key map never
// names a macro the image does not hold.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "profiles/profile_records.h"
#include "protocol/device_transport.h"
#include "protocol/status.h"

namespace vandrel::devices {

// A key of the key list with the key slot its position has.
struct SlottedKey {
    std::uint8_t slot = 0;
    profiles::KeyEntry key;
};

// The key slot of a key position, nothing when it has none.
using SlotOfPosition = std::function<std::optional<std::uint8_t>(std::size_t position)>;

// The keys of `keys` whose position has a slot, in list order.
std::vector<SlottedKey> SlottedKeys(std::span<const profiles::KeyEntry> keys, const SlotOfPosition& slotOf);

// The macros those keys run, each once, in order of first use; numbers at or
// above `macroCount` are left out.
std::vector<std::uint8_t> UsedMacrosOf(std::span<const SlottedKey> keys, std::size_t macroCount);

// Each key's current code at its slot x 3 of `keyMap`. A macro code names the
// macro by its place in `used`; a macro `used` does not have gives the key's
// default code. Slots whose three bytes lie beyond `keyMap` are left out.
void PutKeyCodes(std::span<std::uint8_t> keyMap, std::span<const SlottedKey> keys, std::span<const std::uint8_t> used);

// The entry of key position `position` in `keys` becomes `entry`, with the
// position as its index; a shorter list is first filled up with factory
// entries (current and default code the factory code). False, changing
// nothing, for a position `factory` does not have.
bool StoreKeyAssignment(std::vector<profiles::KeyEntry>& keys, std::span<const profiles::KeyCode> factory, int position,
                        const profiles::KeyEntry& entry);

// The information block read again just before a key map is written: the
// device must still report the `keyMapLength` / 3 key slots the key map was
// built for (byte `slotsByte`), within the largest memory a write carries.
// With `askLink` the read waits for a "reachable" answer. Ok, or the failure
// (ReadFailed for an unreachable device or another key map size).
protocol::Status ConfirmKeySlots(protocol::CDeviceTransport& t, bool askLink, std::size_t slotsByte,
                                 std::size_t keyMapLength);

// Sequence begin, `write`, sequence end. With `askLink` (a device behind its
// receiver) each of the three is sent only after the link query answered
// "reachable"; an unreachable answer ends the sequence there. Ok when every
// step was sent and taken; otherwise the first failure (ReadFailed for an
// unreachable device).
protocol::Status WriteSequence(protocol::CDeviceTransport& t, bool askLink,
                               const std::function<protocol::Status()>& write);

}  // namespace vandrel::devices
