// The lighting name lists a device page shows: the built-in effects of the
// kind with their visibility and device codes, the lighting zones (both from
// "default_light.json") and the names of the user's custom effects (from the
// light configuration "zelbor_light.config"). Each file holds one list per
// kind; the device picks its own by its light-name index (keyboard 0,
// mouse 1, mouse pad 2, headset 3).
#pragma once

#include <json/json.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vandrel::profiles {

// One entry of the light-mode list; the effect number is its position.
struct LightMode {
    std::u16string name;  // a language text key
    bool visible = false;
    std::int32_t code = 0;  // what the device calls the effect

    bool operator==(const LightMode&) const = default;
};

struct LightNames {
    std::vector<LightMode> modes;
    std::vector<std::u16string> zones;
    std::vector<std::u16string> customEffects;
};

// Refills each list whose source has an element for `lightNameIndex`; a list
// whose source lacks it keeps what it had.
void UpdateLightNames(LightNames& names, const Json::Value& defaultLight, const Json::Value& lightConfig,
                      int lightNameIndex);

}  // namespace vandrel::profiles
