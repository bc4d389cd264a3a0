#include "protocol/commands.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/bytes.h"
#include "platform/trace.h"

namespace vandrel::protocol {
namespace {

// --- Which lock each command holds around each of its frames ---------------

enum class Lock { Command, Light, None };

struct LockRule {
    std::uint8_t command;
    Lock lock;
};

constexpr std::array kLockRules{
    LockRule{cmd::kSequenceBegin, Lock::Command}, LockRule{cmd::kSequenceEnd, Lock::Command},
    LockRule{cmd::kReadInfo, Lock::Command},      LockRule{cmd::kReadAt, Lock::Command},
    LockRule{cmd::kWriteAt, Lock::Command},       LockRule{cmd::kReadKeyMap, Lock::Command},
    LockRule{cmd::kWriteKeyMap, Lock::Command},   LockRule{cmd::kWritePage, Lock::Light},
    LockRule{cmd::kLightStream, Lock::Light},     LockRule{cmd::kWriteMacros, Lock::Command},
    LockRule{cmd::kWriteRecoil, Lock::None},      LockRule{cmd::kReadSmall, Lock::Command},
    LockRule{cmd::kReadLedMap, Lock::Command},    LockRule{cmd::kHostLighting, Lock::Command},
    LockRule{cmd::kLinkQuery, Lock::Command},
};

Lock LockOf(std::uint8_t command) {
    const auto rule = std::ranges::find(kLockRules, command, &LockRule::command);
    return rule != kLockRules.end() ? rule->lock : Lock::Command;
}

std::unique_lock<std::mutex> Hold(CDeviceTransport& t, Lock lock) {
    switch (lock) {
        case Lock::Command: return std::unique_lock(t.CommandLock());
        case Lock::Light: return std::unique_lock(t.LightLock());
        case Lock::None: break;
    }
    return {};
}

// --- Sending one frame ------------------------------------------------------

// Every frame's request is complete (checksum stamped) when it gets here; the
// reply is one frame. Returns the frame's status (ReplyStatus).
using FrameSender = Status (*)(CDeviceTransport& t, const Frame& request, Frame& reply);

Status SendFrame(CDeviceTransport& t, const Frame& request, Frame& reply) {
    Status status;
    {
        const std::unique_lock lock = Hold(t, LockOf(request[frame::kCommand]));
        status = t.Transact(request.data(), request.size(), reply.data(), reply.size(), nullptr);
    }
    return ReplyStatus(status, reply);
}

// The lighting stream gives way instead of waiting: while a logged transaction
// runs its frame is dropped (Status::Dropped, so the streamer sends it again),
// and on the receiver it is not sent at all (that counts as sent).
Status SendLightFrame(CDeviceTransport& t, const Frame& request, Frame& reply) {
    if (t.IsBusy()) {
        platform::Trace("放弃灯光数据");
        return Status::Dropped;
    }
    if (t.IsWireless()) return Status::Ok;
    Status status;
    {
        const std::unique_lock lock = Hold(t, LockOf(request[frame::kCommand]));
        status = t.TransactLight(request.data(), request.size(), reply.data(), reply.size(), nullptr);
    }
    return ReplyStatus(status, reply);
}

Status SendSingle(CDeviceTransport& t, std::uint8_t command) {
    Frame request = MakeRequest(command);
    StampChecksum(request);
    Frame reply{};
    return SendFrame(t, request, reply);
}

void PutLengthAndOffset(Frame& request, std::size_t length, std::size_t offset) {
    request[frame::kLength] = static_cast<std::uint8_t>(length);
    request[frame::kOffsetLow] = platform::LowByte(offset);
    request[frame::kOffsetHigh] = platform::HighByte(offset);
}

// --- The chunked transfer shared by every multi-frame command ----------------

struct Transfer {
    std::uint8_t command = 0;
    std::size_t total = 0;
    std::size_t baseOffset = 0;  // taken modulo 65536 with the position added
    std::size_t chunkSize = kMaxPayload;
    const std::uint8_t* source = nullptr;  // writes: the bytes to send
    std::uint8_t* dest = nullptr;          // reads: where the returned bytes go
    FrameSender send = SendFrame;
};

// Sends the transfer chunk by chunk, each answered before the next is built,
// and stops at the first frame that fails. The request frame is cleared once
// only: after the data of a short last chunk it still carries the previous
// chunk's bytes, and the checksum covers them. The firmware expects exactly
// these frames.
Status RunChunked(CDeviceTransport& t, const Transfer& x) {
    if (x.total > 0 && !x.source && !x.dest) return Status::ReadFailed;
    const std::size_t chunk = std::clamp<std::size_t>(x.chunkSize, 1, kMaxPayload);

    Frame request = MakeRequest(x.command);
    for (std::size_t p = 0; p < x.total; p += chunk) {
        const std::size_t length = std::min(chunk, x.total - p);
        PutLengthAndOffset(request, length, x.baseOffset + p);
        if (x.source) std::copy_n(x.source + p, length, request.begin() + frame::kPayload);
        StampChecksum(request);

        Frame reply{};
        const Status status = x.send(t, request, reply);
        if (status != Status::Ok) return status;
        if (x.dest) std::copy_n(reply.begin() + frame::kPayload, length, x.dest + p);
    }
    return Status::Ok;
}

Transfer ReadOf(CDeviceTransport& t, std::uint8_t command, std::uint8_t* dest, std::size_t n, std::size_t base) {
    return {.command = command, .total = n, .baseOffset = base, .chunkSize = t.ChunkSize(), .dest = dest};
}

Transfer WriteOf(CDeviceTransport& t, std::uint8_t command, const std::uint8_t* src, std::size_t n, std::size_t base) {
    return {.command = command, .total = n, .baseOffset = base, .chunkSize = t.ChunkSize(), .source = src};
}

}  // namespace

Status CMD_SEQUENCE_BEGIN(CDeviceTransport& t) { return SendSingle(t, cmd::kSequenceBegin); }

Status CMD_SEQUENCE_END(CDeviceTransport& t) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return SendSingle(t, cmd::kSequenceEnd);
}

