// A fresh folder under the system's temporary folder, removed with everything
// in it when the test ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

namespace vandrel::testing {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vandrel-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern + "/";
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    // The folder, ending in '/'.
    const std::string& Path() const { return path_; }
    std::string operator/(std::string_view name) const { return path_ + std::string(name); }

    void Write(std::string_view name, std::string_view text) const {
        std::ofstream(path_ + std::string(name), std::ios::binary) << text;
    }
    std::string Read(std::string_view name) const {
        std::ifstream file(path_ + std::string(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    bool Exists(std::string_view name) const { return std::filesystem::exists(path_ + std::string(name)); }
    // Names of the files directly in the folder.
    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

private:
    std::string path_;
};

}  // namespace vandrel::testing
