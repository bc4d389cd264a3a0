// Reads a macro image back, as the firmware takes it from its macro memory:
// what the simulated devices hold after a macro upload, and what tests
// compare with the macros that were sent. Written from the image layout
// alone (see macros/macro_image.h), without the encoder's code.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vandrel::sim {

struct SimMacroRecord {
    std::uint16_t delay = 0;
    std::uint8_t kind = 0;  // event kind in bits 0..6, bit 7 set for "down"
    std::uint8_t button = 0;

    bool operator==(const SimMacroRecord&) const = default;
};

using SimMacros = std::vector<std::vector<SimMacroRecord>>;

// The macros of an image, in its order. Nothing when the bytes are no
// well-formed image: wrong signature, a size that is not the image's, a
// reserved byte that is not zero, an offset that does not lead to the next
// block back to back, or blocks that do not end where the image ends.
// Bytes after the image (the rest of the macro memory) are ignored.
std::optional<SimMacros> DecodeMacroImage(std::span<const std::uint8_t> bytes);

}  // namespace vandrel::sim
