// "vandrelctl list": the supported interfaces present, one a line, and what
// keeps the user from opening them, said once below the list.
#pragma once

#include <cstdio>
#include <string>

#include "platform/hid_backend.h"
#include "platform/udev_rule.h"

namespace vandrel::tool {

// What an open that failed for this reason tells the user, in a few words.
const char* OpenErrorText(platform::OpenError error);

// The whole message for an open that failed: for a denied one, the commands
// that give access. Ends without a newline.
std::string OpenFailureText(platform::OpenError error, const platform::UdevAccessAdvice& advice);

// Lists the interfaces of the default HID back end to `out`; denied ones are
// marked, and the advice follows the list once. False when the back end
// cannot list its interfaces.
bool ListInterfaces(std::FILE* out, const platform::UdevAccessAdvice& advice);

}  // namespace vandrel::tool
