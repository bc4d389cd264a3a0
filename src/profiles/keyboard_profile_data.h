// The keyboard's profile document: the base records plus the system settings
// packed into three words, the per-key colours of each custom colour group
// and the selected group.
#pragma once

#include <cstdint>
#include <vector>

#include "profiles/basic_profile_data.h"

namespace vandrel::profiles {

// One per-key colour: "Red", "Green", "Blue", "Alpha".
struct KeyColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 0;

    bool operator==(const KeyColour&) const = default;
};

class CKeyboardProfiledata : public CBasicProfiledata {
public:
    // Colour groups are numbered by a byte (the light record's CustomGroup).
    static constexpr int kColourGroupCount = 256;
    // No keyboard has more LEDs than this.
    static constexpr int kMaxKeyColours = 512;

    using CBasicProfiledata::CBasicProfiledata;

    // Word 0: RepeatDelay << 16 | Repeat; word 1: PollingRate << 16 |
    // Key6Flag; word 2: WinFlag << 16 | WFlag. All zero without "SystemStages".
    SystemWords GetKeyboardSystem();
    void SetKeyboardSystem(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2);

    // The `count` colours of group `group`. Colours the section lacks are
    // written into it as zeros and read as zeros. A group outside
    // 0..kColourGroupCount-1 reads as zeros and changes nothing.
    std::vector<KeyColour> GetKeyColors(int group, int count);
    // Writes colour k of `colours` into element [group][k]; nothing for a
    // group out of range.
    void SetKeyColors(int group, const std::vector<KeyColour>& colours);

    // "CustomLightModeGroupIndex"; 0 when absent or out of range.
    int GetColorGroup();
    void SetColorGroup(int group);

private:
    SystemWords system_{};
    std::vector<KeyColour> colours_;
    int colourGroup_ = 0;
};

}  // namespace vandrel::profiles
