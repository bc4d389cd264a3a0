// A fresh folder under the system's temporary folder, removed with everything
// in it when the test ends.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

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

    // The backups kept beside `name` (a path inside the folder): the names
    // "<file>.<date-time>.bak" of its folder, oldest first.
    std::vector<std::string> Backups(std::string_view name) const {
        const std::filesystem::path file(path_ + std::string(name));
        const std::string prefix = file.filename().string() + ".";
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
            const std::string entryName = entry.path().filename().string();
            if (entryName.size() > prefix.size() + 4 && entryName.compare(0, prefix.size(), prefix) == 0 &&
                entryName.compare(entryName.size() - 4, 4, ".bak") == 0)
                found.push_back(entryName);
        }
        std::sort(found.begin(), found.end());
        return found;
    }
    // The content of the only backup of `name`; "" when there is not exactly one.
    std::string BackupText(std::string_view name) const {
        const std::vector<std::string> backups = Backups(name);
        if (backups.size() != 1) return {};
        const std::filesystem::path file(path_ + std::string(name));
        std::ifstream in(file.parent_path() / backups.front(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::string path_;
};

}  // namespace vandrel::testing
