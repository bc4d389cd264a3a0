// A transport whose wired and wireless channels are open on scripted links.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/trace.h"
#include "protocol/device_transport.h"
#include "protocol/report_frame.h"
#include "scripted_backend.h"

namespace vandrel::testing {

class TransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(transport.WiredChannel().OpenPath("script:wired", true, true, true, false));
        ASSERT_TRUE(transport.WirelessChannel().OpenPath("script:wireless", true, true, true, false));
        transport.SetOpen(true);
        transport.SetLinkMode(1);
    }

    void UseLink(bool receiver) { transport.SetLinkMode(receiver ? 2 : 1); }
    ScriptedLink& ActiveLink() { return transport.IsWireless() ? wireless : wired; }

    // A complete request frame for a command without payload.
    static protocol::Frame Request(std::uint8_t command) {
        protocol::Frame f = protocol::MakeRequest(command);
        protocol::StampChecksum(f);
        return f;
    }

    protocol::Status Transact(const protocol::Frame& request, protocol::Frame& reply) {
        return transport.Transact(request.data(), request.size(), reply.data(), reply.size(), nullptr);
    }

    ScriptedBackend backend;
    ScriptedLink& wired = backend.Link("script:wired");
    ScriptedLink& wireless = backend.Link("script:wireless");
    protocol::CDeviceTransport transport{backend};
};

// Turns the trace on and keeps its lines for as long as it lives.
class TraceCapture {
public:
    TraceCapture() {
        platform::SetTraceSink([this](std::string_view line) { lines.emplace_back(line); });
        platform::SetTraceEnabled(true);
    }
    ~TraceCapture() {
        platform::SetTraceEnabled(false);
        platform::SetTraceSink(nullptr);
    }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::vector<std::string> lines;
};

}  // namespace vandrel::testing
