#include "sim/sim_firmware.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "platform/bytes.h"
#include "protocol/commands.h"
#include "sim/sim_descriptors.h"

namespace vandrel::sim {
namespace {

using protocol::Frame;
namespace frame = protocol::frame;
namespace cmd = protocol::cmd;

constexpr std::uint8_t kStatusOk = 0x00;
constexpr std::uint8_t kStatusRefused = 0xFF;
constexpr std::uint8_t kStatusRefusedFE = 0xFE;
constexpr std::uint8_t kReachable = 0xFF;
constexpr std::uint8_t kWrongCommandShift = 0x40;
constexpr std::size_t kKeyMapBankSize = 512;

// The reply skeleton: report id, the request's bytes 3-6 echoed, the status.
Frame Echo(const Frame& request, std::uint8_t status) {
    Frame reply{};
    reply[frame::kReportIdByte] = protocol::kReportId;
    std::copy_n(request.begin() + frame::kCommand, 4, reply.begin() + frame::kCommand);
    reply[frame::kStatus] = status;
    return reply;
}

std::size_t Length(const Frame& f) { return f[frame::kLength]; }
std::size_t Offset(const Frame& f) { return platform::JoinBytes(f[frame::kOffsetLow], f[frame::kOffsetHigh]); }

// A request's length and offset come from the host: they must name bytes
// inside both the frame's payload and the region.
bool InRange(const Frame& request, const std::vector<std::uint8_t>& region) {
    const std::size_t length = Length(request);
    return length <= protocol::kMaxPayload && Offset(request) <= region.size() &&
           length <= region.size() - Offset(request);
}

// --- Command handlers: fill the reply's payload, return its status --------

using Handler = std::uint8_t (*)(SimDeviceState&, const Frame& request, Frame& reply);

std::uint8_t Accept(SimDeviceState&, const Frame&, Frame&) { return kStatusOk; }

template <SimRegion R>
std::uint8_t Read(SimDeviceState& state, const Frame& request, Frame& reply) {
    const std::vector<std::uint8_t>& region = state.memory[RegionIndex(R)];
    if (!InRange(request, region)) return kStatusRefused;
    const auto from = region.begin() + static_cast<std::ptrdiff_t>(Offset(request));
    std::copy_n(from, Length(request), reply.begin() + frame::kPayload);
    return kStatusOk;
}

// Stores only the frame's `length` bytes: the rest of the payload may hold a
// previous chunk's bytes.
template <SimRegion R>
std::uint8_t Write(SimDeviceState& state, const Frame& request, Frame&) {
    std::vector<std::uint8_t>& region = state.memory[RegionIndex(R)];
    if (!InRange(request, region)) return kStatusRefused;
    std::copy_n(request.begin() + frame::kPayload, Length(request),
                region.begin() + static_cast<std::ptrdiff_t>(Offset(request)));
    return kStatusOk;
}

// The key-map write's offset is bank x 512 + position; only bank 0 exists.
std::uint8_t WriteKeyMap(SimDeviceState& state, const Frame& request, Frame& reply) {
    if (Offset(request) / kKeyMapBankSize != 0) return kStatusRefused;
    return Write<SimRegion::KeyMap>(state, request, reply);
}

std::uint8_t HostLightingOn(SimDeviceState& state, const Frame&, Frame&) {
    state.hostLighting = true;
    return kStatusOk;
}

std::uint8_t LinkQuery(SimDeviceState& state, const Frame&, Frame& reply) {
    reply[frame::kPayload] = state.linkReachable ? kReachable : 0;
    return kStatusOk;
}

struct CommandEntry {
    std::uint8_t command;
    Handler handle;
};

constexpr std::array<CommandEntry, 15> kCommands{{
    {cmd::kSequenceBegin, Accept},
    {cmd::kSequenceEnd, Accept},
    {cmd::kReadInfo, Read<SimRegion::Info>},
    {cmd::kReadAt, Read<SimRegion::Settings>},
    {cmd::kWriteAt, Write<SimRegion::Settings>},
    {cmd::kReadKeyMap, Read<SimRegion::KeyMap>},
    {cmd::kWriteKeyMap, WriteKeyMap},
    {cmd::kWritePage, Write<SimRegion::ColourPages>},
    {cmd::kLightStream, Write<SimRegion::LightStream>},
    {cmd::kWriteMacros, Write<SimRegion::Macros>},
    {cmd::kWriteRecoil, Write<SimRegion::Recoil>},
    {cmd::kReadSmall, Read<SimRegion::Power>},
    {cmd::kReadLedMap, Read<SimRegion::LedMap>},
    {cmd::kHostLighting, HostLightingOn},
    {cmd::kLinkQuery, LinkQuery},
}};

// A receiver whose device is out of range answers for it.
Frame ReceiverAlone(const Frame& request) {
    Frame reply = Echo(request, kStatusOk);
    if (request[frame::kCommand] == cmd::kLinkQuery) reply[frame::kPayload] = 0;  // unreachable
    else reply[frame::kCommand] = protocol::kReceiverNoDevice;
    return reply;
}

bool ChecksumOk(const Frame& f) {
    const std::uint16_t stamped = platform::JoinBytes(f[frame::kChecksumLow], f[frame::kChecksumHigh]);
    return protocol::FrameChecksum(f) == stamped;
}

template <typename T>
void Append(std::deque<T>& log, T entry) {
    log.push_back(std::move(entry));
    if (log.size() > SimFirmware::kLogLimit) log.pop_front();
}

}  // namespace

SimTransfer JoinWrites(std::span<const SimFrameRecord> frames) {
    if (frames.empty()) return {};
    std::size_t low = Offset(frames.front().frame);
    std::size_t high = low;
    for (const SimFrameRecord& r : frames) {
        low = std::min(low, Offset(r.frame));
        high = std::max(high, Offset(r.frame) + std::min(Length(r.frame), protocol::kMaxPayload));
    }
    SimTransfer transfer{low, std::vector<std::uint8_t>(high - low, 0)};
    for (const SimFrameRecord& r : frames)
        std::copy_n(r.frame.begin() + frame::kPayload, std::min(Length(r.frame), protocol::kMaxPayload),
                    transfer.bytes.begin() + static_cast<std::ptrdiff_t>(Offset(r.frame) - low));
    return transfer;
}

SimFirmware::SimFirmware(SimKind kind) : kind_(kind), state_{FactoryMemory(kind)} {}

std::vector<SimFrameRecord> SimFirmware::Frames() const {
    std::lock_guard lock(mutex_);
    return {frames_.begin(), frames_.end()};
}

std::vector<SimFrameRecord> SimFirmware::FramesOf(std::uint8_t command) const {
    std::lock_guard lock(mutex_);
    std::vector<SimFrameRecord> matching;
    std::copy_if(frames_.begin(), frames_.end(), std::back_inserter(matching),
                 [command](const SimFrameRecord& r) { return r.frame[frame::kCommand] == command; });
    return matching;
}

void SimFirmware::ClearFrames() {
    std::lock_guard lock(mutex_);
    frames_.clear();
}

std::vector<std::vector<std::uint8_t>> SimFirmware::OutputReports() const {
    std::lock_guard lock(mutex_);
    return {outputReports_.begin(), outputReports_.end()};
}

void SimFirmware::QueueFault(SimFault fault, int count) {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < count; ++i) faults_.push_back(fault);
}

