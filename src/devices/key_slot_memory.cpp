#include "devices/key_slot_memory.h"

#include <algorithm>

#include "platform/folders.h"
#include "profiles/json_file_store.h"
#include "profiles/json_values.h"

namespace vandrel::devices {
namespace {

constexpr const char* kSlotCountMember = "SlotCount";
constexpr const char* kSlotsMember = "Slots";

// Whether a learned slot can be used on a device of `limit` usable slots:
// in range, and named by one position only.
bool Usable(std::span<const std::int64_t> learned, std::int64_t slot, std::int64_t limit) {
    return slot >= 0 && slot < limit && std::count(learned.begin(), learned.end(), slot) == 1;
}

std::string KeySlotsPath(const std::string& folder) { return platform::JoinPath(folder, kKeySlotsFileName); }

}  // namespace

std::vector<std::uint8_t> MergeKeySlots(std::span<const std::uint8_t> found,
                                        const std::optional<KeySlotRecord>& learned, std::size_t slotCount,
                                        std::uint8_t noSlot) {
    std::vector<std::uint8_t> result(found.size(), noSlot);
    const auto count = static_cast<std::int64_t>(slotCount);
    if (learned && learned->slotCount == count && learned->slots.size() == found.size()) {
        const std::vector<std::int64_t>& slots = learned->slots;
        const std::int64_t limit = std::min<std::int64_t>(count, noSlot);
        for (std::size_t position = 0; position < slots.size(); ++position)
            if (Usable(slots, slots[position], limit)) result[position] = static_cast<std::uint8_t>(slots[position]);
    }
    for (std::size_t position = 0; position < found.size(); ++position) {
        const std::uint8_t slot = found[position];
        if (result[position] != noSlot || slot == noSlot) continue;
        if (std::find(result.begin(), result.end(), slot) != result.end()) continue;
        result[position] = slot;
    }
    return result;
}

KeySlotRecord ToKeySlotRecord(std::span<const std::uint8_t> slots, std::size_t slotCount, std::uint8_t noSlot) {
    KeySlotRecord record{static_cast<std::int64_t>(slotCount), {}};
    record.slots.reserve(slots.size());
    for (const std::uint8_t slot : slots) record.slots.push_back(slot == noSlot ? kNoLearnedSlot : slot);
    return record;
}

std::optional<KeySlotRecord> ReadKeySlots(const std::string& folder) {
    namespace json = profiles::json;
    if (folder.empty()) return std::nullopt;  // no user folder: nothing learned
    const Json::Value root = profiles::CJsonFileStore().ReadJson(KeySlotsPath(folder));
    const Json::Value& count = json::Member(root, kSlotCountMember);
    const Json::Value& slots = json::Member(root, kSlotsMember);
    if (!count.isIntegral() || !slots.isArray()) return std::nullopt;
    KeySlotRecord record{json::IntegerOr(count), {}};
    json::ElementCursor cursor(slots);
    for (Json::ArrayIndex i = 0; i < cursor.Size(); ++i) {
        const Json::Value& slot = cursor.At(i);
        record.slots.push_back(slot.isIntegral() ? json::IntegerOr(slot, kNoLearnedSlot) : kNoLearnedSlot);
    }
    return record;
}

bool WriteKeySlots(const std::string& folder, const KeySlotRecord& record) {
    if (folder.empty()) return false;
    Json::Value root(Json::objectValue);
    root[kSlotCountMember] = Json::Int64{record.slotCount};
    Json::Value& slots = root[kSlotsMember] = Json::Value(Json::arrayValue);
    for (const std::int64_t slot : record.slots) slots.append(Json::Int64{slot});
    return profiles::CJsonFileStore().WriteJson(KeySlotsPath(folder), root) == profiles::WriteStatus::Ok;
}

std::vector<std::uint8_t> RememberedKeySlots(const std::string& folder, std::span<const std::uint8_t> found,
                                             std::size_t slotCount, std::uint8_t noSlot, bool learn) {
    const std::optional<KeySlotRecord> held = ReadKeySlots(folder);
    std::vector<std::uint8_t> slots = MergeKeySlots(found, held, slotCount, noSlot);
    if (learn) {
        const KeySlotRecord record = ToKeySlotRecord(slots, slotCount, noSlot);
        // A failed write is traced by the store; the next connection tries again.
        if (record != held) static_cast<void>(WriteKeySlots(folder, record));
    }
    return slots;
}

}  // namespace vandrel::devices
