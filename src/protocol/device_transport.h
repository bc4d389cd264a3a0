// CDeviceTransport: a device's protocol object. It owns the wired and the
// wireless channel, the locks that serialise frames, the link mode with its
// chunk size and time-outs, and the memory size of whole-memory transfers.
//
// Lock order: CommandLock or LightLock first, then IoLock; never the reverse.
// Transact and TransactLight take only IoLock; their callers hold the command
// or light lock around each frame.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "device_io/hid_channel.h"
#include "protocol/report_frame.h"

namespace vandrel::protocol {

inline constexpr std::uint16_t kMaxMemorySize = 512;
inline constexpr std::uint8_t kWiredChunk = 56;
inline constexpr std::uint8_t kWirelessChunk = 24;
inline constexpr int kWiredTimeoutMs = 1000;
inline constexpr int kWirelessTimeoutMs = 5000;

enum class LinkMode : int { Wired = 1, Wireless = 2 };

class CDeviceTransport {
public:
    CDeviceTransport();
    explicit CDeviceTransport(platform::IHidBackend& backend);
    ~CDeviceTransport();
    CDeviceTransport(const CDeviceTransport&) = delete;
    CDeviceTransport& operator=(const CDeviceTransport&) = delete;

    // One logged frame: write the request (zero-padded or cut to 64 bytes) on
    // the channel of the link mode, then read up to two replies until one
    // echoes the request's command byte. ReadFailed when no full 64-byte
    // report echoed the command, WriteFailed when the request did not go out
    // (a time-out, a cancel and a failure of the channel alike). The write and its read phase are
    // one exchange under IoLock. The reply buffer receives at most 64 bytes:
    // the accepted reply (also the receiver's 0xAA for -101), zeros otherwise.
    Status Transact(const std::uint8_t* request, std::size_t requestLength, std::uint8_t* reply,
                    std::size_t replyCapacity, std::size_t* bytesRead);
    // The lighting stream's variant: wired channel, no trace, no busy flag,
    // one read, no command match. The reply buffer as for Transact.
    Status TransactLight(const std::uint8_t* request, std::size_t requestLength, std::uint8_t* reply,
                         std::size_t replyCapacity, std::size_t* bytesRead);

    // Mode 2 selects the receiver (chunk 24, 5000 ms); anything else the cable
    // (chunk 56, 1000 ms). Always true: every number selects one of the two.
    bool SetLinkMode(int mode);
    // Accepts n <= 512; a larger size is refused (false) and the old one stays.
    [[nodiscard]] bool SetMemorySize(std::uint16_t size);

    std::uint16_t MemorySize() const { return memorySize_.load(); }
    std::uint8_t ChunkSize() const { return chunkSize_.load(); }
    bool IsWireless() const { return wireless_.load() != 0; }
    void SetWireless(bool wireless) { wireless_.store(wireless ? 1u : 0u); }
    int WriteTimeoutMs() const { return IsWireless() ? kWirelessTimeoutMs : kWiredTimeoutMs; }
    int ReadTimeoutMs() const { return WriteTimeoutMs(); }

    bool IsBusy() const { return busy_.load() != 0; }
    bool IsOpen() const { return open_.load() != 0; }
    void SetOpen(bool open) { open_.store(open ? 1u : 0u); }
    bool IsPaused() const { return paused_.load() != 0; }
    void SetPaused(bool paused) { paused_.store(paused ? 1u : 0u); }

    device_io::CHidChannel& WiredChannel() { return wired_; }
    device_io::CHidChannel& WirelessChannel() { return wireless_channel_; }
    device_io::CHidChannel& ActiveChannel() { return IsWireless() ? wireless_channel_ : wired_; }

    std::mutex& IoLock() { return ioLock_; }
    std::mutex& CompanionLock() { return companionLock_; }
    std::mutex& CommandLock() { return commandLock_; }
    std::mutex& LightLock() { return lightLock_; }

private:
    std::atomic<std::uint16_t> memorySize_{kMaxMemorySize};
    // The number of logged transactions running. The lighting stream reads it
    // without a lock to skip its frame meanwhile; atomic so that the skip is
    // well defined.
    std::atomic<std::uint8_t> busy_{0};
    std::atomic<std::uint32_t> open_{0};
    std::atomic<std::uint32_t> paused_{0};
    device_io::CHidChannel wired_;
    device_io::CHidChannel wireless_channel_;
    std::mutex ioLock_;
    std::mutex companionLock_;
    std::mutex commandLock_;
    std::mutex lightLock_;
    std::atomic<std::uint32_t> wireless_{0};
    std::atomic<std::uint8_t> chunkSize_{kWirelessChunk};
};

}  // namespace vandrel::protocol
