// The program's remembered settings (such as the chosen language) in a small
// ini file: $XDG_CONFIG_HOME/VANDREL/<file> (XDG_CONFIG_HOME defaults to
// ~/.config).
//
// The file is "[section]" lines followed by "key=value" lines. It is read
// whole and written back whole, so every line the program does not
// understand (comments, malformed lines, unknown sections) is kept as it was.
// Saving writes a temporary file in the same folder and renames it over the
// old one, so the file is always either the old or the new one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folders.h"  // ConfigRoot

namespace vandrel::platform {

class SettingsIni {
public:
    // A settings file at an explicit path (tests, or callers with their own
    // folder).
    explicit SettingsIni(std::string path);

    // The settings file of this name in ConfigRoot(). The path is empty (and
    // Load/Save fail) when the name is not a plain file name or the folder
    // cannot be created.
    static SettingsIni InConfigFolder(std::string_view fileName);

    const std::string& Path() const { return path_; }

    // Reads the whole file. A missing file reads as empty and returns false.
    // Something at the path that cannot be read (a pipe, a folder, a file
    // without access or over 1 MiB) reads as empty too, and is first moved
    // aside as a backup; when that fails the file is protected, and Save
    // leaves it alone in this run.
    bool Load();

    // The value of a key, or nothing. Section and key are compared exactly;
    // blanks around them and around the value are ignored.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    // Sets a value, replacing the key's first line in the section, or adding
    // the key at the end of the section (the section at the end of the file
    // when it is new). Line breaks in the value are replaced by blanks so a
    // value can never add lines of its own.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    bool Save() const;

private:
    std::string path_;
    std::vector<std::string> lines_;
};

}  // namespace vandrel::platform
