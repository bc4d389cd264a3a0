#include "profiles/light_names.h"

#include "profiles/json_values.h"
#include "profiles/utf_text.h"

namespace vandrel::profiles {
namespace {

// Element `index` of the array `key` of `document` when it is an array.
const Json::Value* KindList(const Json::Value& document, const char* key, int index) {
    if (index < 0) return nullptr;
    const Json::Value& list = json::Element(json::Member(document, key), static_cast<Json::ArrayIndex>(index));
    return list.isArray() ? &list : nullptr;
}

std::u16string NameOf(const Json::Value& element) { return FromUtf8(json::TextOr(json::Member(element, "LightName"))); }

std::vector<std::u16string> Names(const Json::Value& list) {
    std::vector<std::u16string> names;
    for (const Json::Value& element : list) names.push_back(NameOf(element));
    return names;
}

}  // namespace

void UpdateLightNames(LightNames& names, const Json::Value& defaultLight, const Json::Value& lightConfig,
                      int lightNameIndex) {
    if (const Json::Value* modes = KindList(defaultLight, "DefaultLightName", lightNameIndex)) {
        names.modes.clear();
        for (const Json::Value& element : *modes) {
            names.modes.push_back({NameOf(element), json::TruthOr(json::Member(element, "visible")),
                                   static_cast<std::int32_t>(json::IntegerOr(json::Member(element, "value")))});
        }
    }
    if (const Json::Value* zones = KindList(defaultLight, "AreaLightName", lightNameIndex)) {
        names.zones = Names(*zones);
    }
    if (const Json::Value* custom = KindList(lightConfig, "LightInfo", lightNameIndex)) {
        names.customEffects = Names(*custom);
    }
}

}  // namespace vandrel::profiles
