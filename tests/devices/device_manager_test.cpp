// The device manager's rules, driven by hand: the test plays both the scan
// thread (it marks slots and reports them) and the UI thread.
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "devices/device_manager.h"
#include "protocol/commands.h"
#include "sim/sim_backend.h"
#include "support/fake_device_host.h"

namespace vandrel::devices {
namespace {

using sim::SimKind;
using sim::SimLink;

using device_io::Index;
using device_io::KindRow;

constexpr KindRow kMouseRow = KindRow::Mouse, kKeyboardRow = KindRow::Keyboard, kPadRow = KindRow::MousePad,
                  kHeadsetRow = KindRow::Headset;
constexpr std::size_t kKeyboardReceiver = 2, kMouseCable = 4, kMouseReceiver = 6, kPadVendor = 8, kHeadsetVendor = 10;

class PlainDeviceFactory : public IDeviceFactory {
public:
    explicit PlainDeviceFactory(platform::IHidBackend& backend) : backend_(backend) {}
    std::optional<DeviceObjects> Create(KindRow kindRow) override {
        auto host = std::make_unique<testing::FakeDeviceHost>();
        hosts[Index(kindRow)] = host.get();
        return DeviceObjects{std::move(host), std::make_unique<CMorvaneUSBDevice>(backend_)};
    }
    void AttachPage(KindRow, CMorvaneUSBDevice&) override {}

    std::array<testing::FakeDeviceHost*, device_io::kKindCount> hosts{};  // by Index of the kind row

private:
    platform::IHidBackend& backend_;
};

// Records the manager's events; a selection is also marked on the tabs, as
// the window's tab group does (one selected tab at most).
class RecordingEvents : public IDeviceManagerEvents {
public:
    explicit RecordingEvents(const std::array<testing::FakeDeviceHost*, device_io::kKindCount>& tabs) : tabs_(tabs) {}
    void OnSelectionChanged(std::optional<KindRow> kindRow) override {
        selections.push_back(kindRow);
        if (kindRow) SelectTab(*kindRow);
    }
    void OnOpenFailed(std::size_t slot, const std::string&) override { failedSlots.push_back(slot); }

    void SelectTab(KindRow kindRow) {
        for (const KindRow row : device_io::kAllKindRows)
            if (testing::FakeDeviceHost* tab = tabs_[Index(row)]) tab->selected = row == kindRow;
    }

    std::vector<std::optional<KindRow>> selections;
    std::vector<std::size_t> failedSlots;

private:
    const std::array<testing::FakeDeviceHost*, device_io::kKindCount>& tabs_;
};

class DeviceManagerTest : public ::testing::Test {
protected:
    // What the scan thread does before it reports the slot.
    void Arrive(std::size_t slot, const std::string& path) {
        slots[slot].connected = 1;
        slots[slot].devicePath = path;
        manager.OnDeviceArrived(slot);
    }
    void Remove(std::size_t slot) {
        slots[slot].connected = 0;
        slots[slot].devicePath.clear();
        manager.OnDeviceRemoved(slot);
    }

