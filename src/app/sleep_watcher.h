// SleepWatcher: the system going to sleep and waking up, as logind announces
// it with PrepareForSleep on the system bus (true just before the sleep,
// false after the wake-up). Without a system bus it says nothing, and the
// program simply never hears of a sleep.
#pragma once

#include <QObject>

namespace vandrel::app {

class SleepWatcher : public QObject {
    Q_OBJECT

public:
    explicit SleepWatcher(QObject* parent = nullptr);
    // Whether the signal is subscribed on a system bus.
    bool Listening() const { return listening_; }

signals:
    void SleepChanged(bool sleeping);

private slots:
    void OnPrepareForSleep(bool start);

private:
    bool listening_ = false;
};

}  // namespace vandrel::app
