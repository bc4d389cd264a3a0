// The simulated back end as the scan thread and the channels meet it: paths,
// identities, descriptors, plugging and its change reports, cancelling and
// notifications.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/hid_descriptor.h"
#include "protocol/commands.h"
#include "sim_test_support.h"

namespace vandrel::sim {
namespace {

using namespace std::chrono_literals;
using test::Pattern;
using test::Request;
using test::SimChannel;
namespace frame = protocol::frame;
namespace cmd = protocol::cmd;
using Clock = std::chrono::steady_clock;

// Test cases print as their names.
template <typename Case>
requires requires(const Case& c) { c.name; }
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// --- Paths and identities -----------------------------------------------------

struct Interface {
    std::string path;
    std::uint16_t usagePage;
    std::uint16_t usage;
    std::int32_t collection;
    std::uint16_t inputLength;
    std::uint16_t outputLength;
};

struct LinkIdentity {
    const char* name;
    SimKind kind;
    SimLink link;
    std::uint16_t vendorId;
    std::uint16_t productId;
    std::int32_t interfaceNumber;
    std::vector<Interface> interfaces;  // sorted by path
};

Interface Companion(std::string path) { return {std::move(path), 0x000C, 0x01, 3, 3, 0}; }
Interface Vendor(std::string path) { return {std::move(path), 0xFF1C, 0x92, 4, 64, 64}; }

const std::vector<LinkIdentity> kLinks{
    {"MouseCable",
     SimKind::Mouse,
     SimLink::Cable,
     0x320F,
     0x221C,
     1,
     {Companion("sim:mouse?vid_320f&pid_221c&mi_01&col03"), Vendor("sim:mouse?vid_320f&pid_221c&mi_01&col04")}},
    {"MouseReceiver",
     SimKind::Mouse,
     SimLink::Receiver,
     0x320F,
     0x221D,
     1,
     {Companion("sim:mouse-receiver?vid_320f&pid_221d&mi_01&col03"),
      Vendor("sim:mouse-receiver?vid_320f&pid_221d&mi_01&col04")}},
    {"KeyboardCable",
     SimKind::Keyboard,
     SimLink::Cable,
     0x320F,
     0x5078,
     1,
     {Companion("sim:keyboard?vid_320f&pid_5078&mi_01&col03"), Vendor("sim:keyboard?vid_320f&pid_5078&mi_01&col04")}},
    {"KeyboardReceiver",
     SimKind::Keyboard,
     SimLink::Receiver,
     0x320F,
     0x5001,
     1,
     {Companion("sim:keyboard-receiver?vid_320f&pid_5001&mi_01&col03"),
      Vendor("sim:keyboard-receiver?vid_320f&pid_5001&mi_01&col04")}},
    {"MousePad",
     SimKind::MousePad,
     SimLink::Cable,
     0x320F,
     0x1004,
     1,
     {Companion("sim:mousepad?vid_320f&pid_1004&mi_01&col03"), Vendor("sim:mousepad?vid_320f&pid_1004&mi_01&col04")}},
    {"Headset",
     SimKind::Headset,
     SimLink::Cable,
     0x0C76,
     0x1630,
     3,
     {{"sim:headset?vid_0c76&pid_1630&mi_03", 0x000C, 0x01, 0, 64, 64}}},
};

class LinkTest : public ::testing::TestWithParam<LinkIdentity> {
protected:
    SimBackend backend_;
};

TEST_P(LinkTest, EnumerateListsOnlyThePluggedLinksPaths) {
    const LinkIdentity& link = GetParam();
    EXPECT_EQ(backend_.Enumerate(), std::vector<std::string>{});
    backend_.Plug(link.kind, link.link);

    std::vector<std::string> expected;
    for (const Interface& i : link.interfaces) expected.push_back(i.path);
    EXPECT_EQ(backend_.Enumerate(), expected);
    EXPECT_EQ(SimBackend::VendorPath(link.kind, link.link), link.interfaces.back().path);
    EXPECT_EQ(SimBackend::CompanionPath(link.kind, link.link), link.interfaces.front().path);
    for (const Interface& i : link.interfaces) EXPECT_TRUE(backend_.IsPresent(i.path)) << i.path;

    backend_.Unplug(link.kind, link.link);
    EXPECT_EQ(backend_.Enumerate(), std::vector<std::string>{});
    for (const Interface& i : link.interfaces) EXPECT_FALSE(backend_.IsPresent(i.path)) << i.path;
}

TEST_P(LinkTest, OpenedChannelHasTheTablesIdentity) {
    const LinkIdentity& link = GetParam();
    backend_.Plug(link.kind, link.link);
    for (const Interface& i : link.interfaces) {
        SCOPED_TRACE(i.path);
        device_io::CHidChannel channel(backend_);
        ASSERT_TRUE(channel.OpenPath(i.path, true, false, true, false));
        EXPECT_EQ(channel.VendorId(), link.vendorId);
        EXPECT_EQ(channel.ProductId(), link.productId);
        EXPECT_EQ(channel.InterfaceNumber(), link.interfaceNumber);
        EXPECT_EQ(channel.CollectionNumber(), i.collection);
        EXPECT_EQ(channel.UsagePage(), i.usagePage);
        EXPECT_EQ(channel.Usage(), i.usage);
        EXPECT_EQ(channel.InputReportLength(), i.inputLength);
        EXPECT_EQ(channel.OutputReportLength(), i.outputLength);
    }
}

// The capabilities the back end reports are the ones its report descriptor
// describes, so hidraw and the simulator look alike to the channel.
TEST_P(LinkTest, ReportDescriptorDescribesTheCollection) {
    const LinkIdentity& link = GetParam();
    backend_.Plug(link.kind, link.link);
    for (const Interface& i : link.interfaces) {
        SCOPED_TRACE(i.path);
        const auto device = backend_.Open(i.path, {true, false, false});
        ASSERT_TRUE(device);
        const platform::HidDeviceInfo& info = device->Info();
        const auto collections = platform::ParseReportDescriptor(info.reportDescriptor);
        ASSERT_TRUE(collections);
        EXPECT_EQ(collections->size(), link.kind == SimKind::Headset ? 1u : 4u);
        ASSERT_LT(info.collectionIndex, collections->size());
        const platform::HidTopCollection& own = (*collections)[info.collectionIndex];
        EXPECT_EQ(own.usagePage, info.caps.usagePage);
        EXPECT_EQ(own.usage, info.caps.usage);
        EXPECT_EQ(own.inputReportLength, info.caps.inputReportLength);
        EXPECT_EQ(own.outputReportLength, info.caps.outputReportLength);
        EXPECT_EQ(own.reportIds, info.caps.reportIds);
    }
}

INSTANTIATE_TEST_SUITE_P(Links, LinkTest, ::testing::ValuesIn(kLinks),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SimBackendTest, DefaultDevicesShareOneFirmwarePerDevice) {
    const auto backend = SimBackend::WithDefaultDevices();
    const auto paths = backend->Enumerate();
    ASSERT_TRUE(paths);
    EXPECT_EQ(paths->size(), 9u);  // mouse 2 x 2, keyboard 2, pad 2, headset 1
    for (const SimKind kind : kAllSimKinds) {
        ASSERT_NE(backend->Firmware(kind), nullptr);
        EXPECT_EQ(backend->Firmware(kind)->Kind(), kind);
    }
    EXPECT_EQ(&backend->Plug(SimKind::Mouse, SimLink::Receiver), backend->Firmware(SimKind::Mouse));
    EXPECT_THROW(backend->Plug(SimKind::MousePad, SimLink::Receiver), std::invalid_argument);
    EXPECT_EQ(SimBackend::VendorPath(SimKind::Headset, SimLink::Receiver), "");
}

TEST(SimBackendTest, UnknownOrUnpluggedPathDoesNotOpen) {
    SimBackend backend;
    EXPECT_EQ(backend.Firmware(SimKind::Mouse), nullptr);
    backend.Plug(SimKind::Mouse);
    for (const std::string& path : {SimBackend::VendorPath(SimKind::Mouse, SimLink::Receiver),
                                    std::string("sim:mouse?vid_320f&pid_221c&mi_01&col05"), std::string("")}) {
        platform::OpenError error = platform::OpenError::None;
        EXPECT_EQ(backend.Open(path, {true, true, false}, &error), nullptr) << path;
        EXPECT_EQ(error, platform::OpenError::NotFound);
        EXPECT_FALSE(backend.IsPresent(path));
    }
}

// --- Plugging, cancelling, routing -----------------------------------------------

// Starts a read without time-out on another thread.
class PendingRead {
public:
    explicit PendingRead(platform::IHidDevice& device) {
        thread_ = std::thread([this, &device] {
            std::array<std::uint8_t, 64> buffer{};
            started_ = true;
            result_ = device.Read(buffer, platform::kInfiniteTimeout);
            finished_ = Clock::now();
        });
        while (!started_) std::this_thread::yield();
        std::this_thread::sleep_for(20ms);  // most likely waiting by now; the outcome is the same if not
    }
    ~PendingRead() { Join(); }

