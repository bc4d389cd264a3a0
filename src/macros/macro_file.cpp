#include "macros/macro_file.h"

#include <algorithm>
#include <string_view>

#include "platform/file_io.h"
#include "profiles/json_values.h"

namespace vandrel::macros {

namespace {

namespace json = profiles::json;

// A decimal text as a C reader takes it: blanks, a sign, the digits up to the
// first other character; no digits read as 0. Saturates far beyond 65535.
std::int64_t DecimalOf(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    constexpr std::int64_t kCeiling = 1'000'000'000;
    std::int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = std::min(value * 10 + (text[at] - '0'), kCeiling);
    }
    return negative ? -value : value;
}

std::uint16_t DelayOf(const Json::Value& value) {
    const std::int64_t delay = value.isString() ? DecimalOf(json::TextOr(value)) : json::IntegerOr(value);
    return static_cast<std::uint16_t>(std::clamp<std::int64_t>(delay, 0, kMaxDelay));
}

}  // namespace

MacroEvent EventFromJson(const Json::Value& object) {
    return {
        .type = static_cast<std::uint8_t>(json::IntegerOr(json::Member(object, "Type")) & 0x7F),
        .button = json::ByteOr(json::Member(object, "Button")),
        .down = json::TextOr(json::Member(object, "Action")) == "down",
        .delay = DelayOf(json::Member(object, "Delay")),
    };
}

Json::Value EventToJson(const MacroEvent& event) {
    Json::Value object(Json::objectValue);
    object["Type"] = event.type;
    object["Button"] = event.button;
    object["Action"] = event.down ? "down" : "up";
    object["Delay"] = std::to_string(event.delay);
    return object;
}

MacroFile ReadMacroFile(const std::string& path) {
    const Json::Value document = profiles::CJsonFileStore().ReadJson(path);
    MacroFile file{json::TextOr(json::Member(document, "MacroName")), json::TextOr(json::Member(document, "Guid")), {}};
    json::ElementCursor events(json::Member(document, "Events"));
    file.events.reserve(events.Size());
    for (Json::ArrayIndex i = 0; i < events.Size(); ++i) file.events.push_back(EventFromJson(events.At(i)));
    return file;
}

profiles::WriteStatus WriteMacroFile(const std::string& path, const MacroFile& file,
                                     const profiles::CJsonFileStore& store) {
    Json::Value document(Json::objectValue);
    document["MacroName"] = file.name;
    document["Guid"] = file.id;
    Json::Value& events = document["Events"] = Json::Value(Json::arrayValue);
    for (const MacroEvent& event : file.events) events.append(EventToJson(event));
    document["Version"] = kMacroFileVersion;
    return store.WriteJson(path, document);
}

profiles::WriteStatus CopyMacroFile(const std::string& from, const std::string& to,
                                    const profiles::CJsonFileStore& store) {
    const platform::FileRead read = platform::ReadFileSafely(from);
    if (!read.Ok()) return profiles::WriteStatus::Failed;
    return store.WriteText(to, read.text);
}

}  // namespace vandrel::macros
