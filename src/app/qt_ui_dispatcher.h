// The scan thread's way onto the UI thread: RunSync posts the work to the Qt
// event loop and waits until it has run. Close() (UI thread, before the scan
// thread is stopped) releases every waiting caller and makes later calls
// return at once, so stopping the scan thread can never deadlock against it.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

#include <QObject>

#include "devices/device_manager.h"

namespace vandrel::app {

class QtUiDispatcher : public devices::IUiDispatcher {
public:
    // context: an object living on the UI thread; work runs there.
    explicit QtUiDispatcher(QObject& context) : context_(context) {}
    ~QtUiDispatcher() override { Close(); }

    void RunSync(std::function<void()> work) override;
    void Close();

private:
    QObject& context_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool closing_ = false;
};

}  // namespace vandrel::app
