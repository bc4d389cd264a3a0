#include "ui/control_factory.h"

#include <utility>

namespace vandrel::ui {

void ControlFactory::RegistControl(const QString& className, Creator creator) {
    creators_[className.toLower()] = std::move(creator);
}

bool ControlFactory::Knows(const QString& className) const {
    return creators_.contains(className.toLower());
}

QWidget* ControlFactory::Create(const QString& className, QWidget* parent) const {
    const auto it = creators_.find(className.toLower());
    if (it == creators_.end() || !it->second) return nullptr;
    return it->second(parent);
}

}  // namespace vandrel::ui
