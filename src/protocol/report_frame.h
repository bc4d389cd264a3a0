// The 64-byte report frame that carries every exchange with a device.
//
//   byte 0      report id, always 0x04
//   bytes 1-2   checksum, little-endian: sum of bytes 3..63
//   byte 3      command (echoed in the reply)
//   byte 4      payload length of this frame
//   bytes 5-6   offset, little-endian
//   byte 7      0 in requests, the status in replies (0xFF, 0xFE are errors)
//   bytes 8-63  payload, at most 56 bytes
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "protocol/status.h"

namespace vandrel::protocol {

inline constexpr std::size_t kFrameSize = 64;
inline constexpr std::uint8_t kReportId = 0x04;
inline constexpr std::size_t kMaxPayload = 56;
inline constexpr std::uint8_t kReceiverNoDevice = 0xAA;  // reply byte 3 from a receiver with nothing behind it

namespace frame {
inline constexpr std::size_t kReportIdByte = 0;
inline constexpr std::size_t kChecksumLow = 1;
inline constexpr std::size_t kChecksumHigh = 2;
inline constexpr std::size_t kCommand = 3;
inline constexpr std::size_t kLength = 4;
inline constexpr std::size_t kOffsetLow = 5;
inline constexpr std::size_t kOffsetHigh = 6;
inline constexpr std::size_t kStatus = 7;
inline constexpr std::size_t kPayload = 8;
}  // namespace frame

using Frame = std::array<std::uint8_t, kFrameSize>;

// Sum of bytes 3..63 as unsigned bytes (at most 61 x 255, fits 16 bits).
std::uint16_t FrameChecksum(std::span<const std::uint8_t, kFrameSize> frame);
// Stores the checksum in bytes 1-2; call after length, offset and payload are set.
void StampChecksum(std::span<std::uint8_t, kFrameSize> frame);

// A request frame with the report id and the command set, everything else 0.
Frame MakeRequest(std::uint8_t command);

// The status a command draws from one transaction: the transaction's own
// status unless it is Ok, then the reply's byte 7 (0xFF, 0xFE) or Ok.
Status ReplyStatus(Status transactStatus, std::span<const std::uint8_t, kFrameSize> reply);

// The two trace lines of a frame: 32 bytes each, groups of four bytes, three
// blanks between the first four groups and two between the later ones.
std::array<std::string, 2> FormatFrameLines(std::span<const std::uint8_t, kFrameSize> frame);

}  // namespace vandrel::protocol
