#include "devices/keyboard/key_map_image.h"

#include <algorithm>

namespace vandrel::devices::keyboard {
namespace {

bool IsMacro(const profiles::KeyCode& code) { return code.type == kMacroType || code.type == kMacroRepeatType; }

std::uint8_t Scaled(std::uint8_t value, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((unsigned{value} * alpha) >> 8);
}

}  // namespace

KeyMapImage BuildKeyMapImage(std::span<const std::uint8_t> keyMapRead, const PositionMaps& maps,
                             std::span<const profiles::KeyEntry> keys, std::size_t macroCount) {
    KeyMapImage image;
    std::copy_n(keyMapRead.begin(), std::min(keyMapRead.size(), image.bytes.size()), image.bytes.begin());
    for (const profiles::KeyEntry& key : keys) {
        if (key.index >= kPositions) continue;
        const std::uint8_t slot = maps.keySlot[key.index];
        if (slot == kNoSlot || std::size_t{slot} * 3 + 2 >= image.bytes.size()) continue;
        profiles::KeyCode code = key.assignment;
        if (IsMacro(code)) {
            if (code.code1 < macroCount) {
                auto known = std::find(image.macroOrder.begin(), image.macroOrder.end(), code.code1);
                if (known == image.macroOrder.end()) known = image.macroOrder.insert(known, code.code1);
                code.code1 = static_cast<std::uint8_t>(known - image.macroOrder.begin());
            } else {
                code = key.defaultAssignment;
            }
        }
        image.bytes[std::size_t{slot} * 3] = code.type;
        image.bytes[std::size_t{slot} * 3 + 1] = code.code1;
        image.bytes[std::size_t{slot} * 3 + 2] = code.code2;
    }
    return image;
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
