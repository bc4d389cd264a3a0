#include "profiles/keyboard_profile_data.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/bytes.h"
#include "profiles/json_values.h"

namespace vandrel::profiles {
namespace {

bool IsColourGroup(std::int64_t group) { return group >= 0 && group < CKeyboardProfiledata::kColourGroupCount; }

// The names are literals (NUL-terminated): members written under them keep
// pointers to them (Json::StaticString) instead of copies.
struct ColourMember {
    std::string_view name;
    std::uint8_t KeyColour::*channel;
};
constexpr std::array<ColourMember, 4> kColourMembers = {{
    {"Red", &KeyColour::red},
    {"Green", &KeyColour::green},
    {"Blue", &KeyColour::blue},
    {"Alpha", &KeyColour::alpha},
}};

void WriteColour(Json::Value& element, const KeyColour& colour) {
    for (const ColourMember& member : kColourMembers) {
        element[Json::StaticString(member.name.data())] = Json::Int(colour.*member.channel);
    }
}

// One pass over the element's members: a keyboard reads thousands of colours
// on every profile switch. A channel the element lacks reads as 0.
KeyColour ReadColour(const Json::Value& element) {
    KeyColour colour;
    const auto end = element.end();
    for (auto it = element.begin(); it != end; ++it) {
        const char* nameEnd = nullptr;
        const char* name = it.memberName(&nameEnd);
        if (name == nullptr) continue;
        const std::string_view memberName(name, static_cast<std::size_t>(nameEnd - name));
        for (const ColourMember& member : kColourMembers) {
            if (memberName == member.name) colour.*member.channel = json::ByteOr(*it);
        }
    }
    return colour;
}

}  // namespace

SystemWords CKeyboardProfiledata::GetKeyboardSystem() {
    const Json::Value& system = json::Member(Section(), "SystemStages");
    system_ = {};
    if (system.isObject()) {
        system_[0] = platform::JoinHalves(json::Low16Or(system["RepeatDelay"]), json::Low16Or(system["Repeat"]));
        system_[1] = platform::JoinHalves(json::Low16Or(system["PollingRate"]), json::Low16Or(system["Key6Flag"]));
        system_[2] = platform::JoinHalves(json::Low16Or(system["WinFlag"]), json::Low16Or(system["WFlag"]));
    }
    return system_;
}

void CKeyboardProfiledata::SetKeyboardSystem(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2) {
    system_ = {w0, w1, w2};
    Json::Value& system = json::ObjectMember(SectionForWrite(), "SystemStages");
    system["Repeat"] = platform::Half(w0, 0);
    system["RepeatDelay"] = platform::Half(w0, 1);
    system["Key6Flag"] = platform::Half(w1, 0);
    system["PollingRate"] = platform::Half(w1, 1);
    system["WFlag"] = platform::Half(w2, 0);
    system["WinFlag"] = platform::Half(w2, 1);
}

std::vector<KeyColour> CKeyboardProfiledata::GetKeyColors(int group, int count) {
    const auto size = static_cast<std::size_t>(std::clamp(count, 0, kMaxKeyColours));
    colours_.assign(size, KeyColour{});
    if (!IsColourGroup(group)) return colours_;

    Json::Value& groups = json::ArrayMember(json::ObjectMember(SectionForWrite(), "CustomLightMode"), "LightColorInfo");
    Json::Value& colours = json::ArrayElement(groups, static_cast<Json::ArrayIndex>(group));
    std::vector<Json::ArrayIndex> missing;
    json::ElementCursor elements(colours);
    for (std::size_t k = 0; k < size; ++k) {
        const auto index = static_cast<Json::ArrayIndex>(k);
        const Json::Value& element = elements.At(index);
        if (element.isObject()) {
            colours_[k] = ReadColour(element);
        } else {
            missing.push_back(index);
        }
    }
    for (const Json::ArrayIndex index : missing) WriteColour(json::ObjectElement(colours, index), KeyColour{});
    return colours_;
}

void CKeyboardProfiledata::SetKeyColors(int group, const std::vector<KeyColour>& colours) {
    colours_ = colours;
    if (!IsColourGroup(group)) return;
    Json::Value& groups = json::ArrayMember(json::ObjectMember(SectionForWrite(), "CustomLightMode"), "LightColorInfo");
    Json::Value& list = json::ArrayElement(groups, static_cast<Json::ArrayIndex>(group));
    for (std::size_t k = 0; k < colours.size(); ++k) {
        WriteColour(json::ObjectElement(list, static_cast<Json::ArrayIndex>(k)), colours[k]);
    }
}

int CKeyboardProfiledata::GetColorGroup() {
    const Json::Value& index = json::Member(json::Member(Section(), "CustomLightMode"), "CustomLightModeGroupIndex");
    const std::int64_t group = json::IntegerOr(index);
    colourGroup_ = IsColourGroup(group) ? static_cast<int>(group) : 0;
    return colourGroup_;
}

void CKeyboardProfiledata::SetColorGroup(int group) {
    colourGroup_ = group;
    json::ObjectMember(SectionForWrite(), "CustomLightMode")["CustomLightModeGroupIndex"] = group;
}

}  // namespace vandrel::profiles
