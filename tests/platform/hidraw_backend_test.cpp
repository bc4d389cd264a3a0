#include "platform/hidraw_backend.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <future>
#include <string>

#include "fake_hidraw.h"
#include "test_descriptors.h"

namespace vandrel::platform {
namespace {

using test::Bytes;
using test::FakeHidraw;
using test::FakeNode;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr OpenMode kReadWrite{true, true, false};

FakeNode Node(Bytes descriptor, std::uint16_t productId = 0x5078) {
    FakeNode node;
    node.productId = productId;
    node.descriptor = std::move(descriptor);
    return node;
}

class HidrawTest : public testing::Test {
protected:
    std::unique_ptr<IHidDevice> OpenOk(const std::string& path, OpenMode mode = kReadWrite) {
        OpenError error = OpenError::Failed;
        auto device = backend_.Open(path, mode, &error);
        EXPECT_TRUE(device) << path;
        EXPECT_EQ(error, OpenError::None);
        return device;
    }

    FakeHidraw fake_;
    HidrawBackend backend_ = fake_.Backend();
};

// ---------------------------------------------------------------------------
// Enumeration

TEST_F(HidrawTest, EnumeratesEveryCollectionOfEveryNodeInNodeOrder) {
    fake_.Plug(10, Node(test::kVendor, 0x221C));
    fake_.Plug(2, Node(test::kKeyboardInterface));
    FakeNode headset = Node(test::kConsumer, 0x1630);
    headset.vendorId = 0x0C76;
    headset.interfaceNumber = 3;
    fake_.Plug(9, headset);
    FakeNode bluetooth = Node(test::kMouse);
    bluetooth.interfaceNumber.reset();
    fake_.Plug(0, bluetooth);

    const auto paths = backend_.Enumerate();
    ASSERT_TRUE(paths);
    const std::vector<std::string> expected{
        fake_.PathOf(0, "?vid_320f&pid_5078"),  // not on USB: no interface number
        fake_.PathOf(2, "?vid_320f&pid_5078&mi_01&col01"),
        fake_.PathOf(2, "?vid_320f&pid_5078&mi_01&col02"),
        fake_.PathOf(2, "?vid_320f&pid_5078&mi_01&col03"),
        fake_.PathOf(2, "?vid_320f&pid_5078&mi_01&col04"),
        fake_.PathOf(9, "?vid_0c76&pid_1630&mi_03"),  // one collection: no &col
        fake_.PathOf(10, "?vid_320f&pid_221c&mi_01"),
    };
    EXPECT_EQ(*paths, expected);
}

TEST_F(HidrawTest, NodeWithoutUsableDescriptorIsListedOnce) {
    fake_.Plug(0, Node(Bytes{0xA1, 0x01}));  // unbalanced
    FakeNode missing = Node({});
    missing.descriptor.reset();
    fake_.Plug(1, missing);
    const auto paths = backend_.Enumerate();
    ASSERT_TRUE(paths);
    EXPECT_EQ(*paths, (std::vector<std::string>{fake_.PathOf(0, "?vid_320f&pid_5078&mi_01"),
                                                fake_.PathOf(1, "?vid_320f&pid_5078&mi_01")}));
}

TEST(HidrawEnumerate, NoHidrawClassMeansNoPaths) {
    const auto root = std::filesystem::temp_directory_path() / "vandrel-no-such-sysfs";
    HidrawBackend backend(root.string(), "/dev");
    const auto paths = backend.Enumerate();
    ASSERT_TRUE(paths);
    EXPECT_TRUE(paths->empty());
}

// ---------------------------------------------------------------------------
// Open

TEST_F(HidrawTest, OpenedCollectionReportsItsIdentityAndCapabilities) {
    FakeNode node = Node(test::kKeyboardInterface);
    node.bcdDevice = 0x0213;
    fake_.Plug(3, node);
    const auto device = OpenOk(fake_.PathOf(3, "?vid_320f&pid_5078&mi_01&col04"));
    ASSERT_TRUE(device);
    const HidDeviceInfo& info = device->Info();
    EXPECT_EQ(info.vendorId, 0x320F);
    EXPECT_EQ(info.productId, 0x5078);
    EXPECT_EQ(info.versionNumber, 0x0213);
    EXPECT_EQ(info.caps.usagePage, 0xFF1C);
    EXPECT_EQ(info.caps.usage, 0x92);
    EXPECT_EQ(info.caps.inputReportLength, 64);
    EXPECT_EQ(info.caps.outputReportLength, 64);
    EXPECT_EQ(info.caps.featureReportLength, 0);
    EXPECT_EQ(info.caps.reportIds, std::vector<std::uint8_t>{4});
    EXPECT_EQ(info.collectionIndex, 3u);
    EXPECT_EQ(info.reportDescriptor, test::kKeyboardInterface);
}

TEST_F(HidrawTest, OpensTheNodeWithTheAccessAsked) {
    fake_.Plug(0, Node(test::kVendor));
    struct Case {
        OpenMode mode;
        int flags;
    };
    const Case cases[] = {
        {{true, true, false}, O_RDWR | O_NONBLOCK | O_CLOEXEC},
        {{true, false, true}, O_RDONLY | O_NONBLOCK | O_CLOEXEC},
        {{false, true, false}, O_WRONLY | O_NONBLOCK | O_CLOEXEC},
        {{false, false, false}, O_PATH | O_CLOEXEC},  // presence only, no permission needed
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(backend_.Open(fake_.PathOf(0, "?vid_320f&pid_5078&mi_01"), c.mode));
        EXPECT_EQ(fake_.LastOpenFlags(0), c.flags);
    }
}

TEST_F(HidrawTest, OpenFailuresSayWhy) {
    fake_.Plug(0, Node(test::kKeyboardInterface));
    const std::string vendor = fake_.PathOf(0, "?vid_320f&pid_5078&mi_01&col04");
    struct Case {
        const char* what;
        int openErrno;
        std::string path;
        OpenError expected;
    };
    const Case cases[] = {
        {"permission", EACCES, vendor, OpenError::AccessDenied},
        {"not permitted", EPERM, vendor, OpenError::AccessDenied},
        {"busy", EBUSY, vendor, OpenError::Busy},
        {"no device", ENODEV, vendor, OpenError::NotFound},
        {"other error", EIO, vendor, OpenError::Failed},
        {"collection not in descriptor", 0, fake_.PathOf(0, "?vid_320f&pid_5078&mi_01&col05"), OpenError::NotFound},
        {"another device on the node", 0, fake_.PathOf(0, "?vid_320f&pid_221c&mi_01&col04"), OpenError::NotFound},
        {"another interface", 0, fake_.PathOf(0, "?vid_320f&pid_5078&mi_02&col04"), OpenError::NotFound},
        {"not a hidraw node", 0, fake_.DevRoot() + "/sda?vid_320f&pid_5078", OpenError::NotFound},
        {"outside the node folder", 0, "/tmp/hidraw0?vid_320f&pid_5078", OpenError::NotFound},
        {"node that was never there", 0, fake_.PathOf(7, "?vid_320f&pid_5078"), OpenError::NotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake_.FailOpens(0, c.openErrno);
        OpenError error = OpenError::None;
        EXPECT_FALSE(backend_.Open(c.path, kReadWrite, &error));
        EXPECT_EQ(error, c.expected);
    }
}

TEST_F(HidrawTest, VanishedPathNoLongerOpensNorIsPresent) {
    fake_.Plug(1, Node(test::kVendor));
    const std::string path = fake_.PathOf(1, "?vid_320f&pid_5078&mi_01");
    EXPECT_TRUE(backend_.IsPresent(path));
    fake_.Unplug(1);
    EXPECT_FALSE(backend_.IsPresent(path));
    OpenError error = OpenError::None;
    EXPECT_FALSE(backend_.Open(path, kReadWrite, &error));
    EXPECT_EQ(error, OpenError::NotFound);
}

TEST_F(HidrawTest, ReusedNodeNumberIsNotTheOldDevice) {
    fake_.Plug(1, Node(test::kVendor));
    const std::string path = fake_.PathOf(1, "?vid_320f&pid_5078&mi_01");
    fake_.Unplug(1);
    fake_.Plug(1, Node(test::kVendor, 0x221C));
    EXPECT_FALSE(backend_.IsPresent(path));
    EXPECT_TRUE(backend_.IsPresent(fake_.PathOf(1, "?vid_320f&pid_221c&mi_01")));
}

// ---------------------------------------------------------------------------
// Reads and writes

TEST_F(HidrawTest, ReaderGetsOnlyItsCollectionsReports) {
    fake_.Plug(0, Node(test::kKeyboardInterface));
    const auto consumer = OpenOk(fake_.PathOf(0, "?vid_320f&pid_5078&mi_01&col03"));
    ASSERT_TRUE(consumer);
    fake_.Send(0, {0x04, 0xAA, 0xBB});  // a vendor report: dropped for this reader
    fake_.Send(0, {0x03, 0x01, 0x04});
    std::array<std::uint8_t, 64> buffer{};
    const IoResult got = consumer->Read(buffer, 2000);
    ASSERT_EQ(got.status, IoStatus::Ok);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + static_cast<long>(got.bytes)), (Bytes{0x03, 0x01, 0x04}));
    EXPECT_EQ(consumer->Read(buffer, 50).status, IoStatus::TimedOut);
}

TEST_F(HidrawTest, UnnumberedReportsGetAZeroIdByteAndWritesKeepIt) {
    fake_.Plug(0, Node(test::kUnnumberedVendor));
    const auto device = OpenOk(fake_.PathOf(0, "?vid_320f&pid_5078&mi_01"));
    ASSERT_TRUE(device);
    fake_.Send(0, {1, 2, 3, 4, 5, 6, 7, 8});
    std::array<std::uint8_t, 9> buffer{};
    const IoResult got = device->Read(buffer, 2000);
    ASSERT_EQ(got.status, IoStatus::Ok);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + static_cast<long>(got.bytes)), (Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8}));

    const Bytes report{0, 9, 8, 7, 6, 5, 4, 3, 2};
    const IoResult sent = device->Write(report, 2000);
    EXPECT_EQ(sent.status, IoStatus::Ok);
    EXPECT_EQ(sent.bytes, report.size());
    EXPECT_EQ(fake_.Received(0), report);
}

