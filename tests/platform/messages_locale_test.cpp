#include "platform/messages_locale.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace vandrel::platform {
namespace {

struct LocaleCase {
    std::map<std::string, std::string> environment;
    std::string locale;
};

TEST(MessagesLocale, FollowsGettextOrder) {
    const LocaleCase cases[] = {
        {{}, "C"},
        {{{"LANG", "zh_CN.UTF-8"}}, "zh_CN"},
        {{{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "zh_TW.UTF-8"}}, "zh_TW"},
        {{{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "zh_TW.UTF-8"}, {"LC_ALL", "en_GB.UTF-8"}}, "en_GB"},
        {{{"LANG", "de_DE.UTF-8"}, {"LC_ALL", ""}}, "de_DE"},  // set but empty counts as unset
        {{{"LANG", "sr_RS.UTF-8@latin"}}, "sr_RS"},
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "zh_CN:en"}}, "zh_CN"},
        {{{"LANG", "C.UTF-8"}, {"LANGUAGE", "zh_CN:en"}}, "C"},  // LANGUAGE does not apply to the C locale
        {{{"LANG", "POSIX"}}, "C"},
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", ":fr"}}, "en_US"},
    };
    for (const LocaleCase& c : cases) {
        const auto lookup = [&](const char* name) -> const char* {
            const auto found = c.environment.find(name);
            return found == c.environment.end() ? nullptr : found->second.c_str();
        };
        std::string described;
        for (const auto& [name, value] : c.environment) described += name + "=" + value + " ";
        EXPECT_EQ(MessagesLocale(lookup), c.locale) << described;
    }
}

}  // namespace
}  // namespace vandrel::platform
