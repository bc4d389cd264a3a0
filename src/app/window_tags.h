// The layout tags the main window builds itself: its custom controls, the
// device pages and panels, and the composite tags that stand for a whole
// sub-layout of the skin ("LightSetControlUI" is "LightControl.xml").
#pragma once

#include "ui/control_factory.h"

namespace vandrel::app {

void RegisterWindowTags(ui::ControlFactory& tags);

}  // namespace vandrel::app
