// DeviceScanThread: the background thread that finds supported HID interfaces
// and notices when they go away.
//
// Every 100 ms (or at once when woken) it enumerates the back end's paths
// while a slot is free, opens each candidate read-only to learn its usage page
// and usage, and gives a matching interface the free slot of its row; then it
// checks that every connected slot's path is still present. Arrivals and removals are handed to
// an IScanListener synchronously: the thread waits until the listener returns.
//
// The thread owns the slot list. Other threads read it through Slots() or
// Slot(), which return copies taken under a lock; the lock is never held while
// the listener runs, so a listener may read the slots from any thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "device_io/hid_channel.h"
#include "device_io/supported_devices.h"
#include "platform/event.h"
#include "platform/hid_backend.h"

namespace vandrel::device_io {

class IScanListener {
public:
    virtual ~IScanListener() = default;
    // The slot is already marked connected (arrival) or free (removal).
    virtual void OnDeviceArrived(std::size_t slot) = 0;
    virtual void OnDeviceRemoved(std::size_t slot) = 0;
    // Once per Start, after the first enumeration that completed.
    virtual void OnFirstScanCompleted() = 0;
    // Once per path while access to it stays denied (the node exists, but no
    // udev rule has given the user access to it).
    virtual void OnAccessDenied(const std::string& path) = 0;
};

class DeviceScanThread {
public:
    static constexpr std::chrono::milliseconds kPassInterval{100};
    // Denied on this many passes in a row: the permission is not just late.
    static constexpr int kDeniedPassesToReport = 2;

    DeviceScanThread(platform::IHidBackend& backend, IScanListener& listener,
                     std::chrono::milliseconds passInterval = kPassInterval);
    ~DeviceScanThread();  // stops the thread
    DeviceScanThread(const DeviceScanThread&) = delete;
    DeviceScanThread& operator=(const DeviceScanThread&) = delete;

    void Start();  // does nothing while running
    // Sets the stop event, cuts the wait short and joins. The thread waits on
    // nothing else, so this returns as soon as a listener call in progress has
    // returned. A listener that forwards to the thread calling Stop must not
    // block on it once Stop has begun.
    void Stop();
    bool IsRunning() const { return worker_.joinable(); }
    // Cuts the current wait short, so the next pass runs at once: for a
    // watcher that sees device nodes appear or change their permissions.
    // Callable from any thread; a wake during a pass makes the next pass
    // follow it at once.
    void Wake();

    SlotList Slots() const;
    DeviceIdentity Slot(std::size_t slot) const;

private:
    void Run();
    void EnumerationPass();
    void OfferPath(const std::string& path);
    void PresenceCheck();
    void ReportFirstScan();
    bool AnySlotFree() const;
    void NoteAccessDenied(const std::string& path);

    platform::IHidBackend& backend_;
    IScanListener& listener_;
    CHidChannel channel_;  // the scan's own read-only probe, used by the thread only
    const std::chrono::milliseconds passInterval_;
    platform::Event stop_;
    platform::Event wake_;  // set by Wake and by Stop, after stop_
    std::thread worker_;

    mutable std::mutex slotsMutex_;  // guards slots_; never held while the listener runs
    SlotList slots_ = MakeSlotList();

    // Thread-only state.
    bool firstScanReported_ = false;
    bool enumerationFailing_ = false;  // traced once per run of failures
    std::uint64_t pass_ = 0;  // completed enumerations
    struct Denial {
        std::uint64_t lastPass = 0;
        int passesInARow = 0;
        bool reported = false;
    };
    std::map<std::string, Denial> denials_;  // paths denied on the last pass
};

}  // namespace vandrel::device_io
