// Small file helpers shared by everything that keeps files for the user: one
// reader for every file the program reads and one writer for every file it
// writes.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace vandrel::platform {

// Owns a file descriptor and closes it when it goes out of scope.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd();
    int Get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Closes now and reports whether the close succeeded.
    bool Close();

private:
    int fd_;
};

// No file of the program comes near this; a bigger one is not read.
inline constexpr std::size_t kMaxReadSize = 64 * 1024 * 1024;

enum class ReadStatus {
    kRead,        // text holds the whole file
    kMissing,     // nothing at the path
    kUnreadable,  // something is there but cannot be read; reason says why
    kTooLarge,    // a regular file over the cap
};

struct FileRead {
    ReadStatus status = ReadStatus::kMissing;
    std::string text;
    std::string reason;  // for kUnreadable and kTooLarge, readable by a person

    bool Ok() const { return status == ReadStatus::kRead; }
    // Something is at the path that the program could not take.
    bool Exists() const { return status != ReadStatus::kMissing; }
};

// Reads a whole file. Only regular files are read: the open never blocks (a
// named pipe or a device in the file's place cannot hang the program) and at
// most `cap` bytes are taken (a link to /dev/zero or a huge file cannot fill
// the memory).
FileRead ReadFileSafely(const std::string& path, std::size_t cap = kMaxReadSize);

// The step that puts the finished temporary file in place; tests replace it
// to see what a crash at that moment leaves behind.
using RenameFunction = std::function<int(const char* from, const char* to)>;

// Names of our temporary files: this prefix and six random characters.
inline constexpr std::string_view kTemporaryPrefix = ".vandrel-";

// Replaces `path` with `text` whole: a temporary file in the same folder is
// written, given the old file's mode (always readable and writable by its
// owner; 0644 for a new file), flushed to disk and renamed over the old one,
// then the folder is flushed. A path the file guard protects is never
// written. On any failure the old file is untouched, the temporary file is
// removed, the reason is traced and the result is false.
bool WriteFileAtomically(const std::string& path, std::string_view text, const RenameFunction& rename = {});

// A test seam: lets a test make chosen steps fail for chosen paths, as a file
// without access or a full disk would. The function returns the errno to
// fail with, or 0 to let the step run. Nothing is injected by default.
enum class FileStep { kOpenForRead, kBackup };
using FileFault = std::function<int(FileStep step, const std::string& path)>;
void SetFileFaultForTests(FileFault fault);
// The errno injected for this step and path, or 0.
int InjectedFileFault(FileStep step, const std::string& path);

}  // namespace vandrel::platform
