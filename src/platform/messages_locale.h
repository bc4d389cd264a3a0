// The language the user asked for in the environment, as gettext reads it:
// LANGUAGE (its first entry) unless the locale is "C" or "POSIX", then
// LC_ALL, LC_MESSAGES and LANG, the first one set and not empty.
#pragma once

#include <functional>
#include <string>

namespace vandrel::platform {

// Looks an environment variable up; nullptr when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

// The messages locale's language and territory ("zh_CN" of
// "zh_CN.UTF-8@stroke"); "C" when nothing is set.
std::string MessagesLocale(const EnvironmentLookup& lookup);
std::string MessagesLocale();  // from this process's environment

}  // namespace vandrel::platform
