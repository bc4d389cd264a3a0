// The headset's profile document: the base records plus the eight system
// values (voice changer, equaliser choice, microphone and monitoring), the
// equaliser curves of the presets and of the custom slots, and the names of
// the custom slots.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "profiles/basic_profile_data.h"

namespace vandrel::profiles {

// "SystemSetStages" in member order: MagicEnable, MagicType, EqType,
// CustomEqSeletIndex, MicInSelect, MicInValue, MicMoniterSelect,
// MicMoniterValue.
using HeadsetSystem = std::array<std::int32_t, 8>;

class CDa6533Profiledata : public CBasicProfiledata {
public:
    static constexpr int kBandCount = 10;
    static constexpr int kCustomEqType = 13;  // EqType of a custom curve
    static constexpr int kCustomSlotCount = 20;

    using CBasicProfiledata::CBasicProfiledata;

    // All zero without "SystemSetStages".
    HeadsetSystem GetHeadsetSystem();
    void SetHeadsetSystem(const HeadsetSystem& values);

    // The element of "EQHzValueInfo" that holds preset p: p for 1..12,
    // 1 for 0, negative values and values above 13, none (-1) for 13.
    static int PresetIndex(int preset);

    // The 10 band gains of preset p; bands the section lacks are written as
    // 0. Empty for the custom choice 13.
    std::vector<int> GetPresetCurve(int preset);
    void SetPresetCurve(int preset, const std::vector<int>& gains);
    // The same for custom slot s (0..19); a slot out of range reads as ten
    // zeros and changes nothing.
    std::vector<int> GetCustomCurve(int slot);
    void SetCustomCurve(int slot, const std::vector<int>& gains);

    // Every "Name" of "CustomEQNameInfo", in slot order.
    std::vector<std::u16string> GetCustomNames();
    // Replaces "CustomEQNameInfo" as a whole.
    void SetCustomNames(const std::vector<std::u16string>& names);

private:
    std::vector<int> ReadCurve(const char* key, int index);
    void WriteCurve(const char* key, int index, const std::vector<int>& gains);

    HeadsetSystem system_{};
    std::vector<std::u16string> customNames_;
};

}  // namespace vandrel::profiles
