// Builds a control tree from a layout file (Qt Designer XML) at run time.
// Classes the control factory knows are created by it; then Qt's own classes.
// A class neither knows yields no control: the element and everything below
// it are left out of the tree (Qt's form builder skips a widget it could not
// create), so a lookup of its name finds nothing.
#pragma once

#include <QString>
#include <QUiLoader>

#include "ui/control_factory.h"

namespace vandrel::ui {

class LayoutLoader : public QUiLoader {
public:
    // windowTags: the tags a window creates itself, asked after the factory.
    explicit LayoutLoader(const ControlFactory& factory, const ControlFactory* windowTags = nullptr);

    // The root control of the layout at path, owned by parent (by the caller
    // when parent is nullptr); nullptr on a missing or malformed file, with
    // the reason in LastError().
    QWidget* Load(const QString& path, QWidget* parent = nullptr);
    const QString& LastError() const { return lastError_; }

    QWidget* createWidget(const QString& className, QWidget* parent = nullptr,
                          const QString& name = QString()) override;

private:
    const ControlFactory& factory_;
    const ControlFactory* windowTags_;
    QString lastError_;
};

}  // namespace vandrel::ui
