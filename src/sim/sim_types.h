// Names shared by the simulated devices: which device, over which link, which
// scripted fault, which memory region.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "protocol/report_frame.h"

namespace vandrel::sim {

enum class SimKind { Mouse, Keyboard, MousePad, Headset };
inline constexpr std::array<SimKind, 4> kAllSimKinds{SimKind::Mouse, SimKind::Keyboard, SimKind::MousePad,
                                                     SimKind::Headset};

// Receiver only for the mouse and the keyboard.
enum class SimLink { Cable, Receiver };

// What goes wrong with a request:
//   NoReply           the device takes the request, but no reply comes back
//   WrongCommand      the reply's command byte is the request's + 0x40
//   StatusFF/FE       the device refuses the request (reply byte 7)
//   ReceiverNoDevice  the reply's command byte is 0xAA
enum class SimFault { NoReply, WrongCommand, StatusFF, StatusFE, ReceiverNoDevice };

// Byte 1 of the power block.
enum class SimCharging : std::uint8_t { Charged = 0, Charging = 1, OnBattery = 2 };

// The companion collection's notification values that the keyboard sends.
enum class SimKeyEvent : std::uint16_t { Press = 0x0500, Release = 0x0600 };
// How a keyboard announces that its active onboard profile changed: high
// byte 0x10, high byte 0x11, or a high byte with bit 7 set and the profile in
// its low four bits.
enum class SimProfileNotice { High10, High11, HighBit7 };

namespace notice {
inline constexpr std::uint16_t kReadSettingsAgain = 0x0401;
inline constexpr std::uint16_t kReadProfilesAgain = 0x0402;

constexpr std::uint16_t KeyEvent(std::uint8_t keySlot, SimKeyEvent event) {
    return static_cast<std::uint16_t>(static_cast<std::uint16_t>(event) | keySlot);
}

constexpr std::uint16_t OnboardProfile(std::uint8_t profile, SimProfileNotice form) {
    const unsigned low = profile & 0x0Fu;
    switch (form) {
        case SimProfileNotice::High10: return static_cast<std::uint16_t>(0x1000u | low);
        case SimProfileNotice::High11: return static_cast<std::uint16_t>(0x1100u | low);
        case SimProfileNotice::HighBit7: break;
    }
    return static_cast<std::uint16_t>((0x80u | low) << 8);
}
}  // namespace notice

enum class SimRegion { Info, Settings, KeyMap, LedMap, ColourPages, Macros, Recoil, LightStream, Power };
inline constexpr std::size_t kSimRegionCount = 9;

constexpr std::size_t RegionIndex(SimRegion region) { return static_cast<std::size_t>(region); }

// One request frame as the device received it.
struct SimFrameRecord {
    protocol::Frame frame;
    bool checksumOk = false;
    SimLink link = SimLink::Cable;
};

}  // namespace vandrel::sim
