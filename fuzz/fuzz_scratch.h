// What the fuzz targets that work on files share: one scratch folder for the
// whole run, on a memory file system when there is one, removed when the run
// ends; and writing the input's bytes into a file there.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include <stdlib.h>

namespace vandrel::fuzz {

inline char* ScratchPath() {
    static char path[4096];
    return path;
}

inline void RemoveScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(ScratchPath(), ignored);
}

// The folder, with a trailing '/'.
inline std::string Scratch() {
    char* path = ScratchPath();
    if (path[0] == '\0') {
        namespace fs = std::filesystem;
        const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        const std::string pattern = (base / "vandrel-fuzz-XXXXXX").string();
        if (pattern.size() >= 4096) std::abort();
        pattern.copy(path, pattern.size());
        if (::mkdtemp(path) == nullptr) std::abort();
        std::atexit(RemoveScratch);
    }
    return std::string(path) + "/";
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace vandrel::fuzz
