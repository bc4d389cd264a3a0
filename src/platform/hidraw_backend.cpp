#include "platform/hidraw_backend.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>
#include <utility>

#include "platform/device_path.h"
#include "platform/file_io.h"
#include "platform/hid_descriptor.h"
#include "platform/hidraw_watcher.h"

namespace vandrel::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kNodePrefix = "hidraw";
// The largest report hidraw hands out (the kernel's HID buffer), plus the 0
// byte put in front of reports without an id.
constexpr std::size_t kMaxReportBytes = 16384 + 1;

struct ErrnoOpenError {
    int error;
    OpenError result;
};
constexpr std::array kOpenErrors{
    ErrnoOpenError{ENOENT, OpenError::NotFound},    ErrnoOpenError{ENODEV, OpenError::NotFound},
    ErrnoOpenError{ENXIO, OpenError::NotFound},     ErrnoOpenError{EACCES, OpenError::AccessDenied},
    ErrnoOpenError{EPERM, OpenError::AccessDenied}, ErrnoOpenError{EBUSY, OpenError::Busy},
};

OpenError OpenErrorOf(int error) {
    const auto it = std::find_if(kOpenErrors.begin(), kOpenErrors.end(),
                                 [error](const ErrnoOpenError& e) { return e.error == error; });
    return it != kOpenErrors.end() ? it->result : OpenError::Failed;
}

int AccessFlags(OpenMode mode) {
    if (mode.read && mode.write) return O_RDWR | O_NONBLOCK;
    if (mode.read) return O_RDONLY | O_NONBLOCK;
    if (mode.write) return O_WRONLY | O_NONBLOCK;
    return O_PATH;
}

// ---------------------------------------------------------------------------
// Paths: "<devRoot>/hidrawN?vid_320f&pid_5078&mi_01&col04"

std::optional<std::uint32_t> ParseHex(std::string_view text) {
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc() || end == text.data()) return std::nullopt;
    return value;
}

std::optional<unsigned> NodeNumber(std::string_view name) {
    if (!name.starts_with(kNodePrefix)) return std::nullopt;
    const std::string_view digits = name.substr(kNodePrefix.size());
    if (digits.empty() || digits.size() > 6 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    unsigned number = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return number;
}

std::string NodeName(unsigned number) { return std::string(kNodePrefix) + std::to_string(number); }

// What a path names: a node and one of its collections, with the identity the
// path was made for.
struct PathTarget {
    std::string nodeName;
    std::optional<std::uint32_t> vendorId, productId, interfaceNumber;
    std::uint32_t collection = 0;  // 1-based, 0 when the path has none
};

std::optional<PathTarget> ParsePath(std::string_view path, std::string_view devRoot) {
    const std::size_t query = std::min(path.find('?'), path.size());
    const std::string_view node = path.substr(0, query);
    const std::string_view options = path.substr(query);
    if (!node.starts_with(devRoot) || node.size() <= devRoot.size() + 1 || node[devRoot.size()] != '/')
        return std::nullopt;
    const std::string_view name = node.substr(devRoot.size() + 1);
    if (!NodeNumber(name)) return std::nullopt;
    PathTarget target;
    target.nodeName = std::string(name);
    const PathNumbers numbers = ReadPathNumbers(options);
    target.vendorId = numbers.vendorId;
    target.productId = numbers.productId;
    target.interfaceNumber = numbers.interfaceNumber;
    target.collection = numbers.collection.value_or(0);
    return target;
}

// ---------------------------------------------------------------------------
// sysfs

struct NodeIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0;
    std::optional<std::uint32_t> interfaceNumber;  // USB devices only
};

std::optional<std::string> ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return bytes;
}

std::optional<std::uint32_t> ReadHexFile(const fs::path& file) {
    const auto text = ReadFile(file);
    if (!text) return std::nullopt;
    const std::size_t start = text->find_first_not_of(" \t\n");
    if (start == std::string::npos) return std::nullopt;
    return ParseHex(std::string_view(*text).substr(start));
}

fs::path DeviceFolder(const std::string& sysfsRoot, const std::string& nodeName) {
    return fs::path(sysfsRoot) / "class" / "hidraw" / nodeName / "device";
}

// "HID_ID=0003:0000320F:00005078": bus, vendor id, product id.
bool ParseHidId(std::string_view value, NodeIdentity& identity) {
    const std::size_t first = value.find(':');
    const std::size_t second = value.find(':', first == std::string_view::npos ? first : first + 1);
    if (first == std::string_view::npos || second == std::string_view::npos) return false;
    const auto vendor = ParseHex(value.substr(first + 1, second - first - 1));
    const auto product = ParseHex(value.substr(second + 1));
    if (!vendor || !product || *vendor > 0xFFFF || *product > 0xFFFF) return false;
    identity.vendorId = static_cast<std::uint16_t>(*vendor);
    identity.productId = static_cast<std::uint16_t>(*product);
    return true;
}

