// CHidChannel over the hidraw back end, on a fake sysfs tree with socket pairs
// in place of the device nodes.
#include "device_io/hid_channel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "fake_hidraw.h"
#include "test_descriptors.h"

namespace vandrel::device_io {
namespace {

using platform::IoStatus;
using test::Bytes;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct PathNumberCase {
    const char* path;
    const char* marker;
    std::uint32_t expected;
};

TEST(PathNumber, ReadsTheHexNumberAfterTheMarkerInAnyCase) {
    const PathNumberCase cases[] = {
        {"/dev/hidraw3?vid_320f&pid_5078", "&mi_", 0},
        {"/dev/hidraw3?vid_320f&pid_5078", "&col", 0},
        {"/dev/hidraw3?vid_320f&pid_5078&mi_01&col04", "&mi_", 1},
        {"\\\\?\\HID#VID_320F&PID_5078&MI_01&COL03#7&1a2b", "&mi_", 1},
        {"\\\\?\\HID#VID_320F&PID_5078&MI_01&COL03#7&1a2b", "&col", 3},
        {"/dev/hidraw3?vid_320f&pid_5078&mi_01&col03", "&col", 3},
        {"/dev/hidraw3?vid_320f&pid_5078&mi_0a&col1f", "&col", 0x1F},
        {"/dev/hidraw3?vid_320f&pid_5078&mi_0A", "&mi_", 10},
        {"/dev/hidraw3?vid_320f&pid_5078&mi_", "&mi_", 0},
        {"/dev/hidraw3?vid_320f", "vid_", 0x320F},
    };
    for (const PathNumberCase& c : cases)
        EXPECT_EQ(PathNumber(c.path, c.marker), c.expected) << c.path << " " << c.marker;
}

class HidChannelTest : public testing::Test {
protected:
    void SetUp() override { fake_.Plug(kNode, KeyboardInterface()); }

    static test::FakeNode KeyboardInterface() {
        test::FakeNode node;
        node.descriptor = test::kKeyboardInterface;
        return node;
    }
    std::string ConsumerPath() const { return fake_.PathOf(kNode, "?vid_320f&pid_5078&mi_01&col03"); }
    std::string VendorPath() const { return fake_.PathOf(kNode, "?vid_320f&pid_5078&mi_01&col04"); }

    // One report read into a 64-byte buffer; empty when ReadReport did not give Ok.
    static Bytes ReadOne(CHidChannel& channel, int timeoutMs) {
        Bytes buffer(64);
        std::size_t got = 0;
        if (channel.ReadReport(buffer.data(), buffer.size(), &got, timeoutMs) != IoStatus::Ok) return {};
        buffer.resize(got);
        return buffer;
    }

    static Bytes VendorReport(std::uint8_t fill) {
        Bytes report(64, fill);
        report[0] = 4;
        return report;
    }

