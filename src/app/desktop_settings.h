// The desktop's own mouse and keyboard settings, opened from a device page
// ("windowdeviceset_0" keyboard, "windowdeviceset_1" mouse). Which program
// opens them depends on the desktop, named by XDG_CURRENT_DESKTOP (a list
// separated by ':', the first known entry wins).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel::app {

enum class DesktopPanel { Keyboard, Mouse };

// The panel of button "windowdeviceset_"n; nothing for an unknown n.
std::optional<DesktopPanel> DesktopPanelOfButton(int n);

struct DesktopCommand {
    std::string program;
    std::vector<std::string> arguments;
};

// Nothing for a desktop the program does not know.
std::optional<DesktopCommand> DesktopSettingsCommand(std::string_view currentDesktop, DesktopPanel panel);

// Starts the desktop's settings program without waiting for it; false when
// the desktop is unknown or the program could not be started.
bool OpenDesktopSettings(DesktopPanel panel);

}  // namespace vandrel::app
