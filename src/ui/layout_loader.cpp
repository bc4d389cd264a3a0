#include "ui/layout_loader.h"

#include <QFile>
#include <QWidget>

namespace vandrel::ui {

LayoutLoader::LayoutLoader(const ControlFactory& factory) : factory_(factory) {}

QWidget* LayoutLoader::Load(const QString& path, QWidget* parent) {
    lastError_.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        lastError_ = QStringLiteral("cannot open layout %1: %2").arg(path, file.errorString());
        return nullptr;
    }
    QWidget* root = load(&file, parent);
    if (root == nullptr) {
        const QString reason = errorString().isEmpty() ? QStringLiteral("not a layout") : errorString();
        lastError_ = QStringLiteral("cannot load layout %1: %2").arg(path, reason);
    }
    return root;
}

QWidget* LayoutLoader::createWidget(const QString& className, QWidget* parent, const QString& name) {
    QWidget* widget = factory_.Create(className, parent);
    if (widget != nullptr) {
        // The widget's own class is a Qt one; the page reads the layout's.
        widget->setProperty("class", className);
    } else if (availableWidgets().contains(className)) {
        widget = QUiLoader::createWidget(className, parent, name);
    }
    if (widget != nullptr) widget->setObjectName(name);
    return widget;
}

}  // namespace vandrel::ui
