// The control factory: layouts name custom control classes ("DeviceKeyButton"),
// and the program registers a creator for each. Class names are compared
// ignoring case, as layout files spell them in either way.
#pragma once

#include <QString>
#include <functional>
#include <map>
#include <vector>

class QWidget;

namespace vandrel::ui {

class ControlFactory {
public:
    using Creator = std::function<QWidget*(QWidget* parent)>;

    // Registers (or replaces) the creator of a class name.
    void RegistControl(const QString& className, Creator creator);

    bool Knows(const QString& className) const;

    // The new control, owned by parent; nullptr for a class nobody registered.
    // A layout tag "X" also finds the class registered as "CXUI".
    QWidget* Create(const QString& className, QWidget* parent) const;

    // The class names in registration order.
    std::vector<QString> Names() const { return order_; }

private:
    std::map<QString, Creator> creators_;  // keyed by the lower-case class name
    std::vector<QString> order_;
};

// The process's factory: the start-up registers the program's control classes
// in it, and every layout of every window is built through it.
ControlFactory& GlobalControlFactory();

}  // namespace vandrel::ui
