#include "app/message_bus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QMetaObject>

#include "app/registered_messages.h"
#include "ui/qt_text.h"

namespace vandrel::app {
namespace {

QString IntrospectionXml() {
    QString xml = QStringLiteral("  <interface name=\"%1\">\n").arg(ui::ToQt(kBusInterface));
    for (const RegisteredMessage& m : kRegisteredMessages) {
        xml +=
            QStringLiteral(
                "    <method name=\"%1\"><arg name=\"wParam\" type=\"x\" direction=\"in\"/>"
                "<arg name=\"lParam\" type=\"x\" direction=\"in\"/></method>\n"
                "    <signal name=\"%1\"><arg name=\"wParam\" type=\"x\"/><arg name=\"lParam\" type=\"x\"/></signal>\n")
                .arg(ui::ToQt(m.member));
    }
    return xml + QStringLiteral("  </interface>\n");
}

}  // namespace

// Serves the table's methods on the program's object: any member of the table
// with two integer arguments is passed on; anything else is refused.
class MessageBus::Endpoint : public QDBusVirtualObject {
public:
    explicit Endpoint(MessageBus& bus) : bus_(bus) {}

    QString introspect(const QString& path) const override {
        return path == ui::ToQt(kBusObject) ? IntrospectionXml() : QString();
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.type() != QDBusMessage::MethodCallMessage || message.interface() != ui::ToQt(kBusInterface))
            return false;
        const QString member = message.member();
        const QList<QVariant> args = message.arguments();
        const bool known = IsRegisteredMessage(member.toStdString());
        bool okW = false;
        bool okL = false;
        const qint64 wParam = args.size() == 2 ? args[0].toLongLong(&okW) : 0;
        const qint64 lParam = args.size() == 2 ? args[1].toLongLong(&okL) : 0;
        if (!known || !okW || !okL) {
            connection.send(
                message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("no message %1(x, x)").arg(member)));
            return true;
        }
        connection.send(message.createReply());
        // Delivered on the UI thread, after this call has been answered.
        QMetaObject::invokeMethod(
            &bus_, [bus = &bus_, member, wParam, lParam] { emit bus->MessageReceived(member, wParam, lParam); },
            Qt::QueuedConnection);
        return true;
    }

private:
    MessageBus& bus_;
};

MessageBus::MessageBus(QObject* parent) : QObject(parent), endpoint_(std::make_unique<Endpoint>(*this)) {}

MessageBus::~MessageBus() {
    if (!exported_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(ui::ToQt(kBusObject));
    bus.unregisterService(ui::ToQt(kBusService));
}

MessageBus::Claim MessageBus::ClaimInstance() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        lastError_ = bus.lastError().message();
        if (lastError_.isEmpty()) lastError_ = QStringLiteral("no session bus");
        return Claim::NoBus;
    }
    QDBusConnectionInterface* daemon = bus.interface();
    if (daemon == nullptr) {
        lastError_ = QStringLiteral("the session bus gave no interface");
        return Claim::NoBus;
    }
    const auto reply = daemon->registerService(ui::ToQt(kBusService), QDBusConnectionInterface::DontQueueService,
                                               QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        lastError_ = reply.error().message();
        return Claim::NoBus;
    }
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered) return Claim::AlreadyRunning;
    exported_ = bus.registerVirtualObject(ui::ToQt(kBusObject), endpoint_.get());
    if (!exported_) {
        lastError_ = bus.lastError().message();
        bus.unregisterService(ui::ToQt(kBusService));
        return Claim::NoBus;
    }
    return Claim::Owner;
}

bool MessageBus::CallInstance(const QString& member, qint64 wParam, qint64 lParam, int timeoutMs) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(ui::ToQt(kBusService), ui::ToQt(kBusObject), ui::ToQt(kBusInterface), member);
    call << wParam << lParam;
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        lastError_ = reply.errorMessage();
        return false;
    }
    return true;
}

bool MessageBus::Broadcast(const QString& member, qint64 wParam, qint64 lParam) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage signal = QDBusMessage::createSignal(ui::ToQt(kBusObject), ui::ToQt(kBusInterface), member);
    signal << wParam << lParam;
    return bus.send(signal);
}

}  // namespace vandrel::app
