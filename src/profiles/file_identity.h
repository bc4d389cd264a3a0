// What tells one version of a file from another without reading it: the
// device and inode, the size and the modification and change times. Every
// writer of the program puts a new file in place (a new inode) and an edit in
// place changes the times, so a file whose identity is the one noted when it
// was last read or written still holds what was read or written then.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <optional>
#include <string>

namespace vandrel::profiles {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::timespec modified{};
    std::timespec changed{};

    bool operator==(const FileIdentity& other) const;

    // The identity of the file at `path` now; nothing when there is none.
    static std::optional<FileIdentity> Of(const std::string& path);
};

}  // namespace vandrel::profiles
