#include "platform/file_backup.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "platform/file_guard.h"
#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/trace.h"

namespace vandrel::platform {
namespace {

constexpr std::string_view kBackupSuffix = ".bak";
constexpr std::string_view kStampPattern = "DDDDDDDD-DDDDDD-DDD";  // D: a digit
constexpr int kMaxNameTries = 100;

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

std::string Stamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d-%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis));
    return text;
}

std::string NameOf(std::string_view path) {
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// Backup name number `attempt` (0 for the first choice) of `path`.
std::string BackupName(const std::string& path, const std::string& stamp, int attempt) {
    std::string name = path + '.' + stamp;
    if (attempt > 0) name += '_' + std::to_string(attempt + 1);
    return name + std::string(kBackupSuffix);
}

// Whether `entry` is a backup name of `fileName`.
bool IsBackupOf(std::string_view entry, std::string_view fileName) {
    const std::size_t head = fileName.size() + 1;
    if (entry.size() < head + kStampPattern.size() + kBackupSuffix.size()) return false;
    if (entry.substr(0, fileName.size()) != fileName || entry[fileName.size()] != '.') return false;
    if (entry.substr(entry.size() - kBackupSuffix.size()) != kBackupSuffix) return false;
    const std::string_view stamp = entry.substr(head, kStampPattern.size());
    for (std::size_t i = 0; i < kStampPattern.size(); ++i) {
        const bool digit = stamp[i] >= '0' && stamp[i] <= '9';
        if (kStampPattern[i] == 'D' ? !digit : stamp[i] != kStampPattern[i]) return false;
    }
    return true;
}

// Backups sort by their stamp (and "_n" after the plain name), oldest first.
void PruneBackups(const std::string& path) {
    const std::string folder = FolderOf(path).empty() ? std::string("./") : FolderOf(path);
    const std::string fileName = NameOf(path);
    const DirHandle dir(::opendir(folder.c_str()));
    if (!dir) return;
    std::vector<std::string> backups;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (IsBackupOf(entry->d_name, fileName)) backups.emplace_back(entry->d_name);
    }
    if (backups.size() <= static_cast<std::size_t>(kBackupGenerations)) return;
    std::sort(backups.begin(), backups.end());
    const std::size_t surplus = backups.size() - static_cast<std::size_t>(kBackupGenerations);
    for (std::size_t i = 0; i < surplus; ++i) {
        const std::string old = JoinPath(folder, backups[i]);
        struct stat info {};
        // A folder moved aside is never deleted with its content.
        if (::lstat(old.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) ::unlink(old.c_str());
    }
}

void SyncFolderOf(const std::string& path) {
    const std::string folder = FolderOf(path).empty() ? std::string("./") : FolderOf(path);
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0) ::fsync(fd.Get());
}

// Runs `place` on fresh backup names until one is taken; the name, or nothing.
template <typename Place>
std::optional<std::string> PlaceBackup(const std::string& path, Place place) {
    if (const int injected = InjectedFileFault(FileStep::kBackup, path)) {
        Trace("files: cannot keep a backup of " + path + ": " + std::strerror(injected));
        return std::nullopt;
    }
    const std::string stamp = Stamp();
    for (int attempt = 0; attempt < kMaxNameTries; ++attempt) {
        const std::string backup = BackupName(path, stamp, attempt);
        if (Exists(backup)) continue;
        if (!place(backup)) {
            if (errno == EEXIST) continue;
            Trace("files: cannot keep a backup of " + path + ": " + std::strerror(errno));
            return std::nullopt;
        }
        SyncFolderOf(path);
        PruneBackups(path);
        return backup;
    }
    Trace("files: no free backup name for " + path);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> SetAside(const std::string& path) {
    // renameat2 with RENAME_NOREPLACE never moves over something that
    // appeared at the backup name after the check.
    return PlaceBackup(path, [&path](const std::string& backup) {
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, backup.c_str(), RENAME_NOREPLACE) == 0) return true;
        // File systems without the flag: the name was free a moment ago.
        return errno == EINVAL && std::rename(path.c_str(), backup.c_str()) == 0;
    });
}

std::optional<std::string> KeepCopy(const std::string& path, std::string_view text) {
    return PlaceBackup(path, [text](const std::string& backup) {
        if (!WriteFileAtomically(backup, text)) {
            if (errno == 0) errno = EIO;
            return false;
        }
        return true;
    });
}

bool SetAsideOrProtect(const std::string& path, const std::string& reason) {
    FileGuard& guard = FileGuard::Instance();
    if (guard.IsProtected(path)) return false;
    if (const auto backup = SetAside(path)) {
        guard.Post({FileNotice::Kind::kSetAside, path, reason, *backup});
        return true;
    }
    guard.Protect(path);
    guard.Post({FileNotice::Kind::kLeftInPlace, path, reason, {}});
    return false;
}

int RemoveStaleTemporaries(const std::string& folder, std::chrono::seconds age, int depth) {
    const DirHandle dir(::opendir(folder.c_str()));
    if (!dir) return 0;
    const std::time_t limit = std::time(nullptr) - static_cast<std::time_t>(age.count());
    constexpr std::size_t kTemporaryLength = kTemporaryPrefix.size() + 6;
    int removed = 0;
    std::vector<std::string> below;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = JoinPath(folder, name);
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) continue;
        if (S_ISDIR(info.st_mode)) {
            if (depth > 0) below.push_back(path);
            continue;
        }
        const bool ours =
            name.size() == kTemporaryLength && name.substr(0, kTemporaryPrefix.size()) == kTemporaryPrefix;
        if (ours && S_ISREG(info.st_mode) && info.st_mtime < limit && ::unlink(path.c_str()) == 0) ++removed;
    }
    for (const std::string& path : below) removed += RemoveStaleTemporaries(path, age, depth - 1);
    if (removed > 0) Trace("files: removed " + std::to_string(removed) + " temporary files left in " + folder);
    return removed;
}

}  // namespace vandrel::platform
