// Registers the program's custom controls with the control factory, under the
// tag names the layouts use ("DeviceKeyButton") and under their class names
// ("CDeviceKeyButtonUI"). The list items that build their content from a
// layout use the same factory for it, so it must outlive the controls' making.
#pragma once

namespace vandrel::ui {

class ControlFactory;

void RegisterCustomControls(ControlFactory& factory);

}  // namespace vandrel::ui