TEST_F(HidrawTest, NodeWithoutDescriptorOpensAndPassesReportsAsRead) {
    FakeNode node = Node({});
    node.descriptor.reset();  // and HIDIOCGRDESC fails on the socket
    fake_.Plug(0, node);
    const auto device = OpenOk(fake_.PathOf(0, "?vid_320f&pid_5078&mi_01"));
    ASSERT_TRUE(device);
    EXPECT_EQ(device->Info().caps.usagePage, 0);
    EXPECT_EQ(device->Info().caps.inputReportLength, 0);
    fake_.Send(0, {0x07, 0x01});
    std::array<std::uint8_t, 8> buffer{};
    const IoResult got = device->Read(buffer, 2000);
    ASSERT_EQ(got.status, IoStatus::Ok);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + static_cast<long>(got.bytes)), (Bytes{0x07, 0x01}));
    EXPECT_FALSE(backend_.Open(fake_.PathOf(0, "?vid_320f&pid_5078&mi_01&col02"), kReadWrite));
}

TEST_F(HidrawTest, ReportLargerThanTheBufferFails) {
    fake_.Plug(0, Node(test::kVendor));
    const auto device = OpenOk(fake_.PathOf(0, "?vid_320f&pid_5078&mi_01"));
    ASSERT_TRUE(device);
    fake_.Send(0, Bytes(64, 0x04));
    std::array<std::uint8_t, 16> small{};
    EXPECT_EQ(device->Read(small, 2000).status, IoStatus::Failed);
}

