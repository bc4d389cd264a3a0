// CHidChannel: one opened HID interface (one top-level collection) with its
// identity and timed, cancellable report reads and writes. It also enumerates
// the interface paths of its back end for the scan thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/hid_backend.h"
#include "platform/hid_descriptor.h"

namespace vandrel::device_io {

// The hexadecimal number after a marker such as "&mi_" or "&col" (searched
// without regard to case), 0 when the marker is absent or not followed by a
// hexadecimal digit.
std::uint32_t PathNumber(std::string_view path, std::string_view marker);

class CHidChannel {
public:
    using DataEntries = std::vector<platform::HidDataEntry>;

    CHidChannel();
    explicit CHidChannel(platform::IHidBackend& backend);
    ~CHidChannel();
    CHidChannel(const CHidChannel&) = delete;
    CHidChannel& operator=(const CHidChannel&) = delete;

    // Enumeration: independent of the open state.
    [[nodiscard]] bool EnumerateHidPaths();
    const std::string* NextPath();  // paths in enumeration order, then nullptr
    void FreePaths();
    std::size_t PathCount() const { return paths_.size(); }

    // Closes whatever was open, then opens the path. On failure the channel
    // stays closed; LastOpenError() tells why.
    [[nodiscard]] bool OpenPath(const std::string& path, bool read, bool write, bool overlapped, bool exclusive);
    void Close();
    bool IsOpen() const;
    platform::OpenError LastOpenError() const { return lastOpenError_; }

    // The back end's status of one report: Ok when it went through (bytesRead
    // or bytesWritten set, 0 otherwise), TimedOut, Cancelled (Close from
    // another thread), or Failed (the device is gone, or the channel is not
    // open, or no buffer was given). timeoutMs = platform::kInfiniteTimeout
    // waits until Close.
    [[nodiscard]] platform::IoStatus ReadReport(std::uint8_t* buffer, std::size_t length, std::size_t* bytesRead,
                                                int timeoutMs);
    [[nodiscard]] platform::IoStatus WriteReport(const std::uint8_t* buffer, std::size_t length,
                                                 std::size_t* bytesWritten, int timeoutMs);

    // Fills the input entries whose report id equals byte 0 of the report.
    bool UnpackReport(std::span<const std::uint8_t> report, platform::HidReportType type, DataEntries& entries) const;

    // Identity and capabilities of the interface last opened (0 before the
    // first open and after a failed one). Close keeps them, so that a report
    // already read can still be decoded while another thread closes.
    const std::string& DevicePath() const { return devicePath_; }
    std::uint16_t VendorId() const { return info_.vendorId; }
    std::uint16_t ProductId() const { return info_.productId; }
    std::uint16_t VersionNumber() const { return info_.versionNumber; }
    std::uint16_t UsagePage() const { return info_.caps.usagePage; }
    std::uint16_t Usage() const { return info_.caps.usage; }
    std::uint16_t InputReportLength() const { return info_.caps.inputReportLength; }
    std::uint16_t OutputReportLength() const { return info_.caps.outputReportLength; }
    std::uint16_t FeatureReportLength() const { return info_.caps.featureReportLength; }
    std::int32_t InterfaceNumber() const { return interfaceNumber_; }
    std::int32_t CollectionNumber() const { return collectionNumber_; }
    bool ReadPending() const { return readPending_.load(); }
    bool WritePending() const { return writePending_.load(); }
    DataEntries& InputData() { return inputData_; }
    DataEntries& OutputData() { return outputData_; }
    DataEntries& FeatureData() { return featureData_; }

private:
    std::shared_ptr<platform::IHidDevice> CurrentDevice() const;

    platform::IHidBackend& backend_;
    std::vector<std::string> paths_;
    std::size_t cursor_ = 0;

    mutable std::mutex deviceMutex_;  // guards device_ only; never held during I/O
    std::shared_ptr<platform::IHidDevice> device_;
    platform::OpenError lastOpenError_ = platform::OpenError::None;

    std::string devicePath_;
    platform::HidDeviceInfo info_;
    std::vector<platform::HidTopCollection> collections_;
    DataEntries inputData_, outputData_, featureData_;
    std::int32_t interfaceNumber_ = 0;
    std::int32_t collectionNumber_ = 0;
    std::atomic<bool> readPending_{false};
    std::atomic<bool> writePending_{false};
};

}  // namespace vandrel::device_io
