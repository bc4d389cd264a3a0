#include "sim/sim_macro_image.h"

#include <algorithm>
#include <cstddef>

namespace vandrel::sim {

namespace {

std::size_t Word(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::size_t>(bytes[at] | (bytes[at + 1] << 8));
}

bool AllZero(std::span<const std::uint8_t> bytes) {
    return std::ranges::all_of(bytes, [](std::uint8_t b) { return b == 0; });
}

}  // namespace

std::optional<SimMacros> DecodeMacroImage(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kHeader = 16;
    if (bytes.size() < kHeader || bytes[0] != 0xAA || bytes[1] != 0x55) return std::nullopt;
    const std::size_t size = Word(bytes, 2);
    const std::size_t count = Word(bytes, 4);
    if (size > bytes.size() || kHeader + 2 * count > size || !AllZero(bytes.subspan(6, 10))) return std::nullopt;
    const std::span<const std::uint8_t> image = bytes.first(size);

    SimMacros macros;
    std::size_t block = kHeader + 2 * count;
    for (std::size_t i = 0; i < count; ++i) {
        if (Word(image, kHeader + 2 * i) != block || block + 4 > size) return std::nullopt;
        const std::size_t events = Word(image, block);
        if (!AllZero(image.subspan(block + 2, 2)) || block + 4 + 4 * events > size) return std::nullopt;
        std::vector<SimMacroRecord>& records = macros.emplace_back();
        for (std::size_t e = 0; e < events; ++e) {
            const std::size_t at = block + 4 + 4 * e;
            records.push_back({static_cast<std::uint16_t>(Word(image, at)), image[at + 2], image[at + 3]});
        }
        block += 4 + 4 * events;
    }
    if (block != size) return std::nullopt;
    return macros;
}

}  // namespace vandrel::sim
