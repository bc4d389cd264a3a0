#include "app/sleep_watcher.h"

#include <QDBusConnection>

#include "platform/trace.h"

namespace vandrel::app {

SleepWatcher::SleepWatcher(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    listening_ = bus.isConnected() &&
                 bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                             QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                             SLOT(OnPrepareForSleep(bool)));
    if (!listening_) platform::Trace("sleep: no system bus, sleep and wake-up are not followed");
}

void SleepWatcher::OnPrepareForSleep(bool start) {
    platform::Trace(start ? "sleep: the system goes to sleep" : "sleep: the system woke up");
    emit SleepChanged(start);
}

}  // namespace vandrel::app