std::optional<NodeIdentity> ReadNodeIdentity(const std::string& sysfsRoot, const std::string& nodeName) {
    const fs::path device = DeviceFolder(sysfsRoot, nodeName);
    const auto uevent = ReadFile(device / "uevent");
    if (!uevent) return std::nullopt;
    NodeIdentity identity;
    bool found = false;
    std::istringstream lines(*uevent);
    for (std::string line; std::getline(lines, line);) {
        constexpr std::string_view kKey = "HID_ID=";
        if (line.starts_with(kKey)) found = ParseHidId(std::string_view(line).substr(kKey.size()), identity);
    }
    if (!found) return std::nullopt;

    // The HID device's parent is the USB interface, whose parent is the USB device.
    std::error_code ec;
    const fs::path resolved = fs::canonical(device, ec);
    if (!ec) {
        const fs::path interface = resolved.parent_path();
        identity.interfaceNumber = ReadHexFile(interface / "bInterfaceNumber");
        if (identity.interfaceNumber) {
            const auto version = ReadHexFile(interface.parent_path() / "bcdDevice");
            identity.versionNumber = static_cast<std::uint16_t>(version.value_or(0));
        }
    }
    return identity;
}

std::vector<std::uint8_t> ReadSysfsDescriptor(const std::string& sysfsRoot, const std::string& nodeName) {
    const auto bytes = ReadFile(DeviceFolder(sysfsRoot, nodeName) / "report_descriptor");
    if (!bytes) return {};
    return {bytes->begin(), bytes->end()};
}

std::vector<std::uint8_t> ReadNodeDescriptor(int fd) {
    int size = 0;
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size <= 0 || size > HID_MAX_DESCRIPTOR_SIZE) return {};
    hidraw_report_descriptor descriptor{};
    descriptor.size = static_cast<std::uint32_t>(size);
    if (::ioctl(fd, HIDIOCGRDESC, &descriptor) < 0) return {};
    return {descriptor.value, descriptor.value + size};
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool Matches(const PathTarget& target, const NodeIdentity& identity) {
    const auto same = [](const std::optional<std::uint32_t>& wanted, std::uint32_t actual) {
        return !wanted || *wanted == actual;
    };
    return same(target.vendorId, identity.vendorId) && same(target.productId, identity.productId) &&
           (!target.interfaceNumber || *target.interfaceNumber == identity.interfaceNumber.value_or(0));
}

std::string FormatPath(const std::string& devRoot, const std::string& nodeName, const NodeIdentity& identity,
                       std::size_t collection, std::size_t collectionCount) {
    PathNumbers numbers{identity.vendorId, identity.productId, identity.interfaceNumber, std::nullopt};
    if (collectionCount > 1) numbers.collection = static_cast<std::uint32_t>(collection + 1);
    return devRoot + "/" + nodeName + FormatPathNumbers(numbers);
}

// ---------------------------------------------------------------------------
// An opened collection

// Which of the node's input reports this collection's reader gets.
struct ReportRouting {
    bool takeAll = true;       // the descriptor could not be parsed: every report, as read
    bool prependZero = false;  // the descriptor has no report ids
    std::vector<std::uint8_t> reportIds;
};

ReportRouting RoutingFor(const std::vector<HidTopCollection>& collections, std::size_t index) {
    const bool numbered = std::any_of(collections.begin(), collections.end(),
                                      [](const HidTopCollection& c) { return !c.reportIds.empty(); });
    ReportRouting routing;
    routing.takeAll = false;
    routing.prependZero = !numbered;
    routing.reportIds = collections[index].reportIds;
    return routing;
}

class Deadline {
public:
    explicit Deadline(int timeoutMs)
        : infinite_(timeoutMs < 0),
          end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0))) {}

    // Milliseconds left for poll(), rounded up so a wait never spins; -1 waits forever.
    int RemainingMs() const {
        if (infinite_) return -1;
        const auto left = end_ - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) return 0;
        return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
    }

private:
    bool infinite_;
    std::chrono::steady_clock::time_point end_;
};

