#include "platform/folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "platform/build_info.h"
#include "platform/trace.h"

namespace vandrel::platform {
namespace {

std::mutex g_defaultDataMutex;
std::string g_defaultDataOverride;

std::string WithTrailingSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Creates every missing level of an absolute folder path.
bool MakeFolders(const std::string& folder) {
    if (folder.empty() || folder.front() != '/') return false;
    std::string::size_type end = 1;
    while (end <= folder.size()) {
        end = folder.find('/', end);
        if (end == std::string::npos) end = folder.size();
        const std::string level = folder.substr(0, end);
        if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) {
            Trace("folders: cannot create " + level);
            return false;
        }
        if (!IsFolder(level)) {
            Trace("folders: not a folder " + level);
            return false;
        }
        ++end;
    }
    return true;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
    const passwd* entry = ::getpwuid(::getuid());
    if (entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') return entry->pw_dir;
    return {};
}

// $XDG_DATA_HOME when it is an absolute path (relative values are invalid
// by the XDG rules), else ~/.local/share.
std::string DataHome() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') return xdg;
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : JoinPath(home, ".local/share");
}

// $XDG_CONFIG_HOME when absolute, else ~/.config.
std::string ConfigHome() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') return xdg;
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : JoinPath(home, ".config");
}

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.' || c == '{' || c == '}';
}

}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    while (!name.empty() && name.front() == '/') name.remove_prefix(1);
    std::string path(folder);
    if (path.back() != '/') path += '/';
    path += name;
    return path;
}

std::string FolderOf(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name.size() > 200 || name.front() == '.') return false;
    for (const char c : name) {
        if (!IsNameCharacter(c)) return false;
    }
    return true;
}

bool IsSafeFileName(std::string_view name) {
    return !name.empty() && name.size() <= 200 && name.front() != '.' &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

std::string UserDataRoot() {
    const std::string dataHome = DataHome();
    if (dataHome.empty()) return {};
    const std::string root = WithTrailingSlash(JoinPath(dataHome, kAppFolderName));
    return MakeFolders(root.substr(0, root.size() - 1)) ? root : std::string();
}

std::string ConfigRoot() {
    const std::string configHome = ConfigHome();
    if (configHome.empty()) return {};
    const std::string root = WithTrailingSlash(JoinPath(configHome, kAppFolderName));
    return MakeFolders(root.substr(0, root.size() - 1)) ? root : std::string();
}

std::string UserDataFolder(std::string_view folderName) {
    if (!IsPlainFileName(folderName)) return {};
    const std::string root = UserDataRoot();
    if (root.empty()) return {};
    const std::string folder = JoinPath(root, folderName);
    return MakeFolders(folder) ? WithTrailingSlash(folder) : std::string();
}

std::string ExecutableFolder() {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return "./";
    const std::string exe(buffer.data(), static_cast<std::size_t>(length));
    const std::string folder = FolderOf(exe);
    return folder.empty() ? std::string("./") : folder;
}

std::string DefaultDataFolder() {
    {
        std::lock_guard lock(g_defaultDataMutex);
        if (!g_defaultDataOverride.empty()) return g_defaultDataOverride;
    }
    if (const char* dir = std::getenv("VANDREL_DATA_DIR"); dir != nullptr && dir[0] != '\0') {
        return WithTrailingSlash(dir);
    }
    return ProgramDataFolder("DefaultData");
}

std::string ProgramDataFolder(std::string_view name) {
    const std::string exeFolder = ExecutableFolder();
    std::string besideProgram = WithTrailingSlash(JoinPath(exeFolder, name));
    if (IsFolder(besideProgram)) return besideProgram;
    std::string installed = WithTrailingSlash(JoinPath(JoinPath(exeFolder, build::kDataFromProgram), name));
    if (IsFolder(installed)) return installed;
    return besideProgram;
}

bool RunsFromBuildTree() { return IsFolder(JoinPath(ExecutableFolder(), "skin")); }

void SetDefaultDataFolder(std::string folder) {
    std::lock_guard lock(g_defaultDataMutex);
    g_defaultDataOverride = WithTrailingSlash(std::move(folder));
}

std::string DefaultTemplatePath(std::string_view kindName) {
    return JoinPath(DefaultDataFolder(), std::string(kindName) + ".Json");
}

std::string DefaultLightNamesPath() { return JoinPath(DefaultDataFolder(), "default_light.json"); }

std::string ProfileListPath(std::string_view userFolder) { return JoinPath(userFolder, "ProfileList.ini"); }

std::string ProfileFilePath(std::string_view userFolder, std::string_view profileId) {
    return JoinPath(userFolder, std::string(profileId) + ".Json");
}

std::string LightConfigPath(std::string_view userFolder, std::string_view configName) {
    return JoinPath(userFolder, std::string(configName) + ".config");
}

std::string EffectStepPath(std::string_view folder, std::string_view guid) {
    return JoinPath(folder, std::string(guid) + ".light");
}

}  // namespace vandrel::platform
