// IDeviceHost: what a device needs of the window that shows it. The option
// button of the device (its tab) can be shown or hidden, hosts the device's
// timers by id, and passes messages on to the main window. The Qt layer
// implements it; tests record the calls.
//
// ArmTimer may be called from a device's worker threads (the notification
// threads arm timer 1002); an implementation forwards it to the UI thread.
// Everything else is called on the UI thread.
#pragma once

#include <cstdint>

namespace vandrel::devices {

// Messages to the main window.
inline constexpr std::uint32_t kMessagePowerState = 3329;  // wParam: battery level, lParam: 0
inline constexpr std::uint32_t kMessageOptionLink = 3331;  // wParam: kind row index, lParam: 1 reachable, 0 not
// A settings write failed: wParam the device's kind row index, lParam the status.
inline constexpr std::uint32_t kMessageSettingsWriteFailed = 3332;  // 0x0D04

// The option button's timers.
namespace timer {
inline constexpr int kStream = 1000;
inline constexpr int kFirstSync = 1001;
inline constexpr int kResync = 1002;
inline constexpr int kSpare1003 = 1003;
inline constexpr int kSpare1004 = 1004;
inline constexpr int kPowerState = 1005;
inline constexpr int kLinkCheck = 1007;
}  // namespace timer

class IDeviceHost {
public:
    virtual ~IDeviceHost() = default;

    // One-shot: the timer fires once after periodMs; arming it again replaces
    // the pending shot. Safe from any thread.
    virtual void ArmTimer(int timerId, int periodMs) = 0;
    virtual void KillTimer(int timerId) = 0;

    virtual bool OptionVisible() const = 0;
    virtual void ShowOption(bool visible) = 0;
    virtual bool OptionSelected() const = 0;

    virtual void PostMainMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) = 0;
};

}  // namespace vandrel::devices