void SimFirmware::ClearFaults() {
    std::lock_guard lock(mutex_);
    faults_.clear();
    commandFaults_.clear();
}

void SimFirmware::SetReplyDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    replyDelay_ = std::max(delay, std::chrono::milliseconds{0});
}

void SimFirmware::SetReceiverDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    receiverDelay_ = std::max(delay, std::chrono::milliseconds{0});
}

void SimFirmware::SetReceiverOutOfRange(bool outOfRange) {
    std::lock_guard lock(mutex_);
    receiverOutOfRange_ = outOfRange;
}

void SimFirmware::SetLinkReachable(bool reachable) {
    std::lock_guard lock(mutex_);
    state_.linkReachable = reachable;
}

std::vector<std::uint8_t> SimFirmware::ReadRegion(SimRegion region) const {
    std::lock_guard lock(mutex_);
    return state_.memory[RegionIndex(region)];
}

bool SimFirmware::WriteRegion(SimRegion region, std::size_t offset, std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t>& target = state_.memory[RegionIndex(region)];
    if (offset > target.size() || bytes.size() > target.size() - offset) return false;
    std::copy(bytes.begin(), bytes.end(), target.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

bool SimFirmware::HostLighting() const {
    std::lock_guard lock(mutex_);
    return state_.hostLighting;
}

void SimFirmware::SetBattery(std::uint8_t percent, SimCharging charging) {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t>& power = state_.memory[RegionIndex(SimRegion::Power)];
    if (power.size() < 2) return;
    power[0] = percent;
    power[1] = static_cast<std::uint8_t>(charging);
}

void SimFirmware::SetPowerState(const std::array<std::uint8_t, kPowerSize>& power) {
    std::lock_guard lock(mutex_);
    state_.memory[RegionIndex(SimRegion::Power)].assign(power.begin(), power.end());
}

void SimFirmware::SetKeySlots(std::uint8_t keySlots) {
    std::lock_guard lock(mutex_);
    state_.memory[RegionIndex(SimRegion::Info)][info::kKeySlots] = keySlots;
    state_.memory[RegionIndex(SimRegion::KeyMap)] = FactoryKeyMap(kind_, keySlots);
    state_.memory[RegionIndex(SimRegion::LedMap)] = FactoryLedMap(kind_, keySlots);
}

void SimFirmware::SetOnboardProfile(std::uint8_t profile) {
    std::lock_guard lock(mutex_);
    state_.memory[RegionIndex(SimRegion::Settings)][0] = profile;
}

std::vector<std::uint8_t> SimFirmware::Record(std::size_t profile) const {
    const std::size_t size = RecordSize(kind_);
    const std::size_t at = profile * ModelOf(kind_).recordStride;
    std::lock_guard lock(mutex_);
    const std::vector<std::uint8_t>& settings = state_.memory[RegionIndex(SimRegion::Settings)];
    if (at > settings.size() || size > settings.size() - at) return {};
    const auto from = settings.begin() + static_cast<std::ptrdiff_t>(at);
    return {from, from + static_cast<std::ptrdiff_t>(size)};
}

bool SimFirmware::WriteRecord(std::size_t profile, std::span<const std::uint8_t> record) {
    if (record.size() != RecordSize(kind_)) return false;
    return WriteRegion(SimRegion::Settings, profile * ModelOf(kind_).recordStride, record);
}

void SimFirmware::QueueCommandFault(std::uint8_t command, SimFault fault, int count, int skip) {
    if (count <= 0) return;
    std::lock_guard lock(mutex_);
    commandFaults_.push_back({command, fault, count, std::max(skip, 0)});
}

std::optional<SimFault> SimFirmware::TakeFault(std::uint8_t command) {
    if (!faults_.empty()) {
        const SimFault fault = faults_.front();
        faults_.pop_front();
        return fault;
    }
    const auto rule = std::find_if(commandFaults_.begin(), commandFaults_.end(),
                                   [command](const CommandFault& f) { return f.command == command; });
    if (rule == commandFaults_.end()) return std::nullopt;
    if (rule->skip > 0) {
        --rule->skip;
        return std::nullopt;
    }
    const SimFault fault = rule->fault;
    if (--rule->count == 0) commandFaults_.erase(rule);
    return fault;
}

void SimFirmware::SendNotification(std::span<const std::uint8_t> report) { Notify(report, std::nullopt); }

void SimFirmware::SendNotificationValue(std::uint16_t value) { Notify(NotificationReport(value), std::nullopt); }

void SimFirmware::SendNotificationValue(std::uint16_t value, SimLink link) { Notify(NotificationReport(value), link); }

void SimFirmware::SendKeyEvent(std::uint8_t keySlot, SimKeyEvent event) {
    SendNotificationValue(notice::KeyEvent(keySlot, event));
}

void SimFirmware::SwitchOnboardProfile(std::uint8_t profile, SimProfileNotice form) {
    SetOnboardProfile(profile);
    SendNotificationValue(notice::OnboardProfile(profile, form));
}

void SimFirmware::Notify(std::span<const std::uint8_t> report, std::optional<SimLink> link) {
    std::lock_guard lock(mutex_);
    for (const Listener& listener : listeners_) {
        if (!listener.notifications || (link && listener.link != *link)) continue;
        if (const auto queue = listener.queue.lock()) queue->Push({report.begin(), report.end()});
    }
}

SimFirmware::Answer SimFirmware::Receive(const Frame& request, SimLink link) {
    std::lock_guard lock(mutex_);
    Append(frames_, SimFrameRecord{request, ChecksumOk(request), link});

    Answer answer{std::nullopt,
                  replyDelay_ + (link == SimLink::Receiver ? receiverDelay_ : std::chrono::milliseconds{0})};
    if (link == SimLink::Receiver && receiverOutOfRange_) {
        answer.reply = ReceiverAlone(request);
    } else {
        const std::optional<SimFault> fault = TakeFault(request[frame::kCommand]);
        // A refusal changes nothing; a lost or garbled reply follows a request
        // that the device carried out.
        if (fault == SimFault::StatusFF) answer.reply = Echo(request, kStatusRefused);
        else if (fault == SimFault::StatusFE) answer.reply = Echo(request, kStatusRefusedFE);
        else if (fault == SimFault::ReceiverNoDevice) answer.reply = ReceiverAlone(request);
        else answer.reply = Execute(request);

        if (fault == SimFault::NoReply) answer.reply.reset();
        if (fault == SimFault::WrongCommand) answer.reply->at(frame::kCommand) += kWrongCommandShift;
    }
    if (answer.reply) protocol::StampChecksum(*answer.reply);
    return answer;
}

Frame SimFirmware::Execute(const Frame& request) {
    const auto entry = std::find_if(kCommands.begin(), kCommands.end(),
                                    [&](const CommandEntry& e) { return e.command == request[frame::kCommand]; });
    if (entry == kCommands.end()) return Echo(request, kStatusRefused);
    Frame reply = Echo(request, kStatusOk);
    reply[frame::kStatus] = entry->handle(state_, request, reply);
    return reply;
}

void SimFirmware::ReceiveOutputReport(std::span<const std::uint8_t> report) {
    std::lock_guard lock(mutex_);
    Append(outputReports_, std::vector<std::uint8_t>(report.begin(), report.end()));
}

void SimFirmware::Attach(const std::shared_ptr<SimReportQueue>& queue, SimLink link, bool notifications) {
    std::lock_guard lock(mutex_);
    std::erase_if(listeners_, [](const Listener& l) { return l.queue.expired(); });
    listeners_.push_back({queue, link, notifications});
}

void SimFirmware::DisconnectLink(SimLink link) {
    std::lock_guard lock(mutex_);
    for (const Listener& listener : listeners_) {
        if (listener.link != link) continue;
        if (const auto queue = listener.queue.lock()) queue->Disconnect();
    }
    std::erase_if(listeners_, [link](const Listener& l) { return l.link == link; });
}

}  // namespace vandrel::sim
