// Splitting numbers into bytes and 16-bit halves and joining them again, the
// way device records and report frames store them: little-endian, low first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vandrel::platform {

constexpr std::uint8_t LowByte(std::uint32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }
constexpr std::uint8_t HighByte(std::uint32_t value) { return static_cast<std::uint8_t>((value >> 8) & 0xFF); }
constexpr std::uint16_t JoinBytes(std::uint8_t low, std::uint8_t high) {
    return static_cast<std::uint16_t>(low | (high << 8));
}

constexpr std::uint16_t LowHalf(std::uint32_t word) { return static_cast<std::uint16_t>(word & 0xFFFF); }
constexpr std::uint16_t HighHalf(std::uint32_t word) { return static_cast<std::uint16_t>(word >> 16); }
// Half 0 is the low one, half 1 the high one.
constexpr std::uint16_t Half(std::uint32_t word, int half) { return half == 0 ? LowHalf(word) : HighHalf(word); }
constexpr std::uint32_t JoinHalves(std::uint16_t high, std::uint16_t low) { return std::uint32_t{high} << 16 | low; }

// A 16-bit value at bytes[at] (low) and bytes[at + 1] (high); 0 when the two
// bytes are not both inside.
constexpr std::uint16_t ReadLe16(std::span<const std::uint8_t> bytes, std::size_t at) {
    if (at >= bytes.size() || bytes.size() - at < 2) return 0;
    return JoinBytes(bytes[at], bytes[at + 1]);
}
// Writes nothing when the two bytes are not both inside.
constexpr void WriteLe16(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value) {
    if (at >= bytes.size() || bytes.size() - at < 2) return;
    bytes[at] = LowByte(value);
    bytes[at + 1] = HighByte(value);
}

}  // namespace vandrel::platform
