// The command set: the frames each command puts on the wire, how chunked
// transfers are cut, which lock each command holds and what it reports.
#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/bytes.h"
#include "protocol/commands.h"
#include "transport_fixture.h"

namespace vandrel::testing {
namespace {

using namespace std::chrono_literals;
using protocol::CDeviceTransport;
using protocol::Frame;
using protocol::kFrameSize;
using protocol::LinkState;
using protocol::Status;
namespace frame = protocol::frame;

using Chunk = std::pair<std::size_t, std::size_t>;  // length, offset

std::vector<Chunk> ChunksOf(const std::vector<Report>& frames) {
    std::vector<Chunk> chunks;
    for (const Report& f : frames)
        chunks.emplace_back(f[frame::kLength], platform::JoinBytes(f[frame::kOffsetLow], f[frame::kOffsetHigh]));
    return chunks;
}

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    return bytes;
}

bool ChecksumHolds(const Report& f) {
    Frame copy{};
    std::copy_n(f.begin(), kFrameSize, copy.begin());
    const std::uint16_t sum = protocol::FrameChecksum(copy);
    return f[frame::kChecksumLow] == (sum & 0xFF) && f[frame::kChecksumHigh] == (sum >> 8);
}

class CommandTest : public TransportTest {};

// --- Frames on the wire ---------------------------------------------------------

TEST_F(CommandTest, SequenceBeginFrameIsTheDocumentedExample) {
    ASSERT_EQ(protocol::CMD_SEQUENCE_BEGIN(transport), Status::Ok);
    Report expected(kFrameSize, 0);
    expected[0] = 0x04;
    expected[1] = 0x01;
    expected[3] = 0x01;
    EXPECT_EQ(wired.Frames(), std::vector<Report>{expected});
}

TEST_F(CommandTest, FullPayloadFrameChecksum) {
    const std::vector<std::uint8_t> ones(56, 0xFF);
    ASSERT_EQ(protocol::CMD_WRITE_AT(transport, ones.data(), ones.size(), 0x0102), Status::Ok);
    const Report sent = wired.Frames().at(0);
    // 0x06 + 56 + 0x02 + 0x01 + 56 x 0xFF = 14345 = 0x3809
    EXPECT_EQ(sent[frame::kChecksumLow], 0x09);
    EXPECT_EQ(sent[frame::kChecksumHigh], 0x38);
    EXPECT_EQ(sent[frame::kLength], 56);
    EXPECT_EQ(sent[frame::kOffsetLow], 0x02);
    EXPECT_EQ(sent[frame::kOffsetHigh], 0x01);
}

TEST_F(CommandTest, ReplyStatusByteDecidesTheResult) {
    const std::array<std::pair<std::uint8_t, Status>, 4> cases{
        {{0x00, Status::Ok}, {0x01, Status::Ok}, {0xFF, Status::RefusedFF}, {0xFE, Status::RefusedFE}}};
    for (const auto& [statusByte, expected] : cases) {
        SCOPED_TRACE(static_cast<int>(statusByte));
        wired.SetResponder(AnswerWith(statusByte));
        EXPECT_EQ(protocol::CMD_SEQUENCE_BEGIN(transport), expected);
        std::array<std::uint8_t, 100> dest{};
        EXPECT_EQ(protocol::CMD_READ_AT(transport, dest.data(), dest.size(), 0), expected);
    }
}

// --- Chunked writes -----------------------------------------------------------------

TEST_F(CommandTest, KeyMapWriteIsCutIntoChunksOfTheLink) {
    struct Case {
        bool receiver;
        std::size_t frames;
    };
    const std::vector<std::uint8_t> keyMap = Pattern(512);
    for (const Case c : {Case{false, 10}, Case{true, 22}}) {
        SCOPED_TRACE(c.receiver ? "receiver" : "cable");
        UseLink(c.receiver);
        const std::size_t chunk = transport.ChunkSize();
        const std::size_t before = ActiveLink().Frames().size();
        ASSERT_EQ(protocol::CMD_WRITE_KEY_MAP(transport, keyMap.data(), 0), Status::Ok);

        const std::vector<Report> all = ActiveLink().Frames();
        const std::vector<Report> frames(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
        ASSERT_EQ(frames.size(), c.frames);
        EXPECT_EQ(ChunksOf(frames).back(), Chunk(8, 504));
        for (std::size_t n = 0; n < frames.size(); ++n) {
            const Report& f = frames[n];
            const std::size_t length = f[frame::kLength];
            const std::size_t offset = n * chunk;
            ASSERT_EQ(f[frame::kCommand], protocol::cmd::kWriteKeyMap);
            ASSERT_EQ(ChunksOf({f})[0], Chunk(std::min(chunk, 512 - offset), offset));
            ASSERT_TRUE(std::equal(f.begin() + 8, f.begin() + 8 + static_cast<std::ptrdiff_t>(length),
                                   keyMap.begin() + static_cast<std::ptrdiff_t>(offset)));
            ASSERT_TRUE(ChecksumHolds(f));
        }
        // The frame is cleared only once: after the last chunk's 8 bytes it
        // still holds the previous chunk's bytes, and the checksum covers them.
        const Report& last = frames.back();
        const Report& previous = frames[frames.size() - 2];
        EXPECT_TRUE(std::equal(last.begin() + 16, last.end(), previous.begin() + 16));
        EXPECT_TRUE(std::any_of(last.begin() + 16, last.begin() + 8 + static_cast<std::ptrdiff_t>(chunk),
                                [](std::uint8_t b) { return b != 0; }));
    }
}

TEST_F(CommandTest, FailingChunkStopsTheTransfer) {
    wired.SetResponder(ServeMemory({}, {112}));
    const std::vector<std::uint8_t> keyMap = Pattern(512);
    EXPECT_EQ(protocol::CMD_WRITE_KEY_MAP(transport, keyMap.data(), 0), Status::RefusedFF);
    EXPECT_EQ(ChunksOf(wired.Frames()), (std::vector<Chunk>{{56, 0}, {56, 56}, {56, 112}}));
}

TEST_F(CommandTest, KeyMapWriteToAnotherBankSendsNothing) {
    const std::vector<std::uint8_t> keyMap = Pattern(512);
    EXPECT_EQ(protocol::CMD_WRITE_KEY_MAP(transport, keyMap.data(), 1), Status::BadBank);
    EXPECT_TRUE(wired.Frames().empty());
}

TEST_F(CommandTest, RecoilDataMovesIn56ByteChunksOnBothLinks) {
    const std::vector<std::uint8_t> recoil = Pattern(130);
    for (const bool receiver : {false, true}) {
        SCOPED_TRACE(receiver ? "receiver" : "cable");
        UseLink(receiver);
        const std::size_t before = ActiveLink().Frames().size();
        ASSERT_EQ(protocol::CMD_WRITE_RECOIL(transport, recoil.data(), recoil.size()), Status::Ok);
        const std::vector<Report> all = ActiveLink().Frames();
        EXPECT_EQ(ChunksOf({all.begin() + static_cast<std::ptrdiff_t>(before), all.end()}),
                  (std::vector<Chunk>{{56, 0}, {56, 56}, {18, 112}}));
        EXPECT_EQ(all.back()[frame::kCommand], protocol::cmd::kWriteRecoil);
    }
}

TEST_F(CommandTest, PageWriteStartsAtPageTimesStride) {
    const std::vector<std::uint8_t> colours = Pattern(30);
    ASSERT_EQ(protocol::CMD_WRITE_PAGE(transport, colours.data(), colours.size(), 2, 512), Status::Ok);
    const std::vector<Report> frames = wired.Frames();
    EXPECT_EQ(ChunksOf(frames), (std::vector<Chunk>{{30, 1024}}));
    EXPECT_EQ(frames[0][frame::kCommand], protocol::cmd::kWritePage);
}

TEST_F(CommandTest, EmptyWritesSendNothing) {
    const std::uint8_t byte = 0;
    const std::array<std::pair<const char*, std::function<Status()>>, 5> writes{{
        {"write at", [&] { return protocol::CMD_WRITE_AT(transport, &byte, 0, 0); }},
        {"page", [&] { return protocol::CMD_WRITE_PAGE(transport, &byte, 0, 1, 512); }},
        {"light stream", [&] { return protocol::CMD_LIGHT_STREAM(transport, &byte, 0); }},
        {"macros", [&] { return protocol::CMD_WRITE_MACROS(transport, &byte, 0); }},
        {"recoil", [&] { return protocol::CMD_WRITE_RECOIL(transport, &byte, 0); }},
    }};
    for (const auto& [name, write] : writes) {
        SCOPED_TRACE(name);
        EXPECT_EQ(write(), Status::Ok);
    }
    EXPECT_TRUE(wired.Frames().empty());
}

// --- Chunked and single reads ---------------------------------------------------------

TEST_F(CommandTest, ChunkedReadsAskChunkByChunkAndCopyTheData) {
    struct Case {
        const char* name;
        bool receiver;
        std::function<Status(CDeviceTransport&, std::uint8_t*)> read;
        std::size_t base;
        std::vector<Chunk> chunks;
    };
    const std::vector<Case> cases{
        {"info on the cable", false, [](auto& t, auto* d) { return protocol::CMD_READ_INFO(t, d); }, 0, {{34, 0}}},
        {"info on the receiver",
         true,
         [](auto& t, auto* d) { return protocol::CMD_READ_INFO(t, d); },
         0,
         {{24, 0}, {10, 24}}},
        {"read at wraps at 65536",
         false,
         [](auto& t, auto* d) { return protocol::CMD_READ_AT(t, d, 100, 0xFFF0); },
         0xFFF0,
         {{56, 0xFFF0}, {44, 0x0028}}},
        {"LED map is a third of memory",
         false,
         [](auto& t, auto* d) { return protocol::CMD_READ_LED_MAP(t, d); },
         0,
         {{56, 0}, {56, 56}, {56, 112}, {2, 168}}},
        {"key map on the receiver",
         true,
         [](auto& t, auto* d) { return protocol::CMD_READ_KEY_MAP(t, d); },
         0,
         {{24, 0},   {24, 24},  {24, 48},  {24, 72},  {24, 96},  {24, 120}, {24, 144}, {24, 168},
          {24, 192}, {24, 216}, {24, 240}, {24, 264}, {24, 288}, {24, 312}, {24, 336}, {24, 360},
          {24, 384}, {24, 408}, {24, 432}, {24, 456}, {24, 480}, {8, 504}}},
    };
    const std::vector<std::uint8_t> memory = Pattern(65536);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseLink(c.receiver);
        ActiveLink().SetResponder(ServeMemory(memory));
        const std::size_t before = ActiveLink().Frames().size();
        std::vector<std::uint8_t> dest(600, 0xEE);

        ASSERT_EQ(c.read(transport, dest.data()), Status::Ok);
        const std::vector<Report> all = ActiveLink().Frames();
        EXPECT_EQ(ChunksOf({all.begin() + static_cast<std::ptrdiff_t>(before), all.end()}), c.chunks);
        std::size_t total = 0;
        for (const Chunk& chunk : c.chunks) total += chunk.first;
        for (std::size_t i = 0; i < total; ++i) ASSERT_EQ(dest[i], memory[(c.base + i) % 65536]) << "byte " << i;
        EXPECT_EQ(dest[total], 0xEE);
    }
}

TEST_F(CommandTest, InfoBlockIsCopiedOnlyWhenEveryChunkSucceeded) {
    UseLink(true);
    wireless.SetResponder(ServeMemory(Pattern(64), {24}));
    std::array<std::uint8_t, protocol::kInfoBlockSize> dest;
    dest.fill(0xEE);
    EXPECT_EQ(protocol::CMD_READ_INFO(transport, dest.data()), Status::RefusedFF);
    EXPECT_EQ(ChunksOf(wireless.Frames()), (std::vector<Chunk>{{24, 0}, {10, 24}}));
    EXPECT_TRUE(std::all_of(dest.begin(), dest.end(), [](std::uint8_t b) { return b == 0xEE; }));
}

TEST_F(CommandTest, SmallReadIsOneFrame) {
    const std::vector<std::uint8_t> memory = Pattern(64);
    wired.SetResponder(ServeMemory(memory));
    std::array<std::uint8_t, 6> dest{};
    ASSERT_EQ(protocol::CMD_READ_SMALL(transport, dest.data(), dest.size(), 6, 0), Status::Ok);
    const std::vector<Report> frames = wired.Frames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][frame::kCommand], protocol::cmd::kReadSmall);
    EXPECT_EQ(ChunksOf(frames)[0], Chunk(6, 0));
    EXPECT_TRUE(std::equal(dest.begin(), dest.end(), memory.begin()));
}

