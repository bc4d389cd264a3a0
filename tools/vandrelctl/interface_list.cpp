#include "interface_list.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "device_io/hid_channel.h"
#include "device_io/supported_devices.h"

namespace vandrel::tool {
namespace {

struct OpenErrorRow {
    platform::OpenError error;
    const char* text;
};
constexpr OpenErrorRow kOpenErrors[] = {
    {platform::OpenError::NotFound, "no such device (unplugged, or the path is wrong; see 'vandrelctl list')"},
    {platform::OpenError::AccessDenied, "permission denied"},
    {platform::OpenError::Busy, "the device is busy (opened exclusively by another program)"},
};

}  // namespace

const char* OpenErrorText(platform::OpenError error) {
    const auto row = std::find_if(std::begin(kOpenErrors), std::end(kOpenErrors),
                                  [error](const OpenErrorRow& r) { return r.error == error; });
    return row == std::end(kOpenErrors) ? "the device could not be opened" : row->text;
}

std::string OpenFailureText(platform::OpenError error, const platform::UdevAccessAdvice& advice) {
    std::string text = OpenErrorText(error);
    if (error != platform::OpenError::AccessDenied) return text;
    text += ": " + platform::UdevAccessText(advice);
    if (text.ends_with('\n')) text.pop_back();
    return text;
}

bool ListInterfaces(std::FILE* out, const platform::UdevAccessAdvice& advice) {
    device_io::CHidChannel scanner;
    if (!scanner.EnumerateHidPaths()) return false;
    int shown = 0;
    int denied = 0;
    while (const std::string* path = scanner.NextPath()) {
        const auto vid = static_cast<std::uint16_t>(device_io::PathNumber(*path, "vid_"));
        const auto pid = static_cast<std::uint16_t>(device_io::PathNumber(*path, "pid_"));
        const auto mi = static_cast<std::uint16_t>(device_io::PathNumber(*path, "&mi_"));
        const auto col = static_cast<std::uint16_t>(device_io::PathNumber(*path, "&col"));
        if (!device_io::FindRowByPathNumbers(vid, pid, mi, col)) continue;

        device_io::CHidChannel probe;
        if (probe.OpenPath(*path, true, false, true, false)) {
            std::fprintf(out, "%s  %04x:%04x  interface %u  collection %u  usage %04x:%04x\n", path->c_str(), vid, pid,
                         mi, col, probe.UsagePage(), probe.Usage());
        } else {
            const platform::OpenError error = probe.LastOpenError();
            if (error == platform::OpenError::AccessDenied) ++denied;
            std::fprintf(out, "%s  %04x:%04x  interface %u  collection %u  (%s)\n", path->c_str(), vid, pid, mi, col,
                         OpenErrorText(error));
        }
        ++shown;
    }
    if (shown == 0) std::fprintf(out, "no supported device found\n");
    if (denied > 0)
        std::fprintf(out, "\npermission denied on %d interface%s: %s", denied, denied == 1 ? "" : "s",
                     platform::UdevAccessText(advice).c_str());
    return true;
}

}  // namespace vandrel::tool
