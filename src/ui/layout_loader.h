// Builds a control tree from a layout file (Qt Designer XML) at run time.
// Classes the control factory knows are created by it; then Qt's own classes.
// A class neither knows yields no control: the element and everything below
// it are left out of the tree (Qt's form builder skips a widget it could not
// create), so a lookup of its name finds nothing.
//
// Qt Designer plugins installed on the system take no part: QUiLoader would
// load every one it finds each time it is made (one of them brings Qt Quick
// and QML into the process), and a layout of the skin names only the
// program's controls and Qt's own widgets.
#pragma once

#include <memory>

#include <QString>

#include "ui/control_factory.h"

class QWidget;

namespace vandrel::ui {

class LayoutLoader {
public:
    // windowTags: the tags a window creates itself, asked after the factory.
    explicit LayoutLoader(const ControlFactory& factory, const ControlFactory* windowTags = nullptr);
    ~LayoutLoader();
    LayoutLoader(const LayoutLoader&) = delete;
    LayoutLoader& operator=(const LayoutLoader&) = delete;

    // The root control of the layout at path, owned by parent (by the caller
    // when parent is nullptr); nullptr on a missing or malformed file, with
    // the reason in LastError().
    QWidget* Load(const QString& path, QWidget* parent = nullptr);
    const QString& LastError() const { return lastError_; }

private:
    class Builder;
    std::unique_ptr<Builder> builder_;
    QString lastError_;
};

}  // namespace vandrel::ui
