// Controls are found by their layout name, anywhere below a root control.
#pragma once

#include <QString>

class QWidget;

namespace vandrel::ui {

// The control named name: root itself or any control below it; nullptr when
// there is none or the name is empty.
QWidget* FindControl(QWidget* root, const QString& name);

// The control named name strictly below control; nullptr when there is none.
QWidget* FindControlBelow(QWidget* control, const QString& name);

}  // namespace vandrel::ui
