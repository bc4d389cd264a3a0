// Deleting a macro from a device's list, with what that means for the keys:
// a key runs a macro by its number, the macro's position in the list, so
// after macro d is gone every key on d runs its default function again and
// every key on a later macro follows it one place down, in every profile of
// the device.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/profile_records.h"

namespace vandrel::profiles {
class CProfileList;
}

namespace vandrel::macros {

class CMacroControlUI;

// Language text ids of the two questions.
inline constexpr std::string_view kAskDeleteMacro = "message_text_4";
inline constexpr std::string_view kAskDeleteUsedMacro = "message_text_2";

// Whether a key runs macro `macro` (function types 0x70 and 0x71).
bool UsesMacro(std::span<const profiles::KeyEntry> keys, std::size_t macro);

// The keys after macro `deleted` is removed from the list: a key on it gets
// its default function, a key on a later macro the number one lower. True
// when a key changed.
bool RenumberAfterDelete(std::span<profiles::KeyEntry> keys, std::size_t deleted);

// Asks the user a question by its language text id; true to go on.
using AskFunction = std::function<bool(std::string_view textId)>;

struct MacroDeletion {
    int deleted = -1;  // the macro removed; -1 when nothing was
    // The device's own key list when it changed: the caller stores it into
    // the device and its profile, then sends the macros and the key map.
    std::optional<std::vector<profiles::KeyEntry>> deviceKeys;
};

// Deletes the macro selected in `panel` after asking: "message_text_4"
// always, "message_text_2" as well when `deviceKeys` uses it; a "no" changes
// no file. "macro.config" is written first; only once it holds the shorter
// list are the key lists renumbered: the "KeyList" of every profile file in
// `otherProfiles` (written when a key changed; a file that does not exist is
// left alone) and `deviceKeys`, whose profile file the caller writes.
MacroDeletion DeleteMacroEverywhere(CMacroControlUI& panel, std::span<const std::string> otherProfiles,
                                    std::vector<profiles::KeyEntry> deviceKeys, const AskFunction& ask);

// The files of the profiles in `list` other than the one with
// `currentProfileId`, in list order.
std::vector<std::string> OtherProfileFiles(profiles::CProfileList& list, std::string_view currentProfileId);

}  // namespace vandrel::macros
