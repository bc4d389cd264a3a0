#include "profiles/basic_profile_data.h"

#include <array>
#include <utility>

#include "platform/folders.h"
#include "profiles/json_values.h"

namespace vandrel::profiles {
namespace {

std::uint8_t Flag(const Json::Value& value) { return json::TruthOr(value) ? 1 : 0; }

// Moves "Device"[index] out of a document when it is an object; else null
// (and the document is left as it was).
Json::Value TakeSection(Json::Value& document, int index) {
    const auto element = static_cast<Json::ArrayIndex>(index);
    Json::Value section;
    if (json::Element(json::Member(document, "Device"), element).isObject()) section.swap(document["Device"][element]);
    return section;
}

std::vector<KeyEntry> ReadKeyList(const Json::Value& section) {
    std::vector<KeyEntry> keys;
    const Json::Value& list = json::Member(section, "KeyList");
    if (!list.isArray()) return keys;
    keys.reserve(list.size());
    json::ElementCursor elements(list);
    for (Json::ArrayIndex i = 0; i < elements.Size(); ++i) {
        const Json::Value& element = elements.At(i);
        KeyEntry entry;
        entry.index = static_cast<std::uint16_t>(i);
        entry.assignment = UnpackKeyCode(json::IntegerOr(json::Member(element, "Assignment")));
        entry.defaultIndex = static_cast<std::uint16_t>(i);
        entry.defaultAssignment = UnpackKeyCode(json::IntegerOr(json::Member(element, "DefaultAssignment")));
        keys.push_back(entry);
    }
    return keys;
}

void WriteKeyList(Json::Value& section, const std::vector<KeyEntry>& keys) {
    Json::Value& list = json::ArrayMember(section, "KeyList");
    for (std::size_t i = 0; i < keys.size(); ++i) {
        json::ObjectElement(list, static_cast<Json::ArrayIndex>(i))["Assignment"] = PackKeyCode(keys[i].assignment);
    }
}

LightListEntry ReadLightListEntry(const Json::Value& element) {
    if (!element.isObject()) return {};
    LightListEntry entry;
    entry.mode = json::ByteOr(element["LEDREGMode"]);
    entry.brightness = json::ByteOr(element["LEDBrightness"]);
    entry.speed = json::ByteOr(element["LEDSpeed"]);
    entry.direction = Flag(element["LEDDirection"]);
    entry.multiColor = Flag(element["LEDMultiColor"]);
    entry.red = json::ByteOr(element["red"]);
    entry.green = json::ByteOr(element["green"]);
    entry.blue = json::ByteOr(element["blue"]);
    entry.valid = 1;
    return entry;
}

EffectStep ReadEffectStep(const Json::Value& element) {
    EffectStep step;
    step.mode = json::ByteOr(json::Member(element, "LEDREGMode"));
    step.brightness = json::ByteOr(json::Member(element, "LEDBrightness"));
    step.speed = json::ByteOr(json::Member(element, "LEDSpeed"));
    step.direction = json::ByteOr(json::Member(element, "LEDDirection"));
    step.multiColor = json::ByteOr(json::Member(element, "LEDMultiColor"));
    step.red = json::ByteOr(json::Member(element, "red"));
    step.green = json::ByteOr(json::Member(element, "green"));
    step.blue = json::ByteOr(json::Member(element, "blue"));
    step.time = static_cast<std::int32_t>(json::IntegerOr(json::Member(element, "Time")));
    step.cycle = static_cast<std::int32_t>(json::IntegerOr(json::Member(element, "Cyle")));
    return step;
}

// Swaps two values for its lifetime.
class SwappedIn {
public:
    SwappedIn(Json::Value& a, Json::Value& b) : a_(a), b_(b) { a_.swap(b_); }
    ~SwappedIn() { a_.swap(b_); }
    SwappedIn(const SwappedIn&) = delete;
    SwappedIn& operator=(const SwappedIn&) = delete;

private:
    Json::Value& a_;
    Json::Value& b_;
};

// Writes `keys` with byte values into a new object, in the order given.
template <std::size_t N>
Json::Value RecordObject(const std::array<std::pair<const char*, std::uint8_t>, N>& keys) {
    Json::Value record(Json::objectValue);
    for (const auto& [key, byte] : keys) record[key] = Json::Int(byte);
    return record;
}

}  // namespace

CBasicProfiledata::CBasicProfiledata(CJsonFileStore store) : store_(std::move(store)) {}

WriteStatus CBasicProfiledata::Save() { return SaveKept(section_, document_, profilePath_); }

WriteStatus CBasicProfiledata::SaveSection(const Json::Value& section, const std::string& path) {
    if (path.empty()) return WriteStatus::Failed;
    Json::Value document = store_.ReadDocument(path);
    json::ArrayMember(document, "Device")[static_cast<Json::ArrayIndex>(sectionIndex_)] = section;
    return WriteDocument(document, path);
}

WriteStatus CBasicProfiledata::SaveOther(const std::string& path) {
    return SaveKept(otherSection_, otherDocument_, path);
}

WriteStatus CBasicProfiledata::WriteDocument(const Json::Value& document, const std::string& path) {
    return store_.WriteJson(path, document);
}

void CBasicProfiledata::SetProfilePath(const std::string& path) {
    if (!path.empty()) profilePath_ = path;
}

void CBasicProfiledata::SetTemplatePath(const std::string& path) {
    if (!path.empty()) templatePath_ = path;
}

void CBasicProfiledata::SetSectionIndex(int index) {
    sectionIndex_ = (index >= 0 && index <= kMaxSectionIndex) ? index : 0;
}

const Json::Value& CBasicProfiledata::LoadInto(Json::Value& section, KeptDocument& kept, const std::string& path) {
    section = ReadKept(kept, path);
    if (section.isNull()) {
        Json::Value templateDocument = store_.ReadJson(templatePath_);
        section = TakeSection(templateDocument, sectionIndex_);
        // The section is in memory either way; a failed write is traced by the
        // store, and the next Save writes the file again.
        if (!path.empty()) static_cast<void>(WriteKept(section, kept));
    }
    return section;
}

Json::Value CBasicProfiledata::ReadKept(KeptDocument& kept, const std::string& path) {
    kept.path = path;
    kept.sectionIndex = sectionIndex_;
    // Noted before the read: a writer in between makes the next save read again.
    kept.identity = FileIdentity::Of(path);
    kept.document = store_.ReadDocument(path);
    return TakeSection(kept.document, sectionIndex_);
}

WriteStatus CBasicProfiledata::SaveKept(Json::Value& section, KeptDocument& kept, const std::string& path) {
    if (path.empty()) return WriteStatus::Failed;
    const bool current =
        kept.path == path && kept.sectionIndex == sectionIndex_ && FileIdentity::Of(path) == kept.identity;
    // Another writer's document (or another file's): the section replaces
    // the one read.
    if (!current) ReadKept(kept, path);
    return WriteKept(section, kept);
}

WriteStatus CBasicProfiledata::WriteKept(Json::Value& section, KeptDocument& kept) {
    Json::Value& slot = json::ArrayMember(kept.document, "Device")[static_cast<Json::ArrayIndex>(kept.sectionIndex)];
    const SwappedIn swapped(slot, section);
    const WriteStatus result = WriteDocument(kept.document, kept.path);
    if (result == WriteStatus::Ok) kept.identity = FileIdentity::Of(kept.path);
    return result;
}

const Json::Value& CBasicProfiledata::Load(const std::string& path) { return LoadInto(section_, document_, path); }

const Json::Value& CBasicProfiledata::LoadOther(const std::string& path) {
    return LoadInto(otherSection_, otherDocument_, path);
}

const Json::Value& CBasicProfiledata::LoadLightConfig(const std::string& path) {
    lightConfig_ = store_.ReadJson(path);
    lightConfigFolder_ = platform::FolderOf(path);
    return lightConfig_;
}

LightInfo CBasicProfiledata::GetLightInfo() {
    const Json::Value& record = json::Member(section_, "LightInfo");
    if (!record.isObject()) {
        lightInfo_ = fallbackLightInfo_;
        return lightInfo_;
    }
    LightInfo info;
    info.SelectItem = json::ByteOr(record["SelectItem"]);
    info.Light = json::ByteOr(record["Light"]);
    info.Speed = json::ByteOr(record["Speed"]);
    info.Fx = json::ByteOr(record["Fx"]);
    info.MultiColor = Flag(record["MultiColor"]);
    info.Red = json::ByteOr(record["Red"]);
    info.Green = json::ByteOr(record["Green"]);
    info.Blue = json::ByteOr(record["Blue"]);
    info.ZZCCLedMode = json::ByteOr(record["ZZCCLedMode"]);
    info.CustomGroup = json::ByteOr(record["CustomGroup"]);
    info.OldLedmode = json::ByteOr(record["OldLedmode"]);
    lightInfo_ = info;
    return lightInfo_;
}

void CBasicProfiledata::SetLightInfo(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2, std::uint32_t w3) {
    lightInfo_ = LightInfoFromWords({w0, w1, w2, w3});
    const LightInfo& info = lightInfo_;
    SectionForWrite()["LightInfo"] = RecordObject<11>({{{"SelectItem", info.SelectItem},
                                                        {"Light", info.Light},
                                                        {"Speed", info.Speed},
                                                        {"Fx", info.Fx},
                                                        {"MultiColor", info.MultiColor},
                                                        {"Red", info.Red},
                                                        {"Green", info.Green},
                                                        {"Blue", info.Blue},
                                                        {"ZZCCLedMode", info.ZZCCLedMode},
                                                        {"CustomGroup", info.CustomGroup},
                                                        {"OldLedmode", info.OldLedmode}}});
}

AudioLightInfo CBasicProfiledata::GetAudioLightInfo() {
    const Json::Value& record = json::Member(section_, "AudioLightInfo");
    AudioLightInfo info;
    if (record.isObject()) {
        info.AudioMode = json::ByteOr(record["AudioMode"]);
        info.BkColorR = json::ByteOr(record["BkColorR"]);
        info.BkColorG = json::ByteOr(record["BkColorG"]);
        info.BkColorB = json::ByteOr(record["BkColorB"]);
        info.FgColorR = json::ByteOr(record["FgColorR"]);
        info.FgColorG = json::ByteOr(record["FgColorG"]);
        info.FgColorB = json::ByteOr(record["FgColorB"]);
        info.SevenColorFlags = Flag(record["7ColorFlags"]);
        info.ColorTypeFlags = Flag(record["ColorTypeFlags"]);
    }
    audioLightInfo_ = info;
    return audioLightInfo_;
}

void CBasicProfiledata::SetAudioLightInfo(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2) {
    audioLightInfo_ = AudioLightInfoFromWords({w0, w1, w2});
    const AudioLightInfo& info = audioLightInfo_;
    SectionForWrite()["AudioLightInfo"] = RecordObject<9>({{{"AudioMode", info.AudioMode},
                                                            {"BkColorR", info.BkColorR},
                                                            {"BkColorG", info.BkColorG},
                                                            {"BkColorB", info.BkColorB},
                                                            {"FgColorR", info.FgColorR},
                                                            {"FgColorG", info.FgColorG},
                                                            {"FgColorB", info.FgColorB},
                                                            {"7ColorFlags", info.SevenColorFlags},
                                                            {"ColorTypeFlags", info.ColorTypeFlags}}});
}

std::vector<LightListEntry> CBasicProfiledata::GetLightList() {
    lightList_.clear();
    const Json::Value& list = json::Member(section_, "LightList");
    if (list.isArray()) {
        lightList_.reserve(list.size());
        for (const Json::Value& element : list) lightList_.push_back(ReadLightListEntry(element));
    }
    return lightList_;
}

std::vector<EffectStep> CBasicProfiledata::GetEffectSteps() {
    effectSteps_.clear();
    if (lightConfig_.isNull() || lightInfo_.SelectItem < customEffectBase_) return effectSteps_;

    const auto effect = static_cast<Json::ArrayIndex>(lightInfo_.SelectItem - customEffectBase_);
    const Json::Value& effects =
        json::Element(json::Member(lightConfig_, "LightInfo"), static_cast<Json::ArrayIndex>(sectionIndex_));
    const std::string guid = json::TextOr(json::Member(json::Element(effects, effect), "Guid"));
    if (!platform::IsPlainFileName(guid)) return effectSteps_;

    for (const std::string& folder : {lightConfigFolder_, platform::DefaultDataFolder()}) {
        if (folder.empty()) continue;
        const Json::Value steps = store_.ReadJson(platform::EffectStepPath(folder, guid));
        if (steps.isNull()) continue;
        const Json::Value& list = json::Member(steps, "LEDEffectList");
        if (list.isArray()) {
            for (const Json::Value& element : list) effectSteps_.push_back(ReadEffectStep(element));
        }
        break;
    }
    return effectSteps_;
}

std::vector<KeyEntry> CBasicProfiledata::GetKeyList() {
    keyList_ = ReadKeyList(section_);
    return keyList_;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyEntry>& keys) {
    keyList_ = keys;
    WriteKeyList(SectionForWrite(), keys);
}

std::vector<KeyEntry> CBasicProfiledata::GetOtherKeyList() {
    otherKeyList_ = ReadKeyList(otherSection_);
    return otherKeyList_;
}

void CBasicProfiledata::SetOtherKeyList(const std::vector<KeyEntry>& keys) {
    otherKeyList_ = keys;
    WriteKeyList(json::AsObject(otherSection_), keys);
}

Json::Value& CBasicProfiledata::SectionForWrite() { return json::AsObject(section_); }

}  // namespace vandrel::profiles
