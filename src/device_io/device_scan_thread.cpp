#include "device_io/device_scan_thread.h"

#include <algorithm>
#include <vector>

#include "platform/device_path.h"
#include "platform/trace.h"

namespace vandrel::device_io {
namespace {

// What a path tells before it is opened; 0 for a marker that is absent.
DeviceIdentity CandidateFromPath(const std::string& path) {
    const platform::PathNumbers numbers = platform::ReadPathNumbers(path);
    DeviceIdentity candidate;
    candidate.vendorId = static_cast<std::uint16_t>(numbers.vendorId.value_or(0));
    candidate.productId = static_cast<std::uint16_t>(numbers.productId.value_or(0));
    candidate.interfaceNumber = static_cast<std::uint16_t>(numbers.interfaceNumber.value_or(0));
    candidate.collectionNumber = static_cast<std::uint16_t>(numbers.collection.value_or(0));
    candidate.devicePath = path;
    return candidate;
}

bool SamePathNumbers(const DeviceIdentity& a, const DeviceIdentity& b) {
    return a.vendorId == b.vendorId && a.productId == b.productId && a.interfaceNumber == b.interfaceNumber &&
           a.collectionNumber == b.collectionNumber;
}

// Whether a free slot of the list fits the numbers of a candidate's path.
bool FreeSlotFor(const SlotList& slots, const DeviceIdentity& candidate) {
    return std::any_of(slots.begin(), slots.end(), [&](const DeviceIdentity& slot) {
        return IsFreeSlot(slot) && SamePathNumbers(slot, candidate);
    });
}

}  // namespace

DeviceScanThread::DeviceScanThread(platform::IHidBackend& backend, IScanListener& listener, ScanPace pace)
    : backend_(backend), listener_(listener), channel_(backend), pace_(pace) {}

DeviceScanThread::~DeviceScanThread() { Stop(); }

void DeviceScanThread::Start() {
    if (worker_.Running()) return;
    worker_.ClearWake();
    firstScanReported_ = false;
    enumerationFailures_ = 0;
    // A denial reported before a stop is still the listener's: its end is
    // reported once the restarted scan sees it.
    std::erase_if(openFailures_, [](const auto& entry) { return !entry.second.reported; });
    // Before the first pass: a change during it makes another pass follow.
    watch_ = backend_.WatchChanges([this] { Wake(); });
    worker_.Start([this](const std::stop_token& token) { Run(token); });
}

void DeviceScanThread::Stop() {
    worker_.Stop();
    watch_.reset();
}

SlotList DeviceScanThread::Slots() const {
    std::lock_guard lock(slotsMutex_);
    return slots_;
}

DeviceIdentity DeviceScanThread::Slot(std::size_t slot) const {
    std::lock_guard lock(slotsMutex_);
    return slot < slots_.size() ? slots_[slot] : DeviceIdentity{};
}

void DeviceScanThread::Run(const std::stop_token& token) {
    while (!token.stop_requested()) {
        bool quickRetry = false;
        if (AnySlotFree()) {
            quickRetry = EnumerationPass(token);
        } else {
            ReportFirstScan();  // nothing to look for: the scan is complete as it is
            ForgetStaleFailures();
        }
        PresenceCheck(token);
        worker_.WaitFor(token, PauseAfterPass(quickRetry));
    }
    platform::Trace("抓取设备线程设定退出");
}

std::chrono::milliseconds DeviceScanThread::PauseAfterPass(bool quickRetry) const {
    if (!watch_) return pace_.unwatched;
    return quickRetry ? pace_.retry : pace_.safety;
}

void DeviceScanThread::Wake() { worker_.Wake(); }

bool DeviceScanThread::AnySlotFree() const {
    std::lock_guard lock(slotsMutex_);
    return std::any_of(slots_.begin(), slots_.end(), IsFreeSlot);
}

// A pass whose enumeration fails is skipped; the next pass tries again, soon
// while the failure is within its quick retries.
bool DeviceScanThread::EnumerationPass(const std::stop_token& token) {
    if (!channel_.EnumerateHidPaths()) {
        if (enumerationFailures_ == 0) platform::Trace("device enumeration failed; trying again on the next pass");
        if (enumerationFailures_ < kQuickRetryPasses) ++enumerationFailures_;
        return enumerationFailures_ < kQuickRetryPasses;
    }
    enumerationFailures_ = 0;
    ++pass_;
    while (const std::string* path = channel_.NextPath()) {
        if (token.stop_requested()) break;
        OfferPath(*path);
    }
    channel_.FreePaths();
    if (token.stop_requested()) return false;

    ForgetStaleFailures();
    ReportFirstScan();
    return std::any_of(openFailures_.begin(), openFailures_.end(),
                       [](const auto& entry) { return entry.second.passesInARow < kQuickRetryPasses; });
}

void DeviceScanThread::ReportFirstScan() {
    if (firstScanReported_) return;
    firstScanReported_ = true;
    listener_.OnFirstScanCompleted();
}

void DeviceScanThread::OfferPath(const std::string& path) {
    DeviceIdentity candidate = CandidateFromPath(path);

    // Pre-match on the numbers of the path: a row and a free slot of it.
    if (!FindRowByPathNumbers(candidate.vendorId, candidate.productId, candidate.interfaceNumber,
                              candidate.collectionNumber))
        return;
    {
        std::lock_guard lock(slotsMutex_);
        if (!FreeSlotFor(slots_, candidate)) return;
    }

    // Read-only, shared: the device may be open elsewhere.
    if (!channel_.OpenPath(path, true, false, true, false)) {
        NoteOpenFailure(path, channel_.LastOpenError());
        return;
    }
    ForgetFailure(path);
    candidate.vendorId = channel_.VendorId();
    candidate.productId = channel_.ProductId();
    candidate.usagePage = channel_.UsagePage();
    candidate.usage = channel_.Usage();
    channel_.Close();

    const auto row = FindRowByInterface(candidate);
    if (!row) return;
    const DeviceIdentity& tableRow = SupportedDeviceTable()[*row];
    candidate.deviceType = tableRow.deviceType;
    candidate.role = tableRow.role;

    std::size_t slot = 0;
    {
        std::lock_guard lock(slotsMutex_);
        const auto free = std::find_if(slots_.begin(), slots_.end(), [&](const DeviceIdentity& s) {
            return IsFreeSlot(s) && SameInterface(s, candidate);
        });
        if (free == slots_.end()) return;
        free->connected = 1;
        free->devicePath = path;
        slot = static_cast<std::size_t>(free - slots_.begin());
    }
    listener_.OnDeviceArrived(slot);
}

// A lasting denial is reported once while the failure lasts; a path that
// opens or goes away and is denied again later is reported again.
void DeviceScanThread::NoteOpenFailure(const std::string& path, platform::OpenError error) {
    OpenFailure& failure = openFailures_[path];
    const bool inARow = failure.lastPass + 1 == pass_;
    const bool denied = error == platform::OpenError::AccessDenied;
    failure.passesInARow = inARow ? failure.passesInARow + 1 : 1;
    failure.deniedInARow = denied ? (inARow ? failure.deniedInARow + 1 : 1) : 0;
    failure.lastPass = pass_;
    if (failure.deniedInARow >= kDeniedPassesToReport && !failure.reported) {
        failure.reported = true;
        listener_.OnAccessDenied(path);
    } else if (failure.deniedInARow == 0 && failure.reported) {
        failure.reported = false;
        listener_.OnAccessDenialEnded(path);
    }
}

void DeviceScanThread::ForgetFailure(const std::string& path) {
    const auto failure = openFailures_.find(path);
    if (failure == openFailures_.end()) return;
    const bool reported = failure->second.reported;
    openFailures_.erase(failure);
    if (reported) listener_.OnAccessDenialEnded(path);
}

// Failures count only on consecutive passes. A path whose slot another
// interface took is not offered again while that one stays.
void DeviceScanThread::ForgetStaleFailures() {
    std::vector<std::string> stale;
    {
        std::lock_guard lock(slotsMutex_);
        for (const auto& [path, failure] : openFailures_)
            if (failure.lastPass != pass_ || !FreeSlotFor(slots_, CandidateFromPath(path))) stale.push_back(path);
    }
    for (const std::string& path : stale) ForgetFailure(path);
}

void DeviceScanThread::PresenceCheck(const std::stop_token& token) {
    for (std::size_t i = 0; i < slots_.size() && !token.stop_requested(); ++i) {
        std::string path;
        {
            std::lock_guard lock(slotsMutex_);
            if (!slots_[i].connected) continue;
            path = slots_[i].devicePath;
        }
        if (backend_.IsPresent(path)) continue;
        {
            std::lock_guard lock(slotsMutex_);
            slots_[i].connected = 0;
            slots_[i].devicePath.clear();
        }
        listener_.OnDeviceRemoved(i);
    }
}

}  // namespace vandrel::device_io
