// How a user gives themselves access to the devices: where this program's
// udev rule is, and the exact commands that put it where udev reads it and
// apply it to the devices already plugged in. After them the device (or its
// receiver) has to be unplugged and plugged in again.
//
// The window and vandrelctl show the same advice; the commands are shell
// lines, never translated.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel::platform {

// Where udev reads rules from; the first is the administrator's own, where a
// rule installed by hand goes.
inline constexpr std::array<std::string_view, 5> kUdevRuleFolders = {
    "/etc/udev/rules.d",     "/run/udev/rules.d",           "/lib/udev/rules.d",
    "/usr/lib/udev/rules.d", "/usr/local/lib/udev/rules.d",
};
inline constexpr std::string_view kUdevAdminFolder = kUdevRuleFolders[0];

enum class UdevRulePlace {
    SourceTree,  // run from a build tree, the rule lies in its source tree: install it
    Installed,   // installed into a folder udev reads: only apply it
    Unread,      // installed into a folder udev does not read: install it from there
    Missing,     // found nowhere
};

// What the advice is drawn from.
struct UdevRuleFacts {
    bool fromBuildTree = false;
    std::string sourceDir{};  // the source tree; its rule is packaging/<rule name>
    std::string rulesDir{};   // the folder the install puts the rule into
    // Put in front of every path that is looked at, never of one that is
    // shown: tests lay out a file system in a temporary folder. Empty: "/".
    std::string lookIn{};
};

// The facts of the running program: the build's folders and whether it runs
// from its build tree.
UdevRuleFacts ThisProgramsUdevFacts();

struct UdevAccessAdvice {
    UdevRulePlace place = UdevRulePlace::Missing;
    // The rule file found; for Missing, where the install would have put it.
    std::string ruleFile{};
    // Shell lines to run in this order (paths quoted where they need it). For
    // Missing, the install from a copy of the source folder, run in it.
    std::vector<std::string> commands{};
};

UdevAccessAdvice AdviseUdevAccess(const UdevRuleFacts& facts);

// The advice as lines for a terminal: why, each command indented on its own
// line, and the unplugging at the end. Ends with a newline.
std::string UdevAccessText(const UdevAccessAdvice& advice);

// The commands one per line, without a newline after the last.
std::string JoinCommands(const UdevAccessAdvice& advice);

}  // namespace vandrel::platform
