// SimBackend: a HID back end whose devices are simulated. It serves paths in
// the form the scan logic parses, one per collection of each plugged link:
//
//   sim:mouse?vid_320f&pid_221c&mi_01&col04             mouse, cable, vendor
//   sim:mouse-receiver?vid_320f&pid_221d&mi_01&col03    mouse, receiver, companion
//   sim:headset?vid_0c76&pid_1630&mi_03                 headset, its one collection
//
// Both links of a device share one SimFirmware, which lives as long as the
// back end and keeps its memory across unplugging. Opening never conflicts:
// exclusive opens are not modelled. A plug or unplug that changes the paths is
// reported to the change watches at once, on the calling thread.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/hid_backend.h"
#include "sim/sim_firmware.h"
#include "sim/sim_types.h"

namespace vandrel::sim {

class SimBackend final : public platform::IHidBackend {
public:
    SimBackend();  // nothing plugged
    ~SimBackend() override;
    SimBackend(const SimBackend&) = delete;
    SimBackend& operator=(const SimBackend&) = delete;

    // Mouse (cable and receiver), keyboard (cable), mouse pad, headset.
    static std::unique_ptr<SimBackend> WithDefaultDevices();

    // The same firmware object for both links of a device. Throws
    // std::invalid_argument for a receiver link of a cable-only kind.
    SimFirmware& Plug(SimKind kind, SimLink link = SimLink::Cable);
    // Collections opened on the link fail from now on; a waiting read returns
    // Failed at once.
    void Unplug(SimKind kind, SimLink link = SimLink::Cable);
    // Opens of the link's paths for reading or writing fail with
    // AccessDenied while denied, as a node no udev rule gave the user access
    // to; the paths stay listed and present, and channels already open stay
    // open. A change is reported, as udev changing a node's access is.
    void SetAccessDenied(SimKind kind, SimLink link, bool denied);
    // The receiver link answers 0xAA to every command but 0xAA itself, which
    // it answers with byte 8 = 0 (unreachable).
    void SetOutOfRange(SimKind kind, bool outOfRange);
    SimFirmware* Firmware(SimKind kind);  // nullptr before the first Plug

    // Empty for a receiver link of a cable-only kind. The headset's one
    // collection is both its vendor and its companion path.
    static std::string VendorPath(SimKind kind, SimLink link = SimLink::Cable);
    static std::string CompanionPath(SimKind kind, SimLink link = SimLink::Cable);

    // The plugged links' paths, sorted.
    std::optional<std::vector<std::string>> Enumerate() override;
    std::unique_ptr<platform::IHidDevice> Open(const std::string& path, platform::OpenMode mode,
                                               platform::OpenError* error = nullptr) override;
    bool IsPresent(const std::string& path) override;
    std::unique_ptr<platform::ChangeWatch> WatchChanges(std::function<void()> onChange) override;

private:
    struct Slot {
        std::shared_ptr<SimFirmware> firmware;
        std::array<bool, 2> plugged{};  // by SimLink
        std::array<bool, 2> denied{};   // by SimLink
        bool outOfRange = false;
    };

    Slot& SlotOf(SimKind kind) { return slots_[static_cast<std::size_t>(kind)]; }
    bool IsPlugged(SimKind kind, SimLink link) const;

    mutable std::mutex mutex_;
    std::array<Slot, kAllSimKinds.size()> slots_;
    platform::ChangeListeners changes_;  // told outside mutex_
};

}  // namespace vandrel::sim
