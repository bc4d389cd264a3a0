#include "macros/macro_image.h"

#include <algorithm>
#include <limits>

#include "macros/macro_list.h"
#include "platform/bytes.h"

namespace vandrel::macros {

namespace {

// Every number of an image fits its 16 bits: the image is at most 65535 bytes.
void PutWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t value) {
    platform::WriteLe16(bytes, at, static_cast<std::uint16_t>(value));
}

}  // namespace

EventRecord EventToBytes(const MacroEvent& event) {
    const auto kind = static_cast<std::uint8_t>((event.type & 0x7F) | (event.down ? 0x80 : 0));
    return {platform::LowByte(event.delay), platform::HighByte(event.delay), kind, event.button};
}

bool RunsMacro(const profiles::KeyCode& code) { return code.type == kMacroKeyType || code.type == kMacroRepeatKeyType; }

std::vector<std::uint8_t> UsedMacros(std::span<const profiles::KeyCode> keys, std::size_t macroCount) {
    std::vector<std::uint8_t> used;
    for (const profiles::KeyCode& code : keys) {
        if (RunsMacro(code) && code.code1 < macroCount && !MacroPosition(used, code.code1)) used.push_back(code.code1);
    }
    return used;
}

std::vector<std::uint8_t> UsedMacros(std::span<const profiles::KeyEntry> keys, std::size_t macroCount) {
    std::vector<profiles::KeyCode> codes;
    codes.reserve(keys.size());
    for (const profiles::KeyEntry& key : keys) codes.push_back(key.assignment);
    return UsedMacros(codes, macroCount);
}

bool RepairMacroKeys(std::span<profiles::KeyEntry> keys, std::size_t macroCount) {
    bool repaired = false;
    for (profiles::KeyEntry& key : keys) {
        if (!RunsMacro(key.assignment) || key.assignment.code1 < macroCount) continue;
        key.assignment = key.defaultAssignment;
        repaired = true;
    }
    return repaired;
}

std::optional<std::uint8_t> MacroPosition(std::span<const std::uint8_t> used, std::uint8_t number) {
    const auto found = std::ranges::find(used, number);
    if (found == used.end()) return std::nullopt;
    return static_cast<std::uint8_t>(found - used.begin());
}

std::size_t MacroImageSize(std::span<const std::vector<MacroEvent>> macros) {
    std::size_t size = kImageHeaderSize;
    for (const std::vector<MacroEvent>& events : macros) {
        size += 2 + kBlockHeaderSize + kEventRecordSize * events.size();
    }
    return size;
}

MacroImage BuildMacroImage(std::span<const std::vector<MacroEvent>> macros, std::size_t capacity) {
    if (macros.empty()) return {};
    const std::size_t size = MacroImageSize(macros);
    const std::size_t limit = std::min<std::size_t>(capacity, std::numeric_limits<std::uint16_t>::max());
    if (size > limit) return {TooLargeResult(size, limit), {}};

    std::vector<std::uint8_t> bytes(size, 0);
    PutWord(bytes, 0, kImageSignature);
    PutWord(bytes, 2, size);
    PutWord(bytes, 4, macros.size());
    std::size_t block = kImageHeaderSize + 2 * macros.size();
    for (std::size_t i = 0; i < macros.size(); ++i) {
        PutWord(bytes, kImageHeaderSize + 2 * i, block);
        PutWord(bytes, block, macros[i].size());
        block += kBlockHeaderSize;
        for (const MacroEvent& event : macros[i]) {
            const EventRecord record = EventToBytes(event);
            std::ranges::copy(record, bytes.begin() + static_cast<std::ptrdiff_t>(block));
            block += kEventRecordSize;
        }
    }
    return {kMacrosSent, std::move(bytes)};
}

MacroImage MacroImageFromFolder(std::string_view folder, std::span<const std::uint8_t> used, std::size_t capacity) {
    const std::vector<MacroInfo> list = ReadMacroList(folder);
    if (list.empty() || used.empty()) return {};
    std::vector<std::vector<MacroEvent>> macros;
    macros.reserve(used.size());
    for (const std::uint8_t number : used) {
        const std::string path = number < list.size() ? MacroFilePath(folder, list[number].id) : std::string();
        macros.push_back(path.empty() ? std::vector<MacroEvent>() : ReadMacroFile(path).events);
    }
    return BuildMacroImage(macros, capacity);
}

}  // namespace vandrel::macros
