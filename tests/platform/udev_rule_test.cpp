// The advice that gives a user access to the devices, from where the udev
// rule really lies: each case lays out its files in a temporary folder that
// stands for "/".
#include "platform/udev_rule.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/build_info.h"
#include "support/temp_folder.h"

namespace vandrel::platform {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

const std::string kReload = "sudo udevadm control --reload";
const std::string kTrigger = "sudo udevadm trigger --subsystem-match=hidraw";

struct AdviceCase {
    const char* what;
    std::vector<std::string> files;    // rule files that exist, from "/"
    std::vector<std::string> folders;  // folders that exist where a rule file might be expected
    UdevRuleFacts facts;               // lookIn is the temporary folder
    UdevRulePlace place;
    std::string ruleFile;
    std::vector<std::string> commands;
};

const std::string kSource = "/home/dev/vandrel";
const std::string kSourceRule = kSource + "/packaging/60-vandrel.rules";
const std::string kUsrLibRule = "/usr/lib/udev/rules.d/60-vandrel.rules";

std::vector<std::string> InstallFrom(const std::string& file) {
    return {"sudo install -m 644 " + file + " /etc/udev/rules.d/", kReload, kTrigger};
}

const AdviceCase kAdviceCases[] = {
    {"build tree: the source tree's rule is installed by hand",
     {kSourceRule},
     {},
     {.fromBuildTree = true, .sourceDir = kSource, .rulesDir = "/usr/lib/udev/rules.d"},
     UdevRulePlace::SourceTree,
     kSourceRule,
     InstallFrom(kSourceRule)},
    {"build tree: its rule wins over an installed one, which may be older",
     {kSourceRule, kUsrLibRule},
     {},
     {.fromBuildTree = true, .sourceDir = kSource + "/", .rulesDir = "/usr/lib/udev/rules.d"},
     UdevRulePlace::SourceTree,
     kSourceRule,
     InstallFrom(kSourceRule)},
    {"build tree whose source tree is gone: the installed rule",
     {kUsrLibRule},
     {},
     {.fromBuildTree = true, .sourceDir = kSource, .rulesDir = "/usr/lib/udev/rules.d"},
     UdevRulePlace::Installed,
     kUsrLibRule,
     {kReload, kTrigger}},
    {"a source tree in a folder with a blank and a quote",
     {"/home/dev/my 'src'/packaging/60-vandrel.rules"},
     {},
     {.fromBuildTree = true, .sourceDir = "/home/dev/my 'src'", .rulesDir = "/usr/lib/udev/rules.d"},
     UdevRulePlace::SourceTree,
     "/home/dev/my 'src'/packaging/60-vandrel.rules",
     InstallFrom("'/home/dev/my '\\''src'\\''/packaging/60-vandrel.rules'")},
    {"installed into /usr/lib/udev/rules.d: only applied",
     {kUsrLibRule},
     {},
     {.rulesDir = "/usr/lib/udev/rules.d"},
     UdevRulePlace::Installed,
     kUsrLibRule,
     {kReload, kTrigger}},
    {"installed into /lib/udev/rules.d, the folder given with a trailing slash",
     {"/lib/udev/rules.d/60-vandrel.rules"},
     {},
     {.rulesDir = "/lib/udev/rules.d/"},
     UdevRulePlace::Installed,
     "/lib/udev/rules.d/60-vandrel.rules",
     {kReload, kTrigger}},
    {"installed into a folder spelt with a detour",
     {kUsrLibRule},
     {},
     {.rulesDir = "/usr/lib/udev/../udev//rules.d"},
     UdevRulePlace::Installed,
     kUsrLibRule,
     {kReload, kTrigger}},
    {"installed into /usr/local/lib/udev/rules.d",
     {"/usr/local/lib/udev/rules.d/60-vandrel.rules"},
     {},
     {.rulesDir = "/usr/local/lib/udev/rules.d"},
     UdevRulePlace::Installed,
     "/usr/local/lib/udev/rules.d/60-vandrel.rules",
     {kReload, kTrigger}},
    {"installed into /etc/udev/rules.d",
     {"/etc/udev/rules.d/60-vandrel.rules"},
     {},
     {.rulesDir = "/etc/udev/rules.d"},
     UdevRulePlace::Installed,
     "/etc/udev/rules.d/60-vandrel.rules",
     {kReload, kTrigger}},
    {"installed under a prefix udev does not read",
     {"/opt/vandrel/lib/udev/rules.d/60-vandrel.rules"},
     {},
     {.rulesDir = "/opt/vandrel/lib/udev/rules.d"},
     UdevRulePlace::Unread,
     "/opt/vandrel/lib/udev/rules.d/60-vandrel.rules",
     InstallFrom("/opt/vandrel/lib/udev/rules.d/60-vandrel.rules")},
    {"installed program, rule removed: from a copy of the sources",
     {},
     {"/usr/lib/udev/rules.d"},
     {.rulesDir = "/usr/lib/udev/rules.d"},
     UdevRulePlace::Missing,
     kUsrLibRule,
     InstallFrom("packaging/60-vandrel.rules")},
    {"an installed program does not point into a source tree",
     {kSourceRule},
     {},
     {.fromBuildTree = false, .sourceDir = kSource, .rulesDir = "/usr/lib/udev/rules.d"},
     UdevRulePlace::Missing,
     kUsrLibRule,
     InstallFrom("packaging/60-vandrel.rules")},
    {"a folder of the rule's name is no rule",
     {},
     {kUsrLibRule, kSourceRule},
     {.fromBuildTree = true, .sourceDir = kSource, .rulesDir = "/usr/lib/udev/rules.d"},
     UdevRulePlace::Missing,
     kUsrLibRule,
     InstallFrom("packaging/60-vandrel.rules")},
};

TEST(UdevAccessAdvice, FollowsWhereTheRuleIs) {
    for (const AdviceCase& c : kAdviceCases) {
        SCOPED_TRACE(c.what);
        TempFolder root;
        for (const std::string& file : c.files) {
            fs::create_directories(fs::path(root.Path() + file).parent_path());
            root.Write(file.substr(1), "# rule\n");
        }
        for (const std::string& folder : c.folders) fs::create_directories(root.Path() + folder);
        UdevRuleFacts facts = c.facts;
        facts.lookIn = root.Path();

        const UdevAccessAdvice advice = AdviseUdevAccess(facts);
        EXPECT_EQ(advice.place, c.place);
        EXPECT_EQ(advice.ruleFile, c.ruleFile);
        EXPECT_EQ(advice.commands, c.commands);

        // On a terminal: every command on its own indented line, in order,
        // and the unplugging last.
        const std::string text = UdevAccessText(advice);
        std::size_t at = text.find('\n');
        ASSERT_NE(at, std::string::npos);
        for (const std::string& command : c.commands) {
            EXPECT_EQ(text.compare(at, command.size() + 5, "\n    " + command), 0) << text;
            at += command.size() + 5;
        }
        EXPECT_EQ(text.substr(at), "\nthen unplug the device (or its receiver) and plug it in again.\n");
    }
}

TEST(UdevAccessAdvice, TerminalTextSaysWhyForEachPlace) {
    const struct {
        UdevAccessAdvice advice;
        std::string firstLine;
    } cases[] = {
        {{UdevRulePlace::SourceTree, kSourceRule, InstallFrom(kSourceRule)},
         "no udev rule gives you access to the device yet; install the one of the source tree and apply it:"},
        {{UdevRulePlace::Installed, kUsrLibRule, {kReload, kTrigger}},
         "the udev rule /usr/lib/udev/rules.d/60-vandrel.rules is installed but not applied to the device yet; "
         "apply it:"},
        {{UdevRulePlace::Unread, "/opt/rules/60-vandrel.rules", InstallFrom("/opt/rules/60-vandrel.rules")},
         "the udev rule was installed as /opt/rules/60-vandrel.rules, in a folder udev does not read; install it "
         "into /etc/udev/rules.d and apply it:"},
        {{UdevRulePlace::Missing, kUsrLibRule, InstallFrom("packaging/60-vandrel.rules")},
         "the udev rule 60-vandrel.rules is not installed (it belongs in /usr/lib/udev/rules.d/); reinstall VANDREL, "
         "or install the rule from VANDREL's source folder, running there:"},
    };
    for (const auto& c : cases) {
        const std::string text = UdevAccessText(c.advice);
        EXPECT_EQ(text.substr(0, text.find('\n')), c.firstLine);
    }
}

// The build's own facts name this source tree, whose rule is where the
// advice looks for it.
TEST(UdevAccessAdvice, TheBuildsSourceTreeHoldsTheRule) {
    UdevRuleFacts facts = ThisProgramsUdevFacts();
    EXPECT_EQ(facts.rulesDir, build::kUdevRulesDir);
    EXPECT_EQ(facts.sourceDir, build::kSourceDir);
    facts.fromBuildTree = true;
    const UdevAccessAdvice advice = AdviseUdevAccess(facts);
    EXPECT_EQ(advice.place, UdevRulePlace::SourceTree);
    EXPECT_EQ(advice.ruleFile, std::string(build::kSourceDir) + "/packaging/60-vandrel.rules");
}

}  // namespace
}  // namespace vandrel::platform
