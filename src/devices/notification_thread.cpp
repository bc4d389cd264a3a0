#include "devices/notification_thread.h"

#include <array>
#include <span>
#include <utility>

#include "platform/hid_backend.h"
#include "platform/trace.h"

namespace vandrel::devices {

std::uint16_t FirstUsage(const device_io::CHidChannel::DataEntries& entries) {
    if (entries.empty()) return 0;
    const platform::HidDataEntry& first = entries.front();
    if (!first.isButton) return static_cast<std::uint16_t>(first.rawValue);
    return first.usageList.empty() ? 0 : first.usageList.front();
}

NotificationThread::NotificationThread(device_io::CHidChannel& channel, Handler handler)
    : channel_(channel), handler_(std::move(handler)) {}

NotificationThread::~NotificationThread() { Stop(); }

void NotificationThread::Start() {
    if (worker_.Running()) return;
    ended_.Reset();
    // The entries are the thread's own copy: the channel's set is rebuilt
    // whenever the channel is opened again.
    worker_.Start([this, entries = channel_.InputData()](const std::stop_token& token) mutable {
        Run(token, std::move(entries));
    });
}

void NotificationThread::Stop() {
    if (!worker_.Running()) return;
    worker_.RequestStop();
    channel_.Close();
    if (ended_.WaitFor(kNotificationStopWait)) {
        platform::Trace("线程退出：：对象处于激发状态\n");
    } else {
        // Not killed: the read is cancelled again and the wait goes on.
        platform::Trace("线程退出：：对象处于非激发状态，超时\n");
        channel_.Close();
    }
    worker_.Stop();
}

void NotificationThread::Run(const std::stop_token& token, device_io::CHidChannel::DataEntries entries) {
    std::array<std::uint8_t, 64> report{};
    while (!token.stop_requested()) {
        std::size_t bytesRead = 0;
        if (!channel_.IsOpen() || channel_.ReadReport(report.data(), report.size(), &bytesRead,
                                                      platform::kInfiniteTimeout) != platform::IoStatus::Ok) {
            worker_.WaitFor(token, kNotificationRetryPause);
            continue;
        }
        if (!channel_.UnpackReport(std::span(report.data(), bytesRead), platform::HidReportType::Input, entries))
            continue;
        platform::Trace("接收到自动添加设备的同步信息要求  TEST");
        handler_(FirstUsage(entries));
    }
    platform::Trace("MS 设备同步线程设定退出");
    ended_.Set();
}

}  // namespace vandrel::devices
