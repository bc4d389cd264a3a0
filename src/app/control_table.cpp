#include "app/control_table.h"

#include <QFrame>
#include <QVariant>

#include "ui/controls/device_option.h"
#include "ui/controls/device_power.h"
#include "ui/controls/register_controls.h"

namespace vandrel::app {
namespace {

// Panels and device pages are containers on screen: their logic is a
// separate object that drives the container's controls through a page view.
QWidget* MakeContainer(QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::NoFrame);
    return frame;
}

// The program's own controls with a class of their own; their list items
// build content through this factory, so it lives as long as the program.
const ui::ControlFactory& CustomControls() {
    // Registered in place: the creators keep the factory's address.
    static ui::ControlFactory custom;
    static const bool registered = [] {
        ui::RegisterCustomControls(custom);
        custom.RegistControl(QStringLiteral("CDeviceOptionUI"),
                             [](QWidget* parent) { return new ui::CDeviceOptionUI(parent); });
        custom.RegistControl(QStringLiteral("CMpDevicePowerUI"),
                             [](QWidget* parent) { return new ui::CMpDevicePowerUI(parent); });
        return true;
    }();
    (void)registered;
    return custom;
}

}  // namespace

void RegisterProgramControls(ui::ControlFactory& factory) {
    const ui::ControlFactory& custom = CustomControls();
    for (const std::string_view name : kControlClassOrder) {
        const QString className = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
        if (custom.Knows(className))
            factory.RegistControl(className,
                                  [&custom, className](QWidget* parent) { return custom.Create(className, parent); });
        else factory.RegistControl(className, MakeContainer);
    }
}

}  // namespace vandrel::app