class HidrawDevice final : public IHidDevice {
public:
    HidrawDevice(UniqueFd node, UniqueFd cancel, OpenMode mode, HidDeviceInfo info, ReportRouting routing)
        : node_(std::move(node)),
          cancel_(std::move(cancel)),
          mode_(mode),
          info_(std::move(info)),
          routing_(std::move(routing)) {}

    const HidDeviceInfo& Info() const override { return info_; }

    IoResult Read(std::span<std::uint8_t> buffer, int timeoutMs) override {
        if (cancelled_) return {IoStatus::Cancelled, 0};
        if (!mode_.read || buffer.empty()) return {IoStatus::Failed, 0};
        if (scratch_.empty()) scratch_.resize(kMaxReportBytes);
        const Deadline deadline(timeoutMs);
        for (;;) {
            const IoStatus ready = Wait(POLLIN, deadline);
            if (ready != IoStatus::Ok) return {ready, 0};
            const ssize_t got = ::read(node_.Get(), scratch_.data(), scratch_.size());
            if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            if (got <= 0) return {IoStatus::Failed, 0};
            const std::span<const std::uint8_t> report(scratch_.data(), static_cast<std::size_t>(got));
            if (const auto delivered = Deliver(report, buffer)) return *delivered;
        }
    }

    IoResult Write(std::span<const std::uint8_t> report, int timeoutMs) override {
        if (cancelled_) return {IoStatus::Cancelled, 0};
        if (!mode_.write || report.empty()) return {IoStatus::Failed, 0};
        const Deadline deadline(timeoutMs);
        for (;;) {
            const IoStatus ready = Wait(POLLOUT, deadline);
            if (ready != IoStatus::Ok) return {ready, 0};
            const ssize_t sent = ::write(node_.Get(), report.data(), report.size());
            if (sent < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            if (sent < 0 || static_cast<std::size_t>(sent) != report.size()) return {IoStatus::Failed, 0};
            return {IoStatus::Ok, report.size()};
        }
    }

    // The eventfd is never drained: once cancelled, every later wait ends at once.
    void Cancel() override {
        cancelled_ = true;
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(cancel_.Get(), &one, sizeof one);
    }

private:
    // Waits until the node is ready for `events`: Ok, or why not. Cancellation
    // wins over a ready node; a queued report is still read after a hang-up,
    // but a hung-up node is never written to.
    IoStatus Wait(short events, const Deadline& deadline) {
        for (;;) {
            std::array<pollfd, 2> fds{pollfd{cancel_.Get(), POLLIN, 0}, pollfd{node_.Get(), events, 0}};
            const int ready = ::poll(fds.data(), fds.size(), deadline.RemainingMs());
            if (ready < 0 && errno == EINTR) continue;
            if (ready < 0) return IoStatus::Failed;
            if (ready == 0) return IoStatus::TimedOut;
            if (fds[0].revents != 0 || cancelled_) return IoStatus::Cancelled;
            const short got = fds[1].revents;
            if ((events & POLLIN) && (got & POLLIN)) return IoStatus::Ok;
            if (got & (POLLERR | POLLHUP | POLLNVAL)) return IoStatus::Failed;
            if (got & events) return IoStatus::Ok;
        }
    }

    // The report as the reader gets it, or nothing when it belongs to another
    // collection of the node. A report that does not fit the buffer fails.
    std::optional<IoResult> Deliver(std::span<const std::uint8_t> report, std::span<std::uint8_t> buffer) const {
        const bool prepend = !routing_.takeAll && routing_.prependZero;
        if (!routing_.takeAll && !prepend &&
            !std::binary_search(routing_.reportIds.begin(), routing_.reportIds.end(), report[0]))
            return std::nullopt;
        const std::size_t length = report.size() + (prepend ? 1 : 0);
        if (length > buffer.size()) return IoResult{IoStatus::Failed, 0};
        auto out = buffer.begin();
        if (prepend) *out++ = 0;
        std::copy(report.begin(), report.end(), out);
        return IoResult{IoStatus::Ok, length};
    }

    UniqueFd node_;
    UniqueFd cancel_;
    OpenMode mode_;
    HidDeviceInfo info_;
    ReportRouting routing_;
    std::vector<std::uint8_t> scratch_;  // one report as read, before routing
    std::atomic<bool> cancelled_{false};
};

}  // namespace

HidrawBackend::HidrawBackend(std::string sysfsRoot, std::string devRoot, NodeOpener opener)
    : sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)), opener_(std::move(opener)) {
    while (devRoot_.size() > 1 && devRoot_.back() == '/') devRoot_.pop_back();
    if (!opener_) opener_ = [](const std::string& nodePath, int flags) { return ::open(nodePath.c_str(), flags); };
}

