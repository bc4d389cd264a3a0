#include "app/qt_ui_dispatcher.h"

#include <memory>

#include <QMetaObject>
#include <QThread>

namespace vandrel::app {

void QtUiDispatcher::RunSync(std::function<void()> work) {
    {
        const std::lock_guard lock(mutex_);
        if (closing_) return;
    }
    if (QThread::currentThread() == context_.thread()) {
        work();
        return;
    }
    // The posted call may outlive this wait (after Close), so what it shares
    // with the waiter is held by both.
    struct Call {
        std::function<void()> work;
        bool done = false;
    };
    auto call = std::make_shared<Call>(Call{std::move(work)});
    QMetaObject::invokeMethod(
        &context_,
        [this, call] {
            {
                const std::lock_guard lock(mutex_);
                if (closing_) return;
            }
            call->work();
            const std::lock_guard lock(mutex_);
            call->done = true;
            changed_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return call->done || closing_; });
}

void QtUiDispatcher::Close() {
    const std::lock_guard lock(mutex_);
    closing_ = true;
    changed_.notify_all();
}

}  // namespace vandrel::app
