// A device's macro list: "macro.config" in the device's user folder, and the
// event file "<identifier>.mac" beside it for each macro.
//
// "macro.config":
//   "MacroInfo": [{"MacroName": UTF-8 name, "Guid": identifier}, ...]
// The position in "MacroInfo" is the macro's number, the number a key that
// runs a macro refers to. Names are unique within a list, ignoring the case
// of ASCII letters.
//
// Identifiers come from a file the user may edit; one that could reach
// outside the folder names no file here: its macro has no events, and
// nothing is read, written or removed for it.
#pragma once

#include <json/json.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "macros/macro_file.h"
#include "profiles/json_file_store.h"

namespace vandrel::macros {

inline constexpr std::size_t kMaxMacros = 50;

struct MacroInfo {
    std::string name;  // UTF-8
    std::string id;    // the "Guid"; may be unusable, see IsMacroId

    bool operator==(const MacroInfo&) const = default;
};

// True for an identifier that names a file of its own in the folder: ASCII
// letters, digits, '-', '_', '{' and '}', not empty, at most 200 bytes.
bool IsMacroId(std::string_view id);

// <folder>/macro.config
std::string MacroListPath(std::string_view folder);
// <folder>/<id>.mac, or "" when `id` is no macro identifier.
std::string MacroFilePath(std::string_view folder, std::string_view id);

// The list as it is in the folder, for a reader that never writes it back;
// missing, unreadable or malformed reads as empty. Elements of the wrong type
// stay in as macros with empty name and identifier, so that the numbers of
// the ones after them do not move.
std::vector<MacroInfo> ReadMacroList(std::string_view folder);

enum class RenameResult { Renamed, NoSuchMacro, EmptyName, NameTaken };

// The list of one folder, kept in step with its file: every change is written
// at once, atomically. Write failures leave the file as it was and are not
// reported further (the store traces them); the list in memory has changed.
class CMacroList {
public:
    explicit CMacroList(std::string folder, profiles::CJsonFileStore store = {});

    // (Re)reads "macro.config". A file that exists but cannot be used is set
    // aside by the store; the list is then empty.
    void Load();

    const std::string& Folder() const { return folder_; }
    const std::vector<MacroInfo>& Macros() const { return macros_; }
    std::vector<std::string> Names() const;
    std::size_t Size() const { return macros_.size(); }

    // Whether some macro is called `name`, ignoring case.
    bool IsNameTaken(std::string_view name) const;
    // "macro_<n>" with the smallest n from 1 up that no macro is called.
    std::string NextFreeName() const;

    // Appends a macro with the next free name and a new identifier, and
    // returns its name; "" when the list holds kMaxMacros already.
    std::string Add();
    // A new name for macro `index`. Refused when it is empty or only blanks,
    // or when any macro (this one included) already has it, ignoring case.
    RenameResult Rename(std::size_t index, std::string_view name);
    // Removes macro `index` and its event file; false when there is none.
    bool Delete(std::size_t index);

    // The event file of macro `index`; "" when there is no such macro or its
    // identifier names no file.
    std::string EventFilePath(std::size_t index) const;

    // The events of macro `index`; none when there is no such macro, its
    // identifier names no file or the file is missing.
    std::vector<MacroEvent> Events(std::size_t index) const;
    // Writes the event file of macro `index` under its current name and
    // identifier; Failed when there is no such file to write.
    profiles::WriteStatus SaveEvents(std::size_t index, const std::vector<MacroEvent>& events) const;

    // Adds a macro (as Add) whose event file is a copy of `source`, kept as it
    // is: its inner name and identifier stay until it is saved. The new name,
    // or "" when the path is empty or the list is full (nothing changes).
    std::string Import(const std::string& source);
    // Copies the event file of macro `index` to `destination`.
    profiles::WriteStatus Export(std::size_t index, const std::string& destination) const;

private:
    void Write() const;

    std::string folder_;
    profiles::CJsonFileStore store_;
    Json::Value document_;  // the file's content, members we do not know included
    std::vector<MacroInfo> macros_;
};

}  // namespace vandrel::macros
