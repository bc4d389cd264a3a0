// DeviceScanThread: the background thread that finds supported HID interfaces
// and notices when they go away.
//
// A pass enumerates the back end's paths while a slot is free, opens each
// candidate read-only to learn its usage page and usage, and gives a matching
// interface the free slot of its row; then it checks that every connected
// slot's path is still present. Arrivals and removals are handed to an
// IScanListener synchronously: the thread waits until the listener returns.
//
// When a pass runs: at once when the back end reports a change (its change
// watch wakes the thread) and otherwise only on a slow safety pass, in case a
// report was lost; a back end that reports nothing is polled instead. A path
// that failed to open, or an enumeration that failed, is retried soon for a
// few passes (a udev rule giving access may be a moment late); after that it
// waits for a change report or the safety pass like everything else.
//
// A path denied access on two passes in a row is reported once, and so is the
// end of that denial: the path opened or failed otherwise, went away, or lost
// its slot to another interface of the same kind (it is not offered then). A
// pass with no free slot does not enumerate; it ends the denials still held,
// since none of their paths has a slot left (after a restart, say).
//
// The thread owns the slot list. Other threads read it through Slots() or
// Slot(), which return copies taken under a lock; the lock is never held while
// the listener runs, so a listener may read the slots from any thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>

#include "device_io/hid_channel.h"
#include "device_io/supported_devices.h"
#include "platform/hid_backend.h"
#include "platform/worker_thread.h"

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
    // Once after each OnAccessDenied, when that denial is over: the path
    // opened or failed for another reason, or it is no longer offered (it
    // went away, or an interface of the same kind took its slot).
    virtual void OnAccessDenialEnded(const std::string& path) = 0;
};

// The waits between passes when nothing wakes the thread.
struct ScanPace {
    std::chrono::milliseconds unwatched{100};  // the back end reports no changes
    std::chrono::milliseconds safety{2000};    // it does: in case a report was lost
    std::chrono::milliseconds retry{100};      // a failure is within its quick retries
};

class DeviceScanThread {
public:
    // Denied on this many passes in a row: the permission is not just late.
    static constexpr int kDeniedPassesToReport = 2;
    // A failed open or enumeration is retried at the retry pace until it has
    // failed on this many passes in a row (about a second at 100 ms).
    static constexpr int kQuickRetryPasses = 10;

    DeviceScanThread(platform::IHidBackend& backend, IScanListener& listener, ScanPace pace = {});
    ~DeviceScanThread();  // stops the thread
    DeviceScanThread(const DeviceScanThread&) = delete;
    DeviceScanThread& operator=(const DeviceScanThread&) = delete;

    // Starts watching the back end's changes, then the thread; does nothing
    // while running.
    void Start();
    // Tells the thread to stop, which cuts the wait short, joins and ends the watch. The
    // thread waits on nothing else, so this returns as soon as a listener call
    // in progress has returned. A listener that forwards to the thread calling
    // Stop must not block on it once Stop has begun.
    void Stop();
    bool IsRunning() const { return worker_.Running(); }
    // Cuts the current wait short, so the next pass runs at once; the back
    // end's change reports call it. Callable from any thread; a wake during a
    // pass makes the next pass follow it at once.
    void Wake();

    SlotList Slots() const;
    DeviceIdentity Slot(std::size_t slot) const;

private:
    void Run(const std::stop_token& token);
    // True when a failure of this pass wants a quick retry.
    bool EnumerationPass(const std::stop_token& token);
    void OfferPath(const std::string& path);
    void PresenceCheck(const std::stop_token& token);
    void ReportFirstScan();
    bool AnySlotFree() const;
    void NoteOpenFailure(const std::string& path, platform::OpenError error);
    // Forgets the failure of a path, reporting the end of its denial.
    void ForgetFailure(const std::string& path);
    // Forgets the failures that did not happen on this pass or whose path
    // has no free slot left.
    void ForgetStaleFailures();
    std::chrono::milliseconds PauseAfterPass(bool quickRetry) const;

    platform::IHidBackend& backend_;
    IScanListener& listener_;
    CHidChannel channel_;  // the scan's own read-only probe, used by the thread only
    const ScanPace pace_;
    platform::WorkerThread worker_;
    // Set by Start before the thread starts, reset by Stop after it ended;
    // its reports call Wake, so it goes before worker_ does.
    std::unique_ptr<platform::ChangeWatch> watch_;

    mutable std::mutex slotsMutex_;  // guards slots_; never held while the listener runs
    SlotList slots_ = MakeSlotList();

    // Thread-only state.
    bool firstScanReported_ = false;
    int enumerationFailures_ = 0;  // in a row, counted up to kQuickRetryPasses; traced at the first
    std::uint64_t pass_ = 0;       // completed enumerations
    struct OpenFailure {
        std::uint64_t lastPass = 0;
        int passesInARow = 0;   // failed for any reason
        int deniedInARow = 0;   // of those, denied access
        bool reported = false;  // OnAccessDenied said it, OnAccessDenialEnded not yet
    };
    std::map<std::string, OpenFailure> openFailures_;  // paths that failed on the last pass
};

}  // namespace vandrel::device_io
