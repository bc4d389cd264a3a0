// HID report descriptors of the simulated interfaces and the capabilities of
// their collections.
//
// The mouse, keyboard and mouse pad interface (interface 1) has four
// top-level collections, as such gaming devices commonly do:
//   col01  keyboard (report id 1)           not served by the simulator
//   col02  system control (report id 2)     not served by the simulator
//   col03  consumer control (report id 3)   the companion: notifications
//   col04  vendor 0xFF1C/0x92 (report id 4) the 64-byte frames, both ways
// The first two exist only so that the collection numbers are those of the
// real interface.
//
// Notification report (collection 3 and the headset): report id 3 and one
// 16-bit consumer selector, little-endian, with logical and usage range
// 1..0xFFFF. Decoded as a usage array, the first usage of the first input
// entry is the notification value itself (0x401, 0x1123, 0x0505 ...).
//
// The headset (interface 3) has a single consumer collection that carries the
// notification input, the 64-byte frames (id 4) and its 17-byte LED output
// reports (id 0xFF).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/hid_backend.h"

namespace vandrel::sim {

enum class SimCollection { Vendor, Companion, Single };

inline constexpr std::uint8_t kNotificationReportId = 3;
inline constexpr std::uint8_t kFrameReportId = 4;
inline constexpr std::uint8_t kHeadsetLedReportId = 0xFF;

struct SimCollectionLayout {
    SimCollection collection;
    std::size_t index;  // 0-based top-level collection in the interface descriptor
    platform::HidCollectionCaps caps;
    std::vector<std::uint8_t> inputIds;
    std::vector<std::uint8_t> outputIds;
};

const SimCollectionLayout& CollectionLayout(SimCollection collection);

// The descriptor of the whole interface that holds the collection.
std::span<const std::uint8_t> InterfaceDescriptor(SimCollection collection);

// A notification input report carrying value.
std::vector<std::uint8_t> NotificationReport(std::uint16_t value);

}  // namespace vandrel::sim