TEST_F(HidrawTest, AccessNotAskedForFails) {
    fake_.Plug(0, Node(test::kVendor));
    const std::string path = fake_.PathOf(0, "?vid_320f&pid_5078&mi_01");
    std::array<std::uint8_t, 64> buffer{};
    buffer[0] = 4;
    EXPECT_EQ(OpenOk(path, {true, false, false})->Write(buffer, 100).status, IoStatus::Failed);
    EXPECT_EQ(OpenOk(path, {false, true, false})->Read(buffer, 100).status, IoStatus::Failed);
    EXPECT_EQ(OpenOk(path, {false, false, false})->Read(buffer, 100).status, IoStatus::Failed);
}

TEST_F(HidrawTest, TimedOutReadLeavesTheNextReportWhole) {
    fake_.Plug(0, Node(test::kVendor));
    const auto device = OpenOk(fake_.PathOf(0, "?vid_320f&pid_5078&mi_01"));
    ASSERT_TRUE(device);
    std::array<std::uint8_t, 64> buffer{};
    const auto start = Clock::now();
    EXPECT_EQ(device->Read(buffer, 100).status, IoStatus::TimedOut);
    const auto took = Clock::now() - start;
    EXPECT_GE(took, milliseconds(90));
    EXPECT_LT(took, milliseconds(2000));

    Bytes report(64);
    for (std::size_t i = 0; i < report.size(); ++i) report[i] = static_cast<std::uint8_t>(i == 0 ? 4 : i);
    fake_.Send(0, report);
    const IoResult got = device->Read(buffer, 2000);
    ASSERT_EQ(got.status, IoStatus::Ok);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.end()), report);
}

