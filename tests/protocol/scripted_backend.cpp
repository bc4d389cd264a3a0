#include "scripted_backend.h"

#include <algorithm>

#include "platform/bytes.h"
#include "protocol/report_frame.h"

namespace vandrel::testing {

using platform::IoResult;
using platform::IoStatus;
namespace frame = protocol::frame;

Report ReplyFrame(std::uint8_t command, std::uint8_t status, std::span<const std::uint8_t> payload) {
    Report r(protocol::kFrameSize, 0);
    r[frame::kReportIdByte] = protocol::kReportId;
    r[frame::kCommand] = command;
    r[frame::kStatus] = status;
    std::copy_n(payload.begin(), std::min(payload.size(), protocol::kMaxPayload), r.begin() + frame::kPayload);
    return r;
}

std::vector<Report> Echo(const Report& written) { return {written}; }

std::vector<Report> Silent(const Report&) { return {}; }

Responder ServeMemory(std::vector<std::uint8_t> memory, std::vector<std::size_t> failAt) {
    return [memory = std::move(memory), failAt = std::move(failAt)](const Report& written) {
        Report reply = written;
        const std::size_t length = written[frame::kLength];
        const std::size_t offset = platform::JoinBytes(written[frame::kOffsetLow], written[frame::kOffsetHigh]);
        if (std::ranges::find(failAt, offset) != failAt.end()) reply[frame::kStatus] = 0xFF;
        for (std::size_t i = 0; i < length && frame::kPayload + i < reply.size(); ++i)
            reply[frame::kPayload + i] = memory.empty() ? 0 : memory[(offset + i) % memory.size()];
        return std::vector<Report>{reply};
    };
}

Responder AnswerWith(std::uint8_t status, std::uint8_t payload0) {
    return [status, payload0](const Report& written) {
        Report reply = written;
        reply[frame::kStatus] = status;
        reply[frame::kPayload] = payload0;
        return std::vector<Report>{reply};
    };
}

void ScriptedLink::SetResponder(Responder responder) {
    std::lock_guard lock(mutex_);
    responder_ = std::move(responder);
}

void ScriptedLink::Push(Report report) {
    std::lock_guard lock(mutex_);
    queued_.push_back(std::move(report));
}

void ScriptedLink::FailWrites(IoStatus status) {
    std::lock_guard lock(mutex_);
    writeStatus_ = status;
}

void ScriptedLink::FailReads(IoStatus status) {
    std::lock_guard lock(mutex_);
    readStatus_ = status;
}

std::vector<Report> ScriptedLink::Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

std::size_t ScriptedLink::Reads() const {
    std::lock_guard lock(mutex_);
    return reads_;
}

std::vector<int> ScriptedLink::WriteTimeouts() const {
    std::lock_guard lock(mutex_);
    return writeTimeouts_;
}

std::vector<int> ScriptedLink::ReadTimeouts() const {
    std::lock_guard lock(mutex_);
    return readTimeouts_;
}

IoResult ScriptedLink::Write(std::span<const std::uint8_t> report, int timeoutMs) {
    Report written(report.begin(), report.end());
    Responder responder;
    {
        std::lock_guard lock(mutex_);
        frames_.push_back(written);
        writeTimeouts_.push_back(timeoutMs);
        if (writeStatus_ != IoStatus::Ok) return {writeStatus_, 0};
        responder = responder_;
    }
    // The responder runs unlocked: a test may call back into the transport from it.
    std::vector<Report> replies = responder(written);
    std::lock_guard lock(mutex_);
    for (Report& r : replies) queued_.push_back(std::move(r));
    return {IoStatus::Ok, report.size()};
}

IoResult ScriptedLink::Read(std::span<std::uint8_t> buffer, int timeoutMs) {
    std::lock_guard lock(mutex_);
    ++reads_;
    readTimeouts_.push_back(timeoutMs);
    if (readStatus_ != IoStatus::Ok) return {readStatus_, 0};
    if (queued_.empty()) return {IoStatus::TimedOut, 0};
    const Report report = std::move(queued_.front());
    queued_.pop_front();
    const std::size_t n = std::min(report.size(), buffer.size());
    std::copy_n(report.begin(), n, buffer.begin());
    return {IoStatus::Ok, n};
}

namespace {

class ScriptedDevice final : public platform::IHidDevice {
public:
    explicit ScriptedDevice(std::shared_ptr<ScriptedLink> link) : link_(std::move(link)) {}
    const platform::HidDeviceInfo& Info() const override { return info_; }
    IoResult Read(std::span<std::uint8_t> buffer, int timeoutMs) override { return link_->Read(buffer, timeoutMs); }
    IoResult Write(std::span<const std::uint8_t> report, int timeoutMs) override {
        return link_->Write(report, timeoutMs);
    }
    void Cancel() override {}

private:
    std::shared_ptr<ScriptedLink> link_;
    platform::HidDeviceInfo info_;
};

}  // namespace

ScriptedLink& ScriptedBackend::Link(const std::string& path) {
    std::lock_guard lock(mutex_);
    auto& link = links_[path];
    if (!link) link = std::make_shared<ScriptedLink>();
    return *link;
}

std::optional<std::vector<std::string>> ScriptedBackend::Enumerate() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> paths;
    for (const auto& [path, link] : links_) paths.push_back(path);
    return paths;
}

std::unique_ptr<platform::IHidDevice> ScriptedBackend::Open(const std::string& path, platform::OpenMode,
                                                            platform::OpenError* error) {
    std::lock_guard lock(mutex_);
    const auto it = links_.find(path);
    if (it == links_.end()) {
        if (error) *error = platform::OpenError::NotFound;
        return nullptr;
    }
    return std::make_unique<ScriptedDevice>(it->second);
}

bool ScriptedBackend::IsPresent(const std::string& path) {
    std::lock_guard lock(mutex_);
    return links_.contains(path);
}

}  // namespace vandrel::testing
