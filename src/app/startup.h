// The program's start and end: options, display check, fonts, single
// instance over the session bus, skin, control classes, main window, event
// loop, and the teardown in reverse order.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vandrel::app {

struct StartOptions {
    bool simulate = false;
    // "--simulate=mouse,keyboard": only these simulated devices (cable links;
    // "mouse-receiver" plugs the mouse's receiver); empty: all of them.
    std::vector<std::string> simulated;
    bool trace = false;
    std::string screenshot;  // render the main window to this PNG and exit
    bool hidden = false;     // stay in the tray after the first scan
    bool help = false;       // print the usage and exit
    bool version = false;    // print the version and exit
};

// Parses argv; nothing, and what is wrong in error, for a bad command line.
std::optional<StartOptions> ParseStartOptions(int argc, char** argv, std::string& error);

int RunProgram(int argc, char** argv);

}  // namespace vandrel::app
