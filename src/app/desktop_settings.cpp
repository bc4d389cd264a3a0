#include "app/desktop_settings.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include <QProcess>
#include <QStringList>

#include "platform/text_compare.h"

namespace vandrel::app {
namespace {

struct DesktopRow {
    std::string_view desktop;  // as XDG_CURRENT_DESKTOP names it, compared ignoring case
    std::string_view program;
    std::string_view mouseArgument;    // empty: none
    std::string_view keyboardProgram;  // empty: the same program
    std::string_view keyboardArgument;
};

constexpr std::array<DesktopRow, 9> kDesktops{{
    {"GNOME", "gnome-control-center", "mouse", "", "keyboard"},
    {"Unity", "gnome-control-center", "mouse", "", "keyboard"},
    {"Budgie", "gnome-control-center", "mouse", "", "keyboard"},
    {"Pantheon", "gnome-control-center", "mouse", "", "keyboard"},
    {"KDE", "systemsettings", "kcm_mouse", "", "kcm_keyboard"},
    {"XFCE", "xfce4-mouse-settings", "", "xfce4-keyboard-settings", ""},
    {"MATE", "mate-mouse-properties", "", "mate-keyboard-properties", ""},
    {"X-Cinnamon", "cinnamon-settings", "mouse", "", "keyboard"},
    {"LXQt", "lxqt-config-input", "", "", ""},
}};

// By button number: 0 keyboard, 1 mouse.
constexpr std::array kButtonPanels{DesktopPanel::Keyboard, DesktopPanel::Mouse};

}  // namespace

std::optional<DesktopPanel> DesktopPanelOfButton(int n) {
    if (n < 0 || n >= static_cast<int>(kButtonPanels.size())) return std::nullopt;
    return kButtonPanels[static_cast<std::size_t>(n)];
}

std::optional<DesktopCommand> DesktopSettingsCommand(std::string_view currentDesktop, DesktopPanel panel) {
    while (!currentDesktop.empty()) {
        const std::size_t colon = currentDesktop.find(':');
        const std::string_view entry = currentDesktop.substr(0, colon);
        for (const DesktopRow& row : kDesktops) {
            if (!platform::EqualsIgnoringCase(row.desktop, entry)) continue;
            const bool keyboard = panel == DesktopPanel::Keyboard;
            DesktopCommand command{
                std::string(keyboard && !row.keyboardProgram.empty() ? row.keyboardProgram : row.program), {}};
            const std::string_view argument = keyboard ? row.keyboardArgument : row.mouseArgument;
            if (!argument.empty()) command.arguments.emplace_back(argument);
            return command;
        }
        if (colon == std::string_view::npos) break;
        currentDesktop.remove_prefix(colon + 1);
    }
    return std::nullopt;
}

bool OpenDesktopSettings(DesktopPanel panel) {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    const auto command = DesktopSettingsCommand(desktop != nullptr ? desktop : "", panel);
    if (!command) return false;
    QStringList arguments;
    for (const std::string& argument : command->arguments) arguments.append(QString::fromStdString(argument));
    return QProcess::startDetached(QString::fromStdString(command->program), arguments);
}

}  // namespace vandrel::app