Status CMD_HOST_LIGHTING(CDeviceTransport& t) { return SendSingle(t, cmd::kHostLighting); }

Status CMD_READ_INFO(CDeviceTransport& t, std::uint8_t* dest) {
    std::array<std::uint8_t, kInfoBlockSize> block{};
    const Status status = RunChunked(t, ReadOf(t, cmd::kReadInfo, block.data(), block.size(), 0));
    if (status == Status::Ok && dest) std::ranges::copy(block, dest);
    return status;
}

Status CMD_READ_AT(CDeviceTransport& t, std::uint8_t* dest, std::size_t n, std::uint16_t baseOffset) {
    return RunChunked(t, ReadOf(t, cmd::kReadAt, dest, n, baseOffset));
}

Status CMD_WRITE_AT(CDeviceTransport& t, const std::uint8_t* src, std::size_t n, std::uint16_t baseOffset) {
    return RunChunked(t, WriteOf(t, cmd::kWriteAt, src, n, baseOffset));
}

Status CMD_READ_KEY_MAP(CDeviceTransport& t, std::uint8_t* dest) {
    return RunChunked(t, ReadOf(t, cmd::kReadKeyMap, dest, t.MemorySize(), 0));
}

// The device addresses the key map as bank x 512 + position; only bank 0 is
// ever written, where that is the position itself.
Status CMD_WRITE_KEY_MAP(CDeviceTransport& t, const std::uint8_t* src, int bank) {
    if (bank != 0) return Status::BadBank;
    return RunChunked(t, WriteOf(t, cmd::kWriteKeyMap, src, t.MemorySize(), 0));
}

Status CMD_READ_LED_MAP(CDeviceTransport& t, std::uint8_t* dest) {
    return RunChunked(t, ReadOf(t, cmd::kReadLedMap, dest, t.MemorySize() / 3, 0));
}

Status CMD_WRITE_PAGE(CDeviceTransport& t, const std::uint8_t* src, std::size_t n, int page, int pageStride) {
    const auto base = static_cast<std::size_t>(static_cast<long long>(page) * pageStride) & 0xFFFF;
    return RunChunked(t, WriteOf(t, cmd::kWritePage, src, n, base));
}

Status CMD_LIGHT_STREAM(CDeviceTransport& t, const std::uint8_t* src, std::size_t n) {
    Transfer x = WriteOf(t, cmd::kLightStream, src, n, 0);
    x.send = SendLightFrame;
    return RunChunked(t, x);
}

Status CMD_WRITE_MACROS(CDeviceTransport& t, const std::uint8_t* src, std::size_t n) {
    return RunChunked(t, WriteOf(t, cmd::kWriteMacros, src, n, 0));
}

// Recoil data always moves in 56-byte chunks, whatever the link.
Status CMD_WRITE_RECOIL(CDeviceTransport& t, const std::uint8_t* src, std::size_t n) {
    Transfer x = WriteOf(t, cmd::kWriteRecoil, src, n, 0);
    x.chunkSize = kRecoilChunk;
    return RunChunked(t, x);
}

// A read that does not fit one frame or the destination is refused before
// anything is sent, with Status::ReadFailed.
Status CMD_READ_SMALL(CDeviceTransport& t, std::uint8_t* dest, std::size_t destCapacity, std::size_t n,
                      std::uint16_t offset) {
    if (!dest || n > kMaxPayload || n > destCapacity) return Status::ReadFailed;
    Frame request = MakeRequest(cmd::kReadSmall);
    PutLengthAndOffset(request, n, offset);
    StampChecksum(request);
    Frame reply{};
    const Status status = SendFrame(t, request, reply);
    if (status == Status::Ok) std::copy_n(reply.begin() + frame::kPayload, n, dest);
    return status;
}

// On the cable the device is always there. Through the receiver it is
// reachable when the receiver answers the query with 0xFF in byte 8.
LinkState CMD_LINK_QUERY(CDeviceTransport& t) {
    if (!t.IsWireless()) return LinkState::Reachable;
    Frame request = MakeRequest(cmd::kLinkQuery);
    StampChecksum(request);
    Frame reply{};
    const bool answered = SendFrame(t, request, reply) == Status::Ok && reply[frame::kPayload] == 0xFF;
    return answered ? LinkState::Reachable : LinkState::Unreachable;
}

}  // namespace vandrel::protocol
