// MessageBus: single instance and the messages between programs, over the
// D-Bus session bus. The first instance owns the well-known name and serves
// one method per registered message ("TitleMessage", "Game_Start", ...) with
// two 64-bit arguments (wParam, lParam); a second start finds the name taken,
// calls the owner's TitleMessage(0, 1) and ends. Where no session bus runs the
// program works alone: single instance and messages are off, said once.
#pragma once

#include <cstdint>
#include <memory>

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace vandrel::app {

class MessageBus : public QObject {
    Q_OBJECT

public:
    enum class Claim {
        Owner,           // this process is the instance; messages arrive
        AlreadyRunning,  // another instance owns the name
        NoBus,           // no session bus: running alone
    };

    explicit MessageBus(QObject* parent = nullptr);
    ~MessageBus() override;

    // Connects, exports the object and asks for the name. On NoBus the reason
    // is in LastError().
    Claim ClaimInstance();

    // Calls a method on the instance that owns the name and waits at most
    // timeoutMs for its answer; false when it did not answer. The call is on
    // its way either way: a busy instance still gets it, and the caller is
    // not held up for long.
    bool CallInstance(const QString& member, qint64 wParam, qint64 lParam, int timeoutMs = 500);

    // Emits the message as a signal of our object, to every program listening.
    bool Broadcast(const QString& member, qint64 wParam, qint64 lParam);

    const QString& LastError() const { return lastError_; }

signals:
    // A registered message from another program (UI thread).
    void MessageReceived(const QString& member, qint64 wParam, qint64 lParam);

private:
    class Endpoint;
    QString lastError_;
    std::unique_ptr<Endpoint> endpoint_;
    bool exported_ = false;
};

}  // namespace vandrel::app
