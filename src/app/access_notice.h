// AccessNotice: what the main window says while a device is plugged in that
// the user may not open (no udev rule gives them access to it).
//
// A row under the tab strip ("access_notice") names the problem and the exact
// commands that give access; it shows whether or not a device tab does, so it
// stays while another device works. The no-device panel says that a device is
// there but denied instead of "No device connected". Both go back to normal
// once no denied path is left: the paths opened or went away.
//
// The explanation and the panel's texts are language texts by id, so they
// follow a change of language; the commands are shell lines, never translated.
#pragma once

#include <functional>
#include <set>
#include <string>

#include "platform/page_view.h"
#include "platform/udev_rule.h"

namespace vandrel::app {

// Control names of the main window's layout.
inline constexpr const char* kAccessNoticeRow = "access_notice";
inline constexpr const char* kAccessNoticeText = "access_notice_text";
inline constexpr const char* kAccessNoticeCommands = "access_notice_commands";

class AccessNotice {
public:
    // The advice is asked for again each time a first path is denied: the
    // rule may have been installed since.
    using AdviceSource = std::function<platform::UdevAccessAdvice()>;

    explicit AccessNotice(platform::IPageView& view, AdviceSource advice = DefaultAdvice);

    void Denied(const std::string& path);
    void Ended(const std::string& path);
    bool Shown() const { return !denied_.empty(); }

    static platform::UdevAccessAdvice DefaultAdvice();

private:
    void Show();
    void Hide();

    platform::IPageView& view_;
    const AdviceSource advice_;
    std::set<std::string> denied_;
};

}  // namespace vandrel::app
