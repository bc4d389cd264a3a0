#include "ui/layout_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QUiLoader>
#include <QWidget>

#include "ui/skin.h"

namespace vandrel::ui {
namespace {

// While it lives, the library paths are empty: a QUiLoader made then finds no
// Qt Designer plugin to load.
class LibraryPathsHidden {
public:
    LibraryPathsHidden() : paths_(QCoreApplication::libraryPaths()) { QCoreApplication::setLibraryPaths({}); }
    ~LibraryPathsHidden() { QCoreApplication::setLibraryPaths(paths_); }
    LibraryPathsHidden(const LibraryPathsHidden&) = delete;
    LibraryPathsHidden& operator=(const LibraryPathsHidden&) = delete;

private:
    const QStringList paths_;
};

}  // namespace

class LayoutLoader::Builder : public QUiLoader {
public:
    Builder(const ControlFactory& factory, const ControlFactory* windowTags)
        : factory_(factory), windowTags_(windowTags) {}

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        QWidget* widget = factory_.Create(className, parent);
        if (widget == nullptr && windowTags_ != nullptr) widget = windowTags_->Create(className, parent);
        if (widget != nullptr) {
            // The widget's own class is a Qt one; the page reads the layout's.
            widget->setProperty("class", className);
        } else if (QtClasses().contains(className)) {
            widget = QUiLoader::createWidget(className, parent, name);
        }
        if (widget != nullptr) widget->setObjectName(name);
        return widget;
    }

private:
    // Qt's own widget classes, the same for every loader.
    const QSet<QString>& QtClasses() const {
        static const QSet<QString> classes = [this] {
            const QStringList names = availableWidgets();
            return QSet<QString>(names.begin(), names.end());
        }();
        return classes;
    }

    const ControlFactory& factory_;
    const ControlFactory* windowTags_;
};

LayoutLoader::LayoutLoader(const ControlFactory& factory, const ControlFactory* windowTags) {
    const LibraryPathsHidden hidden;
    builder_ = std::make_unique<Builder>(factory, windowTags);
}

LayoutLoader::~LayoutLoader() = default;

QWidget* LayoutLoader::Load(const QString& path, QWidget* parent) {
    lastError_.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        lastError_ = QStringLiteral("cannot open layout %1: %2").arg(path, file.errorString());
        return nullptr;
    }
    // Pictures a layout names (icons, pixmaps) are relative to the skin.
    const QString skin = Skin::Instance().Folder();
    builder_->setWorkingDirectory(QDir(skin.isEmpty() ? QFileInfo(path).absolutePath() : skin));
    QWidget* root = builder_->load(&file, parent);
    if (root == nullptr) {
        const QString reason =
            builder_->errorString().isEmpty() ? QStringLiteral("not a layout") : builder_->errorString();
        lastError_ = QStringLiteral("cannot load layout %1: %2").arg(path, reason);
    }
    return root;
}

}  // namespace vandrel::ui