TEST_F(CommandTest, SmallReadThatDoesNotFitSendsNothing) {
    struct Case {
        const char* name;
        std::size_t capacity;
        std::size_t n;
    };
    std::array<std::uint8_t, 64> dest;
    dest.fill(0xEE);
    for (const Case c : {Case{"more than one frame", 64, 57}, Case{"more than the destination", 6, 7}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(protocol::CMD_READ_SMALL(transport, dest.data(), c.capacity, c.n, 0), Status::ReadFailed);
    }
    EXPECT_TRUE(wired.Frames().empty());
    EXPECT_TRUE(std::all_of(dest.begin(), dest.end(), [](std::uint8_t b) { return b == 0xEE; }));
}

// --- Link query ------------------------------------------------------------------------

TEST_F(CommandTest, LinkQueryOnTheCableIsTrueWithoutAFrame) {
    EXPECT_EQ(protocol::CMD_LINK_QUERY(transport), LinkState::Reachable);
    EXPECT_TRUE(wired.Frames().empty());
    EXPECT_TRUE(wireless.Frames().empty());
}

TEST_F(CommandTest, LinkQueryOnTheReceiverReadsByteEight) {
    struct Case {
        const char* name;
        Responder answer;
        LinkState link;
    };
    const std::vector<Case> cases{
        {"0xFF in byte 8", AnswerWith(0x00, 0xFF), LinkState::Reachable},
        {"0x00 in byte 8", AnswerWith(0x00, 0x00), LinkState::Unreachable},
        {"refused with 0xFF", AnswerWith(0xFF, 0xFF), LinkState::Unreachable},
        {"refused with 0xFE", AnswerWith(0xFE, 0xFF), LinkState::Unreachable},
        {"no answer", Silent, LinkState::Unreachable},
    };
    UseLink(true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wireless.SetResponder(c.answer);
        EXPECT_EQ(protocol::CMD_LINK_QUERY(transport), c.link);
        EXPECT_EQ(wireless.Frames().back()[frame::kCommand], protocol::cmd::kLinkQuery);
    }
}

// --- Lighting stream --------------------------------------------------------------------

TEST_F(CommandTest, LightStreamGoesUnloggedOnTheCableOnly) {
    const std::vector<std::uint8_t> colours = Pattern(45);
    ASSERT_EQ(protocol::CMD_LIGHT_STREAM(transport, colours.data(), colours.size()), Status::Ok);
    const std::vector<Report> frames = wired.Frames();
    EXPECT_EQ(ChunksOf(frames), (std::vector<Chunk>{{45, 0}}));
    EXPECT_EQ(frames[0][frame::kCommand], protocol::cmd::kLightStream);
    EXPECT_EQ(wired.ReadTimeouts(), std::vector<int>{1000});

    UseLink(true);
    EXPECT_EQ(protocol::CMD_LIGHT_STREAM(transport, colours.data(), colours.size()), Status::Ok);
    EXPECT_EQ(wired.Frames().size(), 1u);
    EXPECT_TRUE(wireless.Frames().empty());
}

TEST_F(CommandTest, LightStreamDropsItsFrameWhileATransactionRuns) {
    const std::vector<std::uint8_t> colours = Pattern(45);
    std::future<Status> stream;
    std::optional<Status> streamedWhileBusy;
    wired.SetResponder([&](const Report& written) {
        if (written[frame::kCommand] == protocol::cmd::kSequenceBegin) {
            // Runs inside the logged transaction, on another thread.
            stream = std::async(std::launch::async,
                                [&] { return protocol::CMD_LIGHT_STREAM(transport, colours.data(), colours.size()); });
            if (stream.wait_for(5s) == std::future_status::ready) streamedWhileBusy = stream.get();
        }
        return Echo(written);
    });
    TraceCapture trace;
    ASSERT_EQ(protocol::CMD_SEQUENCE_BEGIN(transport), Status::Ok);
    // Still running only when it waited on the transaction instead of giving
    // way; the check below fails then.
    if (stream.valid()) static_cast<void>(stream.get());

    EXPECT_EQ(streamedWhileBusy, Status::Dropped);
    EXPECT_EQ(wired.Frames().size(), 1u);
    EXPECT_NE(std::ranges::find(trace.lines, "放弃灯光数据"), trace.lines.end());
}

// --- Locks --------------------------------------------------------------------------------

TEST_F(CommandTest, EachCommandHoldsItsOwnLock) {
    enum class Held { Command, Light };
    struct Case {
        const char* name;
        bool receiver;
        std::function<bool(CDeviceTransport&)> succeeds;
        Held held;
        bool waits;
    };
    static const std::vector<std::uint8_t> data = Pattern(60);
    const std::vector<Case> cases{
        {"begin / command lock", false, [](auto& t) { return protocol::CMD_SEQUENCE_BEGIN(t) == Status::Ok; },
         Held::Command, true},
        {"begin / light lock", false, [](auto& t) { return protocol::CMD_SEQUENCE_BEGIN(t) == Status::Ok; },
         Held::Light, false},
        {"write at / command lock", false,
         [](auto& t) { return protocol::CMD_WRITE_AT(t, data.data(), 60, 0) == Status::Ok; }, Held::Command, true},
        {"page / light lock", false,
         [](auto& t) { return protocol::CMD_WRITE_PAGE(t, data.data(), 60, 0, 512) == Status::Ok; }, Held::Light, true},
        {"page / command lock", false,
         [](auto& t) { return protocol::CMD_WRITE_PAGE(t, data.data(), 60, 0, 512) == Status::Ok; }, Held::Command,
         false},
        {"light stream / light lock", false,
         [](auto& t) { return protocol::CMD_LIGHT_STREAM(t, data.data(), 60) == Status::Ok; }, Held::Light, true},
        {"recoil / command lock", false,
         [](auto& t) { return protocol::CMD_WRITE_RECOIL(t, data.data(), 60) == Status::Ok; }, Held::Command, false},
        {"recoil / light lock", false,
         [](auto& t) { return protocol::CMD_WRITE_RECOIL(t, data.data(), 60) == Status::Ok; }, Held::Light, false},
        {"link query / command lock", true, [](auto& t) { return protocol::CMD_LINK_QUERY(t) == LinkState::Reachable; },
         Held::Command, true},
    };
    wireless.SetResponder(AnswerWith(0x00, 0xFF));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseLink(c.receiver);
        std::unique_lock held(c.held == Held::Command ? transport.CommandLock() : transport.LightLock());
        std::future<bool> run = std::async(std::launch::async, [&] { return c.succeeds(transport); });
        if (c.waits) {
            EXPECT_EQ(run.wait_for(50ms), std::future_status::timeout);
            held.unlock();
        }
        ASSERT_EQ(run.wait_for(5s), std::future_status::ready);
        EXPECT_TRUE(run.get());
    }
}

TEST_F(CommandTest, SequenceEndWaitsBeforeSending) {
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(protocol::CMD_SEQUENCE_END(transport), Status::Ok);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 10ms);
    EXPECT_EQ(wired.Frames().at(0)[frame::kCommand], protocol::cmd::kSequenceEnd);
}

}  // namespace
}  // namespace vandrel::testing
