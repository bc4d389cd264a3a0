// DeviceOptionTimers: the timers that the option button of a device runs for
// it (ids 1000-1007), against the device and its host. The host fires a timer
// once per arming; OnTimer runs that timer's work and arms it again where the
// timer repeats:
//
//   1000  RefreshPreview: the page's LED previews; armed by the device when
//         its colours changed (at most about 30 times a second, never while
//         the window is hidden), and once after the first synchronisation
//   1001  first synchronisation (armed 500 ms after opening); on the receiver
//         an unreachable device hides its option and is tried again after
//         3000 ms; then Connect, and start 1000, 1005 and (receiver) 1007
//   1002  Resynchronise (armed by the notification threads)
//   1003, 1004  the kinds' spare hooks; the kinds arm them
//   1005  ReadPowerState; again after 5000 ms while power-managed
//   1007  link check on the receiver; again after 3000 ms while on it
#pragma once

#include "devices/device_host.h"
#include "devices/usb_device.h"

namespace vandrel::devices {

namespace period {
inline constexpr int kFirstPreviewMs = 5;
inline constexpr int kFirstSyncMs = 500;
inline constexpr int kFirstSyncRetryMs = 3000;
inline constexpr int kPowerStartMs = 50;
inline constexpr int kPowerMs = 5000;
inline constexpr int kLinkCheckFirstMs = 2000;
inline constexpr int kLinkCheckMs = 3000;
}  // namespace period

class DeviceOptionTimers {
public:
    DeviceOptionTimers(CMorvaneUSBDevice& device, IDeviceHost& host) : device_(device), host_(host) {}

    // Arms timer 1001: the device manager calls it after opening the device.
    void ArmFirstSync() { host_.ArmTimer(TimerId::kFirstSync, period::kFirstSyncMs); }
    void OnTimer(TimerId timer);

private:
    void Stream();
    void FirstSync();
    void PowerState();
    void LinkCheck();
    void PostLink(bool reachable);

    CMorvaneUSBDevice& device_;
    IDeviceHost& host_;
};

}  // namespace vandrel::devices