TEST_F(HidrawTest, CancelReleasesAnInfiniteReadAndEveryLaterCall) {
    fake_.Plug(0, Node(test::kVendor));
    const auto device = OpenOk(fake_.PathOf(0, "?vid_320f&pid_5078&mi_01"));
    ASSERT_TRUE(device);
    auto reader = std::async(std::launch::async, [&] {
        std::array<std::uint8_t, 64> buffer{};
        return device->Read(buffer, kInfiniteTimeout).status;
    });
    EXPECT_EQ(reader.wait_for(milliseconds(100)), std::future_status::timeout);  // really waiting
    device->Cancel();
    ASSERT_EQ(reader.wait_for(milliseconds(2000)), std::future_status::ready);
    EXPECT_EQ(reader.get(), IoStatus::Cancelled);

    fake_.Send(0, Bytes(64, 0x04));  // even with a report waiting
    std::array<std::uint8_t, 64> buffer{};
    buffer[0] = 4;
    EXPECT_EQ(device->Read(buffer, kInfiniteTimeout).status, IoStatus::Cancelled);
    EXPECT_EQ(device->Write(buffer, kInfiniteTimeout).status, IoStatus::Cancelled);
}

TEST_F(HidrawTest, UnpluggedDeviceFailsReadsAndWritesAtOnce) {
    fake_.Plug(0, Node(test::kVendor));
    const auto device = OpenOk(fake_.PathOf(0, "?vid_320f&pid_5078&mi_01"));
    ASSERT_TRUE(device);
    auto reader = std::async(std::launch::async, [&] {
        std::array<std::uint8_t, 64> buffer{};
        return device->Read(buffer, kInfiniteTimeout).status;
    });
    fake_.Unplug(0);
    ASSERT_EQ(reader.wait_for(milliseconds(2000)), std::future_status::ready);
    EXPECT_EQ(reader.get(), IoStatus::Failed);

    std::array<std::uint8_t, 64> report{};
    report[0] = 4;
    const auto start = Clock::now();
    EXPECT_EQ(device->Write(report, 5000).status, IoStatus::Failed);
    EXPECT_LT(Clock::now() - start, milliseconds(2000));
}

}  // namespace
}  // namespace vandrel::platform
