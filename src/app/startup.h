// The program's start and end: options, display check, fonts, single
// instance over the session bus, skin, control classes, main window, event
// loop, and the teardown in reverse order.
#pragma once

#include <optional>
#include <string>

namespace vandrel::app {

struct StartOptions {
    bool simulate = false;
    bool trace = false;
    std::string screenshot;  // render the main window to this PNG and exit
};

// Parses argv; nothing (and a message on stderr) for a bad command line.
std::optional<StartOptions> ParseStartOptions(int argc, char** argv, std::string& error);

int RunProgram(int argc, char** argv);

}  // namespace vandrel::app
