// The one component through which every JSON file of the program is read and
// written.
//
// Reading takes the whole file; a missing, empty or malformed file reads as
// the null value. Writing replaces the whole file atomically: the styled text
// (jsoncpp's StyledWriter, indent 3) goes to a temporary file in the same
// folder, is flushed to disk and renamed over the old file, so a crash or a
// full disk leaves either the old or the new file, never a part of one.
#pragma once

#include <json/json.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/file_io.h"

namespace vandrel::profiles {

inline constexpr int kWriteOk = 0;
inline constexpr int kWriteFailed = -1;

class CJsonFileStore {
public:
    // The last step of a write; a test can put a failing one in its place to
    // play a crash between writing the temporary file and renaming it.
    using RenameFunction = platform::RenameFunction;

    CJsonFileStore();
    explicit CJsonFileStore(RenameFunction rename);

    // The whole file, or "" when it cannot be opened or read completely.
    std::string ReadText(const std::string& path) const;

    // The parsed content (comments accepted), or null when the file is
    // missing, empty or does not parse.
    Json::Value ReadJson(const std::string& path) const;

    // For a document the program will later write back (a user's profile or
    // list): the parsed object, or null. A file that exists but holds no JSON
    // object is first kept as <path>.bak, so nothing the user had is lost
    // when the program goes on with its template.
    Json::Value ReadDocument(const std::string& path) const;

    // Writes the styled text plus one line end, atomically. kWriteOk, or
    // kWriteFailed (traced) with the old file left as it was.
    int WriteJson(const std::string& path, const Json::Value& value) const;

    // Writes raw bytes atomically (used for the .bak copies).
    int WriteText(const std::string& path, std::string_view text) const;

    // Local time as "%d_%02d_%02d_%02d_%02d_%02d_%03d" (year, month, day,
    // hour, minute, second, millisecond). Two calls never give the same
    // identifier within one run: a call within the millisecond of the last
    // one takes the next millisecond.
    static std::string NewProfileId();

    // The file name of a path without its folder and extension.
    static std::string FileTitle(std::string_view path);

private:
    RenameFunction rename_;
};

// The text WriteJson puts into a file for a value.
std::string StyledText(const Json::Value& value);

// Parses a whole text; null when it does not parse. Never throws.
Json::Value ParseJson(std::string_view text);

}  // namespace vandrel::profiles
