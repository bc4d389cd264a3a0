// The option button's timers: what each firing runs on the device and the
// host, and with which period it is armed again.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "devices/device_option_timers.h"
#include "sim/sim_backend.h"
#include "support/fake_device_host.h"

namespace vandrel::devices {
namespace {

// Records the hooks the timers run, in the host's log.
class RecordingDevice : public CMorvaneUSBDevice, public IPower {
public:
    RecordingDevice(platform::IHidBackend& backend, testing::FakeDeviceHost& log)
        : CMorvaneUSBDevice(backend), log_(log) {
        Offer<IPower>(*this);
    }
    ~RecordingDevice() override { Shutdown(); }

    void RefreshPreview() override { log_.Log("RefreshPreview"); }
    void Connect() override { log_.Log("Connect"); }
    void Resynchronise() override { log_.Log("Resynchronise"); }
    void OnTimer1003() override { log_.Log("OnTimer1003"); }
    void OnTimer1004() override { log_.Log("OnTimer1004"); }
    void ReadPowerState() override { log_.Log("ReadPowerState"); }
    void SetPowerSink(PowerSink /*sink*/) override {}
    protocol::LinkState CheckLink() override {
        log_.Log("CheckLink");
        return reachable ? protocol::LinkState::Reachable : protocol::LinkState::Unreachable;
    }

    bool reachable = true;

private:
    testing::FakeDeviceHost& log_;
};

using enum TimerId;

struct TimerCase {
    const char* what;
    TimerId timer;
    bool receiver;
    bool open;
    bool powerManaged;
    bool reachable;
    bool optionVisible;
    bool optionSelected;
    std::vector<std::string> calls;
};

class OptionTimersTest : public ::testing::TestWithParam<TimerCase> {};

TEST_P(OptionTimersTest, RunsItsWorkAndRearms) {
    const TimerCase& c = GetParam();
    sim::SimBackend backend;
    testing::FakeDeviceHost host;
    RecordingDevice device(backend, host);
    device.SetKindRow(device_io::KindRow::Headset);
    device.SetPowerManaged(c.powerManaged);
    device.Transport().SetLinkMode(c.receiver ? 2 : 1);
    device.Transport().SetOpen(c.open);
    device.reachable = c.reachable;
    host.visible = c.optionVisible;
    host.selected = c.optionSelected;
    DeviceOptionTimers timers(device, host);

    timers.OnTimer(c.timer);

    EXPECT_EQ(host.Lines(), c.calls);
}

// Shorthands: cable (C) or receiver (R), open, power-managed, reachable,
// option visible, option selected.
constexpr bool C = false, R = true;

INSTANTIATE_TEST_SUITE_P(
    Timers, OptionTimersTest,
    ::testing::Values(
        // The preview timer paints once and is armed again only by a change.
        TimerCase{"preview cable", kStream, C, true, false, true, true, true, {"RefreshPreview"}},
        TimerCase{"preview receiver", kStream, R, true, false, true, true, false, {"RefreshPreview"}},
        TimerCase{
            "first sync cable", kFirstSync, C, true, true, true, true, false, {"Connect", "arm 1000 5", "arm 1005 50"}},
        TimerCase{
            "first sync cable unmanaged", kFirstSync, C, true, false, false, true, false, {"Connect", "arm 1000 5"}},
        TimerCase{"first sync receiver reachable",
                  kFirstSync,
                  R,
                  true,
                  true,
                  true,
                  false,
                  false,
                  {"CheckLink", "post 3331 3 1", "Connect", "arm 1000 5", "arm 1005 50", "arm 1007 2000"}},
        TimerCase{"first sync receiver unreachable shown",
                  kFirstSync,
                  R,
                  true,
                  true,
                  false,
                  true,
                  false,
                  {"CheckLink", "hide", "post 3331 3 0", "arm 1001 3000"}},
        TimerCase{"first sync receiver unreachable hidden",
                  kFirstSync,
                  R,
                  true,
                  true,
                  false,
                  false,
                  false,
                  {"CheckLink", "arm 1001 3000"}},
        TimerCase{"resync", kResync, C, true, false, true, true, false, {"Resynchronise"}},
        TimerCase{"spare 1003", kSpare1003, C, true, false, true, true, false, {"OnTimer1003"}},
        TimerCase{"spare 1004", kSpare1004, C, true, false, true, true, false, {"OnTimer1004"}},
        TimerCase{"power managed", kPowerState, C, true, true, true, true, false, {"ReadPowerState", "arm 1005 5000"}},
        TimerCase{"power unmanaged", kPowerState, C, true, false, true, true, false, {"ReadPowerState"}},
        TimerCase{"link back",
                  kLinkCheck,
                  R,
                  true,
                  true,
                  true,
                  false,
                  false,
                  {"CheckLink", "post 3331 3 1", "ReadPowerState", "arm 1007 3000"}},
        TimerCase{"link lost",
                  kLinkCheck,
                  R,
                  true,
                  true,
                  false,
                  true,
                  false,
                  {"CheckLink", "post 3331 3 0", "arm 1007 3000"}},
        TimerCase{"link unchanged", kLinkCheck, R, true, true, true, true, false, {"CheckLink", "arm 1007 3000"}},
        TimerCase{"link check on the cable", kLinkCheck, C, true, true, true, true, false, {}},
        TimerCase{"unknown timer", static_cast<TimerId>(1006), C, true, true, true, true, false, {}}),
    [](const ::testing::TestParamInfo<TimerCase>& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        return name;
    });

TEST(DeviceOptionTimers, FirstSyncIsArmedAfter500ms) {
    sim::SimBackend backend;
    testing::FakeDeviceHost host;
    CMorvaneUSBDevice device(backend);
    DeviceOptionTimers(device, host).ArmFirstSync();
    EXPECT_EQ(host.Lines(), std::vector<std::string>{"arm 1001 500"});
}

}  // namespace
}  // namespace vandrel::devices