std::optional<std::vector<std::string>> HidrawBackend::Enumerate() {
    const fs::path classFolder = fs::path(sysfsRoot_) / "class" / "hidraw";
    std::error_code ec;
    fs::directory_iterator entries(classFolder, ec);
    if (ec == std::errc::no_such_file_or_directory) return std::vector<std::string>{};
    if (ec) return std::nullopt;

    std::vector<unsigned> nodes;
    while (entries != fs::directory_iterator()) {
        if (const auto number = NodeNumber(entries->path().filename().string())) nodes.push_back(*number);
        entries.increment(ec);
        if (ec) return std::nullopt;
    }
    std::sort(nodes.begin(), nodes.end());

    std::vector<std::string> paths;
    for (const unsigned number : nodes) {
        const std::string name = NodeName(number);
        const auto identity = ReadNodeIdentity(sysfsRoot_, name);
        if (!identity) continue;  // gone while we looked
        const auto collections = ParseReportDescriptor(ReadSysfsDescriptor(sysfsRoot_, name));
        const std::size_t count = collections ? collections->size() : 0;
        for (std::size_t i = 0; i < std::max<std::size_t>(count, 1); ++i)
            paths.push_back(FormatPath(devRoot_, name, *identity, i, count));
    }
    return paths;
}

std::unique_ptr<IHidDevice> HidrawBackend::Open(const std::string& path, OpenMode mode, OpenError* error) {
    OpenError ignored = OpenError::None;
    OpenError& result = error ? *error : ignored;
    result = OpenError::None;
    const auto fail = [&result](OpenError why) -> std::unique_ptr<IHidDevice> {
        result = why;
        return nullptr;
    };

    const auto target = ParsePath(path, devRoot_);
    if (!target) return fail(OpenError::NotFound);
    UniqueFd node(opener_(devRoot_ + "/" + target->nodeName, AccessFlags(mode) | O_CLOEXEC));
    if (!node) return fail(OpenErrorOf(errno));

    const auto identity = ReadNodeIdentity(sysfsRoot_, target->nodeName);
    if (!identity || !Matches(*target, *identity)) return fail(OpenError::NotFound);

    HidDeviceInfo info;
    info.vendorId = identity->vendorId;
    info.productId = identity->productId;
    info.versionNumber = identity->versionNumber;
    info.reportDescriptor = ReadSysfsDescriptor(sysfsRoot_, target->nodeName);
    if (info.reportDescriptor.empty() && (mode.read || mode.write))
        info.reportDescriptor = ReadNodeDescriptor(node.Get());
    info.collectionIndex = target->collection > 0 ? target->collection - 1 : 0;

    ReportRouting routing;
    const auto collections = ParseReportDescriptor(info.reportDescriptor);
    if (collections && !collections->empty()) {
        if (info.collectionIndex >= collections->size()) return fail(OpenError::NotFound);
        const HidTopCollection& own = (*collections)[info.collectionIndex];
        info.caps = {own.usagePage,           own.usage,    own.inputReportLength, own.outputReportLength,
                     own.featureReportLength, own.reportIds};
        routing = RoutingFor(*collections, info.collectionIndex);
    } else if (info.collectionIndex > 0) {
        return fail(OpenError::NotFound);
    }

    UniqueFd cancel(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!cancel) return fail(OpenError::Failed);
    return std::make_unique<HidrawDevice>(std::move(node), std::move(cancel), mode, std::move(info),
                                          std::move(routing));
}

namespace {

class NodeWatch final : public ChangeWatch {
public:
    NodeWatch(std::function<void()> onChange, std::string folder) : watcher_(std::move(onChange), std::move(folder)) {}
    bool Start() { return watcher_.Start(); }

private:
    HidrawWatcher watcher_;  // stops when destroyed
};

}  // namespace

std::unique_ptr<ChangeWatch> HidrawBackend::WatchChanges(std::function<void()> onChange) {
    auto watch = std::make_unique<NodeWatch>(std::move(onChange), devRoot_);
    if (!watch->Start()) return nullptr;
    return watch;
}

bool HidrawBackend::IsPresent(const std::string& path) {
    const auto target = ParsePath(path, devRoot_);
    if (!target) return false;
    if (!Exists(DeviceFolder(sysfsRoot_, target->nodeName).string()) || !Exists(devRoot_ + "/" + target->nodeName))
        return false;
    // Node numbers are reused: the path must still name the same device.
    const auto identity = ReadNodeIdentity(sysfsRoot_, target->nodeName);
    return identity && Matches(*target, *identity);
}

}  // namespace vandrel::platform
