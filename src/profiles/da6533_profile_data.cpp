#include "profiles/da6533_profile_data.h"

#include <algorithm>

#include "profiles/json_values.h"
#include "profiles/utf_text.h"

namespace vandrel::profiles {
namespace {

constexpr std::array<const char*, 8> kSystemKeys = {"MagicEnable",        "MagicType",      "EqType",
                                                    "CustomEqSeletIndex", "MicInSelect",    "MicInValue",
                                                    "MicMoniterSelect",   "MicMoniterValue"};

bool IsCustomSlot(int slot) { return slot >= 0 && slot < CDa6533Profiledata::kCustomSlotCount; }

}  // namespace

HeadsetSystem CDa6533Profiledata::GetHeadsetSystem() {
    const Json::Value& system = json::Member(Section(), "SystemSetStages");
    system_ = {};
    if (system.isObject()) {
        for (std::size_t i = 0; i < kSystemKeys.size(); ++i) {
            system_[i] = static_cast<std::int32_t>(json::IntegerOr(system[kSystemKeys[i]]));
        }
    }
    return system_;
}

void CDa6533Profiledata::SetHeadsetSystem(const HeadsetSystem& values) {
    system_ = values;
    Json::Value& system = json::ObjectMember(SectionForWrite(), "SystemSetStages");
    for (std::size_t i = 0; i < kSystemKeys.size(); ++i) system[kSystemKeys[i]] = values[i];
}

int CDa6533Profiledata::PresetIndex(int preset) {
    if (preset == kCustomEqType) return -1;
    return (preset >= 1 && preset <= 12) ? preset : 1;
}

std::vector<int> CDa6533Profiledata::ReadCurve(const char* key, int index) {
    std::vector<int> gains;
    gains.reserve(kBandCount);
    Json::Value& curves = json::ArrayMember(SectionForWrite(), key);
    const bool missing = !json::Element(curves, static_cast<Json::ArrayIndex>(index)).isArray();
    Json::Value& curve = json::ArrayElement(curves, static_cast<Json::ArrayIndex>(index));
    for (int band = 0; band < kBandCount; ++band) {
        const auto b = static_cast<Json::ArrayIndex>(band);
        if (missing) {
            json::ObjectElement(curve, b)["value"] = 0;
            gains.push_back(0);
        } else {
            gains.push_back(static_cast<int>(json::IntegerOr(json::Member(json::Element(curve, b), "value"))));
        }
    }
    return gains;
}

void CDa6533Profiledata::WriteCurve(const char* key, int index, const std::vector<int>& gains) {
    Json::Value& curve =
        json::ArrayElement(json::ArrayMember(SectionForWrite(), key), static_cast<Json::ArrayIndex>(index));
    const std::size_t bands = std::min<std::size_t>(gains.size(), kBandCount);
    for (std::size_t band = 0; band < bands; ++band) {
        json::ObjectElement(curve, static_cast<Json::ArrayIndex>(band))["value"] = gains[band];
    }
}

std::vector<int> CDa6533Profiledata::GetPresetCurve(int preset) {
    const int index = PresetIndex(preset);
    return index < 0 ? std::vector<int>() : ReadCurve("EQHzValueInfo", index);
}

void CDa6533Profiledata::SetPresetCurve(int preset, const std::vector<int>& gains) {
    const int index = PresetIndex(preset);
    if (index >= 0) WriteCurve("EQHzValueInfo", index, gains);
}

std::vector<int> CDa6533Profiledata::GetCustomCurve(int slot) {
    return IsCustomSlot(slot) ? ReadCurve("CustomEQHzValueInfo", slot) : std::vector<int>(kBandCount, 0);
}

void CDa6533Profiledata::SetCustomCurve(int slot, const std::vector<int>& gains) {
    if (IsCustomSlot(slot)) WriteCurve("CustomEQHzValueInfo", slot, gains);
}

std::vector<std::u16string> CDa6533Profiledata::GetCustomNames() {
    customNames_.clear();
    const Json::Value& list = json::Member(Section(), "CustomEQNameInfo");
    if (list.isArray()) {
        for (const Json::Value& element : list)
            customNames_.push_back(FromUtf8(json::TextOr(json::Member(element, "Name"))));
    }
    return customNames_;
}

void CDa6533Profiledata::SetCustomNames(const std::vector<std::u16string>& names) {
    customNames_ = names;
    Json::Value list(Json::arrayValue);
    for (const std::u16string& name : names) {
        Json::Value element(Json::objectValue);
        element["Name"] = ToUtf8(name);
        list.append(std::move(element));
    }
    SectionForWrite()["CustomEQNameInfo"] = std::move(list);
}

}  // namespace vandrel::profiles
