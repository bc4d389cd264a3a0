// CDeviceTransport: what reaches the channel, which reply a transaction takes,
// link modes, memory size and the frame trace.
#include <algorithm>
#include <array>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "transport_fixture.h"

namespace vandrel::testing {
namespace {

using platform::IoStatus;
using protocol::Frame;
using protocol::kFrameSize;
using protocol::Status;
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

// --- The statuses -------------------------------------------------------------

// Traces and the window's messages show the numbers: they never change.
TEST(Status, KeepsItsNumbers) {
    const std::array<std::pair<Status, int>, 8> cases{{
        {Status::Ok, 1},
        {Status::ReadFailed, 0},
        {Status::WriteFailed, -1},
        {Status::NoDevice, -101},
        {Status::RefusedFF, -102},
        {Status::RefusedFE, -103},
        {Status::BadBank, -201},
        {Status::Dropped, -301},
    }};
    for (const auto& [status, number] : cases) {
        EXPECT_EQ(protocol::ToInt(status), number);
        EXPECT_NE(protocol::StatusName(status), "unknown") << number;
    }
    std::ostringstream shown;
    shown << Status::RefusedFF;
    EXPECT_EQ(shown.str(), "refused 0xFF (-102)");
}

// --- What reaches the channel ------------------------------------------------

TEST_F(TransportTest, ShortRequestIsZeroPaddedAndLongOneCut) {
    std::array<std::uint8_t, 100> request{};
    std::iota(request.begin(), request.end(), std::uint8_t{1});  // byte 3 = 4 is the command

    for (const std::size_t length : {std::size_t{4}, std::size_t{64}, std::size_t{70}}) {
        SCOPED_TRACE(length);
        Frame reply{};
        ASSERT_EQ(transport.Transact(request.data(), length, reply.data(), reply.size(), nullptr), Status::Ok);
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
    Status status;
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
        ReplyCase{"match at once", false, 0x01, {match01}, Status::Ok, 1, 0x01, 0x5A},
        ReplyCase{"other command, then match", false, 0x01, {other05, match01}, Status::Ok, 2, 0x01, 0x5A},
        ReplyCase{"two other commands", false, 0x01, {other05, other05, match01}, Status::ReadFailed, 2, 0, 0},
        ReplyCase{"no reply", false, 0x01, {}, Status::ReadFailed, 2, 0, 0},
        ReplyCase{"receiver 0xAA on the receiver link",
                  true,
                  0x01,
                  {receiverNoDevice, match01},
                  Status::NoDevice,
                  1,
                  0xAA,
                  0},
        ReplyCase{"0xAA on the cable is another command",
                  false,
                  0x01,
                  {receiverNoDevice, match01},
                  Status::Ok,
                  2,
                  0x01,
                  0x5A},
        ReplyCase{
            "0xAA request matches its own reply", true, 0xAA, {ReplyFrame(0xAA, 0, data)}, Status::Ok, 1, 0xAA, 0x5A},
        ReplyCase{"short reply, then match", false, 0x01, {Shorter(match01, 10), match01}, Status::Ok, 2, 0x01, 0x5A},
        ReplyCase{"only a short reply", false, 0x01, {Shorter(match01, 63)}, Status::ReadFailed, 2, 0, 0},
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
        if (c.status == Status::Ok) {
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
    ASSERT_EQ(transport.Transact(request.data(), request.size(), buffer.data(), 8, nullptr), Status::Ok);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 8, request.begin()));
    EXPECT_TRUE(std::all_of(buffer.begin() + 8, buffer.end(), [](std::uint8_t b) { return b == 0xEE; }));
}

// A reply arriving after its transaction gave up is read past by the next
// transaction of another command, and never lands in the old buffer.
TEST_F(TransportTest, LateReplyIsNotTakenByTheNextCommand) {
    wired.SetResponder(Silent);
    Frame first{};
    ASSERT_EQ(Transact(Request(0x05), first), Status::ReadFailed);

    const std::uint8_t late[] = {0x77};
    wired.Push(ReplyFrame(0x05, 0, late));
    wired.SetResponder(AnswerWith(0, 0x11));
    Frame second{};
    EXPECT_EQ(Transact(Request(0x01), second), Status::Ok);
    EXPECT_EQ(second[frame::kCommand], 0x01);
    EXPECT_EQ(second[frame::kPayload], 0x11);
    EXPECT_EQ(first, Frame{});
}

// --- Closed transport, failed write -------------------------------------------

using TransactFn = Status (protocol::CDeviceTransport::*)(const std::uint8_t*, std::size_t, std::uint8_t*, std::size_t,
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
        EXPECT_EQ((transport.*kind.fn)(request.data(), request.size(), reply.data(), reply.size(), nullptr),
                  Status::ReadFailed);
        EXPECT_FALSE(transport.IsBusy());
    }
    EXPECT_TRUE(wired.Frames().empty());
    EXPECT_EQ(wired.Reads(), 0u);
}

TEST_F(TransportTest, FailedWriteGivesMinusOneWithoutReading) {
    wired.FailWrites(IoStatus::Failed);
    for (const auto& kind : kTransactions) {
        SCOPED_TRACE(kind.name);
        const Frame request = Request(0x01);
        Frame reply{};
        EXPECT_EQ((transport.*kind.fn)(request.data(), request.size(), reply.data(), reply.size(), nullptr),
                  Status::WriteFailed);
        EXPECT_FALSE(transport.IsBusy());
    }
    EXPECT_EQ(wired.Reads(), 0u);
}

// The channel hands on how a report failed; the transport keeps the statuses
// it always gave: a request that did not go out is a failed write (nothing is
// read), a reply that did not come in a failed read (after the usual reads).
TEST_F(TransportTest, ChannelFailuresMapToTheProtocolsStatuses) {
    struct Case {
        const char* name;
        IoStatus io;
        bool onWrite;
        Status status;
        std::size_t transactReads;
        std::size_t lightReads;
    };
    const std::array cases{
        Case{"write timed out", IoStatus::TimedOut, true, Status::WriteFailed, 0, 0},
        Case{"write cancelled", IoStatus::Cancelled, true, Status::WriteFailed, 0, 0},
        Case{"write failed", IoStatus::Failed, true, Status::WriteFailed, 0, 0},
        Case{"read timed out", IoStatus::TimedOut, false, Status::ReadFailed, 2, 1},
        Case{"read cancelled", IoStatus::Cancelled, false, Status::ReadFailed, 2, 1},
        Case{"read failed", IoStatus::Failed, false, Status::ReadFailed, 2, 1},
    };
    const Frame request = Request(0x01);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wired.FailWrites(c.onWrite ? c.io : IoStatus::Ok);
        wired.FailReads(c.onWrite ? IoStatus::Ok : c.io);

        // What the channel itself reports for the failing side.
        std::array<std::uint8_t, kFrameSize> buffer{};
        std::size_t bytes = 99;
        const IoStatus channel =
            c.onWrite ? transport.WiredChannel().WriteReport(request.data(), request.size(), &bytes, 1000)
                      : transport.WiredChannel().ReadReport(buffer.data(), buffer.size(), &bytes, 1000);
        EXPECT_EQ(channel, c.io);
        EXPECT_EQ(bytes, 0u);

        for (const auto& [kind, reads] :
             {std::pair{kTransactions[0], c.transactReads}, std::pair{kTransactions[1], c.lightReads}}) {
            SCOPED_TRACE(kind.name);
            const std::size_t readsBefore = wired.Reads();
            Frame reply;
            reply.fill(0xEE);
            EXPECT_EQ((transport.*kind.fn)(request.data(), request.size(), reply.data(), reply.size(), nullptr),
                      c.status);
            EXPECT_EQ(wired.Reads() - readsBefore, reads);
            EXPECT_EQ(reply, Frame{});
        }
    }
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
        ASSERT_EQ(Transact(Request(0x01), reply), Status::Ok);
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
    ASSERT_EQ(Transact(Request(0x01), reply), Status::Ok);

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
