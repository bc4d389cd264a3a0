// The per-kind tables: what the program builds for each device kind (its
// option button, page and power panel), how its page is laid out, and the
// model catalogue the update check and the about window read.
//
// Rows are in kind order: mouse, keyboard, mouse pad, headset, and a row is
// named by a KindRow. A device kind is found from the cable row of the kind:
// receiver slots are mapped to the cable row of their twin first (see
// KindKeyOfSlot).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "device_io/supported_devices.h"

namespace vandrel::device_io {

// A row of DeviceKindTable (and of DevicePageTable), in table order.
enum class KindRow : std::uint8_t { Mouse, Keyboard, MousePad, Headset };

inline constexpr std::size_t kKindCount = 4;
inline constexpr std::array<KindRow, kKindCount> kAllKindRows{KindRow::Mouse, KindRow::Keyboard, KindRow::MousePad,
                                                              KindRow::Headset};

// The position of a row, for arrays indexed by kind.
constexpr std::size_t Index(KindRow row) { return static_cast<std::size_t>(row); }

// A row as a number where it leaves the program's types (a device message's
// wParam, the tab button's index), and back: a number that names no row gives
// nothing.
constexpr int KindRowNumber(KindRow row) { return static_cast<int>(row); }
constexpr std::optional<KindRow> KindRowOfNumber(std::int64_t number) {
    if (number < 0 || static_cast<std::uint64_t>(number) >= kKindCount) return std::nullopt;
    return static_cast<KindRow>(number);
}

// The layout of a kind's power panel; the same for every kind.
inline constexpr std::string_view kPowerPanelLayout = "XML/CustomControlXML/MpDevicePower.xml";

struct DeviceKindRow {
    KindRow row;                       // which row this is
    std::string_view kindName;         // also names the kind's settings folder
    std::string_view optionLayout;     // layout of the option button
    std::string_view headerContainer;  // where the option button's header goes
    std::string_view powerContainer;   // where the power panel goes
    std::array<int, 4> displayValues;  // the fourth goes to the device (SetLightNameIndex)
    std::uint16_t vendorId;
    std::uint16_t productId;
    DeviceType deviceType;  // the cable type of the kind
};

struct DevicePageRow {
    int ledCount;
    int keyCount;
    bool powerManaged;
    int logoLed;  // -1: no logo LED
    std::string_view pageLayout;
    std::string_view lightingConfigName;
};

struct ModelCatalogueRow {
    std::array<int, 3> numbers;
    std::string_view brand;
    std::string_view modelCode;
    std::string_view shortName;
    std::string_view displayName;
    std::string_view version;
};

std::span<const DeviceKindRow> DeviceKindTable();
std::span<const DevicePageRow> DevicePageTable();  // same row order as DeviceKindTable
std::span<const ModelCatalogueRow> ModelCatalogue();
const DeviceKindRow& DeviceKind(KindRow row);
const DevicePageRow& DevicePage(KindRow row);

// What a kind is looked up by: the VID, PID and type of its cable row.
struct KindKey {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    DeviceType deviceType{};
    friend bool operator==(const KindKey&, const KindKey&) = default;
};

// The cable type for a device type: receiver mouse -> mouse, receiver
// keyboard -> keyboard; every other type is its own cable type.
DeviceType CableType(DeviceType deviceType);

// The key of the kind a slot belongs to. A receiver slot (mouse or keyboard)
// with a twin (TwinSlot) takes the cable type and its twin's VID and PID, so
// that a device first seen through its receiver still finds its kind. A
// receiver slot without a twin keeps its own VID and PID and finds no kind.
KindKey KindKeyOfSlot(std::span<const DeviceIdentity> slots, std::size_t slot);

// The row of a kind in DeviceKindTable (and DevicePageTable).
std::optional<KindRow> FindDeviceKind(const KindKey& key);
std::optional<KindRow> FindDeviceKindOfSlot(std::span<const DeviceIdentity> slots, std::size_t slot);
std::optional<KindRow> FindDeviceKindByName(std::string_view kindName);

std::optional<std::size_t> FindModelByCode(std::string_view modelCode);
// The program's version as the about window shows it: the last row's.
std::string_view CatalogueVersion();

}  // namespace vandrel::device_io
