#include "devices/device_option_timers.h"

namespace vandrel::devices {

void DeviceOptionTimers::OnTimer(TimerId timer) {
    struct Entry {
        TimerId id;
        void (*run)(DeviceOptionTimers&);
    };
    static constexpr Entry kTimers[] = {
        {TimerId::kStream, [](DeviceOptionTimers& t) { t.Stream(); }},
        {TimerId::kFirstSync, [](DeviceOptionTimers& t) { t.FirstSync(); }},
        {TimerId::kResync, [](DeviceOptionTimers& t) { t.device_.Resynchronise(); }},
        {TimerId::kSpare1003, [](DeviceOptionTimers& t) { t.device_.OnTimer1003(); }},
        {TimerId::kSpare1004, [](DeviceOptionTimers& t) { t.device_.OnTimer1004(); }},
        {TimerId::kPowerState, [](DeviceOptionTimers& t) { t.PowerState(); }},
        {TimerId::kLinkCheck, [](DeviceOptionTimers& t) { t.LinkCheck(); }},
    };
    for (const Entry& entry : kTimers)
        if (entry.id == timer) entry.run(*this);
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
            host_.ArmTimer(TimerId::kFirstSync, period::kFirstSyncRetryMs);
            return;
        }
        PostLink(true);
    }
    device_.Connect();
    host_.ArmTimer(TimerId::kStream, period::kFirstPreviewMs);
    if (device_.PowerManaged() && open) host_.ArmTimer(TimerId::kPowerState, period::kPowerStartMs);
    if (receiver) host_.ArmTimer(TimerId::kLinkCheck, period::kLinkCheckFirstMs);
}

void DeviceOptionTimers::PowerState() {
    ReadPowerStateOf(device_);
    if (device_.PowerManaged()) host_.ArmTimer(TimerId::kPowerState, period::kPowerMs);
}

void DeviceOptionTimers::LinkCheck() {
    if (!device_.IsWireless()) return;
    const bool reachable = device_.CheckLink() == protocol::LinkState::Reachable;
    const bool shown = host_.OptionVisible();
    if (reachable && !shown) {
        PostLink(true);
        if (device_.PowerManaged()) ReadPowerStateOf(device_);
    } else if (!reachable && shown) {
        PostLink(false);
    }
    host_.ArmTimer(TimerId::kLinkCheck, period::kLinkCheckMs);
}

void DeviceOptionTimers::PostLink(bool reachable) {
    host_.PostMainMessage(DeviceMessage::kOptionLink, device_io::KindRowNumber(device_.KindRow()), reachable ? 1 : 0);
}

}  // namespace vandrel::devices
