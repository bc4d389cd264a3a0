// The messages the program exchanges with other programs, and the game events.
// On the session bus each is one method of the program's interface, named as
// the message, taking (wParam, lParam). Every unit that sends or handles one
// of them uses this table, so the names exist once.
#pragma once

#include <array>
#include <string_view>

namespace vandrel::app {

// The application title: message name, bus name part, window caption, tray tip.
inline constexpr std::string_view kAppTitle = "VANDREL";

inline constexpr std::string_view kBusService = "org.vandrel.Vandrel";
inline constexpr std::string_view kBusObject = "/org/vandrel/Vandrel";
inline constexpr std::string_view kBusInterface = "org.vandrel.Vandrel1";

struct RegisteredMessage {
    std::string_view member;          // the bus method name
    std::string_view registeredName;  // the name other programs register it under
};

namespace message {
inline constexpr std::string_view kTitle = "TitleMessage";
inline constexpr std::string_view kUpdateProgress = "UpdateProgressMessage";
inline constexpr std::string_view kLightControlAnnounce = "LightControlAnnounceMessage";
inline constexpr std::string_view kLightControlRequest = "LightControlRequestMessage";
inline constexpr std::string_view kDeviceReportRequest = "DeviceReportRequestMessage";
inline constexpr std::string_view kAudioCompanion = "AudioCompanionMessage";
inline constexpr std::string_view kGameStart = "Game_Start";
inline constexpr std::string_view kGameEnd = "Game_End";
inline constexpr std::string_view kGameKill = "Game_Kill";
inline constexpr std::string_view kGameDeath = "Game_Death";
}  // namespace message

// In the order the program registers them: the title message, the five GUID
// messages (the last one really ends in EBE19), then the game events.
inline constexpr std::array<RegisteredMessage, 10> kRegisteredMessages{{
    {message::kTitle, kAppTitle},
    {message::kUpdateProgress, "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}"},
    {message::kLightControlAnnounce, "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}"},
    {message::kLightControlRequest, "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}"},
    {message::kDeviceReportRequest, "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}"},
    {message::kAudioCompanion, "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}"},
    {message::kGameStart, "Game_Start"},
    {message::kGameEnd, "Game_End"},
    {message::kGameKill, "Game_Kill"},
    {message::kGameDeath, "Game_Death"},
}};

// TitleMessage's lParam: 1 from a second start, 0 from the first device scan.
inline constexpr long kTitleFromSecondInstance = 1;
inline constexpr long kTitleFromFirstScan = 0;

constexpr bool IsRegisteredMessage(std::string_view member) {
    for (const RegisteredMessage& m : kRegisteredMessages)
        if (m.member == member) return true;
    return false;
}

}  // namespace vandrel::app
