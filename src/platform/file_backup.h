// Backups of user files the program cannot use, and the clean-up of what an
// interrupted save leaves behind.
//
// A backup sits beside its file as <name>.<date-time>.bak (date-time as
// YYYYMMDD-HHMMSS-mmm, local time; "_2", "_3", ... follow when the name is
// taken). A backup never replaces anything, and only the newest
// kBackupGenerations of a file are kept.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace vandrel::platform {

inline constexpr int kBackupGenerations = 5;

// Moves whatever is at `path` (a file the program cannot read, a pipe, a
// folder) to a new backup name: a rename, so it needs no space and keeps the
// bytes and the mode as they were. The backup's path, or nothing (traced)
// when it could not be moved.
std::optional<std::string> SetAside(const std::string& path);

// Writes `text` (the file's content as read) to a new backup of `path`; the
// file itself stays. The backup's path, or nothing (traced).
std::optional<std::string> KeepCopy(const std::string& path, std::string_view text);

// The rule for a file that exists but cannot be used (`reason` says why):
// move it aside and tell the user (true: the path may now be written), or,
// when that fails, protect it from every write in this run and tell the user
// (false). A path protected before gives false and no new notice.
bool SetAsideOrProtect(const std::string& path, const std::string& reason);

// Removes our temporary files (see kTemporaryPrefix) older than `age` from
// `folder` and from the folders below it, `depth` levels deep. They are what a
// save interrupted by a crash or a kill leaves; the number removed.
int RemoveStaleTemporaries(const std::string& folder, std::chrono::seconds age = std::chrono::seconds(60),
                           int depth = 2);

}  // namespace vandrel::platform
