#include "devices/key_map_upload.h"

#include <array>

#include "macros/macro_image.h"
#include "protocol/commands.h"

namespace vandrel::devices {

using protocol::Status;

std::vector<SlottedKey> SlottedKeys(std::span<const profiles::KeyEntry> keys, const SlotOfPosition& slotOf) {
    std::vector<SlottedKey> slotted;
    for (const profiles::KeyEntry& key : keys)
        if (const std::optional<std::uint8_t> slot = slotOf(key.index)) slotted.push_back({*slot, key});
    return slotted;
}

std::vector<std::uint8_t> UsedMacrosOf(std::span<const SlottedKey> keys, std::size_t macroCount) {
    std::vector<profiles::KeyCode> codes;
    codes.reserve(keys.size());
    for (const SlottedKey& key : keys) codes.push_back(key.key.assignment);
    return macros::UsedMacros(codes, macroCount);
}

void PutKeyCodes(std::span<std::uint8_t> keyMap, std::span<const SlottedKey> keys, std::span<const std::uint8_t> used) {
    for (const SlottedKey& slotted : keys) {
        const std::size_t at = std::size_t{slotted.slot} * 3;
        if (at + 3 > keyMap.size()) continue;
        profiles::KeyCode code = slotted.key.assignment;
        if (macros::RunsMacro(code)) {
            if (const std::optional<std::uint8_t> position = macros::MacroPosition(used, code.code1))
                code.code1 = *position;
            else code = slotted.key.defaultAssignment;  // a macro that is not sent
        }
        keyMap[at] = code.type;
        keyMap[at + 1] = code.code1;
        keyMap[at + 2] = code.code2;
    }
}

bool StoreKeyAssignment(std::vector<profiles::KeyEntry>& keys, std::span<const profiles::KeyCode> factory, int position,
                        const profiles::KeyEntry& entry) {
    if (position < 0 || static_cast<std::size_t>(position) >= factory.size()) return false;
    const auto at = static_cast<std::size_t>(position);
    for (std::size_t i = keys.size(); i <= at; ++i) {
        const auto index = static_cast<std::uint16_t>(i);
        keys.push_back({index, factory[i], index, factory[i]});
    }
    keys[at] = entry;
    keys[at].index = static_cast<std::uint16_t>(at);
    return true;
}

Status ConfirmKeySlots(protocol::CDeviceTransport& t, bool askLink, std::size_t slotsByte, std::size_t keyMapLength) {
    if (!t.IsOpen() || (askLink && protocol::CMD_LINK_QUERY(t) != protocol::LinkState::Reachable))
        return Status::ReadFailed;
    std::array<std::uint8_t, protocol::kInfoBlockSize> info{};
    if (const Status read = protocol::CMD_READ_INFO(t, info.data()); read != Status::Ok) return read;
    const std::size_t length = std::size_t{info[slotsByte]} * 3;
    return length == keyMapLength && length <= protocol::kMaxMemorySize ? Status::Ok : Status::ReadFailed;
}

Status WriteSequence(protocol::CDeviceTransport& t, bool askLink, const std::function<Status()>& write) {
    const auto reachable = [&] {
        return t.IsOpen() && (!askLink || protocol::CMD_LINK_QUERY(t) == protocol::LinkState::Reachable);
    };
    if (!reachable()) return Status::ReadFailed;
    const Status begin = protocol::CMD_SEQUENCE_BEGIN(t);
    if (!reachable()) return Status::ReadFailed;
    const Status written = write();
    // The sequence is closed whatever the write did, while the device is there.
    if (!reachable()) return Status::ReadFailed;
    const Status end = protocol::CMD_SEQUENCE_END(t);
    for (const Status status : {begin, written, end})
        if (status != Status::Ok) return status;
    return Status::Ok;
}

}  // namespace vandrel::devices
