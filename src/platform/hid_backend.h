// The seam between the HID channel and the operating system.
//
// A back end lists the HID interface paths it can reach and opens one of them.
// Paths use the form the scan logic parses: "...vid_320f&pid_5078&mi_01&col04".
// "mi_" is the USB interface number and "col" the 1-based top-level collection
// index, present only when the interface has more than one collection.
//
// A back end may also report when its set of paths may have changed, so that
// the scan looks again at once instead of polling (WatchChanges).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vandrel::platform {

// What an opened collection reports about itself; the numbers mirror what the
// Windows HID parser gives (report lengths include the report-id byte, which is
// 0 for collections without numbered reports).
struct HidCollectionCaps {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::uint16_t inputReportLength = 0;
    std::uint16_t outputReportLength = 0;
    std::uint16_t featureReportLength = 0;
    std::vector<std::uint8_t> reportIds;  // empty when the collection has no report ids
};

struct HidDeviceInfo {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0;
    HidCollectionCaps caps;
    // The report descriptor of the whole interface and the 0-based index of this
    // path's top-level collection in it, for decoding input reports.
    std::vector<std::uint8_t> reportDescriptor;
    std::size_t collectionIndex = 0;
};

enum class IoStatus { Ok, TimedOut, Cancelled, Failed };

struct IoResult {
    IoStatus status = IoStatus::Failed;
    std::size_t bytes = 0;
};

// Time-out value that waits until data arrives or the wait is cancelled.
inline constexpr int kInfiniteTimeout = -1;

struct OpenMode {
    bool read = false;
    bool write = false;
    bool exclusive = false;
};

enum class OpenError { None, NotFound, AccessDenied, Busy, Failed };

// One opened path. Read and Write may each be called by one thread at a time;
// Cancel may be called from any thread and releases a waiting Read or Write
// with IoStatus::Cancelled. After a time-out nothing stays pending: a report
// that arrives later is delivered to the next Read, never into an old buffer.
class IHidDevice {
public:
    virtual ~IHidDevice() = default;
    virtual const HidDeviceInfo& Info() const = 0;
    // One input report of this collection, report id first (0 when unnumbered).
    virtual IoResult Read(std::span<std::uint8_t> buffer, int timeoutMs) = 0;
    // One output report, report id first.
    virtual IoResult Write(std::span<const std::uint8_t> report, int timeoutMs) = 0;
    virtual void Cancel() = 0;
};

// Change reports last as long as the watch that WatchChanges returned.
class ChangeWatch {
public:
    virtual ~ChangeWatch() = default;
};

class IHidBackend {
public:
    virtual ~IHidBackend() = default;
    // Every present HID interface path, or nothing when the list cannot be read.
    virtual std::optional<std::vector<std::string>> Enumerate() = 0;
    virtual std::unique_ptr<IHidDevice> Open(const std::string& path, OpenMode mode, OpenError* error = nullptr) = 0;
    // Whether the path still names a present device (the scan's presence check).
    virtual bool IsPresent(const std::string& path) = 0;
    // Calls onChange whenever the paths may have changed: an interface came
    // or went, or access to it changed. It runs on any thread, must be quick
    // and must not start or end a watch. The calls end when the watch is
    // destroyed; a call in progress then has returned. nullptr when the back
    // end cannot tell (this default): the caller has to look for itself.
    virtual std::unique_ptr<ChangeWatch> WatchChanges(std::function<void()> onChange);
};

// The watches of a back end that learns of its changes through its own calls
// (the simulator's plug and unplug). Thread-safe; a watch may outlive it.
class ChangeListeners {
public:
    ChangeListeners();
    ~ChangeListeners();
    ChangeListeners(const ChangeListeners&) = delete;
    ChangeListeners& operator=(const ChangeListeners&) = delete;

    std::unique_ptr<ChangeWatch> Add(std::function<void()> onChange);
    // Calls every listener on this thread.
    void Notify() const;

private:
    struct Shared;
    class Watch;
    std::shared_ptr<Shared> shared_;
};

// The back end that channels use when none is given: the hidraw back end,
// unless the program selected another one at start (for example the simulator).
IHidBackend& DefaultHidBackend();
void SetDefaultHidBackend(IHidBackend* backend);  // nullptr restores hidraw

}  // namespace vandrel::platform
