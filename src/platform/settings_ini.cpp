#include "platform/settings_ini.h"

#include "platform/file_backup.h"
#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/trace.h"

namespace vandrel::platform {
namespace {

constexpr std::string_view kBlanks = " \t\r";

// A settings file holds a few lines; anything near this is not ours.
constexpr std::size_t kMaxSettingsSize = 1024 * 1024;

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> SectionOf(std::string_view line) {
    const std::string_view trimmed = Trimmed(line);
    if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']') return std::nullopt;
    return Trimmed(trimmed.substr(1, trimmed.size() - 2));
}

// Key and value of a "key=value" line; nothing for comments and lines
// without '=' or without a key.
std::optional<std::pair<std::string_view, std::string_view>> KeyValueOf(std::string_view line) {
    const std::string_view trimmed = Trimmed(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') return std::nullopt;
    const auto equals = trimmed.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = Trimmed(trimmed.substr(0, equals));
    if (key.empty()) return std::nullopt;
    return std::pair{key, Trimmed(trimmed.substr(equals + 1))};
}

}  // namespace

SettingsIni::SettingsIni(std::string path) : path_(std::move(path)) {}

SettingsIni SettingsIni::InConfigFolder(std::string_view fileName) {
    if (!IsPlainFileName(fileName)) return SettingsIni(std::string());
    const std::string root = ConfigRoot();
    return SettingsIni(root.empty() ? std::string() : JoinPath(root, fileName));
}

bool SettingsIni::Load() {
    lines_.clear();
    if (path_.empty()) return false;
    const FileRead read = ReadFileSafely(path_, kMaxSettingsSize);
    if (!read.Ok()) {
        if (read.Exists()) SetAsideOrProtect(path_, read.reason);
        return false;
    }
    std::string_view text = read.text;
    while (!text.empty()) {
        const auto end = text.find('\n');
        lines_.emplace_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return true;
}

std::optional<std::string> SettingsIni::Get(std::string_view section, std::string_view key) const {
    bool inSection = false;
    for (const std::string& line : lines_) {
        if (const auto name = SectionOf(line)) {
            inSection = *name == section;
        } else if (const auto pair = KeyValueOf(line); inSection && pair && pair->first == key) {
            return std::string(pair->second);
        }
    }
    return std::nullopt;
}

void SettingsIni::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string newLine = std::string(key) + '=' + std::string(value);
    for (char& c : newLine) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    bool inSection = false;
    std::optional<std::size_t> sectionEnd;  // the line after the section's last key line
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (const auto name = SectionOf(lines_[i])) {
            if (inSection) break;
            inSection = *name == section;
            if (inSection) sectionEnd = i + 1;
        } else if (inSection) {
            const auto pair = KeyValueOf(lines_[i]);
            if (pair && pair->first == key) {
                lines_[i] = std::move(newLine);
                return;
            }
            if (!Trimmed(lines_[i]).empty()) sectionEnd = i + 1;
        }
    }
    if (sectionEnd) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*sectionEnd), std::move(newLine));
        return;
    }
    lines_.push_back('[' + std::string(section) + ']');
    lines_.push_back(std::move(newLine));
}

bool SettingsIni::Save() const {
    std::string text;
    for (const std::string& line : lines_) text += line + '\n';
    return WriteFileAtomically(path_, text);
}

}  // namespace vandrel::platform
