// CDeviceManager: what the main window does when the scan thread reports that
// a supported interface arrived or went away.
//
// It creates one device object per kind the first time the kind is seen (and
// keeps it until the manager goes), opens the vendor channel of the link that
// arrived, moves a mouse or keyboard between cable and receiver when one of
// its two links comes or goes, opens and closes the companion channels, and
// shows, hides and selects each device's option tab through its host.
//
// Threads: every operation runs on the UI thread. The scan thread reaches it
// through ScanListenerOnUiThread, which hands each report to the UI thread and
// waits until it has been handled.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "device_io/device_scan_thread.h"
#include "device_io/device_tables.h"
#include "device_io/supported_devices.h"
#include "devices/device_host.h"
#include "devices/usb_device.h"
#include "platform/hid_backend.h"

namespace vandrel::devices {

inline constexpr int kLinkQueryTries = 26;
inline constexpr int kLinkQueryPauseMs = 50;

// Runs work on the UI thread and waits until it has run.
//
// The stop deadlock: the UI thread stops the scan thread and waits for it,
// while the scan thread may be waiting in RunSync for the UI thread. So an
// implementation has a closing state, entered on the UI thread before it stops
// the scan thread: from then on RunSync returns at once without running its
// work, and a RunSync already waiting is released without it. A report lost
// that way belongs to a window that is closing anyway.
class IUiDispatcher {
public:
    virtual ~IUiDispatcher() = default;
    virtual void RunSync(std::function<void()> work) = 0;
};

// What the main window builds for a device kind: the device object (its page)
// and the host through which it reaches its option tab.
struct DeviceObjects {
    std::unique_ptr<IDeviceHost> host;
    std::unique_ptr<CMorvaneUSBDevice> device;
};

class IDeviceFactory {
public:
    virtual ~IDeviceFactory() = default;
    // The objects for a row of DeviceKindTable; nothing when a layout does
    // not build, and then the arrival does nothing more.
    virtual std::optional<DeviceObjects> Create(device_io::KindRow kindRow) = 0;
    // Called once the manager has given the device its counts, names, host
    // and identity: set the current profile name and run Attach on the page.
    virtual void AttachPage(device_io::KindRow kindRow, CMorvaneUSBDevice& device) = 0;
};

// What the main window hears from the manager; every call on the UI thread.
class IDeviceManagerEvents {
public:
    virtual ~IDeviceManagerEvents() = default;
    // After each arrival (arrived = true) or removal: refresh the no-device
    // indicator; on arrival restore the window and bring it to the front.
    virtual void OnDevicesChanged(bool /*arrived*/) {}
    // The selected option tab changed; nothing selected when none is visible.
    virtual void OnSelectionChanged(std::optional<device_io::KindRow> /*kindRow*/) {}
    // A vendor channel did not open: the device stays closed. RetryFailedOpens
    // tries again while the slot stays connected.
    virtual void OnOpenFailed(std::size_t /*slot*/, const std::string& /*path*/) {}
    virtual void OnFirstScanCompleted() {}
    // The user may not open the path's device; later, once, that is over
    // (it opened, or went away).
    virtual void OnAccessDenied(const std::string& /*path*/) {}
    virtual void OnAccessDenialEnded(const std::string& /*path*/) {}
};

class CDeviceManager : public device_io::IScanListener {
public:
    using SlotSource = std::function<device_io::SlotList()>;

    // `slots` gives a copy of the scan thread's slot list.
    CDeviceManager(platform::IHidBackend& backend, SlotSource slots, IDeviceFactory& factory,
                   IDeviceManagerEvents* events = nullptr);
    ~CDeviceManager() override;
    CDeviceManager(const CDeviceManager&) = delete;
    CDeviceManager& operator=(const CDeviceManager&) = delete;

    void OnDeviceArrived(std::size_t slot) override;
    void OnDeviceRemoved(std::size_t slot) override;
    void OnFirstScanCompleted() override;
    void OnAccessDenied(const std::string& path) override;
    void OnAccessDenialEnded(const std::string& path) override;

