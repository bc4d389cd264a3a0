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
