// CDeviceTransport: what reaches the channel, which reply a transaction takes,
// link modes, memory size and the frame trace.
#include <algorithm>
#include <array>
#include <numeric>
#include <string>
#include <vector>

#include "transport_fixture.h"

namespace vandrel::testing {
namespace {

using protocol::Frame;
using protocol::kFrameSize;
namespace frame = protocol::frame;

// --- The checksum ------------------------------------------------------------

struct ChecksumCase {
    const char* name;
    Frame frame;
    std::uint16_t expected;
};

Frame FullPayloadFrame() {
    Frame f{};
    f.fill(0xFF);  // bytes 0..2 are outside the sum whatever they hold
    return f;
}

TEST(FrameChecksum, SumsBytesThreeToSixtyThree) {
    const std::array cases{
        ChecksumCase{"command 0x01 without payload", protocol::MakeRequest(0x01), 0x0001},
        ChecksumCase{"every byte 0xFF: 61 x 255", FullPayloadFrame(), 15555},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(protocol::FrameChecksum(c.frame), c.expected);
        Frame stamped = c.frame;
        protocol::StampChecksum(stamped);
        EXPECT_EQ(stamped[frame::kChecksumLow], c.expected & 0xFF);
        EXPECT_EQ(stamped[frame::kChecksumHigh], c.expected >> 8);
    }
}

// --- What reaches the channel ------------------------------------------------

TEST_F(TransportTest, ShortRequestIsZeroPaddedAndLongOneCut) {
    std::array<std::uint8_t, 100> request{};
    std::iota(request.begin(), request.end(), std::uint8_t{1});  // byte 3 = 4 is the command

    for (const std::size_t length : {std::size_t{4}, std::size_t{64}, std::size_t{70}}) {
        SCOPED_TRACE(length);
        Frame reply{};
        ASSERT_EQ(transport.Transact(request.data(), length, reply.data(), reply.size(), nullptr), 1);
        const Report sent = wired.Frames().back();
        ASSERT_EQ(sent.size(), kFrameSize);
        for (std::size_t i = 0; i < kFrameSize; ++i) ASSERT_EQ(sent[i], i < length ? request[i] : 0) << "byte " << i;
    }
}

// --- Which reply a transaction takes -----------------------------------------

struct ReplyCase {
    const char* name;
    bool receiver;
    std::uint8_t command;
    std::vector<Report> replies;  // what the device sends back, in order
    int status;
    std::size_t reads;
    std::uint8_t replyCommand;  // byte 3 of what the caller gets (0: nothing accepted)
    std::uint8_t replyData;     // byte 8 of it
};

Report Shorter(Report r, std::size_t length) {
    r.resize(length);
    return r;
}

TEST_F(TransportTest, TakesOnlyTheReplyThatEchoesTheCommand) {
    const std::uint8_t data[] = {0x5A};
    const Report match01 = ReplyFrame(0x01, 0, data);
    const Report other05 = ReplyFrame(0x05, 0, data);
    const Report receiverNoDevice = ReplyFrame(0xAA);
    const std::array cases{
        ReplyCase{"match at once", false, 0x01, {match01}, 1, 1, 0x01, 0x5A},
        ReplyCase{"other command, then match", false, 0x01, {other05, match01}, 1, 2, 0x01, 0x5A},
        ReplyCase{"two other commands", false, 0x01, {other05, other05, match01}, 0, 2, 0, 0},
        ReplyCase{"no reply", false, 0x01, {}, 0, 2, 0, 0},
        ReplyCase{"receiver 0xAA on the receiver link", true, 0x01, {receiverNoDevice, match01}, -101, 1, 0xAA, 0},
        ReplyCase{"0xAA on the cable is another command", false, 0x01, {receiverNoDevice, match01}, 1, 2, 0x01, 0x5A},
        ReplyCase{"0xAA request matches its own reply", true, 0xAA, {ReplyFrame(0xAA, 0, data)}, 1, 1, 0xAA, 0x5A},
        ReplyCase{"short reply, then match", false, 0x01, {Shorter(match01, 10), match01}, 1, 2, 0x01, 0x5A},
        ReplyCase{"only a short reply", false, 0x01, {Shorter(match01, 63)}, 0, 2, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseLink(c.receiver);
        ScriptedLink& link = ActiveLink();
        link.SetResponder(Silent);
        const std::size_t readsBefore = link.Reads();
        for (const Report& r : c.replies) link.Push(r);

        Frame reply;
        reply.fill(0xEE);
        std::size_t bytesRead = 99;
        const Frame request = Request(c.command);
        EXPECT_EQ(transport.Transact(request.data(), request.size(), reply.data(), reply.size(), &bytesRead), c.status);
        EXPECT_EQ(link.Reads() - readsBefore, c.reads);
        EXPECT_EQ(reply[frame::kCommand], c.replyCommand);
        EXPECT_EQ(reply[frame::kPayload], c.replyData);
        if (c.status == 1) {
            EXPECT_EQ(bytesRead, kFrameSize);
        }
        EXPECT_FALSE(transport.IsBusy());

        // Leave nothing queued for the next case.
        Frame drain{};
        while (link.Read(drain, 0).status == platform::IoStatus::Ok) {}
    }
}

TEST_F(TransportTest, SmallReplyCapacityGetsOnlyThatMuch) {
    std::array<std::uint8_t, 16> buffer;
    buffer.fill(0xEE);
    const Frame request = Request(0x01);
    ASSERT_EQ(transport.Transact(request.data(), request.size(), buffer.data(), 8, nullptr), 1);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 8, request.begin()));
    EXPECT_TRUE(std::all_of(buffer.begin() + 8, buffer.end(), [](std::uint8_t b) { return b == 0xEE; }));
}

// A reply arriving after its transaction gave up is read past by the next
// transaction of another command, and never lands in the old buffer.
TEST_F(TransportTest, LateReplyIsNotTakenByTheNextCommand) {
    wired.SetResponder(Silent);
    Frame first{};
    ASSERT_EQ(Transact(Request(0x05), first), 0);

    const std::uint8_t late[] = {0x77};
    wired.Push(ReplyFrame(0x05, 0, late));
    wired.SetResponder(AnswerWith(0, 0x11));
    Frame second{};
    EXPECT_EQ(Transact(Request(0x01), second), 1);
    EXPECT_EQ(second[frame::kCommand], 0x01);
    EXPECT_EQ(second[frame::kPayload], 0x11);
    EXPECT_EQ(first, Frame{});
}

// --- Closed transport, failed write -------------------------------------------

using TransactFn = int (protocol::CDeviceTransport::*)(const std::uint8_t*, std::size_t, std::uint8_t*, std::size_t,
                                                       std::size_t*);

struct TransactionKind {
    const char* name;
    TransactFn fn;
};

constexpr std::array kTransactions{
    TransactionKind{"Transact", &protocol::CDeviceTransport::Transact},
    TransactionKind{"TransactLight", &protocol::CDeviceTransport::TransactLight},
};

TEST_F(TransportTest, ClosedTransportTouchesNoChannel) {
    transport.SetOpen(false);
    for (const auto& kind : kTransactions) {
        SCOPED_TRACE(kind.name);
        const Frame request = Request(0x01);
        Frame reply{};
        EXPECT_EQ((transport.*kind.fn)(request.data(), request.size(), reply.data(), reply.size(), nullptr), 0);
        EXPECT_FALSE(transport.IsBusy());
    }
    EXPECT_TRUE(wired.Frames().empty());
    EXPECT_EQ(wired.Reads(), 0u);
}

TEST_F(TransportTest, FailedWriteGivesMinusOneWithoutReading) {
    wired.FailWrites(true);
    for (const auto& kind : kTransactions) {
        SCOPED_TRACE(kind.name);
        const Frame request = Request(0x01);
        Frame reply{};
        EXPECT_EQ((transport.*kind.fn)(request.data(), request.size(), reply.data(), reply.size(), nullptr), -1);
        EXPECT_FALSE(transport.IsBusy());
    }
    EXPECT_EQ(wired.Reads(), 0u);
}

// --- Link mode and memory size ------------------------------------------------

TEST_F(TransportTest, LinkModeChoosesChannelChunkAndTimeouts) {
    struct Case {
        int mode;
        bool receiver;
        std::uint8_t chunk;
        int timeoutMs;
    };
    for (const Case c :
         {Case{2, true, 24, 5000}, Case{1, false, 56, 1000}, Case{0, false, 56, 1000}, Case{3, false, 56, 1000}}) {
        SCOPED_TRACE(c.mode);
        EXPECT_TRUE(transport.SetLinkMode(c.mode));
        EXPECT_EQ(transport.ChunkSize(), c.chunk);
        ScriptedLink& used = c.receiver ? wireless : wired;
        ScriptedLink& unused = c.receiver ? wired : wireless;
        const std::size_t unusedFrames = unused.Frames().size();

        Frame reply{};
        ASSERT_EQ(Transact(Request(0x01), reply), 1);
        EXPECT_EQ(used.WriteTimeouts().back(), c.timeoutMs);
        EXPECT_EQ(used.ReadTimeouts().back(), c.timeoutMs);
        EXPECT_EQ(unused.Frames().size(), unusedFrames);
    }
}

TEST(DeviceTransport, ConstructionValuesAndMemorySize) {
    ScriptedBackend backend;
    protocol::CDeviceTransport t{backend};
    EXPECT_EQ(t.ChunkSize(), 24);  // until a link mode is set
    EXPECT_FALSE(t.IsWireless());
    EXPECT_FALSE(t.IsOpen());
    EXPECT_EQ(t.MemorySize(), 512);

    EXPECT_TRUE(t.SetMemorySize(300));
    EXPECT_FALSE(t.SetMemorySize(513));
    EXPECT_EQ(t.MemorySize(), 300);
    EXPECT_TRUE(t.SetMemorySize(512));
    EXPECT_EQ(t.MemorySize(), 512);
}

// --- The frame trace ----------------------------------------------------------

TEST_F(TransportTest, TraceShowsRequestAndReplyAsTwoHexLinesEach) {
    wired.SetResponder(AnswerWith(0x00, 0xAB));
    TraceCapture trace;
    Frame reply{};
    ASSERT_EQ(Transact(Request(0x01), reply), 1);

    ASSERT_EQ(trace.lines.size(), 6u);
    EXPECT_EQ(trace.lines[0], "命令");
    EXPECT_EQ(trace.lines[1],
              "04 01 00 01   00 00 00 00   00 00 00 00   00 00 00 00  "
              "00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00");
    EXPECT_EQ(trace.lines[2], protocol::FormatFrameLines(Request(0x01))[1]);
    EXPECT_EQ(trace.lines[3], "返回");
    EXPECT_EQ(trace.lines[4],
              "04 01 00 01   00 00 00 00   ab 00 00 00   00 00 00 00  "
              "00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00");
    EXPECT_EQ(trace.lines[5], protocol::FormatFrameLines(reply)[1]);
}

}  // namespace
}  // namespace vandrel::testing
