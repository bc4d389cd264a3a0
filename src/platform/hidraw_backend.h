// The real HID back end: Linux hidraw nodes.
//
// Enumerates <sysfs>/class/hidraw, reads each node's report descriptor and
// splits it into top-level collections; every (node, collection) pair is one
// path "/dev/hidrawN?vid_XXXX&pid_XXXX&mi_XX&colXX". Reads and writes use
// poll() with a time-out plus an eventfd for cancellation.
#pragma once

#include <string>

#include "platform/hid_backend.h"

namespace vandrel::platform {

class HidrawBackend final : public IHidBackend {
public:
    // sysfsRoot holds "class/hidraw"; devRoot holds the "hidrawN" nodes.
    // Tests point both at a fake tree.
    explicit HidrawBackend(std::string sysfsRoot = "/sys", std::string devRoot = "/dev");

    std::optional<std::vector<std::string>> Enumerate() override;
    std::unique_ptr<IHidDevice> Open(const std::string& path, OpenMode mode,
                                     OpenError* error = nullptr) override;
    bool IsPresent(const std::string& path) override;

private:
    std::string sysfsRoot_;
    std::string devRoot_;
};

}  // namespace vandrel::platform
