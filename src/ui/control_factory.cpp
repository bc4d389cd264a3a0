#include "ui/control_factory.h"

#include <utility>

namespace vandrel::ui {

void ControlFactory::RegistControl(const QString& className, Creator creator) {
    const QString key = className.toLower();
    if (!creators_.contains(key)) order_.push_back(className);
    creators_[key] = std::move(creator);
}

bool ControlFactory::Knows(const QString& className) const {
    return creators_.contains(className.toLower()) ||
           creators_.contains(QStringLiteral("c%1ui").arg(className.toLower()));
}

// Layouts name a class by its tag ("DeviceOption"); the class registered for
// it may carry the toolkit's "C...UI" form ("CDeviceOptionUI").
QWidget* ControlFactory::Create(const QString& className, QWidget* parent) const {
    auto it = creators_.find(className.toLower());
    if (it == creators_.end()) it = creators_.find(QStringLiteral("c%1ui").arg(className.toLower()));
    if (it == creators_.end() || !it->second) return nullptr;
    return it->second(parent);
}

ControlFactory& GlobalControlFactory() {
    static ControlFactory factory;
    return factory;
}

}  // namespace vandrel::ui
