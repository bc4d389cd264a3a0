#include "platform/udev_rule.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "platform/build_info.h"
#include "platform/folders.h"

namespace vandrel::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kRuleInSources = "packaging/";
constexpr std::string_view kReload = "sudo udevadm control --reload";
constexpr std::string_view kTrigger = "sudo udevadm trigger --subsystem-match=hidraw";
constexpr std::string_view kReplug = "then unplug the device (or its receiver) and plug it in again.\n";

// A path as one shell word: as it is when it holds nothing the shell reads,
// else in single quotes.
std::string ShellWord(std::string_view word) {
    const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               std::string_view("/._+-=:,@%").find(c) != std::string_view::npos;
    });
    if (plain) return std::string(word);
    std::string quoted = "'";
    for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// "/usr/lib/udev/rules.d/" and "/usr//lib/udev/rules.d" name the same folder.
std::string NormalPath(std::string_view folder) {
    std::string normal = fs::path(folder).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return normal;
}

bool IsRuleFile(const UdevRuleFacts& facts, const std::string& path) {
    if (path.empty() || path.front() != '/') return false;
    std::error_code ignored;
    return fs::is_regular_file(fs::path(facts.lookIn + path), ignored);
}

bool UdevReads(const std::string& folder) {
    return std::find(kUdevRuleFolders.begin(), kUdevRuleFolders.end(), folder) != kUdevRuleFolders.end();
}

// Why the user has no access yet, and what the commands do about it.
struct WhyRow {
    UdevRulePlace place;
    std::string_view text;
};
constexpr WhyRow kWhy[] = {
    {UdevRulePlace::SourceTree,
     "no udev rule gives you access to the device yet; install the one of the source tree and apply it:"},
    {UdevRulePlace::Installed, "the udev rule {rule} is installed but not applied to the device yet; apply it:"},
    {UdevRulePlace::Unread,
     "the udev rule was installed as {rule}, in a folder udev does not read; install it into {admin} and apply it:"},
    {UdevRulePlace::Missing,
     "the udev rule {name} is not installed (it belongs in {folder}); reinstall VANDREL, or install the rule from "
     "VANDREL's source folder, running there:"},
};

void Fill(std::string& text, std::string_view field, std::string_view value) {
    if (const auto at = text.find(field); at != std::string::npos) text.replace(at, field.size(), value);
}

std::vector<std::string> InstallAndApply(const std::string& ruleFile) {
    return {"sudo install -m 644 " + ShellWord(ruleFile) + " " + std::string(kUdevAdminFolder) + "/",
            std::string(kReload), std::string(kTrigger)};
}

}  // namespace

UdevRuleFacts ThisProgramsUdevFacts() {
    return {.fromBuildTree = RunsFromBuildTree(),
            .sourceDir = std::string(build::kSourceDir),
            .rulesDir = std::string(build::kUdevRulesDir),
            .lookIn = {}};
}

UdevAccessAdvice AdviseUdevAccess(const UdevRuleFacts& facts) {
    const std::string name(build::kUdevRuleName);
    if (facts.fromBuildTree) {
        const std::string sourceRule = NormalPath(JoinPath(facts.sourceDir, std::string(kRuleInSources) + name));
        if (IsRuleFile(facts, sourceRule)) return {UdevRulePlace::SourceTree, sourceRule, InstallAndApply(sourceRule)};
    }
    const std::string rulesDir = NormalPath(facts.rulesDir);
    const std::string installed = JoinPath(rulesDir, name);
    if (IsRuleFile(facts, installed)) {
        if (UdevReads(rulesDir))
            return {UdevRulePlace::Installed, installed, {std::string(kReload), std::string(kTrigger)}};
        return {UdevRulePlace::Unread, installed, InstallAndApply(installed)};
    }
    return {UdevRulePlace::Missing, installed, InstallAndApply(std::string(kRuleInSources) + name)};
}

std::string JoinCommands(const UdevAccessAdvice& advice) {
    std::string text;
    for (const std::string& command : advice.commands) text += (text.empty() ? "" : "\n") + command;
    return text;
}

std::string UdevAccessText(const UdevAccessAdvice& advice) {
    const auto row =
        std::find_if(std::begin(kWhy), std::end(kWhy), [&](const WhyRow& r) { return r.place == advice.place; });
    std::string text = row == std::end(kWhy) ? std::string() : std::string(row->text);
    Fill(text, "{rule}", advice.ruleFile);
    Fill(text, "{folder}", FolderOf(advice.ruleFile));
    Fill(text, "{name}", build::kUdevRuleName);
    Fill(text, "{admin}", kUdevAdminFolder);
    text += "\n";
    for (const std::string& command : advice.commands) text += "    " + command + "\n";
    return text + std::string(kReplug);
}

}  // namespace vandrel::platform
