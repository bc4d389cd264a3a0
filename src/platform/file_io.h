// Small file helpers shared by everything that keeps files for the user.
#pragma once

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

// The step that puts the finished temporary file in place; tests replace it
// to see what a crash at that moment leaves behind.
using RenameFunction = std::function<int(const char* from, const char* to)>;

// Replaces `path` with `text` whole: a temporary file in the same folder is
// written, given the old file's mode (0644 for a new file), flushed to disk and
// renamed over the old one, then the folder is flushed. On any failure the old
// file is untouched, the temporary file is removed, the reason is traced and
// the result is false.
bool WriteFileAtomically(const std::string& path, std::string_view text, const RenameFunction& rename = {});

}  // namespace vandrel::platform
