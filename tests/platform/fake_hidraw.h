// A fake hidraw world for tests: a sysfs tree laid out as the kernel lays it
// out, placeholder device nodes, and a socket pair in place of each opened
// node. Like a real hidraw node, every opened connection receives its own
// copy of every report the device sends, and SOCK_SEQPACKET keeps report
// boundaries.
//
// <root>/sys/class/hidraw/hidrawN -> ../../devices/.../<hid>/hidraw/hidrawN
// <root>/sys/devices/usbN/N-1/bcdDevice                      (USB device)
// <root>/sys/devices/usbN/N-1/N-1:1.I/bInterfaceNumber       (USB interface)
// <root>/sys/devices/usbN/N-1/N-1:1.I/<hid>/uevent, report_descriptor
// <root>/sys/devices/.../<hid>/hidraw/hidrawN/device -> ../../../<hid>
// <root>/dev/hidrawN                                         (empty file)
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/hidraw_backend.h"

namespace vandrel::test {

struct FakeNode {
    std::uint16_t vendorId = 0x320F;
    std::uint16_t productId = 0x5078;
    std::optional<std::uint8_t> interfaceNumber = 1;  // nullopt: not a USB device
    std::uint16_t bcdDevice = 0x0102;
    std::optional<std::vector<std::uint8_t>> descriptor;  // nullopt: no report_descriptor file
};

class FakeHidraw {
public:
    FakeHidraw();
    ~FakeHidraw();
    FakeHidraw(const FakeHidraw&) = delete;
    FakeHidraw& operator=(const FakeHidraw&) = delete;

    void Plug(unsigned number, const FakeNode& node);
    // The device goes: its sysfs entry and node disappear and every open
    // connection is hung up.
    void Unplug(unsigned number);
    // Makes the next opens of a node fail with this errno (0 clears it).
    void FailOpens(unsigned number, int error);
    // As udev giving the user access once the node exists: opens work again
    // and the node's mode changes (an attribute change of the node).
    void GrantAccess(unsigned number);

    // The device sends one input report to every open connection of the node.
    void Send(unsigned number, const std::vector<std::uint8_t>& report);
    // The next report the host wrote on the node's latest connection, waiting
    // at most timeoutMs; nothing when none came.
    std::optional<std::vector<std::uint8_t>> Received(unsigned number, int timeoutMs = 2000);
    // Flags of the last open of the node.
    int LastOpenFlags(unsigned number);

    std::string SysfsRoot() const { return (root_ / "sys").string(); }
    std::string DevRoot() const { return (root_ / "dev").string(); }
    platform::HidrawBackend::NodeOpener Opener();
    platform::HidrawBackend Backend() { return platform::HidrawBackend(SysfsRoot(), DevRoot(), Opener()); }
    // The path Enumerate gives for a node, from its parts.
    std::string PathOf(unsigned number, const std::string& options) const;

private:
    struct Connections {
        std::vector<int> deviceEnds;
        int failWith = 0;
        int lastFlags = -1;
    };
    int OpenNode(const std::string& nodePath, int flags);
    void CloseAll(Connections& node);

    std::filesystem::path root_;
    std::mutex mutex_;
    std::map<unsigned, Connections> nodes_;
};

}  // namespace vandrel::test
