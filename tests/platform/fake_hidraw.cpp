#include "fake_hidraw.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace vandrel::test {
namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string Hex(unsigned value, int digits) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%0*X", digits, value);
    return text.data();
}

std::string NodeName(unsigned number) { return "hidraw" + std::to_string(number); }

}  // namespace

FakeHidraw::FakeHidraw() {
    // A write to a socket whose peer is gone raises SIGPIPE; a hidraw node
    // never does, and the code under test must not need to guard against it.
    std::signal(SIGPIPE, SIG_IGN);
    std::string pattern = (fs::temp_directory_path() / "vandrel-hidraw-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    fs::create_directories(root_ / "sys" / "class" / "hidraw");
    fs::create_directories(root_ / "dev");
}

FakeHidraw::~FakeHidraw() {
    for (auto& [number, node] : nodes_) CloseAll(node);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void FakeHidraw::Plug(unsigned number, const FakeNode& node) {
    const std::string bus = std::to_string(number + 1);
    const std::string hidName =
        "0003:" + Hex(node.vendorId, 4) + ":" + Hex(node.productId, 4) + "." + Hex(number + 1, 4);
    fs::path parent;
    if (node.interfaceNumber) {
        const fs::path usbDevice = root_ / "sys" / "devices" / ("usb" + bus) / (bus + "-1");
        parent = usbDevice / (bus + "-1:1." + std::to_string(*node.interfaceNumber));
        fs::create_directories(parent);
        WriteFile(usbDevice / "bcdDevice", Hex(node.bcdDevice, 4) + "\n");
        WriteFile(parent / "bInterfaceNumber", Hex(*node.interfaceNumber, 2) + "\n");
    } else {
        parent = root_ / "sys" / "devices" / "virtual" / "misc" / ("uhid" + bus);
        fs::create_directories(parent);
    }
    const fs::path hid = parent / hidName;
    const fs::path classEntry = hid / "hidraw" / NodeName(number);
    fs::create_directories(classEntry);
    WriteFile(hid / "uevent", "DRIVER=hid-generic\nHID_ID=0003:0000" + Hex(node.vendorId, 4) + ":0000" +
                                  Hex(node.productId, 4) + "\nHID_NAME=Fake Device\n");
    if (node.descriptor)
        WriteFile(hid / "report_descriptor", std::string(node.descriptor->begin(), node.descriptor->end()));
    fs::create_directory_symlink(fs::path("../../..") / hidName, classEntry / "device");
    fs::create_directory_symlink(fs::relative(classEntry, root_ / "sys" / "class" / "hidraw"),
                                 root_ / "sys" / "class" / "hidraw" / NodeName(number));
    {
        std::lock_guard lock(mutex_);
        nodes_[number];
    }
    // The node last, as the kernel adds it: whoever it wakes finds the device whole.
    WriteFile(root_ / "dev" / NodeName(number), "");
}

void FakeHidraw::Unplug(unsigned number) {
    const fs::path classLink = root_ / "sys" / "class" / "hidraw" / NodeName(number);
    std::error_code ignored;
    const fs::path classEntry = fs::canonical(classLink, ignored);
    fs::remove(classLink, ignored);
    if (!classEntry.empty()) fs::remove_all(classEntry.parent_path().parent_path(), ignored);
    fs::remove(root_ / "dev" / NodeName(number), ignored);
    std::lock_guard lock(mutex_);
    CloseAll(nodes_[number]);
}

void FakeHidraw::FailOpens(unsigned number, int error) {
    std::lock_guard lock(mutex_);
    nodes_[number].failWith = error;
}

void FakeHidraw::GrantAccess(unsigned number) {
    {
        std::lock_guard lock(mutex_);
        nodes_[number].failWith = 0;
    }
    fs::permissions(root_ / "dev" / NodeName(number), fs::perms::group_read | fs::perms::group_write,
                    fs::perm_options::add);
}

void FakeHidraw::Send(unsigned number, const std::vector<std::uint8_t>& report) {
    std::lock_guard lock(mutex_);
    for (const int end : nodes_[number].deviceEnds) {
        if (::send(end, report.data(), report.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(report.size()))
            throw std::runtime_error("fake device could not send a report");
    }
}

std::optional<std::vector<std::uint8_t>> FakeHidraw::Received(unsigned number, int timeoutMs) {
    int end = -1;
    {
        std::lock_guard lock(mutex_);
        if (nodes_[number].deviceEnds.empty()) return std::nullopt;
        end = nodes_[number].deviceEnds.back();
    }
    pollfd ready{end, POLLIN, 0};
    if (::poll(&ready, 1, timeoutMs) != 1) return std::nullopt;
    std::vector<std::uint8_t> report(4096);
    const ssize_t got = ::recv(end, report.data(), report.size(), MSG_DONTWAIT);
    if (got < 0) return std::nullopt;
    report.resize(static_cast<std::size_t>(got));
    return report;
}

int FakeHidraw::LastOpenFlags(unsigned number) {
    std::lock_guard lock(mutex_);
    return nodes_[number].lastFlags;
}

platform::HidrawBackend::NodeOpener FakeHidraw::Opener() {
    return [this](const std::string& nodePath, int flags) { return OpenNode(nodePath, flags); };
}

std::string FakeHidraw::PathOf(unsigned number, const std::string& options) const {
    return DevRoot() + "/" + NodeName(number) + options;
}

// Opens as open(2) would fail or succeed on the placeholder node, then hands
// out the host end of a fresh socket pair.
int FakeHidraw::OpenNode(const std::string& nodePath, int flags) {
    const std::string name = fs::path(nodePath).filename().string();
    std::lock_guard lock(mutex_);
    auto found =
        std::find_if(nodes_.begin(), nodes_.end(), [&](const auto& entry) { return NodeName(entry.first) == name; });
    if (found == nodes_.end() || !fs::exists(nodePath)) {
        errno = ENOENT;
        return -1;
    }
    Connections& node = found->second;
    node.lastFlags = flags;
    if (node.failWith != 0) {
        errno = node.failWith;
        return -1;
    }
    std::array<int, 2> ends{};
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends.data()) != 0) return -1;
    if (flags & O_NONBLOCK) ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    node.deviceEnds.push_back(ends[1]);
    return ends[0];
}

void FakeHidraw::CloseAll(Connections& node) {
    for (const int end : node.deviceEnds) ::close(end);
    node.deviceEnds.clear();
}

}  // namespace vandrel::test
