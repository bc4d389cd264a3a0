// NotificationThread: reads the reports of one companion channel of a device
// (the collection on which the device asks the program to read its settings
// again) and hands the first usage of each report to the device.
//
// The read waits without a time-out. Stop closes the channel first, which
// releases that read, and then waits for the thread: it is never killed. A
// report that cannot be read (the device is gone but its channel not yet
// closed) is retried after a short pause that a stop ends, not in a busy loop.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <stop_token>

#include "device_io/hid_channel.h"
#include "platform/event.h"
#include "platform/worker_thread.h"

namespace vandrel::devices {

inline constexpr std::uint16_t kUsageResync = 0x401;
inline constexpr std::chrono::milliseconds kNotificationStopWait{500};
inline constexpr std::chrono::milliseconds kNotificationRetryPause{50};

// The first usage of the first entry: a pressed usage of a button entry, the
// raw value of a value entry; 0 when there are no entries.
std::uint16_t FirstUsage(const device_io::CHidChannel::DataEntries& entries);

class NotificationThread {
public:
    using Handler = std::function<void(std::uint16_t usage)>;

    // The channel must be open before Start and outlive the thread.
    NotificationThread(device_io::CHidChannel& channel, Handler handler);
    ~NotificationThread();  // stops
    NotificationThread(const NotificationThread&) = delete;
    NotificationThread& operator=(const NotificationThread&) = delete;

    void Start();
    // Closes the channel, then waits for the thread.
    void Stop();
    bool Running() const { return worker_.Running(); }

private:
    void Run(const std::stop_token& token, device_io::CHidChannel::DataEntries entries);

    device_io::CHidChannel& channel_;
    const Handler handler_;
    platform::Event ended_;
    platform::WorkerThread worker_;
};

}  // namespace vandrel::devices
