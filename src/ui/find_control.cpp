#include "ui/find_control.h"

#include <QWidget>

namespace vandrel::ui {

QWidget* FindControlBelow(QWidget* control, const QString& name) {
    // An empty name would match the first child of any name.
    if (control == nullptr || name.isEmpty()) return nullptr;
    return control->findChild<QWidget*>(name);
}

QWidget* FindControl(QWidget* root, const QString& name) {
    if (root != nullptr && !name.isEmpty() && root->objectName() == name) return root;
    return FindControlBelow(root, name);
}

}  // namespace vandrel::ui
