// The real HID back end: Linux hidraw nodes.
//
// Enumerates <sysfs>/class/hidraw, reads each node's report descriptor and
// splits it into top-level collections; every (node, collection) pair is one
// path "/dev/hidrawN?vid_XXXX&pid_XXXX&mi_XX&colXX". Reads and writes use
// poll() with a time-out plus an eventfd for cancellation.
//
// Where each number comes from:
//   vid, pid      HID_ID in <sysfs>/class/hidraw/hidrawN/device/uevent
//   mi_           bInterfaceNumber of the USB interface, the parent folder of
//                 the resolved "device" link (left out for devices not on USB)
//   col           1-based top-level collection, only when there are several
//   version       bcdDevice of the USB device, the interface's parent folder
//   descriptor    "report_descriptor" beside the uevent, else HIDIOCGRDESC on
//                 the opened node
//
// One node carries the reports of all its collections: a device opened on one
// collection hands its reader only the input reports whose report id belongs
// to that collection. For descriptors without report ids the reader gets a 0
// byte before each report, as on Windows, and writes keep their leading 0,
// which hidraw expects. hidraw has no sharing modes, so OpenMode::exclusive
// has no effect here. An open with neither read nor write access only checks
// that the node exists (O_PATH, no permission needed), as the presence test
// of the scan does; its reads and writes fail.
//
// Changes are reported by a HidrawWatcher on the node folder (inotify: a
// hidraw node created, removed, or its attributes changed, which is how udev
// hands out access), one watcher per watch.
#pragma once

#include <functional>
#include <string>

#include "platform/hid_backend.h"

namespace vandrel::platform {

class HidrawBackend final : public IHidBackend {
public:
    // Opens a device node as ::open does: a file descriptor, or -1 with errno
    // set. Tests pass one that hands out one end of a socket pair instead.
    using NodeOpener = std::function<int(const std::string& nodePath, int flags)>;

    // sysfsRoot holds "class/hidraw"; devRoot holds the "hidrawN" nodes.
    // Tests point both at a fake tree. An empty opener means ::open.
    explicit HidrawBackend(std::string sysfsRoot = "/sys", std::string devRoot = "/dev", NodeOpener opener = {});

    std::optional<std::vector<std::string>> Enumerate() override;
    std::unique_ptr<IHidDevice> Open(const std::string& path, OpenMode mode, OpenError* error = nullptr) override;
    bool IsPresent(const std::string& path) override;
    // nullptr when inotify is unavailable or the node folder cannot be watched.
    std::unique_ptr<ChangeWatch> WatchChanges(std::function<void()> onChange) override;

private:
    std::string sysfsRoot_;
    std::string devRoot_;
    NodeOpener opener_;
};

}  // namespace vandrel::platform
