// A macro's event file, "<identifier>.mac":
//   "MacroName": the macro's name when the file was saved (UTF-8)
//   "Guid":      its identifier then
//   "Events":    [{"Type", "Button", "Action": "down" | "up", "Delay": "<ms>"}, ...]
//                in replay order
//   "Version":   64
// Event files are copied in and out by the user, so every value read is made
// safe for the device record it becomes: see ReadMacroFile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <json/json.h>

#include "profiles/json_file_store.h"

namespace vandrel::macros {

// Event kinds ("Type").
inline constexpr std::uint8_t kMouseButtonEvent = 1;  // "Button": 0x01 left .. 0x10 forward
inline constexpr std::uint8_t kMoveXEvent = 4;        // distance; "down" left, "up" right
inline constexpr std::uint8_t kMoveYEvent = 5;        // distance; "down" up, "up" down
inline constexpr std::uint8_t kModifierEvent = 9;     // modifier bit, 0x01 left Ctrl .. 0x80 right Windows
inline constexpr std::uint8_t kKeyEvent = 10;         // HID keyboard usage

inline constexpr std::uint16_t kMaxDelay = 65535;
inline constexpr int kMacroFileVersion = 64;

struct MacroEvent {
    std::uint8_t type = 0;    // 0..127
    std::uint8_t button = 0;  // key, button or distance
    bool down = false;        // "Action" is "down"; anything else reads as "up"
    std::uint16_t delay = 0;  // ms until the next event

    bool operator==(const MacroEvent&) const = default;
};

struct MacroFile {
    std::string name;
    std::string id;
    std::vector<MacroEvent> events;

    bool operator==(const MacroFile&) const = default;
};

// One event object as read: "Type" keeps its low 7 bits, "Button" is clamped
// to 0..255, "Delay" (decimal text, or a number) is clamped to 0..65535;
// members of the wrong type read as 0 and an "Action" that is not "down" as
// up.
MacroEvent EventFromJson(const Json::Value& object);
Json::Value EventToJson(const MacroEvent& event);

// The file at `path`; a missing, unreadable or malformed file is a macro
// without events, and so is an "Events" that is no array.
MacroFile ReadMacroFile(const std::string& path);
// Writes the file with "Version" 64, atomically.
profiles::WriteStatus WriteMacroFile(const std::string& path, const MacroFile& file,
                                     const profiles::CJsonFileStore& store = {});

// Copies a file byte for byte, atomically (import and export); Failed when
// the source cannot be read or the copy cannot be written.
profiles::WriteStatus CopyMacroFile(const std::string& from, const std::string& to,
                                    const profiles::CJsonFileStore& store = {});

}  // namespace vandrel::macros