    static constexpr unsigned kNode = 5;
    test::FakeHidraw fake_;
    platform::HidrawBackend backend_ = fake_.Backend();
    CHidChannel channel_{backend_};
};

TEST_F(HidChannelTest, EnumeratesMoreThanEightInterfacesInOrder) {
    for (unsigned node = 6; node < 16; ++node) {
        test::FakeNode mouse;
        mouse.productId = 0x221C;
        mouse.descriptor = test::kVendor;
        fake_.Plug(node, mouse);
    }
    ASSERT_TRUE(channel_.EnumerateHidPaths());
    EXPECT_EQ(channel_.PathCount(), 14u);  // 4 collections of node 5, one each of nodes 6..15
    std::vector<std::string> seen;
    while (const std::string* path = channel_.NextPath()) seen.push_back(*path);
    ASSERT_EQ(seen.size(), 14u);
    EXPECT_EQ(seen.front(), fake_.PathOf(kNode, "?vid_320f&pid_5078&mi_01&col01"));
    EXPECT_EQ(seen[4], fake_.PathOf(6, "?vid_320f&pid_221c&mi_01"));
    EXPECT_EQ(seen.back(), fake_.PathOf(15, "?vid_320f&pid_221c&mi_01"));
    EXPECT_EQ(channel_.NextPath(), nullptr);
}

TEST_F(HidChannelTest, EachCollectionSeesOnlyItsOwnReports) {
    CHidChannel consumer(backend_);
    ASSERT_TRUE(consumer.OpenPath(ConsumerPath(), true, true, true, false));
    ASSERT_TRUE(channel_.OpenPath(VendorPath(), true, true, true, false));
    EXPECT_EQ(consumer.UsagePage(), 0x000C);
    EXPECT_EQ(consumer.CollectionNumber(), 3);
    EXPECT_EQ(channel_.UsagePage(), 0xFF1C);
    EXPECT_EQ(channel_.Usage(), 0x92);
    EXPECT_EQ(channel_.InterfaceNumber(), 1);
    EXPECT_EQ(channel_.CollectionNumber(), 4);
    EXPECT_EQ(channel_.InputReportLength(), 64);

    fake_.Send(kNode, {0x03, 0x01, 0x04});
    fake_.Send(kNode, VendorReport(0x11));
    fake_.Send(kNode, {0x01, 0x01});  // system control: for neither

    EXPECT_EQ(ReadOne(channel_, 2000), VendorReport(0x11));
    EXPECT_TRUE(ReadOne(channel_, 100).empty());

    const Bytes notification = ReadOne(consumer, 2000);
    EXPECT_EQ(notification, (Bytes{0x03, 0x01, 0x04}));
    EXPECT_TRUE(ReadOne(consumer, 100).empty());

    // The notification threads take the first usage of the first input entry.
    auto& entries = consumer.InputData();
    ASSERT_TRUE(consumer.UnpackReport(notification, platform::HidReportType::Input, entries));
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries[0].usageList.at(0), 0x401);
}

TEST_F(HidChannelTest, TimedOutReadReturnsInTimeWithNothingPending) {
    ASSERT_TRUE(channel_.OpenPath(VendorPath(), true, true, true, false));
    for (const int timeoutMs : {100, 1000}) {
        SCOPED_TRACE(timeoutMs);
        const auto start = Clock::now();
        EXPECT_TRUE(ReadOne(channel_, timeoutMs).empty());
        const auto took = Clock::now() - start;
        EXPECT_GE(took, milliseconds(timeoutMs * 9 / 10));
        EXPECT_LT(took, milliseconds(timeoutMs + 2000));
        EXPECT_FALSE(channel_.ReadPending());

        fake_.Send(kNode, VendorReport(static_cast<std::uint8_t>(timeoutMs)));
        EXPECT_EQ(ReadOne(channel_, 2000), VendorReport(static_cast<std::uint8_t>(timeoutMs)));
    }
}

TEST_F(HidChannelTest, CloseFromAnotherThreadReleasesAnInfiniteRead) {
    ASSERT_TRUE(channel_.OpenPath(ConsumerPath(), true, true, true, false));
    auto reader = std::async(std::launch::async, [&] {
        Bytes buffer(64);
        std::size_t got = 0;
        return channel_.ReadReport(buffer.data(), buffer.size(), &got, platform::kInfiniteTimeout);
    });
    EXPECT_EQ(reader.wait_for(milliseconds(100)), std::future_status::timeout);
    channel_.Close();
    ASSERT_EQ(reader.wait_for(milliseconds(2000)), std::future_status::ready);
    EXPECT_EQ(reader.get(), IoStatus::Cancelled);
    EXPECT_FALSE(channel_.IsOpen());
    EXPECT_FALSE(channel_.ReadPending());
}

// The back end's status reaches the caller: a time-out, a cancel and a
// failure each come out as themselves.
TEST_F(HidChannelTest, ReadTellsATimeOutACancelAndAFailureApart) {
    Bytes buffer(64);
    std::size_t got = 0;
    const auto read = [&](int timeoutMs) { return channel_.ReadReport(buffer.data(), buffer.size(), &got, timeoutMs); };
    const auto closeWhileWaiting = [&] {
        auto reader = std::async(std::launch::async, [&] { return read(platform::kInfiniteTimeout); });
        const auto deadline = Clock::now() + milliseconds(2000);
        while (!channel_.ReadPending() && Clock::now() < deadline) std::this_thread::sleep_for(milliseconds(1));
        std::this_thread::sleep_for(milliseconds(20));  // into the wait itself
        channel_.Close();
        return reader.wait_for(milliseconds(2000)) == std::future_status::ready ? reader.get() : IoStatus::Ok;
    };
    struct Case {
        const char* name;
        std::function<IoStatus()> provoke;
        IoStatus expected;
    };
    // The unplug comes last: the node does not come back.
    const Case cases[] = {
        {"nothing arrives in time", [&] { return read(100); }, IoStatus::TimedOut},
        {"closed from another thread while waiting", closeWhileWaiting, IoStatus::Cancelled},
        {"the channel is closed",
         [&] {
             channel_.Close();
             return read(1000);
         },
         IoStatus::Failed},
        {"the device is gone",
         [&] {
             fake_.Unplug(kNode);
             return read(1000);
         },
         IoStatus::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(channel_.OpenPath(VendorPath(), true, true, true, false));
        got = 99;
        const auto start = Clock::now();
        EXPECT_EQ(c.provoke(), c.expected);
        EXPECT_LT(Clock::now() - start, milliseconds(3000));
        EXPECT_EQ(got, 0u);
        EXPECT_FALSE(channel_.ReadPending());
    }
}

TEST_F(HidChannelTest, OpenOnAVanishedPathFailsAndLeavesTheChannelClosed) {
    ASSERT_TRUE(channel_.OpenPath(VendorPath(), true, true, true, false));
    fake_.Unplug(kNode);
    EXPECT_FALSE(channel_.OpenPath(VendorPath(), true, true, true, false));
    EXPECT_FALSE(channel_.IsOpen());
    EXPECT_EQ(channel_.LastOpenError(), platform::OpenError::NotFound);
    // Nothing of the earlier device is left to be taken for this one.
    EXPECT_EQ(channel_.VendorId(), 0);
    EXPECT_EQ(channel_.UsagePage(), 0);
    EXPECT_TRUE(channel_.InputData().empty());
    EXPECT_EQ(ReadOne(channel_, 100), Bytes{});
}

TEST_F(HidChannelTest, WriteToAnUnpluggedDeviceFailsAtOnce) {
    ASSERT_TRUE(channel_.OpenPath(VendorPath(), true, true, true, false));
    const Bytes report = VendorReport(0x22);
    std::size_t written = 0;
    ASSERT_EQ(channel_.WriteReport(report.data(), report.size(), &written, 1000), IoStatus::Ok);
    EXPECT_EQ(written, report.size());
    EXPECT_EQ(fake_.Received(kNode), report);

    fake_.Unplug(kNode);
    const auto start = Clock::now();
    EXPECT_EQ(channel_.WriteReport(report.data(), report.size(), &written, 5000), IoStatus::Failed);
    EXPECT_LT(Clock::now() - start, milliseconds(2000));
    EXPECT_EQ(written, 0u);
    EXPECT_FALSE(channel_.WritePending());
}

}  // namespace
}  // namespace vandrel::device_io
