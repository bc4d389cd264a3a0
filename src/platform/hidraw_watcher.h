// HidrawWatcher: tells its owner when a hidraw node appears, disappears or
// changes its attributes. It is how the hidraw back end reports its changes
// (HidrawBackend::WatchChanges), so that the device scan runs at once on an
// event and otherwise rests.
//
// It watches one folder ("/dev" unless told otherwise) with inotify for
// IN_CREATE, IN_DELETE and IN_ATTRIB of entries whose name starts with
// "hidraw". The attribute change matters: udev creates the node first and
// gives the user access a moment later, and only then does opening work.
// When the kernel's event queue overflows the callback runs too, since a
// relevant event may have been lost.
//
// A thread of the watcher waits in poll() on the inotify descriptor and on an
// eventfd that a stop request signals, so Stop is immediate. The callback runs on that
// thread, once per relevant event; it must be quick and must not call Stop.
#pragma once

#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

#include "platform/file_io.h"
#include "platform/worker_thread.h"

namespace vandrel::platform {

inline constexpr std::string_view kDevFolder = "/dev";

// True for the names the watcher reports: "hidraw" followed by anything.
bool IsHidrawName(std::string_view name);

class HidrawWatcher {
public:
    explicit HidrawWatcher(std::function<void()> onChange, std::string folder = std::string(kDevFolder));
    ~HidrawWatcher();  // stops
    HidrawWatcher(const HidrawWatcher&) = delete;
    HidrawWatcher& operator=(const HidrawWatcher&) = delete;

    // Starts watching; true while running. False, with nothing running, when
    // inotify is unavailable or the folder cannot be watched: the back end
    // then reports no changes and the scan polls at its own pace.
    bool Start();
    // Immediate; does nothing when not running.
    void Stop();
    bool Running() const { return worker_.Running(); }

private:
    void Run(const std::stop_token& token);
    // Ends the poll() of Run.
    void SignalStop();
    // Reads the queued events and calls the callback for each relevant one.
    // False when the inotify descriptor failed for good.
    bool DrainEvents();

    const std::function<void()> onChange_;
    const std::string folder_;
    UniqueFd inotify_;
    UniqueFd stop_;
    WorkerThread worker_;
};

}  // namespace vandrel::platform
