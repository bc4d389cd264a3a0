#include "platform/hidraw_watcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <utility>

namespace vandrel::platform {
namespace {

constexpr std::string_view kNodePrefix = "hidraw";
constexpr std::uint32_t kWatchedEvents = IN_CREATE | IN_DELETE | IN_ATTRIB;

// Room for many events at once; each is at most one header and a name.
constexpr std::size_t kEventBufferSize = 64 * (sizeof(inotify_event) + NAME_MAX + 1);

// An overflow counts: a relevant event may have been dropped with it.
bool IsRelevant(std::uint32_t mask, std::string_view name) {
    if ((mask & IN_Q_OVERFLOW) != 0) return true;
    return (mask & kWatchedEvents) != 0 && IsHidrawName(name);
}

}  // namespace

bool IsHidrawName(std::string_view name) { return name.starts_with(kNodePrefix); }

HidrawWatcher::HidrawWatcher(std::function<void()> onChange, std::string folder)
    : onChange_(std::move(onChange)), folder_(std::move(folder)) {}

HidrawWatcher::~HidrawWatcher() { Stop(); }

bool HidrawWatcher::Start() {
    if (Running()) return true;
    UniqueFd inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!inotify) return false;
    if (::inotify_add_watch(inotify.Get(), folder_.c_str(), kWatchedEvents | IN_ONLYDIR) < 0) return false;
    UniqueFd stop(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (!stop) return false;
    inotify_ = std::move(inotify);
    stop_ = std::move(stop);
    worker_.Start([this](const std::stop_token& token) { Run(token); });
    return true;
}

void HidrawWatcher::Stop() {
    if (!Running()) return;
    worker_.Stop();
    inotify_ = UniqueFd();
    stop_ = UniqueFd();
}

void HidrawWatcher::SignalStop() {
    const std::uint64_t one = 1;
    // An eventfd write only fails when its counter is full, which still wakes poll().
    [[maybe_unused]] const ssize_t written = ::write(stop_.Get(), &one, sizeof one);
}

void HidrawWatcher::Run(const std::stop_token& token) {
    // Runs in the stopping thread, or here at once when the stop came first.
    const std::stop_callback stopPoll(token, [this] { SignalStop(); });
    std::array<pollfd, 2> fds{{{inotify_.Get(), POLLIN, 0}, {stop_.Get(), POLLIN, 0}}};
    while (true) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        if (fds[0].revents == 0) continue;
        const bool broken = (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
        if (broken || !DrainEvents()) {
            // Nothing more can be reported: wait only for the stop.
            fds[0].fd = -1;
        }
    }
}

bool HidrawWatcher::DrainEvents() {
    alignas(inotify_event) std::array<char, kEventBufferSize> buffer;
    while (true) {
        const ssize_t length = ::read(inotify_.Get(), buffer.data(), buffer.size());
        if (length < 0) return errno == EAGAIN || errno == EINTR;
        if (length == 0) return false;
        for (std::size_t offset = 0; offset + sizeof(inotify_event) <= static_cast<std::size_t>(length);) {
            inotify_event event;
            std::memcpy(&event, buffer.data() + offset, sizeof event);
            const std::size_t next = offset + sizeof(inotify_event) + event.len;
            if (next > static_cast<std::size_t>(length)) break;
            // The name is NUL-padded to event.len bytes.
            const char* name = buffer.data() + offset + sizeof(inotify_event);
            if (IsRelevant(event.mask, std::string_view(name, ::strnlen(name, event.len)))) onChange_();
            offset = next;
        }
    }
}

}  // namespace vandrel::platform
