#include "platform/messages_locale.h"

#include <array>
#include <cstdlib>
#include <string_view>

namespace vandrel::platform {
namespace {

std::string_view Value(const EnvironmentLookup& lookup, const char* name) {
    const char* value = lookup(name);
    return value == nullptr ? std::string_view() : std::string_view(value);
}

// "zh_CN.UTF-8@stroke" -> "zh_CN".
std::string WithoutCodesetAndModifier(std::string_view locale) {
    return std::string(locale.substr(0, locale.find_first_of(".@")));
}

bool IsPlainLocale(std::string_view locale) { return locale == "C" || locale.starts_with("C.") || locale == "POSIX"; }

}  // namespace

std::string MessagesLocale(const EnvironmentLookup& lookup) {
    std::string_view locale = "C";
    for (const char* name : std::array{"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const std::string_view value = Value(lookup, name); !value.empty()) {
            locale = value;
            break;
        }
    }
    if (!IsPlainLocale(locale)) {
        const std::string_view languages = Value(lookup, "LANGUAGE");
        if (const std::string_view first = languages.substr(0, languages.find(':')); !first.empty()) locale = first;
    }
    return IsPlainLocale(locale) ? std::string("C") : WithoutCodesetAndModifier(locale);
}

std::string MessagesLocale() {
    return MessagesLocale([](const char* name) { return static_cast<const char*>(std::getenv(name)); });
}

}  // namespace vandrel::platform
