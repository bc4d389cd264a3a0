#include "profiles/json_file_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <memory>
#include <mutex>

#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/trace.h"

namespace vandrel::profiles {
namespace {

// No document of the program comes near this; a bigger file is not read.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

}  // namespace

std::string StyledText(const Json::Value& value) {
    Json::StyledWriter writer;
    return writer.write(value) + "\n";
}

Json::Value ParseJson(std::string_view text) {
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["collectComments"] = true;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        if (reader->parse(text.data(), text.data() + text.size(), &root, &errors)) return root;
    } catch (const std::exception&) {
        // Nesting deeper than the reader's stack limit: malformed like any other.
    }
    return Json::Value();
}

CJsonFileStore::CJsonFileStore() = default;

CJsonFileStore::CJsonFileStore(RenameFunction rename) : rename_(std::move(rename)) {}

std::string CJsonFileStore::ReadText(const std::string& path) const {
    // O_NONBLOCK: a named pipe chosen by mistake must not hang the program.
    const platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    platform::Trace("readjsonFile 错误吗：：" + std::to_string(fd.Get() < 0 ? errno : 0));
    if (fd.Get() < 0) return {};

    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileSize) return {};
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t got = ::read(fd.Get(), text.data() + done, text.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return {};
        done += static_cast<std::size_t>(got);
    }
    return text;
}

Json::Value CJsonFileStore::ReadJson(const std::string& path) const {
    const std::string text = ReadText(path);
    if (text.empty()) {
        platform::Trace(path);
        return Json::Value();
    }
    return ParseJson(text);
}

Json::Value CJsonFileStore::ReadDocument(const std::string& path) const {
    const std::string text = ReadText(path);
    if (text.empty()) return Json::Value();
    Json::Value document = ParseJson(text);
    if (document.isObject()) return document;
    platform::Trace("json store: unusable document kept as " + platform::BackupPath(path));
    WriteText(platform::BackupPath(path), text);
    return Json::Value();
}

int CJsonFileStore::WriteJson(const std::string& path, const Json::Value& value) const {
    return WriteText(path, StyledText(value));
}

int CJsonFileStore::WriteText(const std::string& path, std::string_view text) const {
    return platform::WriteFileAtomically(path, text, rename_) ? kWriteOk : kWriteFailed;
}

std::string CJsonFileStore::NewProfileId() {
    using namespace std::chrono;
    static std::mutex mutex;
    static std::int64_t lastMillis = 0;

    std::int64_t millis = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    {
        std::lock_guard lock(mutex);
        if (millis <= lastMillis) millis = lastMillis + 1;
        lastMillis = millis;
    }
    const std::time_t seconds = static_cast<std::time_t>(millis / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis % 1000));
    return text;
}

std::string CJsonFileStore::FileTitle(std::string_view path) {
    const auto slash = path.rfind('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string_view::npos) name = name.substr(0, dot);
    return std::string(name);
}

}  // namespace vandrel::profiles
