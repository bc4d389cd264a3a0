#include "ui/layout_loader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include "ui/skin.h"

namespace vandrel::ui {

LayoutLoader::LayoutLoader(const ControlFactory& factory, const ControlFactory* windowTags)
    : factory_(factory), windowTags_(windowTags) {}

QWidget* LayoutLoader::Load(const QString& path, QWidget* parent) {
    lastError_.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        lastError_ = QStringLiteral("cannot open layout %1: %2").arg(path, file.errorString());
        return nullptr;
    }
    // Pictures a layout names (icons, pixmaps) are relative to the skin.
    const QString skin = Skin::Instance().Folder();
    setWorkingDirectory(QDir(skin.isEmpty() ? QFileInfo(path).absolutePath() : skin));
    QWidget* root = load(&file, parent);
    if (root == nullptr) {
        const QString reason = errorString().isEmpty() ? QStringLiteral("not a layout") : errorString();
        lastError_ = QStringLiteral("cannot load layout %1: %2").arg(path, reason);
    }
    return root;
}

QWidget* LayoutLoader::createWidget(const QString& className, QWidget* parent, const QString& name) {
    QWidget* widget = factory_.Create(className, parent);
    if (widget == nullptr && windowTags_ != nullptr) widget = windowTags_->Create(className, parent);
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
