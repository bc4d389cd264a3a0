#include "app/access_notice.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "platform/trace.h"

namespace vandrel::app {
namespace {

using platform::UdevRulePlace;

// The explanation above the commands, by where the rule is.
struct PlaceText {
    UdevRulePlace place;
    const char* textId;
};
constexpr PlaceText kPlaceTexts[] = {
    {UdevRulePlace::SourceTree, "access_notice_source_text"},
    {UdevRulePlace::Installed, "access_notice_installed_text"},
    {UdevRulePlace::Unread, "access_notice_unread_text"},
    {UdevRulePlace::Missing, "access_notice_missing_text"},
};

// The no-device panel's title and tip: normally, and while a device is denied.
struct PanelTexts {
    const char* title;
    const char* tip;
};
constexpr PanelTexts kNoDevice{"no_device_title_text", "no_device_tip_text"};
constexpr PanelTexts kDenied{"no_access_title_text", "no_access_tip_text"};

constexpr const char* kPanelTitle = "No_device_title";
constexpr const char* kPanelTip = "No_device_tip";

}  // namespace

AccessNotice::AccessNotice(platform::IPageView& view, AdviceSource advice) : view_(view), advice_(std::move(advice)) {}

platform::UdevAccessAdvice AccessNotice::DefaultAdvice() {
    return platform::AdviseUdevAccess(platform::ThisProgramsUdevFacts());
}

void AccessNotice::Denied(const std::string& path) {
    platform::Trace("no access to " + path);
    const bool first = denied_.empty();
    denied_.insert(path);
    if (first) Show();
}

void AccessNotice::Ended(const std::string& path) {
    if (denied_.erase(path) == 0) return;
    platform::Trace("access to " + path + " no longer denied");
    if (denied_.empty()) Hide();
}

void AccessNotice::Show() {
    const platform::UdevAccessAdvice advice = advice_();
    const auto text = std::find_if(std::begin(kPlaceTexts), std::end(kPlaceTexts),
                                   [&](const PlaceText& row) { return row.place == advice.place; });
    if (text != std::end(kPlaceTexts)) view_.SetTextId(kAccessNoticeText, text->textId);
    view_.SetText(kAccessNoticeCommands, platform::JoinCommands(advice));
    view_.SetVisible(kAccessNoticeRow, true);
    view_.SetTextId(kPanelTitle, kDenied.title);
    view_.SetTextId(kPanelTip, kDenied.tip);
}

void AccessNotice::Hide() {
    view_.SetVisible(kAccessNoticeRow, false);
    view_.SetTextId(kPanelTitle, kNoDevice.title);
    view_.SetTextId(kPanelTip, kNoDevice.tip);
}

}  // namespace vandrel::app
