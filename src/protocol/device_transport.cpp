#include "protocol/device_transport.h"

#include <algorithm>
#include <string_view>

#include "platform/trace.h"

namespace vandrel::protocol {
namespace {

// A logged transaction reads at most this many reports while it looks for the
// one that echoes its command.
constexpr int kMaxReads = 2;

// Marks the transport busy for the lifetime of one logged transaction. A count
// rather than a flag, so that two transactions overlapping on different threads
// (the recoil writer holds no command lock) do not clear each other's mark.
class BusyScope {
public:
    explicit BusyScope(std::atomic<std::uint8_t>& busy) : busy_(busy) { busy_.fetch_add(1); }
    ~BusyScope() { busy_.fetch_sub(1); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::atomic<std::uint8_t>& busy_;
};

// The request as it goes on the wire: zero-padded or cut to one frame.
Frame ToFrame(const std::uint8_t* request, std::size_t length) {
    Frame f{};
    if (request) std::copy_n(request, std::min(length, kFrameSize), f.begin());
    return f;
}

void TraceFrame(std::string_view title, const Frame& f) {
    if (!platform::TraceEnabled()) return;
    platform::Trace(title);
    for (const std::string& line : FormatFrameLines(f)) platform::Trace(line);
}

void StoreBytesRead(std::size_t* bytesRead, std::size_t count) {
    if (bytesRead) *bytesRead = count;
}

// What the protocol makes of the channel's status: a report that did not go
// out is a failed write, one that did not come in a failed read, whether the
// channel timed out, was cancelled or failed. The callers retry or give up
// the same way for all three.
Status WriteStatusOf(platform::IoStatus io) { return io == platform::IoStatus::Ok ? Status::Ok : Status::WriteFailed; }
Status ReadStatusOf(platform::IoStatus io) { return io == platform::IoStatus::Ok ? Status::Ok : Status::ReadFailed; }

Status WriteFrame(device_io::CHidChannel& channel, const Frame& sent, int timeoutMs) {
    return WriteStatusOf(channel.WriteReport(sent.data(), sent.size(), nullptr, timeoutMs));
}

// One report into a cleared frame. A report shorter than a frame is a failed
// read: its missing bytes would otherwise be taken for a command and a status.
Status ReadFrame(device_io::CHidChannel& channel, Frame& into, std::size_t* bytesRead, int timeoutMs) {
    into.fill(0);
    std::size_t got = 0;
    const Status status = ReadStatusOf(channel.ReadReport(into.data(), into.size(), &got, timeoutMs));
    StoreBytesRead(bytesRead, got);
    return (status == Status::Ok && got >= kFrameSize) ? Status::Ok : Status::ReadFailed;
}

// Reads until a report echoes the request's command, at most kMaxReads times.
// A report answering another command is never taken as this one's answer.
Status ReadMatchingReply(device_io::CHidChannel& channel, std::uint8_t command, bool wireless, int timeoutMs,
                         Frame& reply, std::size_t* bytesRead) {
    for (int attempt = 0; attempt < kMaxReads; ++attempt) {
        if (ReadFrame(channel, reply, bytesRead, timeoutMs) != Status::Ok) continue;
        const std::uint8_t answered = reply[frame::kCommand];
        if (answered == command) return Status::Ok;
        if (wireless && answered == kReceiverNoDevice) return Status::NoDevice;
    }
    return Status::ReadFailed;
}

// Hands the caller at most one frame: the accepted reply, or zeros when there
// is none, so that no other command's data is ever mistaken for the answer.
void DeliverReply(const Frame& reply, bool accepted, std::uint8_t* out, std::size_t capacity) {
    if (!out) return;
    const std::size_t n = std::min(capacity, kFrameSize);
    if (accepted) std::copy_n(reply.begin(), n, out);
    else std::fill_n(out, n, std::uint8_t{0});
}

}  // namespace

CDeviceTransport::CDeviceTransport() : CDeviceTransport(platform::DefaultHidBackend()) {}

CDeviceTransport::CDeviceTransport(platform::IHidBackend& backend) : wired_(backend), wireless_channel_(backend) {}

CDeviceTransport::~CDeviceTransport() {
    wired_.Close();
    wireless_channel_.Close();
}

// The write and the read phase form one exchange under IoLock: a frame written
// by another thread between them would take this frame's reply as its own.
Status CDeviceTransport::Transact(const std::uint8_t* request, std::size_t requestLength, std::uint8_t* reply,
                                  std::size_t replyCapacity, std::size_t* bytesRead) {
    const BusyScope busy(busy_);
    StoreBytesRead(bytesRead, 0);
    if (!IsOpen()) {
        DeliverReply({}, false, reply, replyCapacity);
        return Status::ReadFailed;
    }

    const Frame sent = ToFrame(request, requestLength);
    TraceFrame("命令", sent);

    Frame received{};
    Status status;
    {
        // The link is read under IoLock: the device manager holds it while it
        // swaps channels and link mode.
        std::lock_guard io(ioLock_);
        const bool wireless = IsWireless();
        device_io::CHidChannel& channel = wireless ? wireless_channel_ : wired_;
        const int timeoutMs = wireless ? kWirelessTimeoutMs : kWiredTimeoutMs;
        if (const Status written = WriteFrame(channel, sent, timeoutMs); written != Status::Ok) {
            DeliverReply({}, false, reply, replyCapacity);
            return written;
        }
        status = ReadMatchingReply(channel, sent[frame::kCommand], wireless, timeoutMs, received, bytesRead);
    }

    DeliverReply(received, status == Status::Ok || status == Status::NoDevice, reply, replyCapacity);
    TraceFrame("返回", received);
    return status;
}

Status CDeviceTransport::TransactLight(const std::uint8_t* request, std::size_t requestLength, std::uint8_t* reply,
                                       std::size_t replyCapacity, std::size_t* bytesRead) {
    StoreBytesRead(bytesRead, 0);
    if (!IsOpen()) {
        DeliverReply({}, false, reply, replyCapacity);
        return Status::ReadFailed;
    }

    const Frame sent = ToFrame(request, requestLength);
    Frame received{};
    Status status;
    {
        std::lock_guard io(ioLock_);
        if (const Status written = WriteFrame(wired_, sent, kWiredTimeoutMs); written != Status::Ok) {
            DeliverReply({}, false, reply, replyCapacity);
            return written;
        }
        status = ReadFrame(wired_, received, bytesRead, kWiredTimeoutMs);
    }
    DeliverReply(received, status == Status::Ok, reply, replyCapacity);
    return status;
}

bool CDeviceTransport::SetLinkMode(int mode) {
    const bool wireless = mode == static_cast<int>(LinkMode::Wireless);
    wireless_.store(wireless ? 1u : 0u);
    chunkSize_.store(wireless ? kWirelessChunk : kWiredChunk);
    return true;
}

bool CDeviceTransport::SetMemorySize(std::uint16_t size) {
    if (size > kMaxMemorySize) return false;
    memorySize_.store(size);
    return true;
}

}  // namespace vandrel::protocol