    // The scan does not offer a connected slot again, so a vendor channel that
    // failed to open (typically a node that appeared a moment before the udev
    // rule gave access to it) is retried here: the window calls this from a
    // timer. Slots removed meanwhile are forgotten.
    void RetryFailedOpens();
    bool HasFailedOpens() const { return !failedOpens_.empty(); }

    // The link check found the device behind its receiver reachable again, or
    // lost it (message 3331): its tab is shown or hidden by the same rules as
    // on arrival and removal, so a lost tab that was selected hands the
    // selection on, and a tab coming back takes it only when no other shows.
    void SetLinkReachable(device_io::KindRow kindRow, bool reachable);

    platform::IHidBackend& Backend() { return backend_; }
    // The kind's device and host; nullptr before the kind's first arrival.
    CMorvaneUSBDevice* Device(device_io::KindRow kindRow) const;
    IDeviceHost* Host(device_io::KindRow kindRow) const;
    std::optional<device_io::KindRow> Selected() const { return selected_; }
    bool AnyOptionVisible() const;

private:
    struct Entry {
        std::unique_ptr<IDeviceHost> host;  // declared first: outlives the device
        std::unique_ptr<CMorvaneUSBDevice> device;
    };

    Entry* EnsureEntry(device_io::KindRow kindRow, const device_io::DeviceIdentity& identity);
    Entry* EntryOf(device_io::KindRow kindRow);

    void OpenVendor(const device_io::SlotList& slots, std::size_t slot, Entry& entry);
    void OpenTwinCapable(const device_io::SlotList& slots, std::size_t slot, Entry& entry);
    void OpenCableOnly(const device_io::SlotList& slots, std::size_t slot, Entry& entry);
    // Opens the slot's path on the wired or wireless vendor channel under
    // IoLock; reports a failure.
    bool OpenChannel(Entry& entry, const device_io::SlotList& slots, std::size_t slot, bool wireless);
    void SwitchToCable(Entry& entry, std::size_t cableSlot, const std::string& path);
    void SwitchToReceiver(Entry& entry, std::size_t receiverSlot, const std::string& path);

    void CloseVendor(const device_io::SlotList& slots, std::size_t slot, Entry& entry);
    void OpenCompanion(const device_io::SlotList& slots, std::size_t slot, Entry& entry);
    void CloseCompanion(const device_io::SlotList& slots, std::size_t slot, Entry& entry);

    void ShowOption(device_io::KindRow kindRow);
    void HideOption(device_io::KindRow kindRow);
    void Select(std::optional<device_io::KindRow> kindRow);
    // Takes in a tab the user selected meanwhile: the hosts know of clicks
    // that never passed through Select.
    void AdoptShownSelection();
    void NoteOpenFailed(std::size_t slot, const std::string& path);

    platform::IHidBackend& backend_;
    const SlotSource slots_;
    IDeviceFactory& factory_;
    IDeviceManagerEvents* const events_;
    std::array<Entry, device_io::kKindCount> entries_;  // by Index of the kind row
    std::optional<device_io::KindRow> selected_;
    std::set<std::size_t> failedOpens_;  // vendor slots whose channel did not open
};

// Hands the scan thread's reports to the manager on the UI thread.
class ScanListenerOnUiThread : public device_io::IScanListener {
public:
    ScanListenerOnUiThread(IUiDispatcher& dispatcher, device_io::IScanListener& target)
        : dispatcher_(dispatcher), target_(target) {}

    void OnDeviceArrived(std::size_t slot) override;
    void OnDeviceRemoved(std::size_t slot) override;
    void OnFirstScanCompleted() override;
    void OnAccessDenied(const std::string& path) override;
    void OnAccessDenialEnded(const std::string& path) override;

private:
    IUiDispatcher& dispatcher_;
    device_io::IScanListener& target_;
};

}  // namespace vandrel::devices
