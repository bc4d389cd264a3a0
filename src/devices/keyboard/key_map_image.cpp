#include "devices/keyboard/key_map_image.h"

#include <algorithm>
#include <optional>

namespace vandrel::devices::keyboard {
namespace {

std::uint8_t Scaled(std::uint8_t value, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((unsigned{value} * alpha) >> 8);
}

}  // namespace

KeyMapImage BuildKeyMapImage(std::span<const std::uint8_t> keyMapRead, const PositionMaps& maps,
                             std::span<const profiles::KeyEntry> keys, std::size_t macroCount) {
    KeyMapImage image;
    std::copy_n(keyMapRead.begin(), std::min(keyMapRead.size(), image.bytes.size()), image.bytes.begin());
    // The keys that go into the key map: those with a slot the table holds.
    // The macros they run, in order of first use, are the ones sent, and the
    // key map names each by its place in that list.
    const std::vector<SlottedKey> slotted = SlottedKeys(keys, KeySlotOf(maps));
    image.macroOrder = UsedMacrosOf(slotted, macroCount);
    PutKeyCodes(image.bytes, slotted, image.macroOrder);
    return image;
}

SlotOfPosition KeySlotOf(const PositionMaps& maps) {
    return [&maps](std::size_t position) -> std::optional<std::uint8_t> {
        if (position >= kPositions) return std::nullopt;
        const std::uint8_t slot = maps.keySlot[position];
        if (slot == kNoSlot || std::size_t{slot} * 3 + 2 >= kPageSize) return std::nullopt;
        return slot;
    };
}

DevicePage BuildColourPage(std::span<const profiles::KeyColour> colours, const PositionMaps& maps, bool scaled) {
    DevicePage page{};
    const std::size_t count = std::min(colours.size(), kPositions);
    for (std::size_t position = 0; position < count; ++position) {
        const std::uint8_t led = maps.ledSlot[position];
        if (led >= kLedSlots) continue;  // none, or beyond what the page holds
        const profiles::KeyColour& colour = colours[position];
        const std::uint8_t alpha = scaled ? colour.alpha : 0;
        page[std::size_t{led} * 3] = scaled ? Scaled(colour.red, alpha) : colour.red;
        page[std::size_t{led} * 3 + 1] = scaled ? Scaled(colour.green, alpha) : colour.green;
        page[std::size_t{led} * 3 + 2] = scaled ? Scaled(colour.blue, alpha) : colour.blue;
    }
    return page;
}

}  // namespace vandrel::devices::keyboard