    // The read's result and how long after `since` it came back.
    std::pair<platform::IoResult, Clock::duration> Join(Clock::time_point since = Clock::now()) {
        if (thread_.joinable()) thread_.join();
        return {result_, finished_ - since};
    }

private:
    std::thread thread_;
    std::atomic<bool> started_{false};
    platform::IoResult result_;
    Clock::time_point finished_;
};

TEST(SimBackendTest, UnplugReleasesAWaitingReadAndRemovesThePaths) {
    SimBackend backend;
    SimFirmware& firmware = backend.Plug(SimKind::Keyboard);
    const std::string path = SimBackend::VendorPath(SimKind::Keyboard);
    ASSERT_TRUE(firmware.WriteRegion(SimRegion::Settings, 40, Pattern(3)));
    const auto device = backend.Open(path, {true, true, false});
    ASSERT_TRUE(device);

    PendingRead read(*device);
    const auto unplugged = Clock::now();
    backend.Unplug(SimKind::Keyboard);
    const auto [result, after] = read.Join(unplugged);
    EXPECT_EQ(result.status, platform::IoStatus::Failed);
    EXPECT_LT(after, 2s);

    const auto request = Request(cmd::kReadAt, 1, 0);
    EXPECT_EQ(device->Write(request, 1000).status, platform::IoStatus::Failed);
    EXPECT_EQ(backend.Enumerate(), std::vector<std::string>{});
    EXPECT_FALSE(backend.IsPresent(path));
    EXPECT_EQ(backend.Open(path, {true, true, false}), nullptr);

    backend.Plug(SimKind::Keyboard);  // the same device again, memory kept
    SimChannel channel(backend, path);
    const auto reply = channel.Exchange(Request(cmd::kReadAt, 3, 40));
    ASSERT_TRUE(reply);
    EXPECT_EQ(test::Payload(*reply, 3), Pattern(3));
}

TEST(SimBackendTest, UnplugOfOneLinkLeavesTheOtherWorking) {
    SimBackend backend;
    backend.Plug(SimKind::Mouse, SimLink::Cable);
    backend.Plug(SimKind::Mouse, SimLink::Receiver);
    SimChannel receiver(backend, SimBackend::VendorPath(SimKind::Mouse, SimLink::Receiver));
    backend.Unplug(SimKind::Mouse, SimLink::Cable);
    EXPECT_TRUE(receiver.Exchange(Request(cmd::kSequenceBegin)));
}

TEST(SimBackendTest, ADeniedLinkIsListedAndPresentButDoesNotOpen) {
    SimBackend backend;
    backend.Plug(SimKind::Mouse, SimLink::Cable);
    backend.Plug(SimKind::Mouse, SimLink::Receiver);
    const std::string cable = SimBackend::VendorPath(SimKind::Mouse, SimLink::Cable);
    SimChannel openBefore(backend, cable);
    ASSERT_TRUE(openBefore.Opened());
    backend.SetAccessDenied(SimKind::Mouse, SimLink::Cable, true);

    for (const std::string& path : {cable, SimBackend::CompanionPath(SimKind::Mouse, SimLink::Cable)}) {
        for (const platform::OpenMode mode : {platform::OpenMode{true, false, false}, {false, true, false}}) {
            platform::OpenError error = platform::OpenError::None;
            EXPECT_EQ(backend.Open(path, mode, &error), nullptr) << path;
            EXPECT_EQ(error, platform::OpenError::AccessDenied) << path;
        }
        EXPECT_TRUE(backend.IsPresent(path));
        EXPECT_NE(backend.Open(path, {false, false, false}), nullptr) << "looking needs no access";
    }
    const auto listed = backend.Enumerate();
    ASSERT_TRUE(listed);
    EXPECT_NE(std::find(listed->begin(), listed->end(), cable), listed->end());
    EXPECT_TRUE(openBefore.Exchange(Request(cmd::kSequenceBegin))) << "an open channel keeps working";
    SimChannel receiver(backend, SimBackend::VendorPath(SimKind::Mouse, SimLink::Receiver));
    EXPECT_TRUE(receiver.Exchange(Request(cmd::kSequenceBegin))) << "the other link is not denied";

    backend.SetAccessDenied(SimKind::Mouse, SimLink::Cable, false);
    EXPECT_NE(backend.Open(cable, {true, true, false}), nullptr);
}

struct ChangeStep {
    const char* what;
    std::function<void(SimBackend&)> act;
    bool changesThePaths;
};

// Reports come on the calling thread, so each is counted when the call returns.
TEST(SimBackendTest, EveryWatchHearsOfEachPlugOrUnplugThatChangesThePaths) {
    const ChangeStep steps[] = {
        {"plug the mouse cable", [](SimBackend& b) { b.Plug(SimKind::Mouse); }, true},
        {"plug it again", [](SimBackend& b) { b.Plug(SimKind::Mouse); }, false},
        {"plug its receiver", [](SimBackend& b) { b.Plug(SimKind::Mouse, SimLink::Receiver); }, true},
        {"receiver out of range", [](SimBackend& b) { b.SetOutOfRange(SimKind::Mouse, true); }, false},
        {"deny the cable", [](SimBackend& b) { b.SetAccessDenied(SimKind::Mouse, SimLink::Cable, true); }, true},
        {"deny it again", [](SimBackend& b) { b.SetAccessDenied(SimKind::Mouse, SimLink::Cable, true); }, false},
        {"grant it", [](SimBackend& b) { b.SetAccessDenied(SimKind::Mouse, SimLink::Cable, false); }, true},
        {"unplug the cable", [](SimBackend& b) { b.Unplug(SimKind::Mouse); }, true},
        {"unplug it again", [](SimBackend& b) { b.Unplug(SimKind::Mouse); }, false},
        {"unplug a receiver the pad has not", [](SimBackend& b) { b.Unplug(SimKind::MousePad, SimLink::Receiver); },
         false},
    };
    SimBackend backend;
    std::array<int, 2> heard{};
    auto first = backend.WatchChanges([&] { ++heard[0]; });
    const auto second = backend.WatchChanges([&] { ++heard[1]; });
    ASSERT_TRUE(first && second);
    for (const ChangeStep& step : steps) {
        const std::array<int, 2> before = heard;
        step.act(backend);
        const int expected = step.changesThePaths ? 1 : 0;
        EXPECT_EQ(heard[0] - before[0], expected) << step.what;
        EXPECT_EQ(heard[1] - before[1], expected) << step.what;
    }

    first.reset();
    const std::array<int, 2> before = heard;
    backend.Plug(SimKind::Headset);
    EXPECT_EQ(heard[0], before[0]) << "an ended watch hears nothing";
    EXPECT_EQ(heard[1], before[1] + 1);
}

TEST(SimBackendTest, CancelReleasesAWaitingReadAndLaterCalls) {
    SimBackend backend;
    backend.Plug(SimKind::Mouse);
    const auto device = backend.Open(SimBackend::VendorPath(SimKind::Mouse), {true, true, false});
    ASSERT_TRUE(device);

    PendingRead read(*device);
    const auto cancelled = Clock::now();
    device->Cancel();
    const auto [result, after] = read.Join(cancelled);
    EXPECT_EQ(result.status, platform::IoStatus::Cancelled);
    EXPECT_LT(after, 2s);

    std::array<std::uint8_t, 64> buffer{};
    EXPECT_EQ(device->Read(buffer, 10000).status, platform::IoStatus::Cancelled);
    EXPECT_EQ(device->Write(Request(cmd::kSequenceBegin), 1000).status, platform::IoStatus::Cancelled);
}

TEST(SimBackendTest, ReplyGoesToTheObjectThatWroteTheRequest) {
    SimBackend backend;
    backend.Plug(SimKind::Mouse);
    SimChannel writer(backend, SimBackend::VendorPath(SimKind::Mouse));
    SimChannel other(backend, SimBackend::VendorPath(SimKind::Mouse));

    ASSERT_TRUE(writer.Send(Request(cmd::kReadInfo, 34, 0)));
    EXPECT_FALSE(other.Receive(100));
    const auto reply = writer.Receive();
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[frame::kCommand], cmd::kReadInfo);
}

TEST(SimBackendTest, ReceiverOutOfRangeAnswersForTheDevice) {
    SimBackend backend;
    backend.SetOutOfRange(SimKind::Mouse, true);  // kept until the device is plugged
    SimFirmware& firmware = backend.Plug(SimKind::Mouse, SimLink::Receiver);
    backend.Plug(SimKind::Mouse, SimLink::Cable);
    SimChannel receiver(backend, SimBackend::VendorPath(SimKind::Mouse, SimLink::Receiver));
    SimChannel cable(backend, SimBackend::VendorPath(SimKind::Mouse, SimLink::Cable));
    const std::vector<std::uint8_t> before = firmware.ReadRegion(SimRegion::Settings);

    const auto query = receiver.Exchange(Request(cmd::kLinkQuery));
    ASSERT_TRUE(query);
    EXPECT_EQ((*query)[frame::kCommand], cmd::kLinkQuery);
    EXPECT_EQ((*query)[frame::kPayload], 0) << "unreachable";
    const auto write = receiver.Exchange(Request(cmd::kWriteAt, 4, 300, Pattern(4)));
    ASSERT_TRUE(write);
    EXPECT_EQ((*write)[frame::kCommand], protocol::kReceiverNoDevice);
    EXPECT_EQ(firmware.ReadRegion(SimRegion::Settings), before);

    const auto overCable = cable.Exchange(Request(cmd::kReadAt, 1, 0));
    ASSERT_TRUE(overCable);
    EXPECT_EQ((*overCable)[frame::kCommand], cmd::kReadAt);

    backend.SetOutOfRange(SimKind::Mouse, false);
    const auto back = receiver.Exchange(Request(cmd::kLinkQuery));
    ASSERT_TRUE(back);
    EXPECT_EQ((*back)[frame::kPayload], 0xFF) << "reachable";
}

// --- Output reports ------------------------------------------------------------

TEST(SimBackendTest, OnlyTheCollectionsOwnOutputReportsAreAccepted) {
    SimBackend backend;
    SimFirmware& headset = backend.Plug(SimKind::Headset);
    backend.Plug(SimKind::Mouse);
    SimChannel headsetChannel(backend, SimBackend::VendorPath(SimKind::Headset));
    SimChannel mouseVendor(backend, SimBackend::VendorPath(SimKind::Mouse));
    SimChannel mouseCompanion(backend, SimBackend::CompanionPath(SimKind::Mouse));

    std::vector<std::uint8_t> led(17, 0);
    led[0] = 0xFF;
    led[1] = 0x22;
    led[2] = 0xAA;
    led[4] = 247;
    EXPECT_TRUE(headsetChannel.Send(led));
    EXPECT_EQ(headset.OutputReports(), std::vector<std::vector<std::uint8_t>>{led});
    EXPECT_TRUE(headset.Frames().empty());

    EXPECT_FALSE(mouseVendor.Send(led)) << "no report 0xFF on the vendor collection";
    const protocol::Frame frame = Request(cmd::kSequenceBegin);
    EXPECT_FALSE(mouseCompanion.Send(frame)) << "the companion takes no output";
    EXPECT_FALSE(mouseVendor.Send(std::span(frame).first(63))) << "frames are 64 bytes";
    EXPECT_TRUE(backend.Firmware(SimKind::Mouse)->Frames().empty());
}

// --- Notifications ---------------------------------------------------------------

class NotificationTest : public ::testing::TestWithParam<std::uint16_t> {};

TEST_P(NotificationTest, ReachesEveryOpenCompanionAndDecodes) {
    SimBackend backend;
    SimFirmware& firmware = backend.Plug(SimKind::Mouse, SimLink::Cable);
    backend.Plug(SimKind::Mouse, SimLink::Receiver);
    SimChannel cable(backend, SimBackend::CompanionPath(SimKind::Mouse, SimLink::Cable));
    SimChannel receiver(backend, SimBackend::CompanionPath(SimKind::Mouse, SimLink::Receiver));
    SimChannel vendor(backend, SimBackend::VendorPath(SimKind::Mouse, SimLink::Cable));

    firmware.SendNotificationValue(GetParam());

    for (SimChannel* companion : {&cable, &receiver}) {
        std::array<std::uint8_t, 64> report{};
        std::size_t read = 0;
        ASSERT_EQ(companion->Channel().ReadReport(report.data(), report.size(), &read, 1000), platform::IoStatus::Ok);
        ASSERT_EQ(read, companion->Channel().InputReportLength());
        auto& entries = companion->Channel().InputData();
        ASSERT_TRUE(
            companion->Channel().UnpackReport(std::span(report).first(read), platform::HidReportType::Input, entries));
        ASSERT_FALSE(entries.empty());
        ASSERT_FALSE(entries[0].usageList.empty());
        EXPECT_EQ(entries[0].usageList[0], GetParam());
    }
    EXPECT_FALSE(vendor.Receive(100)) << "notifications are not frames";
}

TEST(SimNotificationTest, ValueForOneLinkReachesOnlyThatLinksCompanion) {
    SimBackend backend;
    SimFirmware& firmware = backend.Plug(SimKind::Mouse, SimLink::Cable);
    backend.Plug(SimKind::Mouse, SimLink::Receiver);
    SimChannel cable(backend, SimBackend::CompanionPath(SimKind::Mouse, SimLink::Cable));
    SimChannel receiver(backend, SimBackend::CompanionPath(SimKind::Mouse, SimLink::Receiver));

    firmware.SendNotificationValue(0x0403, SimLink::Cable);

    std::array<std::uint8_t, 64> report{};
    std::size_t read = 0;
    EXPECT_EQ(cable.Channel().ReadReport(report.data(), report.size(), &read, 1000), platform::IoStatus::Ok);
    EXPECT_NE(receiver.Channel().ReadReport(report.data(), report.size(), &read, 100), platform::IoStatus::Ok);
}

INSTANTIATE_TEST_SUITE_P(Values, NotificationTest, ::testing::Values(0x0401, 0x1123, 0x0505, 0x8002, 0xFFFF));

}  // namespace
}  // namespace vandrel::sim
