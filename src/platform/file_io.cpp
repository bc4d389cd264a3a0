#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/folders.h"
#include "platform/trace.h"

namespace vandrel::platform {
namespace {

constexpr mode_t kNewFileMode = 0644;

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

// The mode a replaced file had, or the mode of a new file.
mode_t ModeFor(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
    return kNewFileMode;
}

// Makes a rename durable; best effort, a failure here loses nothing.
void SyncFolder(const std::string& folder) {
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0) ::fsync(fd.Get());
}

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

bool WriteFileAtomically(const std::string& path, std::string_view text, const RenameFunction& rename) {
    if (path.empty()) return false;
    std::string folder = FolderOf(path);
    if (folder.empty()) folder = "./";
    std::string temporary = JoinPath(folder, ".vandrel-XXXXXX");

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

}  // namespace vandrel::platform
