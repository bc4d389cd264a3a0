#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/file_guard.h"
#include "platform/folders.h"
#include "platform/trace.h"

namespace vandrel::platform {
namespace {

constexpr mode_t kNewFileMode = 0644;
constexpr mode_t kOwnerReadWrite = 0600;

std::mutex g_faultMutex;
FileFault g_fault;

void TraceError(std::string_view what, const std::string& path, int error) {
    Trace(std::string("files: ") + std::string(what) + " " + path + ": " + std::strerror(error));
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The mode a replaced file had, or the mode of a new file. The owner may
// always read and write the new file: a file the user could not read is
// never written back with the same mode.
mode_t ModeFor(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return (info.st_mode & 07777) | kOwnerReadWrite;
    return kNewFileMode;
}

// Makes a rename durable; best effort, a failure here loses nothing.
void SyncFolder(const std::string& folder) {
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0) ::fsync(fd.Get());
}

FileRead Failed(ReadStatus status, std::string reason) {
    FileRead result;
    result.status = status;
    result.reason = std::move(reason);
    return result;
}

FileRead FailedWithErrno(int error) {
    if (error == ENOENT || error == ENOTDIR) return Failed(ReadStatus::kMissing, {});
    return Failed(ReadStatus::kUnreadable, std::strerror(error));
}

std::string TooLargeReason(std::size_t cap) { return "larger than " + std::to_string(cap / (1024 * 1024)) + " MiB"; }

constexpr const char* kNotRegular = "not a regular file";

}  // namespace

UniqueFd::~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool UniqueFd::Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 && ::close(fd) == 0;
}

FileRead ReadFileSafely(const std::string& path, std::size_t cap) {
    if (path.empty()) return Failed(ReadStatus::kMissing, {});
    // Looked at before the open, so a device in the file's place is never
    // opened at all; looked at again on the open file against a swap.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return FailedWithErrno(errno);
    if (!S_ISREG(info.st_mode)) return Failed(ReadStatus::kUnreadable, kNotRegular);
    if (const int injected = InjectedFileFault(FileStep::kOpenForRead, path)) return FailedWithErrno(injected);

    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.Get() < 0) return FailedWithErrno(errno);
    if (::fstat(fd.Get(), &info) != 0) return FailedWithErrno(errno);
    if (!S_ISREG(info.st_mode)) return Failed(ReadStatus::kUnreadable, kNotRegular);
    if (static_cast<std::uintmax_t>(info.st_size) > cap) return Failed(ReadStatus::kTooLarge, TooLargeReason(cap));

    // The size is a hint: a file that grows while it is read is still cut
    // off at the cap.
    FileRead result;
    result.text.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == result.text.size()) {
            if (result.text.size() > cap) return Failed(ReadStatus::kTooLarge, TooLargeReason(cap));
            result.text.resize(std::min(cap + 1, result.text.size() * 2));
        }
        const ssize_t got = ::read(fd.Get(), result.text.data() + done, result.text.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return FailedWithErrno(errno);
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    if (done > cap) return Failed(ReadStatus::kTooLarge, TooLargeReason(cap));
    result.text.resize(done);
    result.status = ReadStatus::kRead;
    return result;
}

bool WriteFileAtomically(const std::string& path, std::string_view text, const RenameFunction& rename) {
    if (path.empty()) return false;
    if (FileGuard::Instance().IsProtected(path)) {
        Trace("files: not writing " + path + ": it is kept as it is in this run");
        return false;
    }
    std::string folder = FolderOf(path);
    if (folder.empty()) folder = "./";
    std::string temporary = JoinPath(folder, std::string(kTemporaryPrefix) + "XXXXXX");
    UniqueFd fd(::mkstemp(temporary.data()));
    if (fd.Get() < 0) {
        TraceError("cannot create a temporary file for", path, errno);
        return false;
    }
    bool written = WriteAll(fd.Get(), text) && ::fchmod(fd.Get(), ModeFor(path)) == 0 && ::fsync(fd.Get()) == 0;
    int error = written ? 0 : errno;
    if (!fd.Close() && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        TraceError("cannot write", path, error);
        ::unlink(temporary.c_str());
        return false;
    }
    const int renamed = rename ? rename(temporary.c_str(), path.c_str()) : std::rename(temporary.c_str(), path.c_str());
    if (renamed != 0) {
        TraceError("cannot replace", path, errno);
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

void SetFileFaultForTests(FileFault fault) {
    const std::lock_guard lock(g_faultMutex);
    g_fault = std::move(fault);
}

int InjectedFileFault(FileStep step, const std::string& path) {
    const std::lock_guard lock(g_faultMutex);
    return g_fault ? g_fault(step, path) : 0;
}

}  // namespace vandrel::platform
