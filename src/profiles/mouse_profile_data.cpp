#include "profiles/mouse_profile_data.h"

#include "platform/bytes.h"
#include "profiles/json_values.h"
#include "profiles/utf_text.h"

namespace vandrel::profiles {
namespace {

DpiStage ReadStage(const Json::Value& element) {
    DpiStage stage;
    stage.active = json::ByteOr(json::Member(element, "StageActive"));
    stage.xy = json::ByteOr(json::Member(element, "StageXY"));
    stage.dpiX = json::Low16Or(json::Member(element, "StageDPIX"));
    stage.dpiY = json::Low16Or(json::Member(element, "StageDPIY"));
    stage.red = json::ByteOr(json::Member(element, "StageColorR"));
    stage.green = json::ByteOr(json::Member(element, "StageColorG"));
    stage.blue = json::ByteOr(json::Member(element, "StageColorB"));
    return stage;
}

}  // namespace

const std::vector<DpiStage>& CMouseProfiledata::GetDpiStages() {
    const Json::Value& dpi = json::Member(Section(), "DPIStages");
    if (!dpi.isObject()) return stages_;

    const std::int64_t active = json::IntegerOr(dpi["StageActive"]);
    activeStage_ = (active >= 0 && active < static_cast<std::int64_t>(kDpiStageCount)) ? static_cast<int>(active) : 0;

    const Json::Value& list = dpi["StageDPIs"];
    if (!list.isArray()) return stages_;
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        const DpiStage stage = ReadStage(list[i]);
        if (i < stages_.size()) {
            stages_[i] = stage;
        } else {
            stages_.push_back(stage);
        }
    }
    return stages_;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStage>& stages) {
    stages_ = stages;
    Json::Value& list = json::ArrayMember(json::ObjectMember(SectionForWrite(), "DPIStages"), "StageDPIs");
    for (std::size_t i = 0; i < stages.size(); ++i) {
        const DpiStage& stage = stages[i];
        Json::Value& element = json::ObjectElement(list, static_cast<Json::ArrayIndex>(i));
        element["StageActive"] = Json::Int(stage.active);
        element["StageColorB"] = Json::Int(stage.blue);
        element["StageColorG"] = Json::Int(stage.green);
        element["StageColorR"] = Json::Int(stage.red);
        element["StageXY"] = Json::Int(stage.xy);
        element["StageDPIX"] = Json::Int(stage.dpiX);
        element["StageDPIY"] = Json::Int(stage.dpiY);
    }
}

void CMouseProfiledata::SetActiveStage(int stage) {
    activeStage_ = stage;
    json::ObjectMember(SectionForWrite(), "DPIStages")["StageActive"] = stage;
}

SystemWords CMouseProfiledata::GetMouseSystem() {
    const Json::Value& system = json::Member(Section(), "SystemStages");
    system_ = {};
    if (system.isObject()) {
        system_[0] =
            platform::JoinHalves(json::Low16Or(system["MouseSpeed"]), json::Low16Or(system["DoubleClickTime"]));
        system_[1] =
            platform::JoinHalves(json::Low16Or(system["ScorllPage"]), json::Low16Or(system["PointerPrecision"]));
        system_[2] = json::Low16Or(system["WheelScorlllinse"]);
        const Json::Value& report = json::Member(Section(), "ReportStages");
        if (report.isObject()) system_[2] |= std::uint32_t{json::Low16Or(report["StageActive"])} << 16;
    }
    return system_;
}

void CMouseProfiledata::SetMouseSystem(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2) {
    system_ = {w0, w1, w2};
    Json::Value& system = json::ObjectMember(SectionForWrite(), "SystemStages");
    system["DoubleClickTime"] = platform::Half(w0, 0);
    system["MouseSpeed"] = platform::Half(w0, 1);
    system["PointerPrecision"] = platform::Half(w1, 0);
    system["ScorllPage"] = platform::Half(w1, 1);
    system["WheelScorlllinse"] = platform::Half(w2, 0);
    json::ObjectMember(SectionForWrite(), "ReportStages")["StageActive"] = platform::Half(w2, 1);
}

std::vector<Correction> CMouseProfiledata::GetCorrections() {
    corrections_.clear();
    const Json::Value& list = json::Member(Section(), "CorrectInfo");
    if (list.isArray()) {
        for (const Json::Value& element : list) {
            Correction correction;
            correction.pixThresh = json::ByteOr(json::Member(element, "CorrectPixThresh"));
            correction.minSq = json::ByteOr(json::Member(element, "CorrectMinSq"));
            correction.select = json::ByteOr(json::Member(element, "CorrectSelect"));
            correction.name = FromUtf8(json::TextOr(json::Member(element, "CorrectName")));
            corrections_.push_back(std::move(correction));
        }
    }
    return corrections_;
}

}  // namespace vandrel::profiles
