// The simulated device models: what each kind is (USB identity, key slots,
// sensor, memory sizes) and what its memory holds when it leaves the factory.
// Everything that differs between kinds lives in the model table of
// sim_models.cpp; the firmware code is the same for all of them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

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

struct SimModel {
    SimKind kind;
    std::string_view name;  // path prefix: "sim:" + name
    std::uint16_t vendorId;
    std::uint16_t cableProductId;
    std::uint16_t receiverProductId;  // 0: cable only
    std::uint8_t interfaceNumber;
    bool singleCollection;                    // one collection, no "&col" in the path (the headset)
    std::span<const SimKeyCode> factoryKeys;  // one per key slot: K = size
    bool keysHaveLeds;                        // the LED map gives each key slot its LED slot
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
bool HasReceiver(SimKind kind);
std::uint16_t ProductId(SimKind kind, SimLink link);

using SimMemory = std::array<std::vector<std::uint8_t>, kSimRegionCount>;

// Every region of the kind, sized and filled as the device leaves the factory.
SimMemory FactoryMemory(SimKind kind);

}  // namespace vandrel::sim
