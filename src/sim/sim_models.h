// The simulated device models: what each kind is (key slots, sensor, memory
// sizes) and what its memory holds when it leaves the factory. Everything
// that differs between kinds lives in the model table of sim_models.cpp; the
// firmware code is the same for all of them. A model's USB identity (vendor
// and product ids, interface and collection numbers) is that of the
// supported-device table's rows of its device type, and of their twins for
// the receiver.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "device_io/supported_devices.h"
#include "sim/sim_types.h"

namespace vandrel::sim {

inline constexpr std::size_t kSettingsSize = 8 * 128;  // eight onboard profiles of 128 bytes
inline constexpr std::size_t kColourPageStride = 512;
inline constexpr std::size_t kLightStreamSize = 512;  // 170 LEDs x 3 bytes fit
inline constexpr std::size_t kPowerSize = 6;
inline constexpr std::size_t kMacroUnit = 128;  // info byte 18 counts these

// Fields of the 34-byte information block.
namespace info {
inline constexpr std::size_t kKeySlots = 5;
inline constexpr std::size_t kSensorCode = 9;  // 16-bit LE
inline constexpr std::size_t kDpiStep = 11;
inline constexpr std::size_t kHighestSlider = 12;  // 16-bit LE
inline constexpr std::size_t kLowestDpi = 14;      // 16-bit LE
inline constexpr std::size_t kMacroUnits = 18;
}  // namespace info

struct SimKeyCode {
    std::uint8_t type = 0;
    std::uint8_t code1 = 0;
    std::uint8_t code2 = 0;
};

struct SimSensor {
    std::uint16_t code = 0;
    std::uint8_t dpiStep = 0;
    std::uint16_t highestSlider = 0;
    std::uint16_t lowestDpi = 0;
};

// A key slot that holds no key: its key-map entry is all zero, its LED none.
inline constexpr std::uint8_t kNoKey = 0xFF;
inline constexpr std::uint8_t kNoLed = 0xFF;

struct SimModel {
    SimKind kind;
    std::string_view name;                    // path prefix: "sim:" + name
    device_io::DeviceType cableType;          // its rows in the supported-device table
    std::span<const SimKeyCode> factoryKeys;  // the device's keys (the keyboard's: by position)
    // The key of each key slot: an index into factoryKeys, or kNoKey. Empty:
    // key slot s holds factoryKeys[s].
    std::span<const std::uint8_t> slotKeys;
    // The LED slot of each key slot (kNoLed for none). Empty: no LED map.
    std::span<const std::uint8_t> slotLeds;
    std::uint8_t keySlots;  // K, information byte 5; slots past the model's keys hold none
    SimSensor sensor;
    std::uint8_t macroUnits;                       // macro capacity in 128-byte units
    std::vector<std::uint8_t> (*factoryRecord)();  // settings record of every onboard profile
    std::size_t recordStride;
    std::size_t recordCount;
    std::size_t colourPages;
    std::size_t recoilSize;
    std::array<std::uint8_t, kPowerSize> power;
};

const SimModel& ModelOf(SimKind kind);

// The key map of `keySlots` slots (3 bytes each) and its LED map (`keySlots`
// bytes, empty for a kind without one), as the kind leaves the factory.
std::vector<std::uint8_t> FactoryKeyMap(SimKind kind, std::size_t keySlots);
std::vector<std::uint8_t> FactoryLedMap(SimKind kind, std::size_t keySlots);

// The size of one onboard profile's settings record.
std::size_t RecordSize(SimKind kind);

// The supported-device row of the kind's collection in `role` over `link`:
// the row of its cable type, or that row's twin on the receiver. Nothing for
// a link or a collection the kind does not have.
const device_io::DeviceIdentity* SupportedRow(SimKind kind, SimLink link, device_io::DeviceRole role);

bool HasReceiver(SimKind kind);
// A kind without a companion row has a single collection that serves both
// roles (the headset).
bool HasCompanion(SimKind kind);

using SimMemory = std::array<std::vector<std::uint8_t>, kSimRegionCount>;

// Every region of the kind, sized and filled as the device leaves the factory.
SimMemory FactoryMemory(SimKind kind);

}  // namespace vandrel::sim
