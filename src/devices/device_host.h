// IDeviceHost: what a device needs of the window that shows it. The option
// button of the device (its tab) can be shown or hidden, hosts the device's
// timers by id, and passes messages on to the main window. The Qt layer
// implements it; tests record the calls.
//
// ArmTimer may be called from a device's worker threads (the notification
// threads arm timer 1002); an implementation forwards it to the UI thread.
// Everything else is called on the UI thread.
//
// Timers and messages are typed here and become plain numbers only at the
// toolkit's edge and in traces (Number).
#pragma once

#include <cstdint>

namespace vandrel::devices {

// Messages of a device to the main window.
enum class DeviceMessage : std::uint32_t {
    kPowerState = 3329,           // wParam: battery level, lParam: 0
    kOptionLink = 3331,           // wParam: kind row index, lParam: 1 reachable, 0 not
    kSettingsWriteFailed = 3332,  // wParam: kind row index, lParam: the write's status
    // The macros did not go out, and so neither did the key map. wParam: kind
    // row index, lParam: -1 (not written) or n > 0 (n event records too many).
    kMacrosRefused = 3333,
    // A key-map upload (macros, then key map) ended. wParam: kind row index,
    // lParam: its status number (protocol::ToInt): Ok (1) when the key map
    // is on the device; anything else when it is not (after kMacrosRefused,
    // WriteFailed).
    kKeyMapUploaded = 3334,
};

// The option button's timers.
enum class TimerId : int {
    kStream = 1000,
    kFirstSync = 1001,
    kResync = 1002,
    kSpare1003 = 1003,
    kSpare1004 = 1004,
    kPowerState = 1005,
    kLinkCheck = 1007,
};

constexpr std::uint32_t Number(DeviceMessage message) { return static_cast<std::uint32_t>(message); }
constexpr int Number(TimerId timer) { return static_cast<int>(timer); }

class IDeviceHost {
public:
    virtual ~IDeviceHost() = default;

    // One-shot: the timer fires once after periodMs; arming it again replaces
    // the pending shot. Safe from any thread.
    virtual void ArmTimer(TimerId timer, int periodMs) = 0;
    virtual void KillTimer(TimerId timer) = 0;

    virtual bool OptionVisible() const = 0;
    virtual void ShowOption(bool visible) = 0;
    virtual bool OptionSelected() const = 0;

    // Reaches the main window on the UI thread. Safe from any thread.
    virtual void PostMainMessage(DeviceMessage message, std::intptr_t wParam, std::intptr_t lParam) = 0;
};

}  // namespace vandrel::devices
