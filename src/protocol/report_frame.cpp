#include "protocol/report_frame.h"

#include <cstdio>

#include "platform/bytes.h"

namespace vandrel::protocol {

std::uint16_t FrameChecksum(std::span<const std::uint8_t, kFrameSize> frame) {
    std::uint32_t sum = 0;
    for (std::size_t i = frame::kCommand; i < kFrameSize; ++i) sum += frame[i];
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

void StampChecksum(std::span<std::uint8_t, kFrameSize> frame) {
    const std::uint16_t sum = FrameChecksum(frame);
    frame[frame::kChecksumLow] = platform::LowByte(sum);
    frame[frame::kChecksumHigh] = platform::HighByte(sum);
}

Frame MakeRequest(std::uint8_t command) {
    Frame f{};
    f[frame::kReportIdByte] = kReportId;
    f[frame::kCommand] = command;
    return f;
}

Status ReplyStatus(Status transactStatus, std::span<const std::uint8_t, kFrameSize> reply) {
    if (transactStatus != Status::Ok) return transactStatus;
    if (reply[frame::kStatus] == 0xFF) return Status::RefusedFF;
    if (reply[frame::kStatus] == 0xFE) return Status::RefusedFE;
    return Status::Ok;
}

std::array<std::string, 2> FormatFrameLines(std::span<const std::uint8_t, kFrameSize> frame) {
    std::array<std::string, 2> lines;
    for (std::size_t line = 0; line < 2; ++line) {
        std::string& out = lines[line];
        out.reserve(32 * 3 + 12);
        for (std::size_t i = 0; i < 32; ++i) {
            if (i > 0) {
                if (i % 4 != 0) out += ' ';
                else out += (i <= 12) ? "   " : "  ";
            }
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02x", frame[line * 32 + i]);
            out += hex;
        }
    }
    return lines;
}

}  // namespace vandrel::protocol
