// The command set: one function per command the program sends, each returning
// its Status (Ok on success), which a caller acts on or discards on purpose. Chunked commands move the transport's chunk size
// per frame (56 on the cable, 24 on the receiver) and hold their lock per
// frame, not for the whole transfer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/device_transport.h"

namespace vandrel::protocol {

namespace cmd {
inline constexpr std::uint8_t kSequenceBegin = 0x01;
inline constexpr std::uint8_t kSequenceEnd = 0x02;
inline constexpr std::uint8_t kReadInfo = 0x03;
inline constexpr std::uint8_t kReadAt = 0x05;
inline constexpr std::uint8_t kWriteAt = 0x06;
inline constexpr std::uint8_t kReadKeyMap = 0x07;
inline constexpr std::uint8_t kWriteKeyMap = 0x09;
inline constexpr std::uint8_t kWritePage = 0x0B;
inline constexpr std::uint8_t kLightStream = 0x12;
inline constexpr std::uint8_t kWriteMacros = 0x15;
inline constexpr std::uint8_t kWriteRecoil = 0x17;
inline constexpr std::uint8_t kReadSmall = 0x1A;
inline constexpr std::uint8_t kReadLedMap = 0x1B;
inline constexpr std::uint8_t kHostLighting = 0x1C;
inline constexpr std::uint8_t kLinkQuery = 0xAA;
}  // namespace cmd

inline constexpr std::size_t kInfoBlockSize = 34;
inline constexpr std::size_t kRecoilChunk = 56;

Status CMD_SEQUENCE_BEGIN(CDeviceTransport& t);
Status CMD_SEQUENCE_END(CDeviceTransport& t);  // sleeps 10 ms first
Status CMD_HOST_LIGHTING(CDeviceTransport& t);
// Copies into dest only when every chunk succeeded.
Status CMD_READ_INFO(CDeviceTransport& t, std::uint8_t* dest /* kInfoBlockSize */);
Status CMD_READ_AT(CDeviceTransport& t, std::uint8_t* dest, std::size_t n, std::uint16_t baseOffset);
Status CMD_WRITE_AT(CDeviceTransport& t, const std::uint8_t* src, std::size_t n, std::uint16_t baseOffset);
Status CMD_READ_KEY_MAP(CDeviceTransport& t, std::uint8_t* dest /* MemorySize() */);
Status CMD_WRITE_KEY_MAP(CDeviceTransport& t, const std::uint8_t* src /* MemorySize() */, int bank);
Status CMD_READ_LED_MAP(CDeviceTransport& t, std::uint8_t* dest /* MemorySize() / 3 */);
Status CMD_WRITE_PAGE(CDeviceTransport& t, const std::uint8_t* src, std::size_t n, int page, int pageStride);
Status CMD_LIGHT_STREAM(CDeviceTransport& t, const std::uint8_t* src, std::size_t n);
Status CMD_WRITE_MACROS(CDeviceTransport& t, const std::uint8_t* src, std::size_t n);
Status CMD_WRITE_RECOIL(CDeviceTransport& t, const std::uint8_t* src, std::size_t n);
// One frame; n above 56 or above destCapacity (or no dest) sends nothing and
// returns Status::ReadFailed.
Status CMD_READ_SMALL(CDeviceTransport& t, std::uint8_t* dest, std::size_t destCapacity, std::size_t n,
                      std::uint16_t offset);
// Reachable on the cable; through the receiver when it answers the query
// with 0xFF in byte 8.
LinkState CMD_LINK_QUERY(CDeviceTransport& t);

}  // namespace vandrel::protocol