    sim::SimBackend backend;
    PlainDeviceFactory factory{backend};
    RecordingEvents events{factory.hosts};
    device_io::SlotList slots = device_io::MakeSlotList();
    CDeviceManager manager{backend, [this] { return slots; }, factory, &events};
};

int LinkQueries(const sim::SimFirmware& firmware) {
    int count = 0;
    for (const auto& record : firmware.Frames())
        if (record.frame[protocol::frame::kCommand] == protocol::cmd::kLinkQuery) ++count;
    return count;
}

struct LinkPollCase {
    const char* what;
    bool powerManaged;
    bool outOfRange;
    int queries;
};

class LinkPollTest : public DeviceManagerTest, public ::testing::WithParamInterface<LinkPollCase> {};

// Moving to the receiver asks a power-managed device whether it answers, up
// to 26 times, stopping at the first yes.
TEST_P(LinkPollTest, CableRemovedWithReceiverPresent) {
    const LinkPollCase& c = GetParam();
    sim::SimFirmware& firmware = backend.Plug(SimKind::Mouse, SimLink::Cable);
    backend.Plug(SimKind::Mouse, SimLink::Receiver);
    Arrive(kMouseCable, sim::SimBackend::VendorPath(SimKind::Mouse, SimLink::Cable));
    Arrive(kMouseReceiver, sim::SimBackend::VendorPath(SimKind::Mouse, SimLink::Receiver));
    CMorvaneUSBDevice& mouse = *manager.Device(kMouseRow);
    mouse.SetPowerManaged(c.powerManaged);
    backend.SetOutOfRange(SimKind::Mouse, c.outOfRange);
    firmware.ClearFrames();

    backend.Unplug(SimKind::Mouse, SimLink::Cable);
    Remove(kMouseCable);

    EXPECT_EQ(LinkQueries(firmware), c.queries);
    EXPECT_TRUE(mouse.Transport().IsOpen());
    EXPECT_TRUE(mouse.Transport().IsWireless());
    EXPECT_TRUE(factory.hosts[Index(kMouseRow)]->WaitForLine("arm 1007 2000", std::chrono::milliseconds(0)));
}

INSTANTIATE_TEST_SUITE_P(Cases, LinkPollTest,
                         ::testing::Values(LinkPollCase{"reachable", true, false, 1},
                                           LinkPollCase{"out_of_range", true, true, 26},
                                           LinkPollCase{"not_power_managed", false, true, 0}),
                         [](const auto& info) { return std::string(info.param.what); });

// A cable arriving while the device runs on its receiver takes over and tells
// the window the device is reachable.
TEST_F(DeviceManagerTest, CableArrivalSwitchesFromTheReceiver) {
    backend.Plug(SimKind::Mouse, SimLink::Receiver);
    Arrive(kMouseReceiver, sim::SimBackend::VendorPath(SimKind::Mouse, SimLink::Receiver));
    CMorvaneUSBDevice& mouse = *manager.Device(kMouseRow);
    ASSERT_TRUE(mouse.Transport().IsWireless());
    EXPECT_FALSE(factory.hosts[Index(kMouseRow)]->OptionVisible());  // shown by the link check, not here

    backend.Plug(SimKind::Mouse, SimLink::Cable);
    Arrive(kMouseCable, sim::SimBackend::VendorPath(SimKind::Mouse, SimLink::Cable));

    EXPECT_TRUE(mouse.Transport().IsOpen());
    EXPECT_FALSE(mouse.Transport().IsWireless());
    EXPECT_EQ(mouse.Transport().ChunkSize(), protocol::kWiredChunk);
    EXPECT_TRUE(mouse.Transport().WiredChannel().IsOpen());
    EXPECT_TRUE(factory.hosts[Index(kMouseRow)]->WaitForLine("post 3331 0 1", std::chrono::milliseconds(0)));
    EXPECT_EQ(manager.Selected(), kMouseRow);
}

// A path that does not open leaves the device closed and is reported; a
// retry once the node opens brings the device up without a new arrival.
TEST_F(DeviceManagerTest, FailedOpenIsReportedAndRetried) {
    Arrive(kPadVendor, sim::SimBackend::VendorPath(SimKind::MousePad));  // not plugged yet
    CMorvaneUSBDevice& pad = *manager.Device(kPadRow);
    EXPECT_FALSE(pad.Transport().IsOpen());
    EXPECT_EQ(events.failedSlots, std::vector<std::size_t>{kPadVendor});
    EXPECT_FALSE(factory.hosts[Index(kPadRow)]->WaitForLine("arm 1001 500", std::chrono::milliseconds(0)));

    backend.Plug(SimKind::MousePad);
    manager.RetryFailedOpens();
    EXPECT_TRUE(pad.Transport().IsOpen());
    EXPECT_FALSE(manager.HasFailedOpens());
    EXPECT_TRUE(factory.hosts[Index(kPadRow)]->WaitForLine("arm 1001 500", std::chrono::milliseconds(0)));
}

TEST_F(DeviceManagerTest, RetryForgetsSlotsRemovedMeanwhile) {
    Arrive(kPadVendor, sim::SimBackend::VendorPath(SimKind::MousePad));
    Remove(kPadVendor);
    backend.Plug(SimKind::MousePad);
    manager.RetryFailedOpens();
    EXPECT_FALSE(manager.Device(kPadRow)->Transport().IsOpen());
}

// The first tab shown is selected; a later one is not; hiding the selected
// tab hands the selection to a visible one, and to none when none is left.
TEST_F(DeviceManagerTest, SelectionFollowsTheVisibleTabs) {
    backend.Plug(SimKind::Mouse, SimLink::Cable);
    backend.Plug(SimKind::MousePad);
    Arrive(kMouseCable, sim::SimBackend::VendorPath(SimKind::Mouse, SimLink::Cable));
    Arrive(kPadVendor, sim::SimBackend::VendorPath(SimKind::MousePad));
    EXPECT_TRUE(factory.hosts[Index(kPadRow)]->OptionVisible());

    backend.Unplug(SimKind::Mouse, SimLink::Cable);
    Remove(kMouseCable);
    backend.Unplug(SimKind::MousePad);
    Remove(kPadVendor);

    const std::vector<std::optional<KindRow>> expected{kMouseRow, kPadRow, std::nullopt};
    EXPECT_EQ(events.selections, expected);
    EXPECT_FALSE(manager.AnyOptionVisible());
}

// What happens to the three attached devices in a link case.
struct LinkStep {
    enum What { Lost, Back, Click, UnplugHeadset } what;
    KindRow kindRow = kHeadsetRow;
};

struct LinkCase {
    const char* what;
    std::vector<LinkStep> steps;
    std::vector<KindRow> shown;
    std::optional<KindRow> selected;
};

void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.what; }

class LinkTabsTest : public DeviceManagerTest, public ::testing::WithParamInterface<LinkCase> {
protected:
    // The mouse and the keyboard behind their receivers, shown by their link
    // checks in that order, then the headset: three tabs, the mouse's selected.
    void SetUp() override {
        backend.Plug(SimKind::Mouse, SimLink::Receiver);
        Arrive(kMouseReceiver, sim::SimBackend::VendorPath(SimKind::Mouse, SimLink::Receiver));
        manager.SetLinkReachable(kMouseRow, true);
        backend.Plug(SimKind::Keyboard, SimLink::Receiver);
        Arrive(kKeyboardReceiver, sim::SimBackend::VendorPath(SimKind::Keyboard, SimLink::Receiver));
        manager.SetLinkReachable(kKeyboardRow, true);
        backend.Plug(SimKind::Headset);
        Arrive(kHeadsetVendor, sim::SimBackend::VendorPath(SimKind::Headset));
    }

