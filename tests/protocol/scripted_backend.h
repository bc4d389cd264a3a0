// A HID back end for protocol tests. Each path is one scripted link: every
// report written to it is recorded, and a responder decides which reports the
// write puts in the link's read queue (by default the written frame itself).
// A read takes the oldest queued report; with none queued it times out at
// once, so tests never wait for a real time-out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/hid_backend.h"

namespace vandrel::testing {

using Report = std::vector<std::uint8_t>;
// The reports one written frame produces.
using Responder = std::function<std::vector<Report>(const Report& written)>;

// A 64-byte reply: report id 4, the command in byte 3, the status in byte 7,
// the payload from byte 8.
Report ReplyFrame(std::uint8_t command, std::uint8_t status = 0, std::span<const std::uint8_t> payload = {});

// Responders.
std::vector<Report> Echo(const Report& written);
std::vector<Report> Silent(const Report& written);
// Answers every frame with its own header and, from byte 8, length (byte 4)
// bytes of memory at the frame's offset (bytes 5-6), wrapping at its end; failAt names offsets
// whose frame is refused with status 0xFF instead.
Responder ServeMemory(std::vector<std::uint8_t> memory, std::vector<std::size_t> failAt = {});
// Echoes every frame with the given status byte and payload byte 8.
Responder AnswerWith(std::uint8_t status, std::uint8_t payload0 = 0);

class ScriptedLink {
public:
    void SetResponder(Responder responder);
    void Push(Report report);  // queued for the next read, as if it arrived late
    // Every write, or read, ends with this status instead of going through
    // (the write still recorded, the read still counted); Ok lets them through.
    void FailWrites(platform::IoStatus status);
    void FailReads(platform::IoStatus status);

    std::vector<Report> Frames() const;  // every report written, in order
    std::size_t Reads() const;           // read attempts, answered or not
    std::vector<int> WriteTimeouts() const;
    std::vector<int> ReadTimeouts() const;

    // Called by the device of this link.
    platform::IoResult Write(std::span<const std::uint8_t> report, int timeoutMs);
    platform::IoResult Read(std::span<std::uint8_t> buffer, int timeoutMs);

private:
    mutable std::mutex mutex_;
    Responder responder_ = Echo;
    std::deque<Report> queued_;
    std::vector<Report> frames_;
    std::vector<int> writeTimeouts_;
    std::vector<int> readTimeouts_;
    std::size_t reads_ = 0;
    platform::IoStatus writeStatus_ = platform::IoStatus::Ok;
    platform::IoStatus readStatus_ = platform::IoStatus::Ok;
};

class ScriptedBackend final : public platform::IHidBackend {
public:
    // The link behind a path, made on first use.
    ScriptedLink& Link(const std::string& path);

    std::optional<std::vector<std::string>> Enumerate() override;
    std::unique_ptr<platform::IHidDevice> Open(const std::string& path, platform::OpenMode mode,
                                               platform::OpenError* error = nullptr) override;
    bool IsPresent(const std::string& path) override;

private:
    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<ScriptedLink>> links_;
};

}  // namespace vandrel::testing
