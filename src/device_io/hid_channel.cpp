#include "device_io/hid_channel.h"

#include "platform/device_path.h"

namespace vandrel::device_io {

using platform::IoStatus;

std::uint32_t PathNumber(std::string_view path, std::string_view marker) {
    return platform::PathNumberAfter(path, marker).value_or(0);
}

CHidChannel::CHidChannel() : CHidChannel(platform::DefaultHidBackend()) {}

CHidChannel::CHidChannel(platform::IHidBackend& backend) : backend_(backend) {}

CHidChannel::~CHidChannel() { Close(); }

bool CHidChannel::EnumerateHidPaths() {
    cursor_ = 0;
    auto found = backend_.Enumerate();
    if (!found) {
        paths_.clear();
        return false;
    }
    paths_ = std::move(*found);
    return true;
}

const std::string* CHidChannel::NextPath() {
    if (cursor_ >= paths_.size()) return nullptr;
    return &paths_[cursor_++];
}

void CHidChannel::FreePaths() {
    paths_.clear();
    cursor_ = 0;
}

bool CHidChannel::OpenPath(const std::string& path, bool read, bool write, bool /*overlapped*/, bool exclusive) {
    Close();
    // A failed open must not leave the identity of an earlier device behind.
    info_ = {};
    collections_.clear();
    inputData_.clear();
    outputData_.clear();
    featureData_.clear();
    interfaceNumber_ = 0;
    collectionNumber_ = 0;
    devicePath_ = path;
    platform::OpenError error = platform::OpenError::None;
    std::shared_ptr<platform::IHidDevice> device = backend_.Open(path, {read, write, exclusive}, &error);
    lastOpenError_ = device ? platform::OpenError::None : error;
    if (!device) return false;

    info_ = device->Info();
    if (auto parsed = platform::ParseReportDescriptor(info_.reportDescriptor);
        parsed && info_.collectionIndex < parsed->size()) {
        collections_ = std::move(*parsed);
        const auto& own = collections_[info_.collectionIndex];
        inputData_ = platform::BuildDataEntries(own, platform::HidReportType::Input);
        outputData_ = platform::BuildDataEntries(own, platform::HidReportType::Output);
        featureData_ = platform::BuildDataEntries(own, platform::HidReportType::Feature);
    }
    interfaceNumber_ = static_cast<std::int32_t>(PathNumber(path, "&mi_"));
    collectionNumber_ = static_cast<std::int32_t>(PathNumber(path, "&col"));

    std::lock_guard lock(deviceMutex_);
    device_ = std::move(device);
    return true;
}

void CHidChannel::Close() {
    std::shared_ptr<platform::IHidDevice> device;
    {
        std::lock_guard lock(deviceMutex_);
        device = std::move(device_);
    }
    // Release a reader or writer waiting on the device; the device itself goes
    // when the last of them lets go of it.
    if (device) device->Cancel();
}

bool CHidChannel::IsOpen() const { return CurrentDevice() != nullptr; }

std::shared_ptr<platform::IHidDevice> CHidChannel::CurrentDevice() const {
    std::lock_guard lock(deviceMutex_);
    return device_;
}

IoStatus CHidChannel::ReadReport(std::uint8_t* buffer, std::size_t length, std::size_t* bytesRead, int timeoutMs) {
    if (bytesRead) *bytesRead = 0;
    const auto device = CurrentDevice();
    if (!device || !buffer || length == 0) return IoStatus::Failed;
    readPending_ = true;
    const platform::IoResult result = device->Read({buffer, length}, timeoutMs);
    readPending_ = false;
    if (result.status == IoStatus::Ok && bytesRead) *bytesRead = result.bytes;
    return result.status;
}

IoStatus CHidChannel::WriteReport(const std::uint8_t* buffer, std::size_t length, std::size_t* bytesWritten,
                                  int timeoutMs) {
    if (bytesWritten) *bytesWritten = 0;
    const auto device = CurrentDevice();
    if (!device || !buffer || length == 0) return IoStatus::Failed;
    writePending_ = true;
    const platform::IoResult result = device->Write({buffer, length}, timeoutMs);
    writePending_ = false;
    if (result.status == IoStatus::Ok && bytesWritten) *bytesWritten = result.bytes;
    return result.status;
}

bool CHidChannel::UnpackReport(std::span<const std::uint8_t> report, platform::HidReportType type,
                               DataEntries& entries) const {
    if (info_.collectionIndex >= collections_.size()) return false;
    return platform::UnpackReport(report, type, entries, collections_[info_.collectionIndex]);
}

}  // namespace vandrel::device_io
