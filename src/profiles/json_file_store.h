// The one component through which every JSON file of the program is read and
// written.
//
// Reading takes the whole file through the platform's safe reader; a missing,
// empty or malformed file reads as the null value. JSON is taken strictly:
// anything but white space and comments after the root makes a file
// malformed. Comments are accepted and dropped: they are not written back.
// Plain JSON, the form the program writes, goes through a quick reader
// (plain_json_parser.h), anything else through jsoncpp's. A user's document
// (a profile, a profile list) that exists but cannot be used is moved aside
// as a backup before the program goes on with its template, or, when that
// fails, left untouched and protected from every write in this run (see
// platform/file_guard.h).
//
// Writing replaces the whole file atomically: the styled text (jsoncpp's
// StyledWriter format, indent 3, see styled_json_writer.h) goes to a
// temporary file in the same folder, is flushed to disk and renamed over the
// old file, so a crash or a full disk leaves either the old or the new file,
// never a part of one. Text that is not valid UTF-8 is repaired before it is
// written, so the writer never swallows the characters after a broken
// sequence.
#pragma once

#include <json/json.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/file_io.h"

namespace vandrel::profiles {

// The outcome of writing a file. Its own type: it never mixes with the
// device's statuses, whose numbers mean other things.
// (clang-format misreads an attribute in the head of an enum.)
// clang-format off
enum class [[nodiscard]] WriteStatus { Ok, Failed };
// clang-format on

class CJsonFileStore {
public:
    // The last step of a write; a test can put a failing one in its place to
    // play a crash between writing the temporary file and renaming it.
    using RenameFunction = platform::RenameFunction;

    CJsonFileStore();
    explicit CJsonFileStore(RenameFunction rename);

    // The whole file, or "" when it is missing or cannot be read.
    std::string ReadText(const std::string& path) const;

    // The parsed content of a file the program only reads (a template, a
    // language file, an import), or null when the file is missing, empty,
    // unreadable or malformed.
    Json::Value ReadJson(const std::string& path) const;

    // For a document the program will later write back (a user's profile or
    // list): the parsed object, or null when there is none to use. A file
    // that exists but cannot be read, is too large, does not parse or holds
    // no object is moved aside as a backup first, or protected when that
    // fails; the user is told once either way. `text`, when given, receives
    // the bytes of a document that was read.
    Json::Value ReadDocument(const std::string& path, std::string* text = nullptr) const;

    // Writes the styled text plus one line end, atomically. Ok, or Failed
    // (traced) with the old file left as it was.
    WriteStatus WriteJson(const std::string& path, const Json::Value& value) const;

    // Writes raw bytes atomically, as WriteJson.
    WriteStatus WriteText(const std::string& path, std::string_view text) const;

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

// The text WriteJson puts into a file for a value: jsoncpp's StyledWriter
// text (see styled_json_writer.h), repaired, plus one line end.
std::string StyledText(const Json::Value& value);
// The same appended to `out`.
void AppendStyledText(const Json::Value& value, std::string& out);

// Parses a whole text (comments accepted and not kept, nothing after the
// root); null when it does not parse. Never throws.
Json::Value ParseJson(std::string_view text);

// Replaces every broken UTF-8 sequence in the strings and member names of
// `value` by U+FFFD; whether anything was replaced.
bool RepairUtf8(Json::Value& value);

}  // namespace vandrel::profiles
