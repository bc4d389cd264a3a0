// The numbers a device path carries after its node or device name, in the
// form every back end gives and the scan parses:
//   /dev/hidraw3?vid_320f&pid_5078&mi_01&col04
//   sim:mouse?vid_320f&pid_221c&mi_01&col04
// All hexadecimal. "mi_" is the USB interface number (absent for a device
// that is not USB), "col" the 1-based top-level collection when the interface
// has more than one (absent otherwise).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vandrel::platform {

inline constexpr std::string_view kVendorMarker = "vid_";
inline constexpr std::string_view kProductMarker = "pid_";
inline constexpr std::string_view kInterfaceMarker = "&mi_";
inline constexpr std::string_view kCollectionMarker = "&col";

// The hexadecimal number (at most 8 digits) after the first `marker` in
// `path`, found without regard to case; nothing when the marker is absent, 0
// when no digit follows it.
std::optional<std::uint32_t> PathNumberAfter(std::string_view path, std::string_view marker);

struct PathNumbers {
    std::optional<std::uint32_t> vendorId;
    std::optional<std::uint32_t> productId;
    std::optional<std::uint32_t> interfaceNumber;
    std::optional<std::uint32_t> collection;
    bool operator==(const PathNumbers&) const = default;
};

PathNumbers ReadPathNumbers(std::string_view path);

// "?vid_vvvv&pid_pppp" with "&mi_ii" and "&colcc" when given; an absent
// vendor or product id is written as 0.
std::string FormatPathNumbers(const PathNumbers& numbers);

}  // namespace vandrel::platform