    void Run(const LinkStep& step) {
        switch (step.what) {
            case LinkStep::Lost: manager.SetLinkReachable(step.kindRow, false); break;
            case LinkStep::Back: manager.SetLinkReachable(step.kindRow, true); break;
            case LinkStep::Click: events.SelectTab(step.kindRow); break;
            case LinkStep::UnplugHeadset:
                backend.Unplug(SimKind::Headset);
                Remove(kHeadsetVendor);
                break;
        }
    }

    // The tabs as the window shows them.
    std::vector<KindRow> ShownTabs() const {
        std::vector<KindRow> shown;
        for (const KindRow row : device_io::kAllKindRows)
            if (factory.hosts[Index(row)] && factory.hosts[Index(row)]->OptionVisible()) shown.push_back(row);
        return shown;
    }
    std::optional<KindRow> SelectedTab() const {
        for (const KindRow row : ShownTabs())
            if (factory.hosts[Index(row)]->OptionSelected()) return row;
        return std::nullopt;
    }
};

TEST_P(LinkTabsTest, ShowsAndSelectsTheTabs) {
    const LinkCase& c = GetParam();
    for (const LinkStep& step : c.steps) Run(step);
    EXPECT_EQ(ShownTabs(), c.shown);
    EXPECT_EQ(SelectedTab(), c.selected);
}

using S = LinkStep;
INSTANTIATE_TEST_SUITE_P(
    Cases, LinkTabsTest,
    ::testing::Values(
        LinkCase{"selected_lost_hands_over", {{S::Lost, kMouseRow}}, {kKeyboardRow, kHeadsetRow}, kKeyboardRow},
        LinkCase{"other_lost_keeps_selection", {{S::Lost, kKeyboardRow}}, {kMouseRow, kHeadsetRow}, kMouseRow},
        LinkCase{"back_leaves_the_selection",
                 {{S::Lost, kMouseRow}, {S::Back, kMouseRow}},
                 {kMouseRow, kKeyboardRow, kHeadsetRow},
                 kKeyboardRow},
        LinkCase{"back_while_shown_changes_nothing",
                 {{S::Back, kKeyboardRow}},
                 {kMouseRow, kKeyboardRow, kHeadsetRow},
                 kMouseRow},
        LinkCase{"both_lost", {{S::Lost, kMouseRow}, {S::Lost, kKeyboardRow}}, {kHeadsetRow}, kHeadsetRow},
        LinkCase{"user_choice_kept",
                 {{S::Click, kHeadsetRow}, {S::Lost, kMouseRow}},
                 {kKeyboardRow, kHeadsetRow},
                 kHeadsetRow},
        LinkCase{"user_choice_lost_hands_over",
                 {{S::Click, kKeyboardRow}, {S::Lost, kKeyboardRow}},
                 {kMouseRow, kHeadsetRow},
                 kMouseRow},
        LinkCase{"nothing_left", {{S::Lost, kMouseRow}, {S::Lost, kKeyboardRow}, {S::UnplugHeadset}}, {}, std::nullopt},
        LinkCase{"back_alone_is_selected",
                 {{S::Lost, kMouseRow}, {S::Lost, kKeyboardRow}, {S::UnplugHeadset}, {S::Back, kKeyboardRow}},
                 {kKeyboardRow},
                 kKeyboardRow}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace vandrel::devices
