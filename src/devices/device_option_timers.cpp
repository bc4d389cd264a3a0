#include "devices/device_option_timers.h"

namespace vandrel::devices {

void DeviceOptionTimers::OnTimer(int timerId) {
    struct Entry {
        int id;
        void (*run)(DeviceOptionTimers&);
    };
    static constexpr Entry kTimers[] = {
        {timer::kStream, [](DeviceOptionTimers& t) { t.Stream(); }},
        {timer::kFirstSync, [](DeviceOptionTimers& t) { t.FirstSync(); }},
        {timer::kResync, [](DeviceOptionTimers& t) { t.device_.Resynchronise(); }},
        {timer::kSpare1003, [](DeviceOptionTimers& t) { t.device_.OnTimer1003(); }},
        {timer::kSpare1004, [](DeviceOptionTimers& t) { t.device_.OnTimer1004(); }},
        {timer::kPowerState, [](DeviceOptionTimers& t) { t.PowerState(); }},
        {timer::kLinkCheck, [](DeviceOptionTimers& t) { t.LinkCheck(); }},
    };
    for (const Entry& entry : kTimers)
        if (entry.id == timerId) entry.run(*this);
}

// Armed by the device when its colours changed, not again by itself: the
// stream runs on the device's own worker.
void DeviceOptionTimers::Stream() { device_.RefreshPreview(); }

void DeviceOptionTimers::FirstSync() {
    const bool receiver = device_.IsWireless();
    const bool open = device_.Transport().IsOpen();
    if (receiver && open) {
        if (device_.CheckLink() == protocol::LinkState::Unreachable) {
            if (host_.OptionVisible()) {
                host_.ShowOption(false);
                PostLink(false);
            }
            host_.ArmTimer(timer::kFirstSync, period::kFirstSyncRetryMs);
            return;
        }
        PostLink(true);
    }
    device_.Connect();
    host_.ArmTimer(timer::kStream, period::kFirstPreviewMs);
    if (device_.PowerManaged() && open) host_.ArmTimer(timer::kPowerState, period::kPowerStartMs);
    if (receiver) host_.ArmTimer(timer::kLinkCheck, period::kLinkCheckFirstMs);
}

void DeviceOptionTimers::PowerState() {
    device_.ReadPowerState();
    if (device_.PowerManaged()) host_.ArmTimer(timer::kPowerState, period::kPowerMs);
}

void DeviceOptionTimers::LinkCheck() {
    if (!device_.IsWireless()) return;
    const bool reachable = device_.CheckLink() == protocol::LinkState::Reachable;
    const bool shown = host_.OptionVisible();
    if (reachable && !shown) {
        PostLink(true);
        if (device_.PowerManaged()) device_.ReadPowerState();
    } else if (!reachable && shown) {
        PostLink(false);
    }
    host_.ArmTimer(timer::kLinkCheck, period::kLinkCheckMs);
}

void DeviceOptionTimers::PostLink(bool reachable) {
    host_.PostMainMessage(kMessageOptionLink, device_.KindRowIndex(), reachable ? 1 : 0);
}

}  // namespace vandrel::devices
